#pragma once
// CNtfyListCtrl: the preferences' list of notification items (dialog control 200), a report
// list whose items are on/off switches. Column 0 holds the item's label with the image of its
// state (bitmap 400: image 0 off, 1 on), column 1 the state's text (string 1123 off, 1122 on);
// each item's parameter is its notification number. The dialog forwards the list's clicks and
// key presses; a click on an item's icon, label or state icon, or the space bar for every
// selected item, switches it.
#include "common/win.h"
#include "ui/image_list_win.h"
#include "ui/wnd_base_win.h"

class CNtfyListCtrl : public CWndBase {
 public:
  static constexpr int kStateTextSize = 260;

  CNtfyListCtrl();
  virtual ~CNtfyListCtrl();

  // Takes over the list window: the state texts and images from the resource library, report
  // view with single selection and a header that does not sort, and two columns of a third of
  // the width each, headed by strings 1120 and 1121. False without a window.
  bool Prepare(HWND list, HMODULE resources);
  // Appends an item; its index, or -1.
  int Add(const char* label, int value, int number);
  // Switches the item's state: its image and its state text.
  void Toggle(int index);
  // Gives the label and state columns their widths for the items the list holds now.
  void LayOut();
  // NM_CLICK from the list: switches the item under the message's position when the click
  // hit its icon, label or state icon. True when an item was switched.
  bool OnClick();
  // LVN_KEYDOWN from the list: the space bar switches every selected item.
  void OnKeyDown(WORD key);

  int Count() const;
  // The item's notification number and state (0 off, 1 on); -1 for no such item.
  int NumberOf(int index) const;
  int ValueOf(int index) const;
  // Sets the item's state and state text (anything but 1 is off).
  void SetValue(int index, int value);
  const char* StateText(int value) const { return m_szStateText[value == 1 ? 1 : 0]; }

 private:
  void SetStateText(int index, int value);

  ScopedImageList m_images;
  HMODULE m_hResource = nullptr;  // borrowed: the library's loader owns it
  char m_szStateText[2][kStateTextSize] = {};
};
