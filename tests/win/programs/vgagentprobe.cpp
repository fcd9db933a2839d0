// Test helper: the agent settings in a process of their own, so that a test can choose the
// Windows version that Wine reports to them.
//   vgagentprobe version                      prints "vista=N" (IsVistaOrLater)
//   vgagentprobe qolt DRIVER PRINTER RESDLL N  SetQOLTAgent2 from a hidden owner window; exits
//                                             with 10 + the number of wait dialogs it showed
//   vgagentprobe setsagent ON                 SetSAgent of a wait dialog that does not show
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/win.h"
#include "printer/vgprn_app_win.h"
#include "resources/vgres_ids.h"
#include "ui/agent_settings_win.h"
#include "ui/wait_dlg_win.h"

CVG_PxxxxApp& TheApp() {
  static CVG_PxxxxApp app;
  return app;
}

namespace {

int g_waitDialogs = 0;

// Counts the dialogs made on this thread: the only dialog here is the wait dialog.
LRESULT CALLBACK CountDialogs(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND) {
    const auto* create = reinterpret_cast<const CBT_CREATEWNDA*>(lParam);
    if (create->lpcs != nullptr && create->lpcs->lpszClass == MAKEINTATOM(32770)) ++g_waitDialogs;
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "version") == 0) {
    std::printf("vista=%d\n", IsVistaOrLater());
    return 0;
  }
  if (argc == 6 && std::strcmp(argv[1], "qolt") == 0) {
    HWND owner = ::CreateWindowExA(0, "STATIC", "agent probe", WS_POPUP, 0, 0, 10, 10, nullptr,
                                   nullptr, nullptr, nullptr);
    HHOOK hook = ::SetWindowsHookExA(WH_CBT, &CountDialogs, nullptr, ::GetCurrentThreadId());
    AgentDialogInfo dialog;
    dialog.driverName = argv[2];
    dialog.printerName = argv[3];
    dialog.resourceLibrary = argv[4];
    dialog.dialog = owner;
    SetQOLTAgent2(dialog, std::atoi(argv[5]));
    ::UnhookWindowsHookEx(hook);
    ::DestroyWindow(owner);
    return 10 + g_waitDialogs;
  }
  if (argc == 3 && std::strcmp(argv[1], "setsagent") == 0) {
    CWaitDlg wait(nullptr, nullptr);
    wait.SetSAgent(std::atoi(argv[2]));
    return 0;
  }
  return 2;
}
