#pragma once
// CDialogView: the status window's view switcher. It holds the window's dialog type, title,
// system menu state and size, and hands the display work to its view (the status view).
// The status window touches its child controls only through it.
#include <string>

#include "common/win.h"
#include "ui/status_view_win.h"

class CDialogView {
 public:
  CDialogView();
  virtual ~CDialogView();
  CDialogView(const CDialogView&) = delete;
  CDialogView& operator=(const CDialogView&) = delete;

  // Stores the dialog and the resource library and readies the view; 0 when the view
  // cannot be readied, else 1.
  int Init(HWND dialog, HMODULE resourceModule, const ViewProfile& profile);
  void Stop();
  // 5 shows the window (but hides it in the hidden type) and marks it visible; 0 hides it
  // and marks it not visible; any other command goes to ShowWindow as it is.
  void Show(int cmd);
  int GetDialogType() const { return m_nDialogType; }
  // Paints the status into the view. Returns 1.
  int SetViewStatus(const CPrinterStatus* status);
  // Brings the visible window forward for the type (0: the current type): hidden in the
  // hidden type, else on top and in the foreground. 0 while the window is not visible.
  int BringToFront(int type);
  void OnDrawItem(WPARAM wParam, LPARAM lParam);
  // A restored window gets its title again.
  void OnSize(UINT sizeType, int cx, int cy);
  // Takes the type with its title, system menu and size; the current type changes
  // nothing. Returns the previous type.
  int ChangeDialogType(int type);
  // Sizes the window to the view (width kept) and repaints it.
  void Resize();
  // The resource library's title string, " : " and the current printer's name (its port
  // name without one).
  std::string BuildTitle() const;

  int Width() const { return m_nWidth; }
  int Height() const { return m_nHeight; }
  bool IsVisible() const { return m_bVisible != 0; }
  CStatusView& StatusView() { return m_cStatusView; }

 private:
  CStatusView m_cStatusView;
  CViewBase* m_pView;
  // Borrowed: the status window owns the dialog, the library's loader the resource library.
  HWND m_hDialog = nullptr;
  HMODULE m_hResource = nullptr;
  int m_bVisible = 1;
  int m_nDialogType = 0;
  int m_nWidth = 0;
  int m_nHeight = 0;
};
