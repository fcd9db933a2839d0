#include "support/fake_tray.h"

#include <cstring>

namespace vgtest {

namespace {

constexpr char kTrayClass[] = "Shell_TrayWnd";
constexpr size_t kTipOffset = 16;
constexpr size_t kTipChars = 128;

}  // namespace

FakeTray::FakeTray() {
  thread_ = std::thread([this] { Run(); });
  const DWORD start = ::GetTickCount();
  while (!started_ && ::GetTickCount() - start < 10000) ::Sleep(5);
}

FakeTray::~FakeTray() {
  if (threadId_ != 0) ::PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
  if (thread_.joinable()) thread_.join();
}

void FakeTray::Run() {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = &FakeTray::Proc;
  windowClass.hInstance = ::GetModuleHandleA(nullptr);
  windowClass.lpszClassName = kTrayClass;
  ::RegisterClassA(&windowClass);
  HWND window = ::CreateWindowExA(0, kTrayClass, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  windowClass.hInstance, this);
  threadId_ = ::GetCurrentThreadId();
  window_ = window;
  started_ = true;
  if (window == nullptr) return;
  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) ::DispatchMessageA(&msg);
  ::DestroyWindow(window);
  ::UnregisterClassA(kTrayClass, windowClass.hInstance);
}

LRESULT CALLBACK FakeTray::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    ::SetWindowLongPtrA(window, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<FakeTray*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
  if (message != WM_COPYDATA || self == nullptr) {
    return ::DefWindowProcA(window, message, wParam, lParam);
  }
  const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
  if (data == nullptr || data->lpData == nullptr || data->cbData < kTipOffset + kTipChars * 2) {
    return FALSE;
  }
  const auto* bytes = static_cast<const BYTE*>(data->lpData);
  TrayCall call;
  call.message = static_cast<DWORD>(data->dwData);
  LONG handle = 0;
  std::memcpy(&handle, bytes, 4);
  call.window = reinterpret_cast<HWND>(static_cast<LONG_PTR>(handle));
  std::memcpy(&call.id, bytes + 4, 4);
  std::memcpy(&call.flags, bytes + 8, 4);
  std::memcpy(&call.callbackMessage, bytes + 12, 4);
  wchar_t tip[kTipChars + 1] = {};
  std::memcpy(tip, bytes + kTipOffset, kTipChars * 2);
  char ansi[kTipChars * 2] = {};
  ::WideCharToMultiByte(CP_ACP, 0, tip, -1, ansi, sizeof ansi - 1, nullptr, nullptr);
  call.tip = ansi;
  call.bytes = data->cbData;
  call.record.assign(reinterpret_cast<const char*>(bytes), data->cbData);
  std::lock_guard<std::mutex> guard(self->lock_);
  self->calls_.push_back(call);
  return TRUE;
}

std::vector<TrayCall> FakeTray::Calls() const {
  std::lock_guard<std::mutex> guard(lock_);
  return calls_;
}

bool FakeTray::WaitForCall(DWORD message, const std::string& tipPart, TrayCall* found,
                           DWORD timeoutMs) const {
  const DWORD start = ::GetTickCount();
  for (;;) {
    for (const TrayCall& call : Calls()) {
      if (call.message == message &&
          (tipPart.empty() || call.tip.find(tipPart) != std::string::npos)) {
        if (found != nullptr) *found = call;
        return true;
      }
    }
    if (::GetTickCount() - start > timeoutMs) return false;
    ::Sleep(20);
  }
}

}  // namespace vgtest
