#include "monitor/messages_win.h"

bool IsEnvCheckRunning() {
  return ::FindWindowA("InstallExeClass", "Vigil3 Environment Check") != nullptr;
}

void ShowFallbackMessage(const char* text) { ::MessageBoxA(nullptr, text, "KORVA Vigil 3", MB_OK); }

void ShowResOrFallback(HINSTANCE resourceLibrary, UINT stringId, const char* fallback) {
  if (!ShowResMessage(nullptr, resourceLibrary, stringId)) ShowFallbackMessage(fallback);
}
