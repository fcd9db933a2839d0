#pragma once
// A notification area for the tests: Wine shows none without a display, so the test puts up
// the window that the shell's icon calls look for ("Shell_TrayWnd") and records what they hand
// it. Wine's shell forwards each call as WM_COPYDATA whose dwData is the call (NIM_ADD,
// NIM_MODIFY, NIM_DELETE) and whose data begins with the icon's window, id, flags, callback
// message and its tip of 128 wide characters.
#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "common/win.h"

namespace vgtest {

struct TrayCall {
  DWORD message = 0;  // NIM_ADD, NIM_MODIFY, NIM_DELETE
  HWND window = nullptr;
  UINT id = 0;
  UINT flags = 0;
  UINT callbackMessage = 0;
  std::string tip;
  size_t bytes = 0;  // the whole record, the icon's picture included
  std::string record;  // the record as it came
};

// Where the icon's picture (its size, then its colour and mask bits) begins in a record: behind
// the tip, the balloon's texts and flags and the icon's GUID.
constexpr size_t kTrayIconDataOffset = 16 + 256 + 8 + 512 + 4 + 128 + 4 + 16;

class FakeTray {
 public:
  FakeTray();
  ~FakeTray();
  FakeTray(const FakeTray&) = delete;
  FakeTray& operator=(const FakeTray&) = delete;

  bool Ready() const { return window_ != nullptr; }
  std::vector<TrayCall> Calls() const;
  // Waits until a call of that kind whose tip contains `tipPart` has come (any tip when empty).
  bool WaitForCall(DWORD message, const std::string& tipPart, TrayCall* found = nullptr,
                   DWORD timeoutMs = 20000) const;

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Run();

  std::thread thread_;
  std::atomic<HWND> window_{nullptr};
  std::atomic<DWORD> threadId_{0};
  std::atomic<bool> started_{false};
  mutable std::mutex lock_;
  std::vector<TrayCall> calls_;
};

}  // namespace vgtest
