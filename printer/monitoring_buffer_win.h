#pragma once
// CMonitoringBuffer: the monitoring session of this process, from PrMonitoringStart to
// PrMonitoringEnd: the status and data channels and their handles, the printer data buffer
// and the monitor's window.
#include "common/win.h"

class CMonitoringBuffer {
 public:
  explicit CMonitoringBuffer(HWND window) : m_hWnd(window) {}
  // Releases a held printer data buffer; the channels are not closed here.
  virtual ~CMonitoringBuffer() { m_pPrinterData = nullptr; }
  CMonitoringBuffer(const CMonitoringBuffer&) = delete;
  CMonitoringBuffer& operator=(const CMonitoringBuffer&) = delete;

  DWORD m_dwStatusChannel = 0;
  DWORD m_dwDataChannel = 0;
  int m_hStatusChannel = 0;
  int m_hDataChannel = 0;
  void* m_pPrinterData = nullptr;
  HWND m_hWnd;  // the monitor's main window, borrowed: the monitor owns it
};
