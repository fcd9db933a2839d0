// Each resource library (English and German) holds the templates, icons, bitmaps and texts that
// the status window and the preferences look up by number, laid out so that nothing is hidden
// or cut off in its language.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "resources/vgres_ids.h"
#include "support/win_test_support.h"

// After the project's Windows header, which it needs.
#include <commctrl.h>

namespace {

std::string LoadText(HMODULE module, UINT id) {
  char text[1024] = {};
  int length = ::LoadStringA(module, id, text, sizeof text);
  return std::string(text, length > 0 ? length : 0);
}

class ResourceWindowsTest : public ::testing::TestWithParam<const char*> {
 protected:
  static void SetUpTestSuite() {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
  }
  void SetUp() override {
    module_ = ::LoadLibraryA((vgtest::BinDir() + "\\" + GetParam()).c_str());
    ASSERT_NE(module_, nullptr) << ::GetLastError();
  }
  void TearDown() override {
    for (HWND dialog : dialogs_) ::DestroyWindow(dialog);
    if (module_) ::FreeLibrary(module_);
  }

  // The dialog created from the template, hidden, as the code creates it.
  HWND Create(int id) {
    HWND dialog = ::CreateDialogParamA(module_, MAKEINTRESOURCEA(id), nullptr, &Proc, 0);
    if (dialog) dialogs_.push_back(dialog);
    return dialog;
  }
  static INT_PTR CALLBACK Proc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

  HMODULE module_ = nullptr;
  std::vector<HWND> dialogs_;
};

struct FontOwner {
  HFONT font;
  ~FontOwner() {
    if (font) ::DeleteObject(font);
  }
};

std::string ClassOf(HWND window) {
  char name[64] = {};
  ::GetClassNameA(window, name, sizeof name);
  return name;
}

LONG StyleOf(HWND window) { return ::GetWindowLongA(window, GWL_STYLE); }

std::string TextOf(HWND window) {
  char text[1024] = {};
  ::GetWindowTextA(window, text, sizeof text);
  return text;
}

// A control's rectangle in its dialog's client coordinates.
RECT ClientRectOf(HWND dialog, HWND control) {
  RECT rect;
  ::GetWindowRect(control, &rect);
  ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

bool Overlap(const RECT& a, const RECT& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

bool IsGroupBox(HWND window) {
  return ClassOf(window) == "Button" && (StyleOf(window) & BS_TYPEMASK) == BS_GROUPBOX;
}

std::vector<HWND> Children(HWND dialog) {
  std::vector<HWND> children;
  for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    children.push_back(child);
  }
  return children;
}

// The size of a text drawn with the window's font; with a width, wrapped at that width.
SIZE TextSize(HWND window, const std::string& text, int wrapWidth, HFONT font = nullptr) {
  HDC dc = ::GetDC(window);
  if (!font) font = reinterpret_cast<HFONT>(::SendMessageA(window, WM_GETFONT, 0, 0));
  HGDIOBJ old = ::SelectObject(dc, font);
  RECT rect = {0, 0, wrapWidth > 0 ? wrapWidth : 10000, 0};
  UINT flags = DT_CALCRECT | (wrapWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE);
  ::DrawTextA(dc, text.c_str(), -1, &rect, flags);
  ::SelectObject(dc, old);
  ::ReleaseDC(window, dc);
  return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

// Every control lies inside the dialog; no two shown controls overlap unless a group box
// holds the other; every text fits its control.
void ExpectCleanLayout(HWND dialog, int id) {
  RECT client;
  ::GetClientRect(dialog, &client);
  std::vector<HWND> shown;
  for (HWND child : Children(dialog)) {
    const int childId = ::GetDlgCtrlID(child);
    if (childId == IDC_STATUS_SIZE_MARK && id == IDD_STATUS) continue;  // marks the edge
    const RECT rect = ClientRectOf(dialog, child);
    EXPECT_TRUE(Inside(rect, client)) << "template " << id << ": control " << childId;
    if (StyleOf(child) & WS_VISIBLE) shown.push_back(child);
  }
  // The status window's help button and its note are shown only together with a status
  // that has help; they must not cover anything then either.
  for (HWND child : Children(dialog)) {
    const int childId = ::GetDlgCtrlID(child);
    if (childId == IDC_STATUS_HELP || childId == IDC_STATUS_HELP_NOTE) shown.push_back(child);
  }
  for (size_t i = 0; i < shown.size(); ++i) {
    for (size_t j = i + 1; j < shown.size(); ++j) {
      const RECT a = ClientRectOf(dialog, shown[i]);
      const RECT b = ClientRectOf(dialog, shown[j]);
      if (!Overlap(a, b)) continue;
      const bool nested = (IsGroupBox(shown[i]) && Inside(b, a)) ||
                          (IsGroupBox(shown[j]) && Inside(a, b));
      EXPECT_TRUE(nested) << "template " << id << ": controls " << ::GetDlgCtrlID(shown[i])
                          << " and " << ::GetDlgCtrlID(shown[j]) << " overlap";
    }
  }
  for (HWND child : Children(dialog)) {
    const std::string cls = ClassOf(child);
    const std::string text = TextOf(child);
    const LONG style = StyleOf(child);
    if (text.empty()) continue;
    RECT rect;
    ::GetClientRect(child, &rect);
    const int childId = ::GetDlgCtrlID(child);
    if (cls == "Button") {
      const LONG type = style & BS_TYPEMASK;
      const SIZE size = TextSize(child, text, 0);
      if (type == BS_AUTOCHECKBOX || type == BS_CHECKBOX) {
        // The box, the gap after it, and the text.
        const int needed = ::GetSystemMetrics(SM_CXMENUCHECK) + 6 + size.cx;
        EXPECT_LE(needed, rect.right) << "template " << id << ": check box " << childId;
      } else if (type == BS_GROUPBOX) {
        EXPECT_LE(size.cx + 16, rect.right) << "template " << id << ": group " << childId;
      } else {
        EXPECT_LE(size.cx + 12, rect.right) << "template " << id << ": button " << childId;
        EXPECT_LE(size.cy + 4, rect.bottom) << "template " << id << ": button " << childId;
      }
    } else if (cls == "Static" && (style & SS_TYPEMASK) == SS_LEFT) {
      const SIZE size = TextSize(child, text, rect.right);
      EXPECT_LE(size.cx, rect.right) << "template " << id << ": text " << childId;
      EXPECT_LE(size.cy, rect.bottom) << "template " << id << ": text " << childId << " \""
                                      << text << "\"";
    }
  }
}

// A free area of the given pixel size at the control's top left: the code sizes pictures
// and icons to their images, so that room must not reach another control or the edge.
void ExpectRoomFor(HWND dialog, int controlId, int width, int height) {
  HWND control = ::GetDlgItem(dialog, controlId);
  ASSERT_NE(control, nullptr) << controlId;
  const RECT own = ClientRectOf(dialog, control);
  const RECT room = {own.left, own.top, own.left + width, own.top + height};
  RECT client;
  ::GetClientRect(dialog, &client);
  EXPECT_TRUE(Inside(room, client)) << controlId;
  for (HWND child : Children(dialog)) {
    if (child == control || IsGroupBox(child) || !(StyleOf(child) & WS_VISIBLE)) continue;
    EXPECT_FALSE(Overlap(room, ClientRectOf(dialog, child)))
        << controlId << " has no room: it reaches " << ::GetDlgCtrlID(child);
  }
}

struct Expected {
  int id;
  const char* cls;
  LONG typeMask;
  LONG type;
};

void ExpectControls(HWND dialog, int templateId, const std::vector<Expected>& controls) {
  for (const Expected& e : controls) {
    HWND control = ::GetDlgItem(dialog, e.id);
    ASSERT_NE(control, nullptr) << "template " << templateId << " lacks control " << e.id;
    EXPECT_EQ(ClassOf(control), e.cls) << "template " << templateId << ": control " << e.id;
    EXPECT_EQ(StyleOf(control) & e.typeMask, e.type)
        << "template " << templateId << ": control " << e.id;
  }
}

const LONG kButtonType = BS_TYPEMASK;
const LONG kStaticType = SS_TYPEMASK;
const LONG kListView = LVS_TYPEMASK;

TEST_P(ResourceWindowsTest, StatusWindowHasTheViewsItemsWithRoomForPictureAndIcon) {
  HWND dialog = Create(IDD_STATUS);
  ASSERT_NE(dialog, nullptr) << ::GetLastError();
  ExpectControls(dialog, IDD_STATUS,
                 {{IDC_STATUS_PICTURE, "Static", kStaticType, SS_LEFT},
                  {IDC_STATUS_LINE, "Static", kStaticType, SS_LEFT},
                  {IDC_STATUS_SIZE_MARK, "Static", 0, 0},
                  {IDC_STATUS_ICON, "Static", kStaticType, SS_ICON},
                  {IDC_STATUS_MESSAGE, "Static", kStaticType, SS_LEFT},
                  {IDC_STATUS_HELP_NOTE, "Static", 0, 0},
                  {IDC_STATUS_HELP, "Button", kButtonType, BS_PUSHBUTTON},
                  {IDOK, "Button", kButtonType, BS_DEFPUSHBUTTON}});
  EXPECT_FALSE(StyleOf(dialog) & WS_VISIBLE);  // the code shows it, or never in type 4
  EXPECT_EQ(TextOf(dialog), LoadText(module_, IDS_APP_TITLE));
  ExpectCleanLayout(dialog, IDD_STATUS);

  // The window is made as tall as the template down to the marker: everything the view
  // shows lies above it.
  HWND marker = ::GetDlgItem(dialog, IDC_STATUS_SIZE_MARK);
  EXPECT_FALSE(StyleOf(marker) & WS_VISIBLE);
  const RECT mark = ClientRectOf(dialog, marker);
  RECT client;
  ::GetClientRect(dialog, &client);
  EXPECT_LE(mark.top, client.bottom);
  for (int id : {IDC_STATUS_PICTURE, IDC_STATUS_LINE, IDC_STATUS_ICON, IDC_STATUS_MESSAGE,
                 IDC_STATUS_HELP_NOTE, IDC_STATUS_HELP, IDOK}) {
    EXPECT_LT(ClientRectOf(dialog, ::GetDlgItem(dialog, id)).bottom, mark.top) << id;
  }
  // Help appears only with a status that has help.
  EXPECT_FALSE(StyleOf(::GetDlgItem(dialog, IDC_STATUS_HELP)) & WS_VISIBLE);
  EXPECT_FALSE(StyleOf(::GetDlgItem(dialog, IDC_STATUS_HELP_NOTE)) & WS_VISIBLE);

  ExpectRoomFor(dialog, IDC_STATUS_PICTURE, 75, 60);
  ExpectRoomFor(dialog, IDC_STATUS_ICON, 32, 32);
}

// The view writes each status's title into 384 in 12 pt and its explanation into 212: the
// longest of the built-in texts fits.
TEST_P(ResourceWindowsTest, StatusWindowHoldsEveryBuiltInStatusText) {
  HWND dialog = Create(IDD_STATUS);
  ASSERT_NE(dialog, nullptr);
  HWND line = ::GetDlgItem(dialog, IDC_STATUS_LINE);
  HWND message = ::GetDlgItem(dialog, IDC_STATUS_MESSAGE);
  RECT lineRect, messageRect;
  ::GetClientRect(line, &lineRect);
  ::GetClientRect(message, &messageRect);

  HDC dc = ::GetDC(message);
  const int dpi = ::GetDeviceCaps(dc, LOGPIXELSY);
  ::ReleaseDC(message, dc);
  LOGFONTA description = {};
  ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(message, WM_GETFONT, 0, 0)),
               sizeof description, &description);
  description.lfHeight = -::MulDiv(12, dpi, 72);
  FontOwner heading{::CreateFontIndirectA(&description)};
  ASSERT_NE(heading.font, nullptr);

  const UINT titles[] = {3501, 3502, 3504, 3505, 3506, 3507, 3508, 3509, 3510, 3511,
                         3512, 3513, 3525, 3527, 3528, 3529, 3530, 3540, 3541, 3542};
  const UINT texts[] = {2001, 2002, 2101, 2102, 3001, 3002, 3004, 3005, 3006, 3007,
                        3008, 3009, 3010, 3011, 3012, 3013, 3025, 3036, 3037, 3038};
  for (UINT id : titles) {
    const std::string title = LoadText(module_, id);
    ASSERT_FALSE(title.empty()) << id;
    const SIZE size = TextSize(message, title, 0, heading.font);
    EXPECT_LE(size.cx, messageRect.right) << title;
    EXPECT_LE(size.cy, messageRect.bottom) << title;
  }
  for (UINT id : texts) {
    const std::string text = LoadText(module_, id);
    ASSERT_FALSE(text.empty()) << id;
    EXPECT_LE(TextSize(line, text, lineRect.right).cy, lineRect.bottom) << text;
  }
}

// Both preferences templates carry every control the dialog and its context help use; 110
// adds the buzzer check boxes.
TEST_P(ResourceWindowsTest, PreferencesTemplatesHoldEveryControlAndOnlyTheBuzzerOnesDiffer) {
  const std::vector<Expected> common = {
      {IDOK, "Button", kButtonType, BS_DEFPUSHBUTTON},
      {IDCANCEL, "Button", kButtonType, BS_PUSHBUTTON},
      {IDC_PREF_HELP, "Button", kButtonType, BS_PUSHBUTTON},
      {IDC_NOTIFY_LIST, "SysListView32", kListView, LVS_REPORT},
      {IDC_SOUND_ICON, "Static", kStaticType, SS_ICON},
      {IDC_SOUND_ENABLE, "Button", kButtonType, BS_AUTOCHECKBOX},
      {IDC_RESTORE_DEFAULTS, "Button", kButtonType, BS_PUSHBUTTON},
      {IDC_TRAY_ICON, "Static", kStaticType, SS_ICON},
      {IDC_TRAY_ICON_LIST, "SysListView32", kListView, LVS_ICON},
      {IDC_TRAY_ENABLE, "Button", kButtonType, BS_AUTOCHECKBOX},
      {IDC_TRAY_PREVIEW, "Static", kStaticType, SS_BITMAP},
      {IDC_AGENT_ALLOW, "Button", kButtonType, BS_AUTOCHECKBOX},
      {IDC_AGENT_PENDING, "Button", kButtonType, BS_AUTOCHECKBOX},
      {IDC_NOTIFY_GROUP, "Button", kButtonType, BS_GROUPBOX},
      {IDC_TRAY_GROUP, "Button", kButtonType, BS_GROUPBOX},
      {IDC_TRAY_LIST_LABEL, "Static", 0, 0},
      {IDC_TRAY_PREVIEW_LABEL, "Static", 0, 0}};
  const std::vector<Expected> buzzer = {
      {IDC_BUZZER_ENABLE, "Button", kButtonType, BS_AUTOCHECKBOX},
      {IDC_BUZZER_LOOP, "Button", kButtonType, BS_AUTOCHECKBOX}};

  HWND plain = Create(IDD_PREFERENCES);
  ASSERT_NE(plain, nullptr) << ::GetLastError();
  ExpectControls(plain, IDD_PREFERENCES, common);
  EXPECT_EQ(::GetDlgItem(plain, IDC_BUZZER_ENABLE), nullptr);
  EXPECT_EQ(::GetDlgItem(plain, IDC_BUZZER_LOOP), nullptr);
  EXPECT_TRUE(StyleOf(::GetDlgItem(plain, IDC_SOUND_ENABLE)) & WS_VISIBLE);
  ExpectCleanLayout(plain, IDD_PREFERENCES);

  HWND withBuzzer = Create(IDD_PREFERENCES_BUZZER);
  ASSERT_NE(withBuzzer, nullptr) << ::GetLastError();
  ExpectControls(withBuzzer, IDD_PREFERENCES_BUZZER, common);
  ExpectControls(withBuzzer, IDD_PREFERENCES_BUZZER, buzzer);
  // A printer with a buzzer never offers sound: its check box stays hidden.
  EXPECT_FALSE(StyleOf(::GetDlgItem(withBuzzer, IDC_SOUND_ENABLE)) & WS_VISIBLE);
  ExpectCleanLayout(withBuzzer, IDD_PREFERENCES_BUZZER);

  BITMAP preview = {};
  HBITMAP off = static_cast<HBITMAP>(
      ::LoadImageA(module_, MAKEINTRESOURCEA(IDB_TRAY_PREVIEW_OFF), IMAGE_BITMAP, 0, 0, 0));
  ASSERT_NE(off, nullptr);
  ::GetObjectA(off, sizeof preview, &preview);
  ::DeleteObject(off);
  for (HWND dialog : {plain, withBuzzer}) {
    EXPECT_EQ(TextOf(dialog), LoadText(module_, IDS_PREFERENCES_TITLE));
    ExpectRoomFor(dialog, IDC_SOUND_ICON, 16, 16);
    ExpectRoomFor(dialog, IDC_TRAY_ICON, 16, 16);
    ExpectRoomFor(dialog, IDC_TRAY_PREVIEW, preview.bmWidth, preview.bmHeight);
    // The three tray icons side by side, with room for the frame about the chosen one.
    HWND icons = ::GetDlgItem(dialog, IDC_TRAY_ICON_LIST);
    RECT rect;
    ::GetClientRect(icons, &rect);
    EXPECT_GE(rect.right, 3 * (32 + 8) + 4 * 8);
    EXPECT_GE(rect.bottom, 32 + 8);
  }
}

TEST_P(ResourceWindowsTest, WaitDialogShowsItsTextAndNoButton) {
  HWND dialog = Create(IDD_AGENT_WAIT);
  ASSERT_NE(dialog, nullptr) << ::GetLastError();
  HWND text = ::GetDlgItem(dialog, IDC_WAIT_TEXT);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(ClassOf(text), "Static");
  EXPECT_EQ(TextOf(text), LoadText(module_, IDS_AGENT_WAIT));
  for (HWND child : Children(dialog)) EXPECT_NE(ClassOf(child), "Button");
  ExpectCleanLayout(dialog, IDD_AGENT_WAIT);
}

// --- Icons and bitmaps, read from the resource data as the loader sees it.

#pragma pack(push, 2)
struct GroupEntry {
  BYTE width, height, colours, reserved;
  WORD planes, bitCount;
  DWORD bytes;
  WORD id;
};
#pragma pack(pop)

struct IconImage {
  int width = 0;
  int height = 0;
  int bits = 0;
  bool topLeftMasked = false;
  bool anySolid = false;
};

bool ReadResource(HMODULE module, const char* type, int id, std::vector<BYTE>* data) {
  HRSRC found = ::FindResourceA(module, MAKEINTRESOURCEA(id), type);
  if (!found) return false;
  HGLOBAL loaded = ::LoadResource(module, found);
  const BYTE* bytes = static_cast<const BYTE*>(::LockResource(loaded));
  if (!bytes) return false;
  data->assign(bytes, bytes + ::SizeofResource(module, found));
  return true;
}

// The images of an icon group with the transparency of their top left pixel (from the
// AND mask, which every image carries).
std::vector<IconImage> IconImages(HMODULE module, int id) {
  std::vector<IconImage> images;
  std::vector<BYTE> group;
  if (!ReadResource(module, MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */, id, &group)) return images;
  if (group.size() < 6) return images;
  const WORD count = *reinterpret_cast<const WORD*>(&group[4]);
  for (WORD i = 0; i < count && 6 + (i + 1) * sizeof(GroupEntry) <= group.size(); ++i) {
    GroupEntry entry;
    std::memcpy(&entry, &group[6 + i * sizeof(GroupEntry)], sizeof entry);
    std::vector<BYTE> data;
    if (!ReadResource(module, MAKEINTRESOURCEA(3) /* RT_ICON */, entry.id, &data) ||
        data.size() < sizeof(BITMAPINFOHEADER)) {
      continue;
    }
    BITMAPINFOHEADER header;
    std::memcpy(&header, data.data(), sizeof header);
    IconImage image;
    image.width = header.biWidth;
    image.height = header.biHeight / 2;
    image.bits = header.biBitCount;
    const size_t colours = header.biBitCount <= 8 ? (header.biClrUsed ? header.biClrUsed
                                                                        : 1u << header.biBitCount)
                                                  : 0;
    const size_t xorStride = ((image.width * image.bits + 31) / 32) * 4;
    const size_t andStride = ((image.width + 31) / 32) * 4;
    const size_t andStart = header.biSize + colours * 4 + xorStride * image.height;
    if (andStart + andStride * image.height > data.size()) continue;
    // Rows are stored bottom up: the top row is the last.
    const BYTE* top = &data[andStart + andStride * (image.height - 1)];
    image.topLeftMasked = (top[0] & 0x80) != 0;
    for (int y = 0; y < image.height && !image.anySolid; ++y) {
      const BYTE* row = &data[andStart + andStride * y];
      for (int x = 0; x < image.width; ++x) {
        if (!(row[x / 8] & (0x80 >> (x % 8)))) {
          image.anySolid = true;
          break;
        }
      }
    }
    images.push_back(image);
  }
  return images;
}

bool HasImage(const std::vector<IconImage>& images, int width, int height, int bits) {
  for (const IconImage& image : images) {
    if (image.width == width && image.height == height && image.bits == bits) return true;
  }
  return false;
}

TEST_P(ResourceWindowsTest, EveryIconHasSmallAndLargeImagesOnATransparentGround) {
  std::vector<int> ids = {IDI_TRAY_SETTING, IDI_SOUND_SETTING, IDI_APP, 700, 701, 702,
                          IDI_OVERLAY_ATTENTION, IDI_OVERLAY_COVER_OPEN};
  for (int id = 750; id <= 765; ++id) ids.push_back(id);
  for (int id : ids) {
    const std::vector<IconImage> images = IconImages(module_, id);
    ASSERT_FALSE(images.empty()) << "icon " << id;
    for (int size : {16, 32}) {
      // Full colour with alpha, and 256 colours for palette screens and older systems.
      EXPECT_TRUE(HasImage(images, size, size, 32)) << "icon " << id << " at " << size;
      EXPECT_TRUE(HasImage(images, size, size, 8)) << "icon " << id << " at " << size;
    }
    for (const IconImage& image : images) {
      EXPECT_TRUE(image.topLeftMasked) << "icon " << id << " at " << image.width;
      EXPECT_TRUE(image.anySolid) << "icon " << id << " at " << image.width;
    }
    // The system loads them at both sizes without scaling.
    for (int size : {16, 32}) {
      HICON icon = static_cast<HICON>(
          ::LoadImageA(module_, MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0));
      ASSERT_NE(icon, nullptr) << id;
      ::DestroyIcon(icon);
    }
  }
  // The overlays are loaded at the printer picture's size; the window's icon also at 48.
  for (int id : {IDI_OVERLAY_ATTENTION, IDI_OVERLAY_COVER_OPEN}) {
    EXPECT_TRUE(HasImage(IconImages(module_, id), 75, 60, 32)) << id;
  }
  EXPECT_TRUE(HasImage(IconImages(module_, IDI_APP), 48, 48, 32));
  // LoadIcon is how the status icon control loads them.
  EXPECT_NE(::LoadIconA(module_, MAKEINTRESOURCEA(IDI_STATUS_BLINK)), nullptr);
  EXPECT_EQ(::LoadIconA(module_, MAKEINTRESOURCEA(766)), nullptr);
}

struct BitmapFacts {
  bool found = false;
  BITMAPINFOHEADER header = {};
  std::vector<RGBQUAD> palette;
  std::vector<BYTE> bits;
};

BitmapFacts ReadBitmap(HMODULE module, int id) {
  BitmapFacts facts;
  std::vector<BYTE> data;
  if (!ReadResource(module, MAKEINTRESOURCEA(2) /* RT_BITMAP */, id, &data) ||
      data.size() < sizeof(BITMAPINFOHEADER)) {
    return facts;
  }
  std::memcpy(&facts.header, data.data(), sizeof facts.header);
  const size_t colours = facts.header.biBitCount <= 8
                             ? (facts.header.biClrUsed ? facts.header.biClrUsed
                                                       : 1u << facts.header.biBitCount)
                             : 0;
  const size_t start = facts.header.biSize + colours * sizeof(RGBQUAD);
  if (start > data.size()) return facts;
  facts.palette.resize(colours);
  if (colours) std::memcpy(facts.palette.data(), &data[facts.header.biSize], colours * 4);
  facts.bits.assign(data.begin() + start, data.end());
  facts.found = true;
  return facts;
}

// The colour of a pixel of an 8-bit bitmap (rows bottom up, padded to four bytes).
RGBQUAD PixelOf(const BitmapFacts& bitmap, int x, int y) {
  const int stride = (bitmap.header.biWidth + 3) & ~3;
  const BYTE index = bitmap.bits[(bitmap.header.biHeight - 1 - y) * stride + x];
  return bitmap.palette[index];
}

bool SameColour(const RGBQUAD& a, const RGBQUAD& b) {
  return a.rgbRed == b.rgbRed && a.rgbGreen == b.rgbGreen && a.rgbBlue == b.rgbBlue;
}

TEST_P(ResourceWindowsTest, BitmapsHaveTheirSizesAnd256ColourPalettes) {
  struct Size {
    int id, width, height;
  };
  for (const Size& s : {Size{IDB_NOTIFY_STATES, 32, 16}, Size{500, 112, 32}, Size{501, 112, 32},
                        Size{502, 112, 32}, Size{503, 112, 32}, Size{510, 75, 60},
                        Size{511, 75, 60}, Size{512, 75, 60}}) {
    const BitmapFacts bitmap = ReadBitmap(module_, s.id);
    ASSERT_TRUE(bitmap.found) << s.id;
    EXPECT_EQ(bitmap.header.biWidth, s.width) << s.id;
    EXPECT_EQ(bitmap.header.biHeight, s.height) << s.id;  // positive: bottom up
    EXPECT_EQ(bitmap.header.biBitCount, 8) << s.id;
    EXPECT_EQ(bitmap.header.biCompression, static_cast<DWORD>(BI_RGB)) << s.id;
    // The picture control builds a palette of all 256 entries on palette screens.
    EXPECT_EQ(bitmap.palette.size(), 256u) << s.id;
    ASSERT_GE(bitmap.bits.size(), static_cast<size_t>(((s.width + 3) & ~3) * s.height)) << s.id;
  }

  // The state images sit on the list's mask colour, and "on" differs from "off".
  const BitmapFacts states = ReadBitmap(module_, IDB_NOTIFY_STATES);
  const RGBQUAD mask = {128, 0, 0, 0};  // blue 128
  EXPECT_TRUE(SameColour(PixelOf(states, 0, 0), mask));
  EXPECT_TRUE(SameColour(PixelOf(states, 16, 0), mask));
  EXPECT_FALSE(SameColour(PixelOf(states, 8, 8), mask));
  EXPECT_FALSE(SameColour(PixelOf(states, 3, 3), PixelOf(states, 19, 3)));

  // Yellow, blue and red tell the status apart at a glance: the ground is of that colour.
  const RGBQUAD yellow = PixelOf(ReadBitmap(module_, IDB_PRINTER_YELLOW), 2, 2);
  const RGBQUAD blue = PixelOf(ReadBitmap(module_, IDB_PRINTER_BLUE), 2, 2);
  const RGBQUAD red = PixelOf(ReadBitmap(module_, IDB_PRINTER_RED), 2, 2);
  EXPECT_GT(yellow.rgbRed, yellow.rgbBlue);
  EXPECT_GT(yellow.rgbGreen, yellow.rgbBlue);
  EXPECT_GT(blue.rgbBlue, blue.rgbRed);
  EXPECT_GT(red.rgbRed, red.rgbGreen);
  EXPECT_GT(red.rgbRed, red.rgbBlue);

  // The previews differ: each shows its own tray icon.
  std::set<std::vector<BYTE>> previews;
  for (int id = 500; id <= 503; ++id) previews.insert(ReadBitmap(module_, id).bits);
  EXPECT_EQ(previews.size(), 4u);
}

TEST_P(ResourceWindowsTest, HoldsTheTextsOfTheWindowsAndThePreferences) {
  for (UINT id : {IDS_HELP_WHATS_THIS, IDS_NOTIFY_COLUMN_EVENT, IDS_NOTIFY_COLUMN_STATE,
                  IDS_NOTIFY_STATE_ON, IDS_NOTIFY_STATE_OFF, IDS_MENU_ABOUT,
                  IDS_STATUS_WINDOW_NOT_OPENED, IDS_AGENT_LEGACY_NETWORK,
                  IDS_AGENT_PENDING_CANCELLED, IDS_PREFERENCES_TITLE, IDS_AGENT_WAIT}) {
    EXPECT_FALSE(LoadText(module_, id).empty()) << id;
  }
  // Headers are read into 32 characters.
  EXPECT_LE(LoadText(module_, IDS_NOTIFY_COLUMN_EVENT).size(), 31u);
  EXPECT_LE(LoadText(module_, IDS_NOTIFY_COLUMN_STATE).size(), 31u);
  EXPECT_NE(LoadText(module_, IDS_NOTIFY_STATE_ON), LoadText(module_, IDS_NOTIFY_STATE_OFF));
  // The item count is read as a decimal number of at most seven characters, and every
  // item it counts has a label.
  const std::string count = LoadText(module_, IDS_NOTIFY_ITEM_COUNT);
  ASSERT_FALSE(count.empty());
  ASSERT_LE(count.size(), 7u);
  ASSERT_EQ(count.find_first_not_of("0123456789"), std::string::npos) << count;
  const int items = std::stoi(count);
  EXPECT_GE(items, 2);
  for (int i = 0; i < items; ++i) {
    EXPECT_FALSE(LoadText(module_, IDS_NOTIFY_ITEM_ATTENTION + i).empty()) << i;
  }
  EXPECT_EQ(LoadText(module_, IDS_NOTIFY_ITEM_ATTENTION + items), "");
}

// The about box and the trouble dialog: every label and the longest version line fit, and the
// walk-through's pages fit the text beside the picture.
TEST_P(ResourceWindowsTest, AboutBoxAndTroubleDialogHoldTheirTexts) {
  HWND about = Create(IDD_ABOUT);
  ASSERT_NE(about, nullptr) << ::GetLastError();
  for (int id = IDC_ABOUT_PRODUCT_VERSION; id <= IDC_ABOUT_AGENT_VERSION; ++id) {
    ::SetDlgItemTextA(about, id, "Ver. 3.0.0.0000");  // the longest a version line gets
  }
  for (int id : {IDC_ABOUT_HIDDEN_1, IDC_ABOUT_HIDDEN_2}) {
    ::ShowWindow(::GetDlgItem(about, id), SW_HIDE);  // as the about box does
  }
  ExpectCleanLayout(about, IDD_ABOUT);

  HWND trouble = Create(IDD_TROUBLE);
  ASSERT_NE(trouble, nullptr) << ::GetLastError();
  // Next and Finish share their place: the dialog shows one of them at a time.
  for (int shown : {IDC_TROUBLE_NEXT, IDOK}) {
    ::ShowWindow(::GetDlgItem(trouble, IDC_TROUBLE_NEXT), shown == IDOK ? SW_HIDE : SW_SHOW);
    ::ShowWindow(::GetDlgItem(trouble, IDOK), shown == IDOK ? SW_SHOW : SW_HIDE);
    ExpectCleanLayout(trouble, IDD_TROUBLE);
  }
  ExpectRoomFor(trouble, IDC_TROUBLE_PICTURE, 160, 120);
  HWND text = ::GetDlgItem(trouble, IDC_TROUBLE_TEXT);
  RECT rect;
  ::GetClientRect(text, &rect);
  for (UINT id = IDS_TROUBLE_PAPER_START; id <= IDS_TROUBLE_PAPER_DONE; ++id) {
    const std::string page = LoadText(module_, id);
    ASSERT_FALSE(page.empty()) << id;
    EXPECT_LE(TextSize(text, page, rect.right).cy, rect.bottom) << page;
  }
}

INSTANTIATE_TEST_SUITE_P(EnglishAndGerman, ResourceWindowsTest,
                         ::testing::Values("vgres.dll", "vgres_de.dll"));

}  // namespace
