#pragma once
// The one place that asks which Windows this is. Wine answers with the version set for the
// program under HKCU\Software\Wine\AppDefaults\<program>.exe, which is how tests choose it.
#include "common/win.h"

struct WindowsVersion {
  bool nt = false;  // the NT family (NT 4, 2000, XP, Vista and later); else 9x
  DWORD major = 0;
  DWORD minor = 0;
};

WindowsVersion GetWindowsVersion();
inline bool IsNtPlatform() { return GetWindowsVersion().nt; }
