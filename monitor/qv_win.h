#pragma once
// CQv: the monitor's view of the printer through the printer library's exports: model check,
// channel acquisition and the status query of each poll.
#include <atomic>

#include "common/vgprn_exports.h"
#include "common/win.h"

class CQv {
 public:
  explicit CQv(const char* modelId);
  virtual ~CQv();
  CQv(const CQv&) = delete;
  CQv& operator=(const CQv&) = delete;

  // Binds PrGetStatus, PrGetChannel and PrGetDeviceID in this order; the name of the first
  // one missing, or null when all are there (a missing one disables the object).
  const char* Bind(HMODULE printerLibrary);

  // 1 model found, 0 not found, -1 PrGetDeviceID not bound.
  int GetDeviceModel(char (&model)[MAX_PATH]);
  // 1 the printer reports the model id, 0 another one, -1 unreadable.
  int CheckModel();
  int AcquireChannel(int enableGetStatusErr);
  // PrGetStatus: > 0 delivered, 0 no new data, -1 library error, < -1 the call failed.
  int QueryStatus(int& nPopup);

  DWORD m_dwDataChannel = 0;
  DWORD m_dwStatusChannel = 0;
  int m_iEnableGetStatusErr = 0;
  BOOL m_bError = FALSE;
  // Written by the worker's status query and by the window thread's restart request.
  std::atomic<int> m_nPrintState{0};
  int m_nPrevPrintState = 0;
  DWORD m_dwComStatus = 0;
  int m_nStNum = 1;
  int m_nFineStNum = 0;
  PFN_PrGetStatus m_pfnPrGetStatus = nullptr;
  PFN_PrGetDeviceID m_pfnPrGetDeviceID = nullptr;
  PFN_PrGetChannel m_pfnPrGetChannel = nullptr;
  BOOL m_bChannelAcquired = FALSE;
  BOOL m_bEnabled = TRUE;
  BOOL m_bLastCallSucceeded = TRUE;
  const char* m_pszModelID;
};
