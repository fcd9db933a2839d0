#pragma once
// CMainFrame: vgmon's controller for the one printer the process serves. It loads the printer
// status library and the resource library, owns the hidden main window (quit timer, restart
// request, close request) and the worker thread that polls the printer until the job has
// printed.
#include <atomic>
#include <mutex>

#include "common/win.h"
#include "printer/vgprn_exports.h"

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
  void CreateMainWindow();
  int OnCreate();
  int RestartQuitTimer();
  int DestroyWindow();

  HWND Window() const { return m_hWnd; }
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
  HWND m_hWnd = nullptr;
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
  static unsigned __stdcall MonitoringThread(void* self);
  int MonitoringMain();
  void SleepUnlessStopped(DWORD milliseconds);
  int MonitorStart();
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

  bool QuitTimerRunning() const;
  void StartQuitTimer(int seconds);
  // Kills the quit timer and clears its identifier.
  void KillQuitTimer();
  // KillQuitTimer, and the count of its firings goes back to 0.
  void StopQuitTimer();
  void ResetInstanceMap();
  // The message of a failed start: the resource string, else the English text; nothing while
  // the environment check runs.
  void ShowStartError(UINT stringId, const char* fallback) const;

  PFN_PrMonitoringStart m_pfnPrMonitoringStart = nullptr;
  PFN_PrMonitoringEnd m_pfnPrMonitoringEnd = nullptr;
  int m_nLastPopup = 0;
  CQv* m_pcQv = nullptr;
  char m_szTargetKey[MAX_PATH] = {};
  char m_szDriverKey[MAX_PATH] = {};
  HKEY m_hTargetRoot = HKEY_CURRENT_USER;
  HINSTANCE m_hResLib = nullptr;
  HINSTANCE m_hPrnLib = nullptr;
  HANDLE m_hThread = nullptr;
  HANDLE m_hSyncEvent = nullptr;
  UINT_PTR m_nQuitTimerId = 0;
  int m_nEnableGetStatusErr = 0;

  volatile LONG* m_pInstanceMap = nullptr;
  // The quit timer, its counter and the restart request are touched by the window thread and
  // the worker.
  mutable std::recursive_mutex m_quitLock;
  // Set by the window's destruction; the worker stops after its current sleep.
  std::atomic<bool> m_bStop{false};
  // Set when the quit timer fires; the worker then runs MonitorQuit.
  std::atomic<bool> m_bQuitTimerFired{false};
  // Wakes the worker's sleep when the window goes, so closing is prompt.
  HANDLE m_hStopEvent = nullptr;
};
