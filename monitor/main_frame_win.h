#pragma once
// CMainFrame: vgmon's controller for the one printer the process serves. It loads the printer
// status library and the resource library, owns the hidden main window (quit timer, restart
// request, close request) and the worker thread that polls the printer until the job has
// printed.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "common/unique_handle.h"
#include "common/vgprn_exports.h"
#include "common/win.h"
#include "common/worker_thread_win.h"
#include "monitor/quit_timer_win.h"

class CQv;
namespace vgmon {
struct PollState;
}

class CMainFrame {
 public:
  CMainFrame();
  virtual ~CMainFrame();
  CMainFrame(const CMainFrame&) = delete;
  CMainFrame& operator=(const CMainFrame&) = delete;

  // 1 when the worker thread runs, else 0. With another monitor running it only hands the
  // job on and returns 0.
  int Init(bool alreadyRunning);
  // False when the window class or the window cannot be made; the worker then still waits
  // and the caller ends it with EndMonitoring.
  bool CreateMainWindow();
  int OnCreate();
  int RestartQuitTimer();
  int DestroyWindow();
  // The one way out, whatever ended the message loop (or kept it from starting): the window
  // is destroyed if it still exists, which stops and joins the worker; the worker ends the
  // session it started. Nothing the worker uses may be freed before this returns.
  void EndMonitoring();

  HWND Window() const { return m_hWnd.Get(); }
  // The instance mapping's view (owned by the application object).
  void SetInstanceMap(volatile LONG* view) { m_pInstanceMap = view; }
  void FreeLibraries();

  // Identity and job, copied from the parameter block at start-up.
  int m_nQuitCount = 0;
  int m_nSameStatusCount = 0;
  char m_szPrnDllPath[MAX_PATH] = {};
  char m_szKVM[MAX_PATH] = {};
  BOOL m_bComplete = FALSE;
  BOOL m_bFinished = FALSE;
  BOOL m_bRemoveFlag = FALSE;
  // The hidden main window, made by CreateMainWindow; the worker uses it until it is joined
  // at WM_DESTROY. It goes with EndMonitoring, or earlier by the system's hand (a close).
  ScopedWindow m_hWnd;
  char m_szPortName[MAX_PATH] = {};
  char m_szPrinterName[MAX_PATH] = {};
  char m_szModelID[MAX_PATH] = {};
  char m_szJobID[MAX_PATH] = {};
  char m_szDriverName[MAX_PATH] = {};
  char m_szProfilePath[MAX_PATH] = {};
  BOOL m_bFilePort = FALSE;
  BOOL m_bAlreadyRunning = FALSE;

 private:
  class PollEnvironmentImpl;

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  int MonitoringThread();
  int MonitoringMain();
  int MonitorStart();
  // PrMonitoringStart with the hand-off block (empty: none); its result is kept.
  void StartSession(const std::vector<uint8_t>& block);
  void MonitorEnd();
  int GetTimerValue();
  int FirstCheck();
  int MonitorStatus();
  int GetStatus();
  int MonitorQuit();
  int CheckCommonErrors();
  // The members the poll decisions read, and writing back what they changed.
  vgmon::PollState CapturePollState() const;
  void ApplyPollState(const vgmon::PollState& state);
  int GetQuitTimeout() const;
  int ProfileInt(const char* key, int defaultValue) const;

  int StartPopup();
  // The live status window registered for the printer, or null.
  HWND IsPopupOpen() const;
  LRESULT SendParamBlock(HWND window);
  int StartExe(const char* programPath, const char* arguments);

  bool QuitTimerRunning() const { return m_cQuitTimer.Running(); }
  void StartQuitTimer(int seconds) { m_cQuitTimer.Start(seconds); }
  // Kills the quit timer and clears its identifier.
  void KillQuitTimer() { m_cQuitTimer.Stop(); }
  // KillQuitTimer, and the count of its firings goes back to 0.
  void StopQuitTimer();
  void ResetInstanceMap();
  // The message of a failed start: the resource string, else the English text; nothing while
  // the environment check runs.
  void ShowStartError(UINT stringId, const char* fallback) const;

  PFN_PrMonitoringStart m_pfnPrMonitoringStart = nullptr;
  PFN_PrMonitoringEnd m_pfnPrMonitoringEnd = nullptr;
  int m_nLastPopup = 0;
  // Made by Init before the worker starts and deleted after it was joined, so that both
  // threads may use it while the worker runs.
  CQv* m_pcQv = nullptr;
  char m_szTargetKey[MAX_PATH] = {};
  char m_szDriverKey[MAX_PATH] = {};
  HKEY m_hTargetRoot = HKEY_CURRENT_USER;
  // Loaded by Init; freed by FreeLibraries once the worker has ended, the printer library first.
  ScopedModule m_hResLib;
  ScopedModule m_hPrnLib;
  // The worker; its stop request is the window's m_bStop.
  CWorkerThread m_cWorker;
  ScopedHandle m_hSyncEvent;
  int m_nEnableGetStatusErr = 0;
  // PrMonitoringStart was called: only then does PrMonitoringEnd end the session.
  bool m_bSessionStarted = false;
  // The last result of PrMonitoringStart (0: the session runs).
  int m_nSessionStart = -1;

  volatile LONG* m_pInstanceMap = nullptr;
  // Guards what the window thread and the worker share: m_bComplete, m_nQuitCount and the
  // quit timer's requests (the restart request runs on the window thread, the poll decisions
  // on the worker). The print state of m_pcQv is guarded by the CQv itself.
  mutable std::recursive_mutex m_quitLock;
  // The quit timer (identifier 9) of the main window.
  CQuitTimer m_cQuitTimer;
  // Set when the quit timer fires; the worker then runs MonitorQuit.
  std::atomic<bool> m_bQuitTimerFired{false};
};
