// A minimal Win32 program for comparison: a hidden window, a one-second timer that does
// nothing, and a message loop, until the window is closed.
#include "common/win.h"

namespace {
LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    ::PostQuitMessage(0);
    return 0;
  }
  return ::DefWindowProcA(window, message, wParam, lParam);
}
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = Proc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = "VgIdleWindow";
  ::RegisterClassA(&windowClass);
  HWND window = ::CreateWindowExA(0, "VgIdleWindow", "idle", WS_OVERLAPPED, 0, 0, 100, 100,
                                  nullptr, nullptr, instance, nullptr);
  ::SetTimer(window, 1, 1000, nullptr);
  MSG message;
  while (::GetMessageA(&message, nullptr, 0, 0) > 0) ::DispatchMessageA(&message);
  return 0;
}
