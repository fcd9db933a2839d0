#pragma once
// The library application object of vgprn: one per process, built when the DLL loads. It
// holds the library-wide state behind the exports: the printer identity that the library
// currently serves (set by the monitoring start and the viewer entries).
#include "common/win.h"

class CVG_PxxxxApp {
 public:
  CVG_PxxxxApp();
  virtual ~CVG_PxxxxApp();
  CVG_PxxxxApp(const CVG_PxxxxApp&) = delete;
  CVG_PxxxxApp& operator=(const CVG_PxxxxApp&) = delete;

  // The printer name of the current identity ("" when none is set); the bidirectional
  // library is located through it.
  const char* CurrentPrinterName() const { return m_szPrinterName; }
  void SetCurrentPrinterName(const char* name);

 private:
  char m_szPrinterName[MAX_PATH] = {};
};

// The process's application object (defined by the DLL entry, or by a test program).
CVG_PxxxxApp& TheApp();
