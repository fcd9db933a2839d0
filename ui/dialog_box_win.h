#pragma once
// CDialogBox: a dialog from a template of the resource library, created modelessly and
// driven by a message loop of its own, so that the library can show a window from any
// thread that calls it, without an application framework.
//
// Ending: every close path calls End(code), which calls EndDialog and PostQuitMessage with
// that code; the loop of DoModal ends and DoModal returns the code. A dialog opened from
// another dialog runs a nested loop, and its quit message ends only that loop.
#include "common/unique_handle.h"
#include "common/win.h"
#include "ui/wnd_base_win.h"

class CDialogBox : public CWndBase {
 public:
  CDialogBox(WORD templateId, HWND parent);
  virtual ~CDialogBox();

  // Runs the dialog: its exit code, or -1 when there is no template id, no resource library
  // or the dialog could not be created (nothing is shown then).
  virtual int DoModal();
  // The dialog procedure of the subclass; 0 = not handled.
  virtual int OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  // Called once at the very start of WM_INITDIALOG, to fetch child windows.
  virtual void AttachControls(HWND hwnd);
  // Nonzero consumes the message before the dialog sees it.
  virtual int PreTranslateMessage(MSG* msg);

  // The replacement font made for this dialog, or null (see dialog_font_win.h).
  HFONT DialogFont() const { return m_font.Get(); }

 protected:
  // Ends the dialog with `code`. Only the first call of a run ends it: a later one (such as
  // the dialog's own destruction after the loop) must not end an outer dialog's loop.
  void End(int code);
  bool HasEnded() const { return m_bEnded; }
  HINSTANCE ResourceModule() const { return m_hResource; }
  // A dialog whose template lies in a library of its own (not the application's resource
  // library) names it before DoModal.
  void SetResourceModule(HINSTANCE module) { m_hResource = module; }
  // A dialog whose template is chosen only once it knows what to show names it before DoModal.
  void SetTemplateId(WORD templateId) { m_wTemplateId = templateId; }

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR OnInitDialogMessage(HWND hwnd, WPARAM wParam, LPARAM lParam);
  void CenterOnScreen();

  HINSTANCE m_hResource = nullptr;  // borrowed: the library's loader owns it
  HWND m_hParent;                   // borrowed: the caller's window
  WORD m_wTemplateId;
  ScopedFont m_font;
  bool m_bEnded = false;
};
