#pragma once
// System libraries are loaded from the system folder only, so a file of the same name planted
// in the program's folder or the current folder is never picked up.
#include "common/win.h"

HMODULE LoadSystemLibrary(const char* fileName);

// GetProcAddress typed as the function it is; nullptr when missing.
template <typename Fn>
Fn GetProcAs(HMODULE module, const char* name) {
  if (module == nullptr) return nullptr;
  FARPROC proc = ::GetProcAddress(module, name);
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(proc));
}
