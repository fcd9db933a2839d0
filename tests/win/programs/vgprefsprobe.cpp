// The preferences dialog with the real HTML Help control, in a process of its own (the control
// is bound once per process, and the test program binds the recording stand-in). It opens the
// preferences of the printer named on its command line, presses the help key over the agent
// check box (208), waits for the help window, reports it on standard output as
//   help window: TITLE | left top right bottom | extended style
// closes it and the dialog, and ends with 0 (1 when a window did not show).
//   vgprefsprobe PRINTER DRIVER PORT MODEL RESOURCE_LIBRARY
#include <cstdio>
#include <string>
#include <thread>

#include "common/win.h"
#include "printer/vgprn_app_win.h"
#include "resources/vgres_ids.h"
#include "ui/start_preference_win.h"

CVG_PxxxxApp& TheApp() {
  static CVG_PxxxxApp app;
  return app;
}

namespace {

struct Search {
  DWORD process;
  const char* className;
  HWND found = nullptr;
};

BOOL CALLBACK FindWindowOf(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  DWORD process = 0;
  ::GetWindowThreadProcessId(window, &process);
  char name[64] = {};
  ::GetClassNameA(window, name, sizeof name);
  if (process != search->process || !::IsWindowVisible(window) ||
      std::string(name) != search->className) {
    return TRUE;
  }
  search->found = window;
  return FALSE;
}

HWND WaitForWindow(const char* className) {
  for (int i = 0; i < 1000; ++i) {
    Search search{::GetCurrentProcessId(), className};
    ::EnumWindows(&FindWindowOf, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr) return search.found;
    ::Sleep(20);
  }
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fprintf(stderr, "usage: vgprefsprobe PRINTER DRIVER PORT MODEL RESOURCE_LIBRARY\n");
    return 2;
  }
  int result = -100;
  std::thread dialog([&] { result = RunPreferenceDialog(argv[1], argv[2], argv[3], argv[4], argv[5]); });
  HWND preferences = WaitForWindow("#32770");
  int code = 1;
  if (preferences != nullptr) {
    HWND item = ::GetDlgItem(preferences, IDC_AGENT_ALLOW);
    RECT rect = {};
    ::GetWindowRect(item, &rect);
    HELPINFO info = {};
    info.cbSize = sizeof info;
    info.iContextType = HELPINFO_WINDOW;
    info.iCtrlId = IDC_AGENT_ALLOW;
    info.hItemHandle = item;
    info.MousePos = POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    ::SetCursorPos(info.MousePos.x, info.MousePos.y);
    DWORD_PTR answer = 0;
    ::SendMessageTimeoutA(preferences, WM_HELP, 0, reinterpret_cast<LPARAM>(&info), SMTO_NORMAL,
                          20000, &answer);
    HWND help = WaitForWindow("HH Parent");
    if (help != nullptr) {
      char title[256] = {};
      ::GetWindowTextA(help, title, sizeof title);
      RECT place = {};
      ::GetWindowRect(help, &place);
      std::printf("help window: %s | %ld %ld %ld %ld | %lx\n", title, place.left, place.top,
                  place.right, place.bottom,
                  static_cast<unsigned long>(::GetWindowLongA(help, GWL_EXSTYLE)));
      std::printf("cursor: %ld %ld\n", info.MousePos.x, info.MousePos.y);
      std::fflush(stdout);
      ::PostMessageA(help, WM_CLOSE, 0, 0);
      code = 0;
    }
    ::PostMessageA(preferences, WM_COMMAND, IDCANCEL, 0);
  }
  dialog.join();
  std::printf("result: %d\n", result);
  return code;
}
