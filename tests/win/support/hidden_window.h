#pragma once
// A hidden top-level window for tests that need a real, live window handle.
#include "common/win.h"

namespace vgtest {

// Owns a hidden "STATIC" popup window; destroyed with the object or by Destroy.
class HiddenWindow {
 public:
  HiddenWindow();
  ~HiddenWindow() { Destroy(); }
  HiddenWindow(const HiddenWindow&) = delete;
  HiddenWindow& operator=(const HiddenWindow&) = delete;

  HWND Get() const { return window_; }
  void Destroy();

 private:
  HWND window_;
};

}  // namespace vgtest
