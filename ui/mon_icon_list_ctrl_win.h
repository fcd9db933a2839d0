#pragma once
// CMonIconListCtrl: the preferences' picker of the tray icon (dialog control 205), an icon
// list of the resource library's tray icons 700 to 702. The control is subclassed: it draws
// each icon itself with five frames about it, highlighted about the chosen one (the inner
// frames only while the list has the focus). Disabled, it holds no icons and its background
// is a colour between the button face and the window.
#include <vector>

#include "common/win.h"
#include "ui/image_list_win.h"
#include "ui/wnd_base_win.h"

class CMonIconListCtrl : public CWndBase {
 public:
  static constexpr int kIconSize = 32;

  CMonIconListCtrl();
  virtual ~CMonIconListCtrl();

  // Subclasses the list window; its destruction puts the previous procedure back.
  void Attach(HWND list);
  // Icon view with single selection, the image list from icons 700 to 702 (those the library
  // holds), then enabled or disabled by the enabled flag.
  void Fill(HMODULE resources);
  // One item per icon, the selected index shown selected; fewer than four icons stand side by
  // side with equal gaps and no scrolling.
  void Enable();
  // No items, and the averaged background.
  void Disable();
  // The shown tray settings (the preferences' TrayIconEnable and TrayIconSelected).
  void SetEnabled(bool enabled) { m_bEnabled = enabled; }
  void SetSelectedIndex(int index) { m_nSelected = index; }
  void OnSetFocus();
  void OnKillFocus();
  // WM_NOTIFY from the list: focus changes and key presses redraw the frames; a state change
  // that selects an item makes its image the selected index. True for such a selection.
  bool OnNotify(const NMHDR* header);

  bool IsEnabled() const { return m_bEnabled; }
  int SelectedIndex() const { return m_nSelected; }
  bool IsFocused() const { return m_bFocused; }
  int IconCount() const;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  void PaintFrames(HDC dc);
  // The even placement of a few icons, and whether the list still has them there.
  void Place();
  bool PlacesHold() const;
  void Refresh();
  void Detach();

  ScopedImageList m_images;
  std::vector<POINT> m_places;
  WNDPROC m_pfnPrevProc = nullptr;
  bool m_bEnabled = false;
  int m_nSelected = 0;
  bool m_bFocused = false;
};
