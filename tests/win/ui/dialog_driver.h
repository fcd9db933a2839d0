#pragma once
// Driving dialogs from a test: a dialog runs on a thread of its own (as it does in a
// program that calls the library), and the test finds its window, reads its items and
// presses its buttons by message, waiting for conditions rather than for times.
#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "common/win.h"

namespace vgtest {

// How long a condition may take before the test gives up; only a fault comes near it.
constexpr DWORD kDialogWaitMs = 20000;

// Polls the condition until it holds or the time is up.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = kDialogWaitMs);
// The same on a thread that owns windows: its messages (timers, paints) keep flowing.
bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs = kDialogWaitMs);

// Runs a dialog's DoModal (or anything) on a thread of its own.
class DialogThread {
 public:
  explicit DialogThread(std::function<int()> body);
  ~DialogThread();
  DialogThread(const DialogThread&) = delete;
  DialogThread& operator=(const DialogThread&) = delete;

  DWORD ThreadId() const { return threadId_; }
  // The visible top-level window of the thread with this title (any title when empty).
  HWND WaitForWindow(const std::string& title = "", DWORD timeoutMs = kDialogWaitMs) const;
  // Waits for the body to return; false when it did not in time.
  bool Join(DWORD timeoutMs = kDialogWaitMs);
  int Result() const { return result_; }
  bool Done() const { return done_; }

 private:
  std::thread thread_;
  std::atomic<DWORD> threadId_{0};
  std::atomic<bool> done_{false};
  std::atomic<int> result_{-100};
};

std::string WindowText(HWND window);
std::string ItemText(HWND dialog, int id);
bool ItemVisible(HWND dialog, int id);
bool ItemEnabled(HWND dialog, int id);
bool IsDefaultButton(HWND dialog, int id);
// The window with the keyboard focus on the dialog's thread.
HWND FocusOf(HWND dialog);
// Presses a button of the dialog as a click would (posted: the handler may run a loop).
void PressButton(HWND dialog, int id);
// The colour of one pixel of a window's client area as it is on the screen.
COLORREF PixelOf(HWND window, int x, int y);

}  // namespace vgtest
