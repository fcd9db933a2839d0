#include "support/hidden_window.h"

namespace vgtest {

HiddenWindow::HiddenWindow()
    : window_(::CreateWindowExA(0, "STATIC", "vgtest hidden window", WS_POPUP, 0, 0, 10, 10,
                                nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr)) {}

void HiddenWindow::Destroy() {
  if (window_ != nullptr) ::DestroyWindow(window_);
  window_ = nullptr;
}

}  // namespace vgtest
