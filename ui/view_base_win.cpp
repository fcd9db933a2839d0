#include "ui/view_base_win.h"

CViewBase::CViewBase() = default;

CViewBase::~CViewBase() = default;

int CViewBase::Init(HWND dialog, HMODULE resourceModule, const ViewProfile&) {
  m_hDialog = dialog;
  m_hResource = resourceModule;
  return 1;
}

void CViewBase::Stop() {}

int CViewBase::IsEnabled() const { return m_bEnabled; }

int CViewBase::Enable(int flag) {
  const int old = m_bEnabled;
  m_bEnabled = flag;
  return old;
}

int CViewBase::IsShown() const { return m_bShown; }

int CViewBase::Show(int flag) {
  const int old = m_bShown;
  m_bShown = flag;
  return old;
}

int CViewBase::SetDefaultFocus() { return 0; }

void CViewBase::OnDrawItem(WPARAM, LPARAM) {}

RECT CViewBase::ChildRect(HWND child) const {
  RECT rect = {};
  if (child == nullptr || !::GetWindowRect(child, &rect)) return rect;
  // The client area's own origin, not one reckoned from frame sizes: the frame of a dialog
  // differs between systems and styles, and a child placed by a reckoned origin would move
  // each time it is placed.
  ::MapWindowPoints(HWND_DESKTOP, m_hDialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

void CViewBase::MoveChild(HWND child, int dx, int dy) {
  if (child == nullptr || m_hDialog == nullptr) return;
  const RECT rect = ChildRect(child);
  ::SetWindowPos(child, nullptr, rect.left + dx, rect.top + dy, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
