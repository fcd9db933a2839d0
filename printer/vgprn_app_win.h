#pragma once
// The library application object of vgprn: one per process, built when the DLL loads. It
// holds the library-wide state behind the exports: the printer identity that the library
// currently serves (set by the monitoring start, the viewer entries and the registry
// exports) and the resource library module of an open viewer.
#include "common/win.h"
#include "printer/base_info_win.h"

class CMonitoringBuffer;

class CVG_PxxxxApp {
 public:
  CVG_PxxxxApp();
  virtual ~CVG_PxxxxApp();
  CVG_PxxxxApp(const CVG_PxxxxApp&) = delete;
  CVG_PxxxxApp& operator=(const CVG_PxxxxApp&) = delete;

  CBaseInfo& BaseInfo() { return m_cBaseInfo; }
  const CBaseInfo& BaseInfo() const { return m_cBaseInfo; }

  // The printer name of the current identity ("" when none is set); the bidirectional
  // library is located through it.
  const char* CurrentPrinterName() const { return m_cBaseInfo.PrinterName(); }
  // The printer name alone, for callers that set no whole identity.
  void SetCurrentPrinterName(const char* name) { m_cBaseInfo.SetPrinterName(name); }

  // The resource library module loaded by the status window's entry (null when none is
  // loaded). Not owned: whoever loads it frees it and clears it here.
  HMODULE ResourceModule() const { return m_hResDll; }
  void SetResourceModule(HMODULE module) { m_hResDll = module; }

  // The monitoring session of this process, or null; owned.
  CMonitoringBuffer* Session() const { return m_pSession; }
  void SetSession(CMonitoringBuffer* session);

  // "ComErrDisableNum": parallel-port communication errors tolerated in a row, and the count.
  int m_nComErrDisableNum = 0;
  int m_nComErrCount = 0;
  // The last real status number reported by the status query.
  int m_nLastRealStatusNo = 0;

 private:
  CBaseInfo m_cBaseInfo;
  HMODULE m_hResDll = nullptr;  // borrowed from whoever loaded it (see ResourceModule)
  CMonitoringBuffer* m_pSession = nullptr;
};

// The process's application object (defined by the DLL entry, or by a test program).
CVG_PxxxxApp& TheApp();
