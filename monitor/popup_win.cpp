// The hand-off to the pop-up program: a job goes to its open window as a ParamBlock, or the
// program is started with a parameter file (or, when no file can be written, with
// length-prefixed options).
#include <string>
#include <vector>

#include "common/debug_log_win.h"
#include "common/install_profile_win.h"
#include "common/map_records_win.h"
#include "common/param_block.h"
#include "common/text_util.h"
#include "common/vgl_param.h"
#include "monitor/main_frame_win.h"
#include "monitor/popup_command_line.h"

namespace {
// A pop-up window that stops answering must not stop the monitor.
constexpr UINT kSendTimeoutMs = 10000;
}  // namespace

HWND CMainFrame::IsPopupOpen() const {
  HWND window = nullptr;
  const int result = RegisterMapWindow(MapNameSet::kMonitor, m_szPrinterName, m_szPortName,
                                       kMapKindStatus, nullptr, &window, nullptr);
  return (result == kMapWindowOpen && window != nullptr) ? window : nullptr;
}

LRESULT CMainFrame::SendParamBlock(HWND window) {
  std::vector<uint8_t> block =
      vgmon::BuildMonitorParamBlock(vgmon::kCodeToPopup, m_szJobID, m_szKVM);
  COPYDATASTRUCT data = {};
  data.dwData = 0;
  data.cbData = static_cast<DWORD>(block.size());
  data.lpData = block.data();
  const WPARAM monitorWindow =
      m_pInstanceMap ? reinterpret_cast<WPARAM>(LongToHandle(*m_pInstanceMap)) : 0;
  DWORD_PTR answer = 0;
  if (!::SendMessageTimeoutA(window, WM_COPYDATA, monitorWindow, reinterpret_cast<LPARAM>(&data),
                             SMTO_ABORTIFHUNG, kSendTimeoutMs, &answer)) {
    return 0;
  }
  return static_cast<LRESULT>(answer);
}

int CMainFrame::StartExe(const char* programPath, const char* arguments) {
  const auto commandLine = vgmon::ProgramCommandLine(programPath, arguments);
  if (!commandLine) return 0;
  VgLogWrite("StartExe : commandline", commandLine->c_str());
  return RunCommandLine(commandLine->c_str());
}

int CMainFrame::StartPopup() {
  VgLogWrite("CMainFrame::StartPopup");
  if (HWND window = IsPopupOpen()) {
    VgLogWrite("Popup is already exist");
    VgLogWrite("Send ParamBlock");
    SendParamBlock(window);
    VgLogWrite("Sent ParamBlock");
    return 1;
  }

  char program[MAX_PATH] = {};
  if (!GetPopupProgramPath(program, m_szDriverName, m_szModelID)) return 0;

  CVglParam param;
  if (vgtext::BoundedView(m_szJobID, sizeof m_szJobID).size() >= kParamTextSize ||
      vgtext::BoundedView(m_szKVM, sizeof m_szKVM).size() >= kParamTextSize) {
    return 0;
  }
  CopyParamText(param.JobID, m_szJobID);
  CopyParamText(param.KVM, m_szKVM);
  const bool fileWritten = param.CreateParamFile(m_szPrinterName, m_szPortName, m_szModelID) == 1;

  const auto arguments = vgmon::PopupArguments(fileWritten ? param.ParamFileName : "",
                                               m_szPrinterName, m_szPortName, m_szModelID,
                                               m_szJobID);
  const int started = arguments ? StartExe(program, arguments->c_str()) : 0;
  if (started) {
    m_szJobID[0] = '\0';  // a job id is handed over once
  } else if (fileWritten) {
    char written[kParamTextSize];
    CopyParamText(written, param.ParamFileName);
    param.DeleteParamFile(written);
  }
  return started;
}
