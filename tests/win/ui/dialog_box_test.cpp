// The dialog framework: a dialog runs its own loop on any thread, nested dialogs end only
// their own loop and give their parent back, the replacement font on double-byte systems,
// and the guard around the dialog procedure.
#include "ui/dialog_box_win.h"

#include <gtest/gtest.h>

#include <new>
#include <string>

#include "printer/vgprn_app_win.h"
#include "resources/vgres_ids.h"
#include "ui/about_box_win.h"
#include "ui/dialog_driver.h"
#include "ui/dialog_font_win.h"
#include "ui/trouble_win.h"
#include "ui/ui_test_library.h"

namespace {

using vgtest::DialogThread;

constexpr UINT kOpenAbout = WM_APP + 1;
constexpr UINT kOpenTrouble = WM_APP + 2;
constexpr UINT kThrow = WM_APP + 3;
constexpr UINT kDestroySelf = WM_APP + 4;
constexpr UINT kProbeFont = WM_APP + 5;

// The host dialog of the tests: OK ends it with 7; it opens the about box or the trouble
// dialog over itself on request, and records what the nested runs returned.
class HostDialog : public CDialogBox {
 public:
  explicit HostDialog(WORD templateId = vgtest::kHostDialog) : CDialogBox(templateId, nullptr) {}
  int OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM) override {
    switch (message) {
      case WM_INITDIALOG:
        initialised = true;
        return 1;
      case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) End(7);
        return 1;
      case kOpenAbout: {
        CAboutBox about(hwnd);
        nestedResult = about.DoModal();
        return 1;
      }
      case kOpenTrouble: {
        CTrouble trouble;
        nestedResult = trouble.DoModal(::FindResourceA(
            TheApp().ResourceModule(), MAKEINTRESOURCEA(vgtest::kTroubleThreePages), RT_RCDATA));
        return 1;
      }
      case kThrow:
        throw std::bad_alloc();
      case kDestroySelf:
        ::DestroyWindow(hwnd);
        return 1;
      default:
        return 0;
    }
  }
  bool initialised = false;
  int nestedResult = -100;
};

class DialogBoxTest : public ::testing::Test {
 protected:
  vgtest::ScopedResourceLibrary library_{"vguitest.dll"};
};

TEST_F(DialogBoxTest, WithoutTemplateOrResourceLibraryNothingIsShown) {
  ASSERT_NE(library_.Get(), nullptr);
  HostDialog noTemplate(0);
  EXPECT_EQ(noTemplate.DoModal(), -1);
  EXPECT_FALSE(noTemplate.initialised);
  HostDialog missingTemplate(4321);
  EXPECT_EQ(missingTemplate.DoModal(), -1) << "the dialog cannot be created";

  TheApp().SetResourceModule(nullptr);
  HostDialog noLibrary;
  EXPECT_EQ(noLibrary.DoModal(), -1);
  EXPECT_FALSE(noLibrary.initialised);
}

TEST_F(DialogBoxTest, RunsOnAThreadOfItsOwnAndReturnsTheEndCode) {
  HostDialog host;
  DialogThread thread([&] { return host.DoModal(); });
  HWND dialog = thread.WaitForWindow("Host dialog");
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(host.initialised);
  EXPECT_EQ(host.GetSafeHwnd(), dialog);

  // Centred on the screen.
  RECT rect = {};
  ::GetWindowRect(dialog, &rect);
  EXPECT_EQ(rect.left, (::GetSystemMetrics(SM_CXSCREEN) - (rect.right - rect.left)) / 2);
  EXPECT_EQ(rect.top, (::GetSystemMetrics(SM_CYSCREEN) - (rect.bottom - rect.top)) / 2);

  vgtest::PressButton(dialog, IDOK);
  ASSERT_TRUE(thread.Join());
  EXPECT_EQ(thread.Result(), 7);
  EXPECT_FALSE(::IsWindow(dialog)) << "the window goes with the loop";
}

TEST_F(DialogBoxTest, NestedAboutBoxDisablesItsParentAndGivesItBack) {
  HostDialog host;
  DialogThread thread([&] { return host.DoModal(); });
  HWND dialog = thread.WaitForWindow("Host dialog");
  ASSERT_NE(dialog, nullptr);

  ::PostMessageA(dialog, kOpenAbout, 0, 0);
  HWND about = thread.WaitForWindow("About KORVA Vigil 3");
  ASSERT_NE(about, nullptr);
  EXPECT_FALSE(::IsWindowEnabled(dialog)) << "the parent is disabled while the box is open";
  EXPECT_EQ(::GetWindow(about, GW_OWNER), dialog);

  vgtest::PressButton(about, IDOK);
  ASSERT_TRUE(vgtest::WaitUntil([&] { return !::IsWindow(about); }));
  EXPECT_TRUE(vgtest::WaitUntil([&] { return ::IsWindowEnabled(dialog) != FALSE; }));
  EXPECT_TRUE(vgtest::WaitUntil([&] { return host.nestedResult == 1; }));
  EXPECT_FALSE(thread.Done()) << "the about box's quit ends only its own loop";
  EXPECT_TRUE(::IsWindowVisible(dialog));

  // Closed the other way, the about box says 2.
  ::PostMessageA(dialog, kOpenAbout, 0, 0);
  about = thread.WaitForWindow("About KORVA Vigil 3");
  ASSERT_NE(about, nullptr);
  ::PostMessageA(about, WM_CLOSE, 0, 0);
  EXPECT_TRUE(vgtest::WaitUntil([&] { return host.nestedResult == 2; }));

  vgtest::PressButton(dialog, IDOK);
  ASSERT_TRUE(thread.Join());
  EXPECT_EQ(thread.Result(), 7);
}

TEST_F(DialogBoxTest, NestedTroubleDialogLeavesTheOuterDialogRunning) {
  HostDialog host;
  DialogThread thread([&] { return host.DoModal(); });
  HWND dialog = thread.WaitForWindow("Host dialog");
  ASSERT_NE(dialog, nullptr);
  for (bool byCaption : {true, false}) {
    host.nestedResult = -100;
    ::PostMessageA(dialog, kOpenTrouble, 0, 0);
    HWND trouble = thread.WaitForWindow("Three pages");
    ASSERT_NE(trouble, nullptr);
    EXPECT_TRUE(::IsWindowEnabled(dialog)) << "the trouble dialog has no parent";
    // Closed by its own means: its destruction must not end the outer loop as well.
    if (byCaption) {
      ::PostMessageA(trouble, WM_CLOSE, 0, 0);
    } else {
      vgtest::PressButton(trouble, IDCANCEL);
    }
    ASSERT_TRUE(vgtest::WaitUntil([&] { return host.nestedResult == 1; }));
    EXPECT_FALSE(::IsWindow(trouble));
    // A message through the outer loop proves that it still runs.
    EXPECT_EQ(::SendMessageA(dialog, WM_NULL, 0, 0), 0);
    EXPECT_FALSE(thread.Done());
  }
  vgtest::PressButton(dialog, IDOK);
  ASSERT_TRUE(thread.Join());
  EXPECT_EQ(thread.Result(), 7);
}

TEST_F(DialogBoxTest, WindowDestroyedWithoutEndingStillEndsTheLoop) {
  HostDialog host;
  DialogThread thread([&] { return host.DoModal(); });
  HWND dialog = thread.WaitForWindow("Host dialog");
  ASSERT_NE(dialog, nullptr);
  ::PostMessageA(dialog, kDestroySelf, 0, 0);
  ASSERT_TRUE(thread.Join()) << "the loop must not wait for a window that is gone";
  EXPECT_EQ(thread.Result(), 2);
}

TEST_F(DialogBoxTest, ExceptionInTheDialogProcedureIsCaught) {
  HostDialog host;
  DialogThread thread([&] { return host.DoModal(); });
  HWND dialog = thread.WaitForWindow("Host dialog");
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(::SendMessageA(dialog, kThrow, 0, 0), 0);
  EXPECT_TRUE(::IsWindow(dialog));
  vgtest::PressButton(dialog, IDOK);
  ASSERT_TRUE(thread.Join());
  EXPECT_EQ(thread.Result(), 7);
}

// Records the fonts of the dialog and of its items once it stands, then ends itself.
class FontProbe : public CDialogBox {
 public:
  explicit FontProbe(WORD templateId) : CDialogBox(templateId, nullptr) {}
  int OnMessage(HWND hwnd, UINT message, WPARAM, LPARAM) override {
    if (message == WM_INITDIALOG) {
      ::PostMessageA(hwnd, kProbeFont, 0, 0);
      return 1;
    }
    if (message == kProbeFont) {
      itemFont = Describe(reinterpret_cast<HFONT>(
          ::SendMessageA(::GetDlgItem(hwnd, vgtest::kFontProbeItem), WM_GETFONT, 0, 0)));
      buttonFont = Describe(reinterpret_cast<HFONT>(
          ::SendMessageA(::GetDlgItem(hwnd, IDOK), WM_GETFONT, 0, 0)));
      replacement = DialogFont() != nullptr;
      End(1);
      return 1;
    }
    return 0;
  }
  static LOGFONTA Describe(HFONT font) {
    LOGFONTA description = {};
    if (font != nullptr) ::GetObjectA(font, sizeof description, &description);
    return description;
  }
  LOGFONTA itemFont = {};
  LOGFONTA buttonFont = {};
  bool replacement = false;
};

bool g_doubleByte = false;
bool PlayedDoubleByte() { return g_doubleByte; }

class ReplacementFontTest : public DialogBoxTest {
 protected:
  void SetUp() override { previous_ = SetDoubleByteProbe(&PlayedDoubleByte); }
  void TearDown() override { SetDoubleByteProbe(previous_); }

  static LOGFONTA GuiFont() {
    LOGFONTA font = {};
    ::GetObjectA(::GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    return font;
  }
  static int Dpi() {
    HDC dc = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(dc, LOGPIXELSY);
    ::ReleaseDC(nullptr, dc);
    return dpi;
  }
  DoubleByteProbe previous_ = nullptr;
};

TEST_F(ReplacementFontTest, EightPointSansSerifBecomesTheGuiFontOnADoubleByteSystem) {
  g_doubleByte = true;
  FontProbe probe(vgtest::kFontProbe8);
  ASSERT_EQ(probe.DoModal(), 1);
  EXPECT_TRUE(probe.replacement);
  const LOGFONTA gui = GuiFont();
  EXPECT_STREQ(probe.itemFont.lfFaceName, gui.lfFaceName);
  EXPECT_EQ(probe.itemFont.lfHeight, gui.lfHeight) << "the GUI font at its own height";
  EXPECT_STREQ(probe.buttonFont.lfFaceName, gui.lfFaceName) << "every item";
}

TEST_F(ReplacementFontTest, TenPointDialogGetsTheGuiFontAtTenPoints) {
  g_doubleByte = true;
  FontProbe probe(vgtest::kFontProbe10);
  ASSERT_EQ(probe.DoModal(), 1);
  EXPECT_TRUE(probe.replacement);
  EXPECT_STREQ(probe.itemFont.lfFaceName, GuiFont().lfFaceName);
  EXPECT_EQ(probe.itemFont.lfHeight, -::MulDiv(10, Dpi(), 72));

  FontProbe helv(vgtest::kFontProbeHelv);
  ASSERT_EQ(helv.DoModal(), 1);
  EXPECT_TRUE(helv.replacement) << "the other old face";
}

TEST_F(ReplacementFontTest, SingleByteSystemsAndOtherFacesKeepTheTemplateFont) {
  g_doubleByte = false;
  FontProbe probe(vgtest::kFontProbe8);
  ASSERT_EQ(probe.DoModal(), 1);
  EXPECT_FALSE(probe.replacement);
  EXPECT_STREQ(probe.itemFont.lfFaceName, "MS Sans Serif");

  g_doubleByte = true;
  FontProbe lowerCase(vgtest::kFontProbeLowerCase);
  ASSERT_EQ(lowerCase.DoModal(), 1);
  EXPECT_FALSE(lowerCase.replacement) << "the face is compared with its case";
  EXPECT_STREQ(lowerCase.itemFont.lfFaceName, "ms sans serif");

  FontProbe shellFont(IDD_ABOUT);
  ASSERT_EQ(shellFont.DoModal(), 1);
  EXPECT_FALSE(shellFont.replacement) << "the shell dialog font needs no replacement";
}

TEST_F(ReplacementFontTest, TheSystemsOwnAnswerWithoutAProbe) {
  SetDoubleByteProbe(nullptr);
  EXPECT_EQ(IsDoubleByteSystem(), ::GetSystemMetrics(SM_DBCSENABLED) != 0);
  g_doubleByte = true;
  SetDoubleByteProbe(&PlayedDoubleByte);
  EXPECT_TRUE(IsDoubleByteSystem());
}

}  // namespace
