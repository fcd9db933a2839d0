#pragma once
// The preferences template (100) with the two list controls attached, as the preferences
// dialog attaches them, for the tests of the controls on their own: it forwards the lists'
// notifications to the controls and runs test code on its own thread.
#include <functional>
#include <string>
#include <vector>

#include "resources/vgres_ids.h"
#include "ui/dialog_box_win.h"
#include "ui/mon_icon_list_ctrl_win.h"
#include "ui/ntfy_list_ctrl_win.h"

namespace vgtest {

struct NotifyItemSample {
  std::string label;
  int value;
  int number;
};

class ListHost : public CDialogBox {
 public:
  ListHost(std::vector<NotifyItemSample> items, bool trayEnabled, int traySelected);

  int OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

  // Runs `work` on the dialog's thread and waits for it.
  void Run(const std::function<void()>& work);

  CNtfyListCtrl& Notify() { return m_cNotify; }
  CMonIconListCtrl& Icons() { return m_cIcons; }
  HWND NotifyList() const { return ::GetDlgItem(m_hWnd, IDC_NOTIFY_LIST); }
  HWND IconList() const { return ::GetDlgItem(m_hWnd, IDC_TRAY_ICON_LIST); }
  // How many selections the icon list reported.
  int Selections() const { return m_nSelections; }

 private:
  std::vector<NotifyItemSample> m_items;
  bool m_bTrayEnabled;
  int m_nTraySelected;
  int m_nSelections = 0;
  CNtfyListCtrl m_cNotify;
  CMonIconListCtrl m_cIcons;
};

// Clicks a window at a point of its client area as the mouse would: the cursor goes there,
// then the button goes down and up.
void ClickAt(HWND window, POINT client);

}  // namespace vgtest
