#include "monitor/messages_win.h"

#include "resources/vgres_ids.h"

bool IsEnvCheckRunning() {
  return ::FindWindowA("InstallExeClass", "Vigil3 Environment Check") != nullptr;
}

int ShowResMessage(HWND owner, HINSTANCE resourceLibrary, UINT stringId) {
  if (resourceLibrary == nullptr || stringId == 0) return 0;
  char title[260] = {};
  char text[1024] = {};
  if (::LoadStringA(resourceLibrary, stringId, text, sizeof text) <= 0) return 0;
  ::LoadStringA(resourceLibrary, IDS_APP_TITLE, title, sizeof title);
  ::MessageBoxA(owner, text, title, MB_OK);
  return 1;
}

void ShowFallbackMessage(const char* text) { ::MessageBoxA(nullptr, text, "KORVA Vigil 3", MB_OK); }

void ShowResOrFallback(HINSTANCE resourceLibrary, UINT stringId, const char* fallback) {
  if (!ShowResMessage(nullptr, resourceLibrary, stringId)) ShowFallbackMessage(fallback);
}
