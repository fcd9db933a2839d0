#pragma once
// CViewBase: a view of the status window, a group of the dialog's child controls that is
// shown, enabled, moved and painted together. Views own their controls; the dialog itself
// belongs to the view switcher (CDialogView).
#include "common/win.h"

class CPrinterStatus;

// What a view reads about the printer's model: the status-table file (the model's profile)
// and the model's section in it.
struct ViewProfile {
  const char* statusTableFile;
  const char* modelId;
};

class CViewBase {
 public:
  CViewBase();
  virtual ~CViewBase();
  CViewBase(const CViewBase&) = delete;
  CViewBase& operator=(const CViewBase&) = delete;

  // Stores the dialog and the resource library; 1 when the view is ready.
  virtual int Init(HWND dialog, HMODULE resourceModule, const ViewProfile& profile);
  // Stops whatever moves in the view.
  virtual void Stop();
  virtual int IsEnabled() const;
  // Returns the old flag.
  virtual int Enable(int flag);
  virtual int IsShown() const;
  // Returns the old flag.
  virtual int Show(int flag);
  virtual int SetDefaultFocus();
  virtual void GetSize(int* width, int* height) const = 0;
  // Moves the view's children so that its top left lies at (x, y) of the window.
  virtual void Move(int x, int y) = 0;
  virtual void SetViewStatus(const CPrinterStatus* status) = 0;
  virtual void OnDrawItem(WPARAM wParam, LPARAM lParam);
  // Moves a child of the dialog by (dx, dy) from where it is; size and Z order kept.
  virtual void MoveChild(HWND child, int dx, int dy);

 protected:
  // A child's rectangle in the dialog's client coordinates.
  RECT ChildRect(HWND child) const;

  // Borrowed: the status window owns the dialog, the library's loader the resource library.
  HWND m_hDialog = nullptr;
  int m_bEnabled = 1;
  int m_bShown = 1;
  HMODULE m_hResource = nullptr;
  // The view in window coordinates, and where its children's origin lies now.
  RECT m_rcView = {};
  POINT m_ptOrigin = {};
};
