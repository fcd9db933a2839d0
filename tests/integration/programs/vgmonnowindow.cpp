// vgmon whose main window cannot be made, as on a system out of window resources: a hook of
// the program's own thread refuses the creation of the monitor's window class. Otherwise it
// starts exactly as vgmon.exe does.
#include <cstring>

#include "common/win.h"
#include "monitor/mt_app_win.h"

namespace {

LRESULT CALLBACK RefuseMonitorWindow(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND) {
    char className[64] = {};
    ::GetClassNameA(reinterpret_cast<HWND>(wParam), className, sizeof className);
    if (std::strcmp(className, "VGL3V3MSBackMon03WClass") == 0) return 1;
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  if (::SetWindowsHookExA(WH_CBT, RefuseMonitorWindow, nullptr, ::GetCurrentThreadId()) ==
      nullptr) {
    return 99;
  }
  CMTApp app;
  return app.Run(instance, commandLine);
}
