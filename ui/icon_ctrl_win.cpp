#include "ui/icon_ctrl_win.h"

#include "common/exception_guard_win.h"
#include "printer/vgprn_app_win.h"

namespace {

constexpr UINT kSetIconMessage = 0x0170;  // STM_SETICON

}  // namespace

CIconCtrl::CIconCtrl() = default;

CIconCtrl::~CIconCtrl() { Detach(); }

void CIconCtrl::Attach(HWND hwnd) {
  Detach();
  if (hwnd == nullptr) return;
  m_hWnd = hwnd;
  ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  m_pfnPrevProc = reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(
      hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CIconCtrl::WindowProc)));
}

void CIconCtrl::Detach() {
  if (m_hWnd == nullptr) return;
  KillIconTimer();
  if (::IsWindow(m_hWnd) && m_pfnPrevProc != nullptr) {
    ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnPrevProc));
    ::SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, 0);
  }
  m_hWnd = nullptr;
  m_pfnPrevProc = nullptr;
}

HMODULE CIconCtrl::Module() const {
  return m_hModule != nullptr ? m_hModule : TheApp().ResourceModule();
}

void CIconCtrl::KillIconTimer() {
  if (m_nTimerId != 0 && m_hWnd != nullptr) ::KillTimer(m_hWnd, m_nTimerId);
  m_nTimerId = 0;
}

bool CIconCtrl::ShowIcon(DWORD id) {
  if (m_hWnd == nullptr || id == 0 || id > 0xFFFF) return false;
  // Icons from LoadIcon are shared: the system frees them, not the control.
  HICON icon = ::LoadIconA(Module(), MAKEINTRESOURCEA(id));
  if (icon == nullptr) return false;
  ::SendMessageA(m_hWnd, kSetIconMessage, reinterpret_cast<WPARAM>(icon), 0);
  return true;
}

void CIconCtrl::SetIcons(const IconList& list) {
  std::vector<uint32_t> ids;
  if (list.count > 0 && list.ids != nullptr) ids.assign(list.ids, list.ids + list.count);
  const uint32_t first = m_cCycle.SetIcons(ids);
  KillIconTimer();
  if (m_cCycle.Blinks() && m_hWnd != nullptr &&
      ::SetTimer(m_hWnd, vgui::kAnimationTimerId, vgui::kAnimationIntervalMs, nullptr) != 0) {
    m_nTimerId = vgui::kAnimationTimerId;
  }
  ShowIcon(first);
}

void CIconCtrl::OnTimer(UINT_PTR id) {
  if (id != vgui::kAnimationTimerId || m_nTimerId == 0 || !m_cCycle.Blinks()) return;
  if (ShowIcon(m_cCycle.Tick())) ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

LRESULT CIconCtrl::OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  WNDPROC previous = m_pfnPrevProc;
  if (message == WM_TIMER) {
    OnTimer(wParam);
  } else if (message == WM_NCDESTROY) {
    Detach();
  }
  return ::CallWindowProcA(previous, hwnd, message, wParam, lParam);
}

LRESULT CALLBACK CIconCtrl::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return vg::Guarded("CIconCtrl::WindowProc", static_cast<LRESULT>(0), [&]() -> LRESULT {
    auto* self = reinterpret_cast<CIconCtrl*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self == nullptr || self->m_pfnPrevProc == nullptr) {
      return ::DefWindowProcA(hwnd, message, wParam, lParam);
    }
    return self->OnMessage(hwnd, message, wParam, lParam);
  });
}
