#include "common/system_library_win.h"

#include <cstdio>

HMODULE LoadSystemLibrary(const char* fileName) {
  char folder[MAX_PATH] = {};
  UINT length = ::GetSystemDirectoryA(folder, sizeof folder);
  if (length == 0 || length >= sizeof folder) return nullptr;
  char path[MAX_PATH] = {};
  int written = std::snprintf(path, sizeof path, "%s\\%s", folder, fileName);
  if (written <= 0 || written >= static_cast<int>(sizeof path)) return nullptr;
  return ::LoadLibraryA(path);
}
