#pragma once
// CMainFrame: vgmon's controller for the one printer the process serves. It owns the hidden
// main window (quit timer, restart request, close request) and the worker thread that
// monitors the printer.
#include <atomic>
#include <mutex>

#include "common/win.h"

class CQv;

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
  // The instance mapping's view, written when monitoring ends (owned by the application).
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
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static unsigned __stdcall MonitoringThread(void* self);
  int MonitoringMain();
  // Sleeps up to milliseconds; returns early when the window has gone.
  void SleepUnlessStopped(DWORD milliseconds);
  int GetQuitTimeout() const;
  void MonitorEnd();
  void StopQuitTimer();

  void* m_pfnPrMonitoringStart = nullptr;
  void* m_pfnPrMonitoringEnd = nullptr;
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
  // The quit timer and its counter are touched by the window thread and the worker.
  mutable std::mutex m_quitLock;
  // Set by the window's destruction; the worker stops after its current sleep.
  std::atomic<bool> m_bStop{false};
  // Set when the quit timer fires; the worker then runs MonitorQuit.
  std::atomic<bool> m_bQuitTimerFired{false};
  // Wakes the worker's sleep when the window goes, so closing is prompt.
  HANDLE m_hStopEvent = nullptr;
};
