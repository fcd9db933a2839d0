// The two list controls of the preferences on the real templates: the notification list's
// items, columns and switches (by click and by the space bar), and the tray icon picker's
// placement, frames, focus and disabled state.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "resources/vgres_ids.h"
#include "ui/dialog_driver.h"
#include "ui/image_list_win.h"
#include "ui/list_host.h"
#include "ui/ui_test_library.h"

namespace {

using vgtest::DialogThread;
using vgtest::ListHost;

std::string ItemText(HWND list, int index, int subItem) {
  char text[260] = {};
  LVITEMA item = {};
  item.iSubItem = subItem;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  ::SendMessageA(list, LVM_GETITEMTEXTA, index, reinterpret_cast<LPARAM>(&item));
  return text;
}

int ItemImage(HWND list, int index) {
  LVITEMA item = {};
  item.mask = LVIF_IMAGE;
  item.iItem = index;
  ::SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  return item.iImage;
}

RECT ItemPart(HWND list, int index, int part) {
  RECT rect = {};
  rect.left = part;
  ::SendMessageA(list, LVM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rect));
  return rect;
}

std::string ColumnHeader(HWND list, int column) {
  char text[64] = {};
  LVCOLUMNA info = {};
  info.mask = LVCF_TEXT;
  info.pszText = text;
  info.cchTextMax = sizeof text;
  ::SendMessageA(list, LVM_GETCOLUMNA, column, reinterpret_cast<LPARAM>(&info));
  return text;
}

POINT Middle(const RECT& rect) {
  return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

// Items as the preferences add them: notification numbers 12 and 11 with their labels.
std::vector<vgtest::NotifyItemSample> SampleItems() {
  return {{"The printer needs attention", 1, 12}, {"The printer cannot be reached", 0, 11}};
}

class NotifyListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(library_.Get(), nullptr);
    dialog_ = thread_.WaitForWindow("Monitoring Preferences");
    ASSERT_NE(dialog_, nullptr);
    list_ = host_.NotifyList();
  }
  void TearDown() override {
    if (dialog_ != nullptr) vgtest::PressButton(dialog_, IDCANCEL);
    EXPECT_TRUE(thread_.Join());
  }
  // Waits until item `index` shows the state `value` in its image and its text.
  bool Shows(int index, int value) {
    return vgtest::WaitUntil([&] {
      return ItemImage(list_, index) == value &&
             ItemText(list_, index, 1) == (value == 1 ? "On" : "Off");
    });
  }

  vgtest::ScopedResourceLibrary library_{"vgres.dll"};
  ListHost host_{SampleItems(), true, 0};
  DialogThread thread_{[this] { return host_.DoModal(); }};
  HWND dialog_ = nullptr;
  HWND list_ = nullptr;
};

TEST_F(NotifyListTest, ItemsShowLabelStateImageTextAndNumber) {
  const LONG style = ::GetWindowLongA(list_, GWL_STYLE);
  EXPECT_EQ(style & LVS_TYPEMASK, LVS_REPORT);
  EXPECT_NE(style & LVS_SINGLESEL, 0);
  EXPECT_NE(style & LVS_NOSORTHEADER, 0);
  EXPECT_EQ(ColumnHeader(list_, 0), "Event") << "string 1120";
  EXPECT_EQ(ColumnHeader(list_, 1), "Notification") << "string 1121";

  ASSERT_EQ(host_.Notify().Count(), 2);
  EXPECT_EQ(ItemText(list_, 0, 0), "The printer needs attention");
  EXPECT_EQ(ItemText(list_, 0, 1), "On") << "string 1122";
  EXPECT_EQ(ItemImage(list_, 0), 1);
  EXPECT_EQ(ItemText(list_, 1, 1), "Off") << "string 1123";
  EXPECT_EQ(ItemImage(list_, 1), 0);
  EXPECT_EQ(host_.Notify().NumberOf(0), 12);
  EXPECT_EQ(host_.Notify().NumberOf(1), 11);
  EXPECT_EQ(host_.Notify().NumberOf(2), -1);

  HIMAGELIST states = ListView_GetImageList(list_, LVSIL_SMALL);
  ASSERT_NE(states, nullptr) << "bitmap 400 as the small images";
  EXPECT_EQ(ImageList_GetImageCount(states), 2);
  int width = 0;
  int height = 0;
  ImageList_GetIconSize(states, &width, &height);
  EXPECT_EQ(width, 16);
}

TEST_F(NotifyListTest, ColumnsShareTheWidthAndTheStateColumnFitsItsTexts) {
  RECT client = {};
  ::GetClientRect(list_, &client);
  const int label = ListView_GetColumnWidth(list_, 0);
  const int state = ListView_GetColumnWidth(list_, 1);
  EXPECT_EQ(label + state, client.right) << "the two columns fill the list";
  const auto width = [&](const char* text) {
    return static_cast<int>(
        ::SendMessageA(list_, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(text)));
  };
  EXPECT_GE(state, width("Notification") + width("HH"));
  const RECT icon = ItemPart(list_, 1, LVIR_ICON);
  EXPECT_GE(label, width("The printer cannot be reached") + (icon.right - icon.left) + width("HH"))
      << "the longest label with its state image fits";
}

TEST_F(NotifyListTest, ClickOnTheStateImageOrLabelSwitchesBesideItNothing) {
  // Below the last item: on no part of an item.
  RECT last = ItemPart(list_, 1, LVIR_BOUNDS);
  RECT client = {};
  ::GetClientRect(list_, &client);
  ASSERT_LT(last.bottom + 4, client.bottom) << "room below the items";
  vgtest::ClickAt(list_, POINT{last.left + 5, last.bottom + 3});
  // Then a click that does switch: when it has, the one before it has been handled.
  vgtest::ClickAt(list_, Middle(ItemPart(list_, 1, LVIR_ICON)));
  ASSERT_TRUE(Shows(1, 1)) << "a click on the state image switches it on";
  EXPECT_EQ(ItemImage(list_, 0), 1) << "the click beside the items switched nothing";
  EXPECT_EQ(ItemText(list_, 0, 1), "On");

  vgtest::ClickAt(list_, Middle(ItemPart(list_, 0, LVIR_LABEL)));
  ASSERT_TRUE(Shows(0, 0)) << "a click on the label switches it off";
  EXPECT_EQ(ItemText(list_, 0, 0), "The printer needs attention") << "the label stays";
  EXPECT_EQ(host_.Notify().ValueOf(1), 1);
}

TEST_F(NotifyListTest, SpaceSwitchesEverySelectedItem) {
  // The list allows one selection from the keyboard and mouse; a caller may select more.
  host_.Run([&] {
    ::SetWindowLongA(list_, GWL_STYLE, ::GetWindowLongA(list_, GWL_STYLE) & ~LVS_SINGLESEL);
    ListView_SetItemState(list_, 0, LVIS_SELECTED, LVIS_SELECTED);
    ListView_SetItemState(list_, 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  });
  ASSERT_EQ(ListView_GetSelectedCount(list_), 2u);
  ::PostMessageA(list_, WM_KEYDOWN, VK_SPACE, 0);
  ::PostMessageA(list_, WM_KEYUP, VK_SPACE, 0xC0000001);
  ASSERT_TRUE(Shows(0, 0));
  ASSERT_TRUE(Shows(1, 1));

  host_.Run([&] { ListView_SetItemState(list_, 0, 0, LVIS_SELECTED); });
  ::PostMessageA(list_, WM_KEYDOWN, VK_SPACE, 0);
  ::PostMessageA(list_, WM_KEYUP, VK_SPACE, 0xC0000001);
  ASSERT_TRUE(Shows(1, 0)) << "only the selected item";
  EXPECT_EQ(ItemImage(list_, 0), 0);

  // Another key switches nothing; a space then shows that it was handled.
  ::PostMessageA(list_, WM_KEYDOWN, 'A', 0);
  ::PostMessageA(list_, WM_KEYDOWN, VK_SPACE, 0);
  ASSERT_TRUE(Shows(1, 1));
  EXPECT_EQ(ItemImage(list_, 0), 0);
}

TEST_F(NotifyListTest, SetValueShowsTheStateAndAnythingButOneIsOff) {
  host_.Run([&] {
    host_.Notify().SetValue(1, 1);
    host_.Notify().SetValue(0, 5);
  });
  EXPECT_TRUE(Shows(1, 1));
  EXPECT_TRUE(Shows(0, 0));
  host_.Run([&] { host_.Notify().Toggle(7); });  // no such item: nothing happens
  EXPECT_EQ(host_.Notify().Count(), 2);
}

// The tray icon picker. The frames of icon i lie about its icon rectangle: frame k is the box
// one pixel outside the icon, grown by k pixels.
class TrayIconListTest : public ::testing::Test {
 protected:
  void Open(const char* library, bool enabled, int selected) {
    library_.emplace(library);
    ASSERT_NE(library_->Get(), nullptr);
    host_.emplace(std::vector<vgtest::NotifyItemSample>{}, enabled, selected);
    thread_.emplace([this] { return host_->DoModal(); });
    dialog_ = thread_->WaitForWindow("Monitoring Preferences");
    ASSERT_NE(dialog_, nullptr);
    list_ = host_->IconList();
  }
  void TearDown() override {
    if (dialog_ != nullptr) vgtest::PressButton(dialog_, IDCANCEL);
    if (thread_) {
      EXPECT_TRUE(thread_->Join());
    }
  }
  // A pixel of frame k of icon `index` (on its top edge, in the middle).
  COLORREF FramePixel(int index, int k) {
    const RECT icon = ItemPart(list_, index, LVIR_ICON);
    const int x = (icon.left + icon.right) / 2;
    const int top = (icon.top + icon.bottom) / 2 - 16 - 1 - k;
    ::UpdateWindow(list_);
    return vgtest::PixelOf(list_, x, top);
  }
  // Waits until the middle of icon `index` shows `colour`.
  bool IconShows(int index, COLORREF colour) {
    return vgtest::WaitUntil([&] {
      ::UpdateWindow(list_);
      const POINT middle = Middle(ItemPart(list_, index, LVIR_ICON));
      return vgtest::PixelOf(list_, middle.x, middle.y) == colour;
    });
  }
  // Waits until a quarter of the pixels of icon `index` differ from the background.
  bool IconDrawn(int index) {
    return vgtest::WaitUntil([&] {
      ::UpdateWindow(list_);
      const RECT icon = ItemPart(list_, index, LVIR_ICON);
      int drawn = 0;
      for (int y = icon.top; y < icon.bottom; ++y) {
        for (int x = icon.left; x < icon.right; ++x)
          drawn += vgtest::PixelOf(list_, x, y) != window_;
      }
      return drawn * 4 >= (icon.right - icon.left) * (icon.bottom - icon.top);
    });
  }
  bool FramesAre(int index, COLORREF inner, COLORREF outer) {
    return vgtest::WaitUntil([&] {
      return FramePixel(index, 0) == inner && FramePixel(index, 1) == inner &&
             FramePixel(index, 2) == inner && FramePixel(index, 3) == outer &&
             FramePixel(index, 4) == outer;
    });
  }

  std::optional<vgtest::ScopedResourceLibrary> library_;
  std::optional<ListHost> host_;
  std::optional<DialogThread> thread_;
  HWND dialog_ = nullptr;
  HWND list_ = nullptr;
  const COLORREF window_ = ::GetSysColor(COLOR_WINDOW);
  const COLORREF highlight_ = ::GetSysColor(COLOR_HIGHLIGHT);
};

TEST_F(TrayIconListTest, TwoIconsStandWithThreeEqualGaps) {
  Open("vguitest.dll", true, 0);
  ASSERT_EQ(host_->Icons().IconCount(), 2) << "the test library holds icons 700 and 701 only";
  ASSERT_EQ(ListView_GetItemCount(list_), 2);
  // Where they stand once the list has painted them (a list may arrange them when it does).
  EXPECT_TRUE(IconShows(0, RGB(0, 0, 0))) << "icon 700 is drawn";
  EXPECT_TRUE(IconShows(1, RGB(0, 160, 0))) << "icon 701 is drawn";
  RECT client = {};
  ::GetClientRect(list_, &client);
  const RECT first = ItemPart(list_, 0, LVIR_ICON);
  const RECT second = ItemPart(list_, 1, LVIR_ICON);
  const int gap = (client.right - 2 * 32) / 3;
  EXPECT_EQ(Middle(first).x, gap + 16);
  EXPECT_EQ(Middle(second).x, gap + 32 + gap + 16);
  EXPECT_EQ(Middle(first).y, client.bottom / 2) << "centred from top to bottom";
  EXPECT_EQ(Middle(second).y, Middle(first).y);
  EXPECT_NE(::GetWindowLongA(list_, GWL_STYLE) & LVS_NOSCROLL, 0);
}

TEST_F(TrayIconListTest, ThreeIconsOfTheResourceLibraryAreAllDrawn) {
  Open("vgres.dll", true, 2);
  ASSERT_EQ(ListView_GetItemCount(list_), 3);
  RECT client = {};
  ::GetClientRect(list_, &client);
  const int gap = (client.right - 3 * 32) / 4;
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(IconDrawn(i)) << "icon " << i << " is drawn";
  for (int i = 0; i < 3; ++i) {
    const RECT icon = ItemPart(list_, i, LVIR_ICON);
    EXPECT_EQ(Middle(icon).x, gap + i * (32 + gap) + 16) << i;
    EXPECT_EQ(Middle(icon).y, client.bottom / 2) << "all in one row: " << i;
  }
  EXPECT_TRUE(FramesAre(2, window_, highlight_)) << "the chosen icon is framed";
  EXPECT_TRUE(FramesAre(0, window_, window_));
}

TEST_F(TrayIconListTest, DisablingEmptiesAndEnablingRestoresTheFrame) {
  Open("vguitest.dll", true, 1);
  ASSERT_TRUE(FramesAre(1, window_, highlight_)) << "outer frames lit while not focused";
  EXPECT_TRUE(FramesAre(0, window_, window_));

  host_->Run([&] {
    host_->Icons().SetEnabled(false);
    host_->Icons().Disable();
  });
  EXPECT_EQ(ListView_GetItemCount(list_), 0) << "a disabled list holds no icons";
  const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
  const COLORREF averaged =
      RGB((GetRValue(face) + GetRValue(window_)) / 2, (GetGValue(face) + GetGValue(window_)) / 2,
          (GetBValue(face) + GetBValue(window_)) / 2);
  EXPECT_EQ(ListView_GetBkColor(list_), averaged);
  ::UpdateWindow(list_);
  EXPECT_EQ(vgtest::PixelOf(list_, 2, 2), averaged);

  host_->Run([&] {
    host_->Icons().SetEnabled(true);
    host_->Icons().Enable();
  });
  ASSERT_EQ(ListView_GetItemCount(list_), 2);
  EXPECT_EQ(ListView_GetItemState(list_, 1, LVIS_SELECTED), static_cast<UINT>(LVIS_SELECTED));
  EXPECT_EQ(ListView_GetBkColor(list_), window_);
  EXPECT_TRUE(FramesAre(1, window_, highlight_)) << "the frame is back on the stored index";
  EXPECT_TRUE(FramesAre(0, window_, window_));
}

TEST_F(TrayIconListTest, FocusLightsTheInnerFramesAndAClickMovesTheFrame) {
  Open("vguitest.dll", true, 0);
  host_->Run([&] { ::SetFocus(list_); });
  ASSERT_TRUE(vgtest::WaitUntil([&] { return host_->Icons().IsFocused(); }));
  EXPECT_TRUE(FramesAre(0, highlight_, highlight_));

  vgtest::ClickAt(list_, Middle(ItemPart(list_, 1, LVIR_ICON)));
  ASSERT_TRUE(vgtest::WaitUntil([&] { return host_->Icons().SelectedIndex() == 1; }));
  EXPECT_GE(host_->Selections(), 1);
  EXPECT_TRUE(FramesAre(1, highlight_, highlight_));
  EXPECT_TRUE(FramesAre(0, window_, window_)) << "the old frame is wiped out";

  host_->Run([&] { ::SetFocus(dialog_); });
  ASSERT_TRUE(vgtest::WaitUntil([&] { return !host_->Icons().IsFocused(); }));
  EXPECT_TRUE(FramesAre(1, window_, highlight_));
}

}  // namespace
