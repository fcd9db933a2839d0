#pragma once
// The library application object of vgprn: one per process, built when the DLL loads.

class CVG_PxxxxApp {
 public:
  CVG_PxxxxApp();
  virtual ~CVG_PxxxxApp();
  CVG_PxxxxApp(const CVG_PxxxxApp&) = delete;
  CVG_PxxxxApp& operator=(const CVG_PxxxxApp&) = delete;
};

// The process's application object (defined by the DLL entry, or by a test program).
CVG_PxxxxApp& TheApp();
