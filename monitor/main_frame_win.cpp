#include "monitor/main_frame_win.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/debug_log_win.h"
#include "common/exception_guard_win.h"
#include "common/install_profile_win.h"
#include "common/instance_names.h"
#include "common/param_block.h"
#include "common/registry_keys.h"
#include "common/registry_win.h"
#include "common/spooler_printer_win.h"
#include "common/system_library_win.h"
#include "common/target_defaults_win.h"
#include "common/target_keys_win.h"
#include "common/text_util.h"
#include "common/unique_handle.h"
#include "common/window_messages.h"
#include "common/windows_version_win.h"
#include "monitor/messages_win.h"
#include "monitor/poll_decisions.h"
#include "monitor/qv_win.h"
#include "resources/vgres_ids.h"

namespace {

const char kWindowClass[] = "VGL3V3MSBackMon03WClass";
const char kWindowTitle[] = "VGL3S BackMon";

// The spooler's driver name of a printer, or "".
std::string SpoolerDriverName(const char* printer) { return SpoolerPrinter(printer).DriverName(); }

}  // namespace

CMainFrame::CMainFrame() { VgLogWrite("CMainFrame::CMainFrame"); }

CMainFrame::~CMainFrame() {
  m_cWorker.RequestStop();
  m_cWorker.Join();
  delete m_pcQv;
}

void CMainFrame::FreeLibraries() {
  m_hPrnLib.Close();
  m_hResLib.Close();
  m_pfnPrMonitoringStart = nullptr;
  m_pfnPrMonitoringEnd = nullptr;
}

void CMainFrame::ShowStartError(UINT stringId, const char* fallback) const {
  if (!IsEnvCheckRunning()) ShowResOrFallback(m_hResLib.Get(), stringId, fallback);
}

int CMainFrame::ProfileInt(const char* key, int defaultValue) const {
  if (m_szProfilePath[0] == '\0') return defaultValue;
  // Asked on every poll: kept while the profile file is unchanged.
  return GetProfileIntOf(m_szModelID, key, defaultValue, m_szProfilePath);
}

int CMainFrame::Init(bool alreadyRunning) {
  VgLogWrite("CMainFrame::Init");

  if (m_szModelID[0] != '\0') {
    if (m_szDriverName[0] == '\0') GetDriverName(m_szModelID, m_szDriverName);
    if (GetProfilePath(m_szProfilePath, m_szDriverName, m_szModelID) &&
        m_szProfilePath[0] == '\0') {
      ShowStartError(IDS_FILE_NOT_FOUND, "Could not find specified file.");
      return 0;
    }
  }

  if (!alreadyRunning) {
    // The resource library first: every later message comes from it.
    char resDll[MAX_PATH] = {};
    if (!m_hResLib.IsValid()) {
      if (GetResDllPath(resDll, m_szDriverName, m_szModelID) && resDll[0] != '\0') {
        m_hResLib.Reset(::LoadLibraryA(resDll));
      }
      if (!m_hResLib.IsValid()) {
        ShowStartError(IDS_FILE_NOT_FOUND, "Could not find specified file.");
        return 0;
      }
    }

    if (GetPrnDllPath(m_szPrnDllPath, m_szDriverName, m_szModelID) && m_szPrnDllPath[0] != '\0') {
      m_hPrnLib.Reset(::LoadLibraryA(m_szPrnDllPath));
    }
    if (!m_hPrnLib.IsValid()) {
      ShowStartError(IDS_FILE_NOT_FOUND, "Could not find specified file.");
      return 0;
    }
    m_pfnPrMonitoringStart = GetProcAs<PFN_PrMonitoringStart>(m_hPrnLib.Get(), "PrMonitoringStart");
    m_pfnPrMonitoringEnd = GetProcAs<PFN_PrMonitoringEnd>(m_hPrnLib.Get(), "PrMonitoringEnd");
    const char* missing = m_pfnPrMonitoringStart == nullptr ? "PrMonitoringStart"
                          : m_pfnPrMonitoringEnd == nullptr ? "PrMonitoringEnd"
                                                            : nullptr;
    if (missing != nullptr) {
      if (!IsEnvCheckRunning()) ::MessageBoxA(nullptr, missing, "ERROR", MB_OK);
      return 0;
    }

    std::string driver = m_szDriverName;
    if (driver.empty()) {
      char byModel[MAX_PATH] = {};
      if (GetDriverName(m_szModelID, byModel)) driver = byModel;
    }
    if (driver.empty()) driver = SpoolerDriverName(m_szPrinterName);
    vgtext::CopyBounded(m_szDriverKey, sizeof m_szDriverKey, vgreg::kDriverKeyPrefix + driver);
    Registry driverKey(HKEY_LOCAL_MACHINE, m_szDriverKey);
    const bool lineType = driverKey.GetString(vgreg::kDriverType, "") == vgreg::kDriverTypeLine;
    // Only printers of the line type on NT look for the logon user's hive.
    const TargetHive hive =
        (IsNtPlatform() && lineType) ? TargetHive::kLogonUser : TargetHive::kCurrentUser;
    int kind = 0;
    CheckTargetRegKey(m_szPrinterName, m_szPortName, m_szModelID, &kind, m_szTargetKey,
                      &m_hTargetRoot, hive);
    if (m_szTargetKey[0] == '\0' ||
        !ChkNtfyReg(m_hTargetRoot, m_szTargetKey, m_szModelID, m_szProfilePath)) {
      ShowStartError(IDS_NO_PRINTER_INFO, "Unable to find printer information.");
      return 0;
    }
    m_nEnableGetStatusErr = ProfileInt("EnableGetStatusErr", 0);

    // The bidirectional library must be registered with the driver.
    std::string libraryName;
    std::string installPath;
    if (!driverKey.QueryString(vgreg::kDriverQvapi32, &libraryName) ||
        !driverKey.QueryString(vgreg::kDriverInstallPath, &installPath) ||
        libraryName.size() + installPath.size() + 1 >= MAX_PATH) {
      return 0;
    }

    Registry target(m_hTargetRoot, m_szTargetKey, false, KEY_ALL_ACCESS);
    target.DeleteValue(vgreg::kTargetChannel);
    target.DeleteValue(vgreg::kTargetStatus);
    target.DeleteValue(vgreg::kTargetComStatus);
  }

  if (m_szJobID[0] != '\0' && !m_bFilePort) StartPopup();
  if (alreadyRunning) return 0;

  const std::string eventName = vgnames::SynchroEventName(m_szPrinterName, m_szPortName);
  VgLogWrite("EventName ", eventName.c_str());
  m_hSyncEvent.Reset(::CreateEventA(nullptr, TRUE, FALSE, eventName.c_str()));
  if (!m_hSyncEvent.IsValid()) return 0;
  VgLogWrite("Reset Synchro Event");
  ::ResetEvent(m_hSyncEvent.Get());

  // The printer view exists before the worker, so that the window thread never sees it
  // appear or go while the worker runs.
  m_pcQv = new (std::nothrow) CQv(m_szModelID);
  if (m_pcQv == nullptr) {
    ShowResOrFallback(m_hResLib.Get(), IDS_NO_MEMORY, "Cannot allocate memory.");
    m_hSyncEvent.Close();
    return 0;
  }
  if (!m_cWorker.Start("CMainFrame::MonitoringThread", [this] { MonitoringThread(); })) {
    m_hSyncEvent.Close();
    return 0;
  }
  return 1;
}

bool CMainFrame::CreateMainWindow() {
  VgLogWrite("CMainFrame::CreateMainWindow");
  HINSTANCE instance = ::GetModuleHandleA(nullptr);
  WNDCLASSA windowClass = {};
  windowClass.style = CS_BYTEALIGNWINDOW;
  windowClass.lpfnWndProc = &CMainFrame::WindowProc;
  windowClass.hInstance = instance;
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_SCROLLBAR + 1));
  windowClass.lpszClassName = kWindowClass;
  if (::RegisterClassA(&windowClass) == 0 ||
      ::CreateWindowExA(0, kWindowClass, kWindowTitle, WS_OVERLAPPED | WS_MINIMIZE, 0, 0, 100, 100,
                        nullptr, nullptr, instance, this) == nullptr) {
    VgLogWrite("Cannot create the main window : error", static_cast<long>(::GetLastError()));
    return false;
  }
  return true;
}

int CMainFrame::OnCreate() {
  VgLogWrite("CMainFrame::OnCreate");
  VgLogWrite("Set Synchro Event");
  if (m_hSyncEvent.IsValid()) ::SetEvent(m_hSyncEvent.Get());
  return 0;
}

LRESULT CALLBACK CMainFrame::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return vg::Guarded("CMainFrame::WindowProc", LRESULT{0}, [&]() -> LRESULT {
    if (message == WM_CREATE) {
      auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
      auto* self = static_cast<CMainFrame*>(create->lpCreateParams);
      ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
      self->m_hWnd.Reset(window);
      // This thread owns the window, so only it may set the window's timers.
      self->m_cQuitTimer.Attach(window);
      return self->OnCreate();
    }
    auto* self = reinterpret_cast<CMainFrame*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self == nullptr) return ::DefWindowProcA(window, message, wParam, lParam);
    return self->HandleMessage(window, message, wParam, lParam);
  });
}

LRESULT CMainFrame::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DESTROY:
      DestroyWindow();
      break;
    case WM_NCDESTROY:
      // The window's last message, however it is destroyed: nothing is left to own.
      static_cast<void>(m_hWnd.Take());
      break;
    case WM_COMMAND:
      // The loop ends; EndMonitoring then closes as WM_CLOSE does.
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) ::PostQuitMessage(0);
      break;
    case WM_CLOSE:
      ::PostQuitMessage(0);
      break;
    case WM_TIMER:
      if (lParam != 0) {
        reinterpret_cast<TIMERPROC>(lParam)(window, WM_TIMER, wParam, ::GetTickCount());
      } else if (m_cQuitTimer.IsFiring(wParam)) {
        m_bQuitTimerFired = true;
      }
      break;
    case WM_RESTART_QUIT_TIMER:
      RestartQuitTimer();
      break;
    case CQuitTimer::kApplyMessage:
      m_cQuitTimer.Apply();
      break;
    default:
      break;
  }
  return ::DefWindowProcA(window, message, wParam, lParam);
}

int CMainFrame::MonitoringThread() {
  VgLogWrite("CMainFrame::MonitoringThread");
  return MonitoringMain();
}

int CMainFrame::MonitoringMain() {
  VgLogWrite("CMainFrame::MonitoringMain");
  VgLogWrite("Before : Wait Synchro Event");
  // Without a window the event never comes: the stop request ends the wait.
  const bool windowCreated = m_cWorker.WaitFor(m_hSyncEvent.Get(), INFINITE);
  VgLogWrite("After : Wait Synchro Event");
  m_hSyncEvent.Close();

  // Whatever ends the polling, a failure included, monitoring ends in order after it.
  vg::Guarded("CMainFrame::MonitoringMain", [&] {
    if (!windowCreated) return;
    const int initTime =
        vgmon::InitialDelayMs(ProfileInt("MonitorInitTime", vgmon::kDefaultInitTime));
    // A close during the first delay ends monitoring before a session starts.
    if (!m_cWorker.Sleep(static_cast<DWORD>(initTime)) || MonitorStart() != 1) return;
    DWORD interval = static_cast<DWORD>(initTime);
    while (m_cWorker.Sleep(interval)) {
      if (m_bQuitTimerFired) {
        if (MonitorQuit() != 0) break;
        m_bQuitTimerFired = false;
      }
      if (MonitorStatus() != 0) break;
      interval = static_cast<DWORD>(GetTimerValue()) * 1000;
    }
  });
  MonitorEnd();
  return 0;
}

int CMainFrame::MonitorStart() {
  VgLogWrite("CMainFrame::MonitorStart");
  std::vector<uint8_t> block;
  if (m_bFilePort) block = vgmon::BuildMonitorParamBlock(vgmon::kCodeToLibrary, m_szJobID, m_szKVM);
  StartSession(block);
  if (m_bFilePort) return 0;  // the job goes to a file: nothing is polled

  const char* missing = m_pcQv->Bind(m_hPrnLib.Get());
  if (missing != nullptr) {
    ::MessageBoxA(nullptr, missing, "ERROR", MB_OK);
    m_pcQv->m_bEnabled = FALSE;
    ShowStartError(IDS_FILE_OPEN_FAILED, "Failed to open the specified file.");
    return 0;
  }
  return FirstCheck();
}

void CMainFrame::StartSession(const std::vector<uint8_t>& block) {
  if (m_pfnPrMonitoringStart == nullptr) return;
  m_bSessionStarted = true;
  VgLogWrite("Call PrMonitoringStart");
  m_nSessionStart = m_pfnPrMonitoringStart(
      m_hWnd.Get(), m_szPrinterName, m_szDriverName, m_szPortName, m_szModelID, m_szProfilePath,
      nullptr, block.empty() ? nullptr : block.data(), static_cast<DWORD>(block.size()));
  VgLogWrite("Returned from PrMonitoringStart : nRet", m_nSessionStart);
}

void CMainFrame::MonitorEnd() {
  VgLogWrite("CMainFrame::MonitorEnd");
  if (m_pInstanceMap && static_cast<HWND>(LongToHandle(*m_pInstanceMap)) == m_hWnd.Get()) {
    VgLogWrite("Reset MapFile");
    ::InterlockedExchange(m_pInstanceMap, 0);
  }
  if (m_hWnd.Get() != nullptr) ::PostMessageA(m_hWnd.Get(), WM_CLOSE, 0, 0);
  // Only a session that was started is ended.
  if (m_pfnPrMonitoringEnd != nullptr && m_bSessionStarted) {
    VgLogWrite("Call PrMonitoringEnd");
    const int result = m_pfnPrMonitoringEnd(0, 0);
    VgLogWrite("Returned from PrMonitoringEnd : nRet", result);
  }
}

int CMainFrame::GetTimerValue() {
  VgLogWrite("CMainFrame::GetTimerValue");
  auto getTimer = GetProcAs<PFN_PrGetTimerValue>(m_hPrnLib.Get(), "PrGetTimerValue");
  if (getTimer != nullptr) {
    int network = 0;
    const int seconds = vgmon::LibraryPollInterval(getTimer(m_pcQv->m_dwStatusChannel, &network));
    if (seconds != -1) {
      Registry target(m_hTargetRoot, m_szTargetKey, false, KEY_ALL_ACCESS);
      target.SetDWord(vgreg::kTargetTimer, static_cast<DWORD>(seconds));
      return seconds;
    }
  }
  char text[32] = {};
  const long fromResource =
      (m_hResLib.IsValid() &&
       ::LoadStringA(m_hResLib.Get(), IDS_DEFAULT_TIMER, text, sizeof text) > 0)
          ? std::atol(text)
          : 0;
  Registry target(m_hTargetRoot, m_szTargetKey, false, KEY_ALL_ACCESS);
  if (!target.IsOpen()) return vgmon::BoundPollInterval(fromResource);
  const DWORD stored = target.ReadDWord(vgreg::kTargetTimer);
  const bool missing = target.GetValueType(vgreg::kTargetTimer) == 0;
  const int seconds = vgmon::BoundPollInterval(
      missing ? fromResource : static_cast<long>(static_cast<int>(stored)));
  if (missing) target.SetDWord(vgreg::kTargetTimer, static_cast<DWORD>(seconds));
  return seconds;
}

int CMainFrame::GetQuitTimeout() const {
  if (m_szProfilePath[0] == '\0') return 0;
  return ProfileInt("TIMEOUT", 0);
}

void CMainFrame::StopQuitTimer() {
  std::lock_guard<std::recursive_mutex> guard(m_quitLock);
  m_cQuitTimer.Stop();
  m_nQuitCount = 0;
}

void CMainFrame::ResetInstanceMap() {
  if (m_pInstanceMap) ::InterlockedExchange(m_pInstanceMap, 0);
}

int CMainFrame::RestartQuitTimer() {
  VgLogWrite("CMainFrame::RestartQuitTimer");
  std::lock_guard<std::recursive_mutex> guard(m_quitLock);
  m_bComplete = FALSE;
  if (m_pcQv) m_pcQv->m_nPrintState = 1;
  if (!m_cQuitTimer.Running()) return 0;
  const int timeout = GetQuitTimeout();
  m_cQuitTimer.Stop();
  m_nQuitCount = 0;
  m_cQuitTimer.Start(timeout);
  return 0;
}

int CMainFrame::DestroyWindow() {
  VgLogWrite("CMainFrame::DestroyWindow");
  StopQuitTimer();
  m_cWorker.RequestStop();
  VgLogWrite("Before : Wait Monitoring Thread");
  m_cWorker.Join();
  VgLogWrite("After : Wait Monitoring Thread");
  delete m_pcQv;
  m_pcQv = nullptr;
  return 0;
}

void CMainFrame::EndMonitoring() {
  // Destroys the window unless it has gone already (WM_NCDESTROY let go of it).
  m_hWnd.Reset();
  // Without a window (it was never made) the worker is stopped and joined here.
  m_cWorker.RequestStop();
  m_cWorker.Join();
}
