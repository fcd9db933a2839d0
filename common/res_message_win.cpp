#include "common/res_message_win.h"

#include "resources/vgres_ids.h"

int ShowResMessage(HWND owner, HINSTANCE resourceLibrary, UINT stringId) {
  if (resourceLibrary == nullptr || stringId == 0) return 0;
  char title[260] = {};
  char text[1024] = {};
  if (::LoadStringA(resourceLibrary, stringId, text, sizeof text) <= 0) return 0;
  ::LoadStringA(resourceLibrary, IDS_APP_TITLE, title, sizeof title);
  ::MessageBoxA(owner, text, title, MB_OK);
  return 1;
}
