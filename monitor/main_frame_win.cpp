#include "monitor/main_frame_win.h"

#include <process.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/debug_log_win.h"
#include "common/install_profile_win.h"
#include "common/instance_names.h"
#include "common/kv_open_printer_win.h"
#include "common/registry_win.h"
#include "common/system_library_win.h"
#include "common/target_defaults_win.h"
#include "common/target_keys_win.h"
#include "common/text_util.h"
#include "common/unique_handle.h"
#include "common/windows_version_win.h"
#include "monitor/messages_win.h"
#include "monitor/param_block.h"
#include "monitor/poll_decisions.h"
#include "monitor/qv_win.h"

namespace {

constexpr UINT kRestartQuitTimer = WM_USER + 7;
constexpr UINT_PTR kQuitTimer = 9;
const char kWindowClass[] = "VGL3V3MSBackMon03WClass";
const char kWindowTitle[] = "VGL3S BackMon";
const char kDriverRoot[] = "software\\KORVA\\VGL3\\Driver\\";

// The spooler's driver name of a printer, or "".
std::string SpoolerDriverName(const char* printer) {
  ScopedPrinter handle;
  if (printer == nullptr || printer[0] == '\0' ||
      !KV_OpenPrinter(printer, handle.Receive(), nullptr) || !handle.IsValid()) {
    return std::string();
  }
  const std::vector<BYTE> info = QueryPrinterInfo2(handle.Get());
  if (info.empty()) return std::string();
  const char* driver = reinterpret_cast<const PRINTER_INFO_2A*>(info.data())->pDriverName;
  return driver ? driver : "";
}

}  // namespace

CMainFrame::CMainFrame() { VgLogWrite("CMainFrame::CMainFrame"); }

CMainFrame::~CMainFrame() {
  delete m_pcQv;
  if (m_hStopEvent) ::CloseHandle(m_hStopEvent);
  if (m_hSyncEvent) ::CloseHandle(m_hSyncEvent);
}

void CMainFrame::FreeLibraries() {
  if (m_hPrnLib) ::FreeLibrary(m_hPrnLib);
  if (m_hResLib) ::FreeLibrary(m_hResLib);
  m_hPrnLib = nullptr;
  m_hResLib = nullptr;
  m_pfnPrMonitoringStart = nullptr;
  m_pfnPrMonitoringEnd = nullptr;
}

void CMainFrame::ShowStartError(UINT stringId, const char* fallback) const {
  if (!IsEnvCheckRunning()) ShowResOrFallback(m_hResLib, stringId, fallback);
}

int CMainFrame::ProfileInt(const char* key, int defaultValue) const {
  if (m_szProfilePath[0] == '\0') return defaultValue;
  return static_cast<int>(::GetPrivateProfileIntA(m_szModelID, key, defaultValue,
                                                  m_szProfilePath));
}

int CMainFrame::Init(bool alreadyRunning) {
  VgLogWrite("CMainFrame::Init");

  if (m_szModelID[0] != '\0') {
    if (m_szDriverName[0] == '\0') GetDriverName(m_szModelID, m_szDriverName);
    if (GetProfilePath(m_szProfilePath, m_szDriverName, m_szModelID) &&
        m_szProfilePath[0] == '\0') {
      ShowStartError(1224, "Could not find specified file.");
      return 0;
    }
  }

  if (!alreadyRunning) {
    // The resource library first: every later message comes from it.
    char resDll[MAX_PATH] = {};
    if (m_hResLib == nullptr) {
      if (!GetResDllPath(resDll, m_szDriverName, m_szModelID) || resDll[0] == '\0' ||
          (m_hResLib = ::LoadLibraryA(resDll)) == nullptr) {
        ShowStartError(1224, "Could not find specified file.");
        return 0;
      }
    }

    if (!GetPrnDllPath(m_szPrnDllPath, m_szDriverName, m_szModelID) ||
        m_szPrnDllPath[0] == '\0' || (m_hPrnLib = ::LoadLibraryA(m_szPrnDllPath)) == nullptr) {
      ShowStartError(1224, "Could not find specified file.");
      return 0;
    }
    m_pfnPrMonitoringStart = GetProcAs<PFN_PrMonitoringStart>(m_hPrnLib, "PrMonitoringStart");
    m_pfnPrMonitoringEnd = GetProcAs<PFN_PrMonitoringEnd>(m_hPrnLib, "PrMonitoringEnd");
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
    vgtext::CopyBounded(m_szDriverKey, sizeof m_szDriverKey, kDriverRoot + driver);
    Registry driverKey(HKEY_LOCAL_MACHINE, m_szDriverKey);
    const bool lineType = driverKey.GetString("Type", "") == "QOLT";
    // Only printers of the line type on NT look for the logon user's hive.
    const TargetHive hive =
        (IsNtPlatform() && lineType) ? TargetHive::kLogonUser : TargetHive::kCurrentUser;
    int kind = 0;
    CheckTargetRegKey(m_szPrinterName, m_szPortName, m_szModelID, &kind, m_szTargetKey,
                      &m_hTargetRoot, hive);
    if (m_szTargetKey[0] == '\0' ||
        !ChkNtfyReg(m_hTargetRoot, m_szTargetKey, m_szModelID, m_szProfilePath)) {
      ShowStartError(1222, "Unable to find printer information.");
      return 0;
    }
    m_nEnableGetStatusErr = ProfileInt("EnableGetStatusErr", 0);

    // The bidirectional library must be registered with the driver.
    std::string libraryName;
    std::string installPath;
    if (!driverKey.QueryString("QVAPI32", &libraryName) ||
        !driverKey.QueryString("InstallPath", &installPath) ||
        libraryName.size() + installPath.size() + 1 >= MAX_PATH) {
      return 0;
    }

    Registry target(m_hTargetRoot, m_szTargetKey, false, KEY_ALL_ACCESS);
    target.DeleteValue("Channel");
    target.DeleteValue("Status");
    target.DeleteValue("ComStatus");
  }

  if (m_szJobID[0] != '\0' && !m_bFilePort) StartPopup();
  if (alreadyRunning) return 0;

  const std::string eventName = vgnames::SynchroEventName(m_szPrinterName, m_szPortName);
  VgLogWrite("EventName ", eventName.c_str());
  m_hSyncEvent = ::CreateEventA(nullptr, TRUE, FALSE, eventName.c_str());
  if (m_hSyncEvent == nullptr) return 0;
  VgLogWrite("Reset Synchro Event");
  ::ResetEvent(m_hSyncEvent);

  m_hStopEvent = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (m_hStopEvent == nullptr) return 0;
  m_hThread = reinterpret_cast<HANDLE>(
      ::_beginthreadex(nullptr, 0, &CMainFrame::MonitoringThread, this, 0, nullptr));
  if (m_hThread == nullptr) {
    ::CloseHandle(m_hSyncEvent);
    m_hSyncEvent = nullptr;
    return 0;
  }
  return 1;
}

void CMainFrame::CreateMainWindow() {
  VgLogWrite("CMainFrame::CreateMainWindow");
  HINSTANCE instance = ::GetModuleHandleA(nullptr);
  WNDCLASSA windowClass = {};
  windowClass.style = CS_BYTEALIGNWINDOW;
  windowClass.lpfnWndProc = &CMainFrame::WindowProc;
  windowClass.hInstance = instance;
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_SCROLLBAR + 1));
  windowClass.lpszClassName = kWindowClass;
  ::RegisterClassA(&windowClass);
  ::CreateWindowExA(0, kWindowClass, kWindowTitle, WS_OVERLAPPED | WS_MINIMIZE, 0, 0, 100, 100,
                    nullptr, nullptr, instance, this);
}

int CMainFrame::OnCreate() {
  VgLogWrite("CMainFrame::OnCreate");
  VgLogWrite("Set Synchro Event");
  if (m_hSyncEvent) ::SetEvent(m_hSyncEvent);
  return 0;
}

LRESULT CALLBACK CMainFrame::WindowProc(HWND window, UINT message, WPARAM wParam,
                                        LPARAM lParam) {
  if (message == WM_CREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    auto* self = static_cast<CMainFrame*>(create->lpCreateParams);
    ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->m_hWnd = window;
    return self->OnCreate();
  }
  auto* self = reinterpret_cast<CMainFrame*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self != nullptr) {
    switch (message) {
      case WM_DESTROY:
        self->DestroyWindow();
        break;
      case WM_COMMAND:
        if (LOWORD(wParam) == 1 || LOWORD(wParam) == 2) ::PostQuitMessage(0);
        break;
      case WM_CLOSE:
        ::PostQuitMessage(0);
        break;
      case WM_TIMER:
        if (lParam != 0) {
          reinterpret_cast<TIMERPROC>(lParam)(window, WM_TIMER, wParam, ::GetTickCount());
        } else if (wParam == kQuitTimer) {
          self->m_bQuitTimerFired = true;
        }
        break;
      case kRestartQuitTimer:
        self->RestartQuitTimer();
        break;
      default:
        break;
    }
  }
  return ::DefWindowProcA(window, message, wParam, lParam);
}

unsigned __stdcall CMainFrame::MonitoringThread(void* self) {
  VgLogWrite("CMainFrame::MonitoringThread");
  static_cast<CMainFrame*>(self)->MonitoringMain();
  return 0;
}

void CMainFrame::SleepUnlessStopped(DWORD milliseconds) {
  ::WaitForSingleObject(m_hStopEvent, milliseconds);
}

int CMainFrame::MonitoringMain() {
  VgLogWrite("CMainFrame::MonitoringMain");
  VgLogWrite("Before : Wait Synchro Event");
  ::WaitForSingleObject(m_hSyncEvent, INFINITE);
  VgLogWrite("After : Wait Synchro Event");
  ::CloseHandle(m_hSyncEvent);
  m_hSyncEvent = nullptr;

  const int initTime = ProfileInt("MonitorInitTime", 1000);
  SleepUnlessStopped(static_cast<DWORD>(initTime));
  if (!m_bStop && MonitorStart() == 1) {
    DWORD interval = static_cast<DWORD>(initTime);
    for (;;) {
      SleepUnlessStopped(interval);
      if (m_bStop) break;
      if (m_bQuitTimerFired) {
        if (MonitorQuit() != 0) break;
        m_bQuitTimerFired = false;
      }
      if (MonitorStatus() != 0) break;
      interval = static_cast<DWORD>(GetTimerValue()) * 1000;
    }
  }
  MonitorEnd();
  return 0;
}

int CMainFrame::MonitorStart() {
  VgLogWrite("CMainFrame::MonitorStart");
  std::vector<uint8_t> block;
  if (m_bFilePort) block = vgmon::BuildMonitorParamBlock(vgmon::kCodeToLibrary, m_szJobID, m_szKVM);
  if (m_pfnPrMonitoringStart != nullptr) {
    VgLogWrite("Call PrMonitoringStart");
    const int result = m_pfnPrMonitoringStart(
        m_hWnd, m_szPrinterName, m_szDriverName, m_szPortName, m_szModelID, m_szProfilePath,
        nullptr, block.empty() ? nullptr : block.data(), static_cast<DWORD>(block.size()));
    VgLogWrite("Returned from PrMonitoringStart : nRet", result);
  }
  if (m_bFilePort) return 0;  // the job goes to a file: nothing is polled

  m_pcQv = new (std::nothrow) CQv(m_szModelID);
  if (m_pcQv == nullptr) {
    ShowResOrFallback(m_hResLib, 1216, "Cannot allocate memory.");
    return 0;
  }
  const char* missing = m_pcQv->Bind(m_hPrnLib);
  if (missing != nullptr) {
    ::MessageBoxA(nullptr, missing, "ERROR", MB_OK);
    m_pcQv->m_bEnabled = FALSE;
    ShowStartError(1225, "Failed to open the specified file.");
    return 0;
  }
  return FirstCheck();
}

void CMainFrame::MonitorEnd() {
  VgLogWrite("CMainFrame::MonitorEnd");
  if (m_pInstanceMap && static_cast<HWND>(LongToHandle(*m_pInstanceMap)) == m_hWnd) {
    VgLogWrite("Reset MapFile");
    ::InterlockedExchange(m_pInstanceMap, 0);
  }
  ::PostMessageA(m_hWnd, WM_CLOSE, 0, 0);
  if (m_pfnPrMonitoringEnd != nullptr) {
    VgLogWrite("Call PrMonitoringEnd");
    const int result = m_pfnPrMonitoringEnd(0, 0);
    VgLogWrite("Returned from PrMonitoringEnd : nRet", result);
  }
}

int CMainFrame::GetTimerValue() {
  auto getTimer = GetProcAs<PFN_PrGetTimerValue>(m_hPrnLib, "PrGetTimerValue");
  if (getTimer != nullptr) {
    int network = 0;
    const int seconds =
        vgmon::LibraryPollInterval(getTimer(m_pcQv ? m_pcQv->m_dwStatusChannel : 0, &network));
    if (seconds != -1) {
      Registry target(m_hTargetRoot, m_szTargetKey, false, KEY_ALL_ACCESS);
      target.SetDWord("Timer", static_cast<DWORD>(seconds));
      return seconds;
    }
  }
  char text[32] = {};
  const long fromResource =
      (m_hResLib && ::LoadStringA(m_hResLib, 1340, text, sizeof text) > 0) ? std::atol(text) : 0;
  Registry target(m_hTargetRoot, m_szTargetKey, false, KEY_ALL_ACCESS);
  if (!target.IsOpen()) return vgmon::BoundPollInterval(fromResource);
  const DWORD stored = target.ReadDWord("Timer");
  const bool missing = target.GetValueType("Timer") == 0;
  const int seconds =
      vgmon::BoundPollInterval(missing ? fromResource : static_cast<long>(static_cast<int>(stored)));
  if (missing) target.SetDWord("Timer", static_cast<DWORD>(seconds));
  return seconds;
}

int CMainFrame::GetQuitTimeout() const {
  if (m_szProfilePath[0] == '\0') return 0;
  return ProfileInt("TIMEOUT", 0);
}

bool CMainFrame::QuitTimerRunning() const {
  std::lock_guard<std::recursive_mutex> guard(m_quitLock);
  return m_nQuitTimerId != 0;
}

void CMainFrame::StartQuitTimer(int seconds) {
  std::lock_guard<std::recursive_mutex> guard(m_quitLock);
  m_nQuitTimerId = ::SetTimer(m_hWnd, kQuitTimer, static_cast<UINT>(seconds) * 1000, nullptr);
}

void CMainFrame::KillQuitTimer() {
  std::lock_guard<std::recursive_mutex> guard(m_quitLock);
  if (m_nQuitTimerId != 0) ::KillTimer(m_hWnd, m_nQuitTimerId);
  m_nQuitTimerId = 0;
}

void CMainFrame::StopQuitTimer() {
  std::lock_guard<std::recursive_mutex> guard(m_quitLock);
  KillQuitTimer();
  m_nQuitCount = 0;
}

void CMainFrame::ResetInstanceMap() {
  if (m_pInstanceMap) ::InterlockedExchange(m_pInstanceMap, 0);
}

int CMainFrame::RestartQuitTimer() {
  std::lock_guard<std::recursive_mutex> guard(m_quitLock);
  m_bComplete = FALSE;
  if (m_pcQv) m_pcQv->m_nPrintState = 1;
  if (m_nQuitTimerId == 0) return 0;
  const int timeout = GetQuitTimeout();
  ::KillTimer(m_hWnd, m_nQuitTimerId);
  m_nQuitCount = 0;
  m_nQuitTimerId = ::SetTimer(m_hWnd, kQuitTimer, static_cast<UINT>(timeout) * 1000, nullptr);
  return 0;
}

int CMainFrame::DestroyWindow() {
  VgLogWrite("CMainFrame::DestroyWindow");
  StopQuitTimer();
  m_bStop = true;
  if (m_hStopEvent) ::SetEvent(m_hStopEvent);
  VgLogWrite("Before : Wait Monitoring Thread");
  if (m_hThread) {
    ::WaitForSingleObject(m_hThread, INFINITE);
    ::CloseHandle(m_hThread);
    m_hThread = nullptr;
  }
  VgLogWrite("After : Wait Monitoring Thread");
  delete m_pcQv;
  m_pcQv = nullptr;
  return 0;
}
