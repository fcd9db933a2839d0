// Test helper: a second process that uses the window tables of vgprn's name set.
//   vgmapclient PRINTER PORT KIND OTHERKIND EVENTBASE RESULTFILE
// ("-" stands for an empty printer or port name.) It creates a hidden window, registers it
// as KIND, looks up the window of OTHERKIND for the same printer, writes
// "<register result> <existing window> <own window> <found window>" (hexadecimal handles)
// to RESULTFILE and sets the event EVENTBASE_ready. Then it waits for EVENTBASE_go (at most
// 30 seconds), unregisters, destroys its window and exits with 0; 1 when go never came,
// 2 for bad arguments, 3 when a file or event is missing, 4 when no window could be made.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/map_records_win.h"
#include "common/unique_handle.h"
#include "common/win.h"

namespace {

const char* NameArg(const char* arg) { return std::strcmp(arg, "-") == 0 ? "" : arg; }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 7) return 2;
  const char* printer = NameArg(argv[1]);
  const char* port = NameArg(argv[2]);
  const int kind = std::atoi(argv[3]);
  const int otherKind = std::atoi(argv[4]);
  const std::string eventBase = argv[5];

  ScopedHandle ready(::OpenEventA(EVENT_MODIFY_STATE, FALSE, (eventBase + "_ready").c_str()));
  ScopedHandle go(::OpenEventA(SYNCHRONIZE, FALSE, (eventBase + "_go").c_str()));
  if (!ready.IsValid() || !go.IsValid()) return 3;

  HWND window = ::CreateWindowExA(0, "STATIC", "vgmapclient", WS_POPUP, 0, 0, 10, 10, nullptr,
                                  nullptr, ::GetModuleHandleA(nullptr), nullptr);
  if (window == nullptr) return 4;
  HWND existing = nullptr;
  ScopedHandle mapping;
  const int result = RegisterMapWindow(MapNameSet::kPrinterLibrary, printer, port, kind, window,
                                       &existing, &mapping);
  HWND found = FindMapWindow(MapNameSet::kPrinterLibrary, printer, port, otherKind);

  FILE* out = std::fopen(argv[6], "wb");
  if (out == nullptr) return 3;
  std::fprintf(out, "%d %lx %lx %lx", result, reinterpret_cast<unsigned long>(existing),
               reinterpret_cast<unsigned long>(window), reinterpret_cast<unsigned long>(found));
  std::fclose(out);
  ::SetEvent(ready.Get());

  const bool released = ::WaitForSingleObject(go.Get(), 30000) == WAIT_OBJECT_0;
  UnregisterMapWindow(MapNameSet::kPrinterLibrary, mapping.Get(), printer, port, kind,
                      printer[0] == '\0' ? 1 : 0);
  ::DestroyWindow(window);
  return released ? 0 : 1;
}
