// The status window's views on the real status window template of the resource library: the
// picture of the model's files, the icon and overlay and their blinking, the texts, the help
// button, and the view switcher's dialog types, title, system menu and size.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "common/text_util.h"
#include "common/unique_handle.h"
#include "printer/printer_status_win.h"
#include "printer/status_tables.h"
#include "printer/vgprn_app_win.h"
#include "resources/vgres_ids.h"
#include "support/test_model.h"
#include "support/win_test_support.h"
#include "ui/dialog_driver.h"
#include "ui/dialog_view_win.h"
#include "ui/driver_key_path.h"
#include "ui/ui_test_library.h"

namespace {

constexpr UINT kGetIconMessage = 0x0171;  // STM_GETICON
constexpr COLORREF kBlueFile = RGB(10, 20, 200);
constexpr COLORREF kRedFile = RGB(200, 30, 40);

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_INITDIALOG ? TRUE : FALSE;
}

// A decoded status of a display category with its own two texts. Its help is the model's
// help number 0 when the status has help (the profile names it, the resource library holds
// its walk-through), else none.
std::unique_ptr<CPrinterStatus> MakeStatus(int category, const std::string& message,
                                           const std::string& line, const std::string& helpFile,
                                           HMODULE module) {
  StatusRecord record = {};
  record.kind = kReplyKindBdc;
  record.statusNo = 100 + category;
  record.category = category;
  record.helpNo = 0;
  record.inlineText = 1;
  vgtext::CopyBounded(record.text1, sizeof record.text1, message);
  vgtext::CopyBounded(record.text2, sizeof record.text2, line);
  HelpSource help;
  vgtext::CopyBounded(help.datFile, sizeof help.datFile, helpFile);
  help.resource = module;
  StatusReply reply = {};
  return std::make_unique<CPrinterStatus>(false, reply, FindCategoryRow(category), help, record,
                                          module);
}

class StatusViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(library_.Get(), nullptr);
    // The model names a blue and a red picture file; its yellow one is missing.
    model_.WriteIni("BMPBlue=blue.bmp\r\nBMPRed=red.bmp\r\nBMPYellow=yellow.bmp\r\n",
                    "TSS000=Paper problems\r\n");
    vgtest::WritePictureFile(model_.Dir() + "\\blue.bmp", kBlueFile, 75, 60);
    vgtest::WritePictureFile(model_.Dir() + "\\red.bmp", kRedFile, 75, 60);
    const std::string driverKey = "software\\KORVA\\VGL3\\Driver\\" + model_.Driver();
    vgtest::SetString(HKEY_LOCAL_MACHINE, driverKey, "InstallPath", model_.Dir());
    vgui::SetDriverKeyPath(driverKey);
    TheApp().SetCurrentPrinterName(printerName_.c_str());

    dialog_ = ::CreateDialogParamA(library_.Get(), MAKEINTRESOURCEA(IDD_STATUS), nullptr,
                                   &PlainDialogProc, 0);
    ASSERT_NE(dialog_, nullptr);
    ::ShowWindow(dialog_, SW_SHOW);
    ASSERT_EQ(
        view_.Init(dialog_, library_.Get(), {model_.IniPath().c_str(), model_.Model().c_str()}), 1);
  }
  void TearDown() override {
    view_.Stop();
    if (dialog_ != nullptr) ::DestroyWindow(dialog_);
    vgui::SetDriverKeyPath("");
    TheApp().SetCurrentPrinterName("");
  }

  CStatusView& Status() { return view_.StatusView(); }
  void Show(int category, const std::string& message, const std::string& line, bool help) {
    statuses_.push_back(
        MakeStatus(category, message, line, help ? model_.IniPath() : "", library_.Get()));
    view_.SetViewStatus(statuses_.back().get());
  }
  void ShowAgain() { view_.SetViewStatus(statuses_.back().get()); }
  COLORREF PictureColor() {
    HWND picture = ::GetDlgItem(dialog_, IDC_STATUS_PICTURE);
    ::InvalidateRect(picture, nullptr, FALSE);
    ::UpdateWindow(picture);
    return vgtest::PixelOf(picture, 37, 30);
  }
  HICON ShownIcon() const {
    return reinterpret_cast<HICON>(
        ::SendDlgItemMessageA(dialog_, IDC_STATUS_ICON, kGetIconMessage, 0, 0));
  }
  HICON Icon(int id) const { return ::LoadIconA(library_.Get(), MAKEINTRESOURCEA(id)); }
  RECT WindowRect() const {
    RECT rect = {};
    ::GetWindowRect(dialog_, &rect);
    return rect;
  }
  RECT ChildRect(int id) const {
    RECT rect = {};
    ::GetWindowRect(::GetDlgItem(dialog_, id), &rect);
    ::MapWindowPoints(HWND_DESKTOP, dialog_, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  }
  UINT MenuState(UINT command) const {
    return ::GetMenuState(::GetSystemMenu(dialog_, FALSE), command, MF_BYCOMMAND);
  }

  vgtest::ScopedResourceLibrary library_{"vgres.dll"};
  vgtest::TestModel model_;
  std::string printerName_ = vgtest::UniqueName("View Printer");
  HWND dialog_ = nullptr;
  CDialogView view_;
  std::vector<std::unique_ptr<CPrinterStatus>> statuses_;
};

TEST_F(StatusViewTest, PaintsPictureIconAndTextsOfTheStatus) {
  Show(1, "Ready", "The printer is ready.", false);
  EXPECT_EQ(vgtest::ItemText(dialog_, IDC_STATUS_MESSAGE), "Ready");
  EXPECT_EQ(vgtest::ItemText(dialog_, IDC_STATUS_LINE), "The printer is ready.");
  EXPECT_EQ(Status().Picture().CurrentPicture(), 511);
  EXPECT_EQ(PictureColor(), kBlueFile) << "the model's blue picture file";
  EXPECT_EQ(ShownIcon(), Icon(IDI_STATUS_READY));
  EXPECT_EQ(Status().Icon().TimerId(), 0u) << "the ready icon stands still";
  EXPECT_EQ(Status().Picture().TimerId(), 0u) << "no overlay";
  RECT picture = {};
  ::GetClientRect(::GetDlgItem(dialog_, IDC_STATUS_PICTURE), &picture);
  EXPECT_EQ(picture.right, 75);
  EXPECT_EQ(picture.bottom, 60);

  // The message has a font of its own, twelve points high.
  LOGFONTA font = {};
  ASSERT_NE(Status().MessageFont(), nullptr);
  ASSERT_NE(::GetObjectA(Status().MessageFont(), sizeof font, &font), 0);
  ScopedWindowDC dc(dialog_);
  EXPECT_EQ(font.lfHeight, -(12 * ::GetDeviceCaps(dc.Get(), LOGPIXELSY) / 72));
  EXPECT_EQ(
      reinterpret_cast<HFONT>(::SendDlgItemMessageA(dialog_, IDC_STATUS_MESSAGE, WM_GETFONT, 0, 0)),
      Status().MessageFont());

  // A warning: the yellow file is missing, so the resource library's picture stands.
  Show(12, "Ink low", "Have a new cartridge ready.", false);
  EXPECT_EQ(Status().Picture().CurrentPicture(), 510);
  EXPECT_NE(PictureColor(), kBlueFile);
  EXPECT_NE(PictureColor(), kRedFile);
  EXPECT_EQ(Status().Icon().TimerId(), 20u) << "the warning icon blinks";
}

TEST_F(StatusViewTest, HelpButtonShowsOnlyForAStatusWithHelp) {
  Show(3, "Paper out", "Load paper.", true);
  EXPECT_TRUE(vgtest::ItemVisible(dialog_, IDC_STATUS_HELP));
  EXPECT_TRUE(vgtest::ItemEnabled(dialog_, IDC_STATUS_HELP));
  EXPECT_TRUE(vgtest::ItemVisible(dialog_, IDC_STATUS_HELP_NOTE));
  EXPECT_TRUE(Status().HelpAvailable());

  Show(1, "Ready", "The printer is ready.", false);
  EXPECT_FALSE(vgtest::ItemVisible(dialog_, IDC_STATUS_HELP));
  EXPECT_FALSE(vgtest::ItemEnabled(dialog_, IDC_STATUS_HELP));
  EXPECT_FALSE(vgtest::ItemVisible(dialog_, IDC_STATUS_HELP_NOTE));

  // A hidden view keeps its help hidden; showing it again brings the help back with it.
  Show(3, "Paper out", "Load paper.", true);
  Status().Show(0);
  EXPECT_FALSE(vgtest::ItemVisible(dialog_, IDC_STATUS_HELP));
  EXPECT_FALSE(vgtest::ItemVisible(dialog_, IDC_STATUS_LINE));
  ShowAgain();
  EXPECT_FALSE(vgtest::ItemVisible(dialog_, IDC_STATUS_HELP));
  Status().Show(1);
  EXPECT_TRUE(vgtest::ItemVisible(dialog_, IDC_STATUS_HELP));
  EXPECT_TRUE(vgtest::ItemVisible(dialog_, IDC_STATUS_LINE));
  EXPECT_TRUE(vgtest::ItemVisible(dialog_, IDOK));
  Status().Enable(0);
  EXPECT_FALSE(vgtest::ItemEnabled(dialog_, IDC_STATUS_HELP));
  EXPECT_FALSE(vgtest::ItemEnabled(dialog_, IDOK));
  Status().Enable(1);
  EXPECT_TRUE(vgtest::ItemEnabled(dialog_, IDC_STATUS_HELP));
}

TEST_F(StatusViewTest, SameStatusTwiceRestartsNoBlinkAndRereadsNoPicture) {
  // Cover open: the red picture with a blinking overlay, and a blinking icon.
  Show(5, "Cover open", "Close the cover.", false);
  EXPECT_TRUE(Status().Picture().OverlayVisible());
  EXPECT_EQ(Status().CurrentOverlay(), IDI_OVERLAY_COVER_OPEN);
  // Overlay and icon blink in step: the overlay goes off as the icon turns to the blink icon.
  // (Their timers tick only while this thread pumps, so what is seen between pumps stays.)
  ASSERT_TRUE(vgtest::PumpUntil([&] {
    return !Status().Picture().OverlayVisible() &&
           Status().Icon().CurrentIcon() == static_cast<DWORD>(IDI_STATUS_BLINK);
  }));
  EXPECT_EQ(PictureColor(), kRedFile) << "the overlay is off, the red file shows";

  // The picture file changes on disk; the same status again neither rereads it nor starts
  // the blinking anew.
  vgtest::WritePictureFile(model_.Dir() + "\\red.bmp", RGB(0, 200, 0), 75, 60);
  ShowAgain();
  EXPECT_EQ(Status().Icon().CurrentIcon(), static_cast<DWORD>(IDI_STATUS_BLINK));
  EXPECT_FALSE(Status().Picture().OverlayVisible());
  EXPECT_EQ(PictureColor(), kRedFile);

  // Another overlay restarts both, in step.
  ASSERT_TRUE(vgtest::PumpUntil([&] { return !Status().Picture().OverlayVisible(); }));
  Show(6, "Paper jam", "Remove the paper.", false);
  EXPECT_TRUE(Status().Picture().OverlayVisible());
  EXPECT_EQ(Status().Icon().CurrentIcon(), static_cast<DWORD>(IDI_STATUS_PAPER_JAM));
  EXPECT_EQ(ShownIcon(), Icon(IDI_STATUS_PAPER_JAM));
}

TEST_F(StatusViewTest, StatusLineIsSetOnlyWhenItsTextChanged) {
  Show(3, "Paper out", "Load paper.", false);
  EXPECT_EQ(Status().StatusLine(), "Load paper.");
  // The same text again leaves the item alone (it is not set anew).
  ::SetDlgItemTextA(dialog_, IDC_STATUS_LINE, "probe");
  Show(3, "Paper out", "Load paper.", false);
  EXPECT_EQ(vgtest::ItemText(dialog_, IDC_STATUS_LINE), "probe");
  // A change of letter case is a change.
  Show(3, "Paper out", "Load Paper.", false);
  EXPECT_EQ(vgtest::ItemText(dialog_, IDC_STATUS_LINE), "Load Paper.");
  EXPECT_EQ(Status().StatusLine(), "Load Paper.");
}

TEST_F(StatusViewTest, DetailTypeSetsTitleMenuAndSizeAtTheSizeMarker) {
  const RECT picture = ChildRect(IDC_STATUS_PICTURE);
  const RECT ok = ChildRect(IDOK);
  RECT marker = {};
  ::GetWindowRect(::GetDlgItem(dialog_, IDC_STATUS_SIZE_MARK), &marker);

  EXPECT_EQ(view_.ChangeDialogType(2), 0);
  EXPECT_EQ(view_.GetDialogType(), 2);
  EXPECT_EQ(vgtest::WindowText(dialog_), "KORVA Vigil 3 : " + printerName_);
  EXPECT_EQ(MenuState(SC_MINIMIZE) & MF_GRAYED, static_cast<UINT>(MF_GRAYED));
  EXPECT_EQ(MenuState(SC_CLOSE) & (MF_GRAYED | MF_DISABLED), 0u);
  EXPECT_EQ(::GetWindowLongPtrA(dialog_, GWL_STYLE) & WS_MINIMIZEBOX, 0);
  EXPECT_TRUE(::IsWindowVisible(dialog_));

  // The window ends one frame below the size marker, and nothing inside moved.
  const RECT window = WindowRect();
  EXPECT_EQ(window.bottom, marker.top + ::GetSystemMetrics(SM_CYDLGFRAME));
  EXPECT_EQ(view_.Height(), window.bottom - window.top);
  EXPECT_EQ(view_.Width(), window.right - window.left);
  const RECT pictureAfter = ChildRect(IDC_STATUS_PICTURE);
  const RECT okAfter = ChildRect(IDOK);
  EXPECT_TRUE(::EqualRect(&picture, &pictureAfter));
  EXPECT_TRUE(::EqualRect(&ok, &okAfter));
  EXPECT_FALSE(vgtest::ItemVisible(dialog_, IDC_STATUS_SIZE_MARK));

  // A restored window gets its title again.
  ::SetWindowTextA(dialog_, "probe");
  view_.OnSize(SIZE_MINIMIZED, 0, 0);
  EXPECT_EQ(vgtest::WindowText(dialog_), "probe");
  view_.OnSize(SIZE_RESTORED, 0, 0);
  EXPECT_EQ(vgtest::WindowText(dialog_), "KORVA Vigil 3 : " + printerName_);
}

TEST_F(StatusViewTest, CurrentTypeAgainChangesNeitherTitleNorMenuNorSize) {
  ASSERT_EQ(view_.ChangeDialogType(2), 0);
  ::SetWindowTextA(dialog_, "probe");
  ::EnableMenuItem(::GetSystemMenu(dialog_, FALSE), SC_MINIMIZE, MF_BYCOMMAND | MF_ENABLED);
  ::SetWindowPos(dialog_, nullptr, 0, 0, 300, 333, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  const RECT before = WindowRect();

  EXPECT_EQ(view_.ChangeDialogType(2), 2);
  EXPECT_EQ(vgtest::WindowText(dialog_), "probe");
  EXPECT_EQ(MenuState(SC_MINIMIZE) & MF_GRAYED, 0u);
  const RECT after = WindowRect();
  EXPECT_TRUE(::EqualRect(&before, &after));

  // Another type does all of it.
  EXPECT_EQ(view_.ChangeDialogType(7), 2);
  EXPECT_EQ(vgtest::WindowText(dialog_), "KORVA Vigil 3 : " + printerName_);
  EXPECT_EQ(MenuState(SC_MINIMIZE) & MF_GRAYED, static_cast<UINT>(MF_GRAYED));
  EXPECT_NE(WindowRect().bottom - WindowRect().top, 333);
}

TEST_F(StatusViewTest, HiddenTypeNeverShowsTheWindow) {
  view_.Show(0);
  EXPECT_FALSE(::IsWindowVisible(dialog_));
  EXPECT_FALSE(view_.IsVisible());
  EXPECT_EQ(view_.BringToFront(2), 0) << "nothing comes forward while not visible";
  EXPECT_FALSE(::IsWindowVisible(dialog_));

  view_.ChangeDialogType(4);
  EXPECT_FALSE(::IsWindowVisible(dialog_));
  view_.Show(5);
  EXPECT_TRUE(view_.IsVisible());
  EXPECT_FALSE(::IsWindowVisible(dialog_)) << "show in the hidden type hides";
  EXPECT_EQ(view_.BringToFront(0), 1);
  EXPECT_FALSE(::IsWindowVisible(dialog_));

  view_.ChangeDialogType(2);
  EXPECT_TRUE(::IsWindowVisible(dialog_)) << "the visible type brings it forward";
  view_.Show(0);
  view_.Show(5);
  EXPECT_TRUE(::IsWindowVisible(dialog_));
}

}  // namespace
