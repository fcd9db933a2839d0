#include "ui/dialog_driver.h"

#include <utility>

namespace vgtest {

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  const DWORD start = ::GetTickCount();
  while (!condition()) {
    if (::GetTickCount() - start > timeoutMs) return false;
    ::Sleep(5);
  }
  return true;
}

bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  const DWORD start = ::GetTickCount();
  while (!condition()) {
    if (::GetTickCount() - start > timeoutMs) return false;
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  return true;
}

DialogThread::DialogThread(std::function<int()> body) {
  thread_ = std::thread([this, body = std::move(body)]() {
    threadId_ = ::GetCurrentThreadId();
    result_ = body();
    done_ = true;
  });
  WaitUntil([this] { return threadId_ != 0; });
}

DialogThread::~DialogThread() {
  if (!thread_.joinable()) return;
  if (!done_) {
    // A test that failed half-way: end the dialog's loop so that the thread can be joined.
    ::PostThreadMessageA(threadId_, WM_QUIT, 99, 0);
    WaitUntil([this] { return done_.load(); }, 5000);
  }
  if (done_) {
    thread_.join();
  } else {
    thread_.detach();
  }
}

namespace {

struct WindowSearch {
  std::string title;
  HWND found = nullptr;
};

BOOL CALLBACK FindVisible(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  if (!::IsWindowVisible(window)) return TRUE;
  if (!search->title.empty() && WindowText(window) != search->title) return TRUE;
  search->found = window;
  return FALSE;
}

}  // namespace

HWND DialogThread::WaitForWindow(const std::string& title, DWORD timeoutMs) const {
  WindowSearch search;
  search.title = title;
  WaitUntil(
      [&] {
        search.found = nullptr;
        ::EnumThreadWindows(threadId_, &FindVisible, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
      },
      timeoutMs);
  return search.found;
}

bool DialogThread::Join(DWORD timeoutMs) {
  if (!WaitUntil([this] { return done_.load(); }, timeoutMs)) return false;
  if (thread_.joinable()) thread_.join();
  return true;
}

std::string WindowText(HWND window) {
  char text[1024] = {};
  const int length = ::GetWindowTextA(window, text, sizeof text);
  return std::string(text, length > 0 ? length : 0);
}

std::string ItemText(HWND dialog, int id) { return WindowText(::GetDlgItem(dialog, id)); }

bool ItemVisible(HWND dialog, int id) {
  HWND item = ::GetDlgItem(dialog, id);
  return item != nullptr && (::GetWindowLongA(item, GWL_STYLE) & WS_VISIBLE) != 0;
}

bool ItemEnabled(HWND dialog, int id) {
  HWND item = ::GetDlgItem(dialog, id);
  return item != nullptr && ::IsWindowEnabled(item);
}

bool IsDefaultButton(HWND dialog, int id) {
  HWND item = ::GetDlgItem(dialog, id);
  return item != nullptr && (::GetWindowLongA(item, GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON;
}

HWND FocusOf(HWND dialog) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(dialog, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

void PressButton(HWND dialog, int id) {
  ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

COLORREF PixelOf(HWND window, int x, int y) {
  HDC dc = ::GetDC(window);
  if (dc == nullptr) return CLR_INVALID;
  const COLORREF color = ::GetPixel(dc, x, y);
  ::ReleaseDC(window, dc);
  return color;
}

}  // namespace vgtest
