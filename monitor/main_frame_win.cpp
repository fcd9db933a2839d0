#include "monitor/main_frame_win.h"

#include <process.h>

#include <string>

#include "common/debug_log_win.h"
#include "common/instance_names.h"

namespace {

constexpr UINT kRestartQuitTimer = WM_USER + 7;
constexpr UINT_PTR kQuitTimer = 9;
const char kWindowClass[] = "VGL3V3MSBackMon03WClass";
const char kWindowTitle[] = "VGL3S BackMon";

}  // namespace

CMainFrame::CMainFrame() { VgLogWrite("CMainFrame::CMainFrame"); }

CMainFrame::~CMainFrame() {
  if (m_hStopEvent) ::CloseHandle(m_hStopEvent);
  if (m_hSyncEvent) ::CloseHandle(m_hSyncEvent);
}

void CMainFrame::FreeLibraries() {
  if (m_hPrnLib) ::FreeLibrary(m_hPrnLib);
  if (m_hResLib) ::FreeLibrary(m_hResLib);
  m_hPrnLib = nullptr;
  m_hResLib = nullptr;
}

int CMainFrame::Init(bool alreadyRunning) {
  VgLogWrite("CMainFrame::Init");
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

  const UINT initTime = m_szProfilePath[0]
                            ? ::GetPrivateProfileIntA(m_szModelID, "MonitorInitTime", 1000,
                                                      m_szProfilePath)
                            : 1000;
  SleepUnlessStopped(initTime);
  // Until the printer library is bound the monitor only waits to be closed.
  while (!m_bStop) SleepUnlessStopped(INFINITE);
  MonitorEnd();
  return 0;
}

void CMainFrame::MonitorEnd() {
  VgLogWrite("CMainFrame::MonitorEnd");
  if (m_pInstanceMap && static_cast<HWND>(LongToHandle(*m_pInstanceMap)) == m_hWnd) {
    VgLogWrite("Reset MapFile");
    ::InterlockedExchange(m_pInstanceMap, 0);
  }
  ::PostMessageA(m_hWnd, WM_CLOSE, 0, 0);
}

int CMainFrame::GetQuitTimeout() const {
  if (m_szProfilePath[0] == '\0') return 0;
  return static_cast<int>(::GetPrivateProfileIntA(m_szModelID, "TIMEOUT", 0, m_szProfilePath));
}

int CMainFrame::RestartQuitTimer() {
  m_bComplete = FALSE;
  std::lock_guard<std::mutex> guard(m_quitLock);
  if (m_nQuitTimerId == 0) return 0;
  const int timeout = GetQuitTimeout();
  ::KillTimer(m_hWnd, m_nQuitTimerId);
  m_nQuitCount = 0;
  m_nQuitTimerId = ::SetTimer(m_hWnd, kQuitTimer, static_cast<UINT>(timeout) * 1000, nullptr);
  return 0;
}

void CMainFrame::StopQuitTimer() {
  std::lock_guard<std::mutex> guard(m_quitLock);
  if (m_nQuitTimerId != 0) ::KillTimer(m_hWnd, m_nQuitTimerId);
  m_nQuitTimerId = 0;
  m_nQuitCount = 0;
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
  return 0;
}
