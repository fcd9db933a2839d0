#pragma once
// The root of the library's window classes: anything that owns a window handle. The
// dialogs and the picture controls derive from it; CStatic and CButton are the bases of the
// controls that take over a static control or a button of a dialog template.
#include "common/win.h"

class CWndBase {
 public:
  CWndBase() = default;
  CWndBase(const CWndBase&) = delete;
  CWndBase& operator=(const CWndBase&) = delete;

  HWND GetSafeHwnd() const { return m_hWnd; }

 protected:
  ~CWndBase() = default;
  // Tracked, not owned: a dialog's own window is made and destroyed by DoModal (or destroyed
  // by the system with its parent), and a control's is the template's, owned by its dialog.
  HWND m_hWnd = nullptr;
};

class CStatic : public CWndBase {
 protected:
  ~CStatic() = default;
};

class CButton : public CWndBase {
 protected:
  ~CButton() = default;
};
