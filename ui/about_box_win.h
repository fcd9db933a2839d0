#pragma once
// CAboutBox: the about box (template 104), opened from the status window's system menu. It
// shows the versions of the product, the pop-up program, this library, the communication
// library and the agent settings program, each as "Ver. " and the version.
#include <string>

#include "resources/vgres_ids.h"
#include "ui/dialog_box_win.h"
#include "ui/win_theme_ctrl_win.h"

class CAboutBox : public CDialogBox {
 public:
  explicit CAboutBox(HWND parent);
  ~CAboutBox() override;

  int OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
  void AttachControls(HWND hwnd) override;
  virtual int OnInitDialog();

 private:
  // Items 289 to 295: the five version lines and two items that stay hidden.
  static constexpr int kFirstItem = IDC_ABOUT_PRODUCT_VERSION;
  static constexpr int kItemCount = 7;
  HWND m_hItems[kItemCount] = {};  // the dialog's items, owned by it
  // Bound for as long as the dialog shows its themed background.
  CWinThemeCtrl m_theme;

  void SetLine(int item, const std::string& version);
};
