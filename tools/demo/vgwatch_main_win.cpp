// vgwatch: follows a printer's status window for ./run demo and says what it shows. It looks
// for the window in the status window table every 50 ms and appends one line to OUTPUT_FILE
// whenever what the window shows changes:
//
//   window<TAB>LEFT TOP WIDTH HEIGHT<TAB>VISIBLE<TAB>TITLE<TAB>MESSAGE<TAB>STATUS LINE<TAB>HELP
//   gone
//
// VISIBLE and HELP are 1 or 0 (the help button shows); line breaks inside the texts become
// blanks. A state counts once two looks in a row agree: the window's thread may change it
// between the reads of one look. It ends once OUTPUT_FILE.stop exists.
//   vgwatch PRINTER OUTPUT_FILE
#include <cstdio>
#include <string>

#include "common/map_records_win.h"
#include "common/win.h"
#include "resources/vgres_ids.h"

namespace {

std::string TextOf(HWND window) {
  char text[1024] = {};
  DWORD_PTR length = 0;
  if (window == nullptr ||
      !::SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                             SMTO_ABORTIFHUNG, 2000, &length)) {
    return std::string();
  }
  std::string flat(text, length < sizeof text ? length : 0);
  for (char& c : flat) {
    if (c == '\r' || c == '\n' || c == '\t') c = ' ';
  }
  return flat;
}

bool Shows(HWND item) {
  return item != nullptr && (::GetWindowLongA(item, GWL_STYLE) & WS_VISIBLE) != 0;
}

std::string Describe(HWND window) {
  RECT rect = {};
  ::GetWindowRect(window, &rect);
  char place[96];
  std::snprintf(place, sizeof place, "%ld %ld %ld %ld", rect.left, rect.top, rect.right - rect.left,
                rect.bottom - rect.top);
  return std::string("window\t") + place + "\t" + (::IsWindowVisible(window) ? "1" : "0") + "\t" +
         TextOf(window) + "\t" + TextOf(::GetDlgItem(window, IDC_STATUS_MESSAGE)) + "\t" +
         TextOf(::GetDlgItem(window, IDC_STATUS_LINE)) + "\t" +
         (Shows(::GetDlgItem(window, IDC_STATUS_HELP)) ? "1" : "0");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: vgwatch PRINTER OUTPUT_FILE\n");
    return 2;
  }
  const std::string printer = argv[1];
  const std::string output = argv[2];
  const std::string stop = output + ".stop";
  std::string last = "gone";
  std::string previous = last;
  while (::GetFileAttributesA(stop.c_str()) == INVALID_FILE_ATTRIBUTES) {
    HWND window = FindMapWindow(MapNameSet::kPrinterLibrary, printer.c_str(), "", kMapKindStatus);
    const std::string now = window != nullptr ? Describe(window) : "gone";
    const bool settled = now == previous;
    previous = now;
    if (settled && now != last) {
      if (FILE* file = std::fopen(output.c_str(), "a")) {
        std::fprintf(file, "%s\n", now.c_str());
        std::fclose(file);
      }
      last = now;
    }
    ::Sleep(50);
  }
  return 0;
}
