#include "ui/wait_dlg_win.h"

#include <string>

#include "common/debug_log_win.h"
#include "common/registry_keys.h"
#include "common/registry_win.h"
#include "resources/vgres_ids.h"
#include "ui/agent_rules.h"
#include "ui/agent_settings_win.h"

namespace {

using vgreg::kQvapiInfoKey;
constexpr int kTextSize = 1024;

std::string LoadText(HMODULE module, UINT id) {
  char text[kTextSize] = {};
  const int length = ::LoadStringA(module, id, text, kTextSize);
  return std::string(text, length > 0 ? static_cast<size_t>(length) : 0);
}

}  // namespace

CWaitDlg::CWaitDlg(const char* resourceLibrary, HWND parent)
    : CDialogBox(IDD_AGENT_WAIT, parent),
      m_hModule(resourceLibrary != nullptr && resourceLibrary[0] != '\0'
                    ? ::LoadLibraryA(resourceLibrary)
                    : nullptr) {
  SetResourceModule(m_hModule.Get());
}

CWaitDlg::~CWaitDlg() = default;

int CWaitDlg::DoModal(int value) {
  m_nValue = value;
  if (!m_hModule.IsValid() ||
      ::FindResourceA(m_hModule.Get(), MAKEINTRESOURCEA(IDD_AGENT_WAIT), RT_DIALOG) == nullptr) {
    return m_nResult;
  }
  CDialogBox::DoModal();
  return m_nResult;
}

int CWaitDlg::OnInitDialog() {
  HWND hwnd = m_hWnd;
  // The dialog closes by itself: the user cannot close or minimise it.
  HMENU system = ::GetSystemMenu(hwnd, FALSE);
  if (system != nullptr) {
    ::EnableMenuItem(system, SC_CLOSE, MF_BYCOMMAND | MF_DISABLED | MF_GRAYED);
    ::EnableMenuItem(system, SC_MINIMIZE, MF_BYCOMMAND | MF_GRAYED);
  }
  ::SetWindowLongPtrA(
      hwnd, GWL_STYLE,
      ::GetWindowLongPtrA(hwnd, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_MINIMIZEBOX));
  ::SetWindowTextA(hwnd, LoadText(m_hModule.Get(), IDS_PREFERENCES_TITLE).c_str());
  ::SetDlgItemTextA(hwnd, IDC_WAIT_TEXT, LoadText(m_hModule.Get(), IDS_AGENT_WAIT).c_str());
  m_nPhase = 1;
  if (::SetTimer(hwnd, kStartTimer, kStartMs, nullptr) != 0) m_nTimerId = kStartTimer;
  ::ShowWindow(hwnd, SW_SHOW);
  return 1;
}

void CWaitDlg::StopTimer() {
  if (m_nTimerId != 0 && m_hWnd != nullptr) ::KillTimer(m_hWnd, m_nTimerId);
  m_nTimerId = 0;
}

void CWaitDlg::Close() {
  StopTimer();
  End(2);
}

int CWaitDlg::OnMessage(HWND, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog();
    case WM_TIMER:
      if (wParam != m_nTimerId || m_nTimerId == 0) return 0;
      StopTimer();
      if (m_nPhase == 1) {
        m_nPhase = 0;
        if (::SetTimer(m_hWnd, kWaitTimer, kWaitMs, nullptr) != 0) m_nTimerId = kWaitTimer;
      } else {
        Close();
      }
      return 1;
    case vgagent::kSetupDoneMessage:
      Close();
      return 1;
    case WM_CLOSE:
      Close();
      return 1;
    case WM_COMMAND:
      // Escape and Enter do not close it; only the set-up program's answer or the time does.
      return LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK ? 1 : 0;
    case WM_DESTROY:
      StopTimer();
      return 0;
    default:
      return 0;
  }
}

void CWaitDlg::SetSAgent(int on) {
  CTraceScope trace("CWaitDlg::SetSAgent");
  const std::string installDir = Registry(HKEY_LOCAL_MACHINE, kQvapiInfoKey)
                                     .GetString("InstallDir", "", vgagent::kAgentBufferSize);
  const auto program = vgagent::SetupProgramPath(installDir);
  if (!program) return;
  trace.Write("szQvapiPath = %s\n", program->c_str());
  // A window handle is 32 bits wide in every process that can read it back.
  const uint32_t window = static_cast<uint32_t>(reinterpret_cast<UINT_PTR>(m_hWnd));
  const uint32_t message = vgagent::kSetupDoneMessage;

  if (!IsVistaOrLater()) {
    const auto commandLine = vgagent::SetupCommandLine(*program, window, message, on != 0);
    if (!commandLine) return;
    trace.Write("szCmdLine = %s\n", commandLine->c_str());
    vgagent::StartProgram(program->c_str(), commandLine->c_str());
    return;
  }
  const std::string parameters = vgagent::SetupParameters(window, message, on != 0);
  trace.Write("szCmdLine = %s\n", parameters.c_str());
  DWORD lastError = 0;
  const INT_PTR result =
      vgagent::StartElevated(m_hWnd, program->c_str(), parameters.c_str(), &lastError);
  trace.Write("(int)hExec = %d, dwLastErr = %d\n", static_cast<int>(result),
              static_cast<int>(lastError));
}
