// The picture control (files of the installation, resource bitmaps, frames, the blinking
// overlay), the alternating status icon and the visual-styles binding.
#include <gtest/gtest.h>

#include <string>

#include "support/process_output.h"
#include "support/test_model.h"
#include "support/win_test_support.h"
#include "ui/bmp256_ctrl_win.h"
#include "ui/dialog_driver.h"
#include "ui/driver_key_path.h"
#include "ui/icon_ctrl_win.h"
#include "ui/ui_test_library.h"
#include "ui/win_theme_ctrl_win.h"

namespace {

constexpr UINT kGetIconMessage = 0x0171;  // STM_GETICON

// A visible static control on this thread, as a dialog template would give it.
class StaticWindow {
 public:
  explicit StaticWindow(DWORD style = SS_LEFT)
      : window_(::CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE | style, 10, 10, 100,
                                  80, nullptr, nullptr, nullptr, nullptr)) {}
  ~StaticWindow() {
    if (::IsWindow(window_)) ::DestroyWindow(window_);
  }
  StaticWindow(const StaticWindow&) = delete;
  StaticWindow& operator=(const StaticWindow&) = delete;
  HWND Get() const { return window_; }

 private:
  HWND window_;
};

class PictureControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(library_.Get(), nullptr);
    ASSERT_NE(window_.Get(), nullptr);
    vgtest::SetString(HKEY_LOCAL_MACHINE, "software\\KORVA\\VGL3\\Driver\\" + model_.Driver(),
                      "InstallPath", model_.Dir());
    vgui::SetDriverKeyPath("software\\KORVA\\VGL3\\Driver\\" + model_.Driver());
    picture_.Attach(window_.Get());
    picture_.SetModule(library_.Get());
    picture_.SetImageSize(vgtest::kTestPictureWidth, vgtest::kTestPictureHeight);
  }
  void TearDown() override { vgui::SetDriverKeyPath(""); }

  // The colour in the middle of the control once every paint is done.
  COLORREF Shown() {
    ::UpdateWindow(window_.Get());
    return vgtest::PixelOf(window_.Get(), 8, 6);
  }
  std::string File(const char* name) const { return model_.Dir() + "\\" + name; }

  vgtest::ScopedResourceLibrary library_{"vguitest.dll"};
  vgtest::TestModel model_;
  StaticWindow window_;
  CBMP256Ctrl picture_;
};

TEST_F(PictureControlTest, WithoutAFileNameTheResourceBitmapIsPainted) {
  // The profile names the blue and yellow pictures, not the red one ("BMPRed").
  vgtest::WritePictureFile(File("blue.bmp"), RGB(1, 2, 3));
  picture_.SetFileNames("blue.bmp", "", "yellow.bmp");
  EXPECT_EQ(picture_.SelectPicture(512), 1);
  EXPECT_EQ(Shown(), vgtest::kColor512);
  RECT client = {};
  ::GetClientRect(window_.Get(), &client);
  EXPECT_EQ(client.right, vgtest::kTestPictureWidth) << "the control takes the picture's size";
  EXPECT_EQ(client.bottom, vgtest::kTestPictureHeight);

  picture_.SelectPicture(511);
  EXPECT_EQ(Shown(), RGB(1, 2, 3)) << "the blue picture comes from its file";
  picture_.SelectPicture(510);
  EXPECT_EQ(Shown(), vgtest::kColor510) << "the yellow file does not exist";
}

TEST_F(PictureControlTest, SamePictureAgainDoesNotRereadTheFile) {
  vgtest::WritePictureFile(File("red.bmp"), RGB(200, 0, 200));
  picture_.SetFileNames("", "red.bmp", "");
  picture_.SelectPicture(512);
  EXPECT_EQ(Shown(), RGB(200, 0, 200));

  vgtest::WritePictureFile(File("red.bmp"), RGB(0, 200, 200));
  picture_.SelectPicture(512);
  ::InvalidateRect(window_.Get(), nullptr, FALSE);
  EXPECT_EQ(Shown(), RGB(200, 0, 200)) << "the bytes read first are still shown";

  picture_.SelectPicture(511);
  picture_.SelectPicture(512);
  EXPECT_EQ(Shown(), RGB(0, 200, 200)) << "another picture in between reads it anew";
}

TEST_F(PictureControlTest, BrokenFileFallsBackToTheResource) {
  vgtest::WriteFile(File("red.bmp"), "BM this is not a picture");
  picture_.SetFileNames("", "red.bmp", "");
  picture_.SelectPicture(512);
  EXPECT_EQ(Shown(), vgtest::kColor512);
  // A picture wider than the file holds bytes for.
  std::string cut = vgtest::ReadFile(File("red.bmp"));
  vgtest::WritePictureFile(File("red.bmp"), RGB(9, 9, 9));
  cut = vgtest::ReadFile(File("red.bmp"));
  vgtest::WriteFile(File("red.bmp"), cut.substr(0, cut.size() - 10));
  picture_.SelectPicture(511);
  picture_.SelectPicture(512);
  EXPECT_EQ(Shown(), vgtest::kColor512);
}

TEST_F(PictureControlTest, FramesAdvanceOnTimerTwentyAndOneFrameStandsStill) {
  const WORD frames[] = {vgtest::kFrameRed, vgtest::kFrameBlue};
  EXPECT_EQ(picture_.SetFrames(2, frames), 1);
  EXPECT_EQ(picture_.TimerId(), 20u);
  EXPECT_EQ(picture_.CurrentPicture(), vgtest::kFrameRed);
  EXPECT_EQ(Shown(), vgtest::kColor800);
  ASSERT_TRUE(vgtest::PumpUntil([&] { return picture_.CurrentPicture() == vgtest::kFrameBlue; }));
  EXPECT_EQ(Shown(), vgtest::kColor801);
  ASSERT_TRUE(vgtest::PumpUntil([&] { return picture_.CurrentPicture() == vgtest::kFrameRed; }))
      << "after the last frame the first comes again";

  const WORD still[] = {vgtest::kFrameBrown};
  EXPECT_EQ(picture_.SetFrames(1, still), 1);
  EXPECT_EQ(picture_.TimerId(), 0u);
  EXPECT_FALSE(::KillTimer(window_.Get(), 20)) << "no timer runs for a still picture";
  EXPECT_EQ(Shown(), vgtest::kColor802);

  EXPECT_EQ(picture_.SetFrames(0, still), 0);
  EXPECT_EQ(picture_.SetFrames(2, nullptr), 0);
  EXPECT_EQ(picture_.CurrentPicture(), vgtest::kFrameBrown);
}

TEST_F(PictureControlTest, StopEndsTheAnimation) {
  const WORD frames[] = {vgtest::kFrameRed, vgtest::kFrameBlue};
  picture_.SetFrames(2, frames);
  picture_.Stop();
  EXPECT_EQ(picture_.TimerId(), 0u);
  EXPECT_FALSE(::KillTimer(window_.Get(), 20));
}

TEST_F(PictureControlTest, OverlayBlinksOverThePicture) {
  picture_.SetFileNames("", "", "");
  picture_.SelectPicture(512);
  EXPECT_EQ(picture_.SetOverlay(vgtest::kOverlayBlack, FALSE), 1);
  EXPECT_TRUE(picture_.OverlayVisible());
  EXPECT_EQ(picture_.TimerId(), 20u);
  EXPECT_EQ(Shown(), RGB(0, 0, 0)) << "the overlay covers the picture";
  ASSERT_TRUE(vgtest::PumpUntil([&] { return !picture_.OverlayVisible(); }));
  EXPECT_EQ(Shown(), vgtest::kColor512);
  ASSERT_TRUE(vgtest::PumpUntil([&] { return picture_.OverlayVisible(); }));

  picture_.SetOverlay(0, FALSE);
  EXPECT_EQ(picture_.TimerId(), 0u);
  EXPECT_EQ(Shown(), vgtest::kColor512);
}

TEST_F(PictureControlTest, ControlWindowMayGoFirst) {
  const WORD frames[] = {vgtest::kFrameRed, vgtest::kFrameBlue};
  picture_.SetFrames(2, frames);
  ::DestroyWindow(window_.Get());
  EXPECT_EQ(picture_.GetSafeHwnd(), nullptr);
  EXPECT_EQ(picture_.SelectPicture(511), 1) << "an object without its window stays usable";
}

class IconControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(library_.Get(), nullptr);
    icon_.Attach(window_.Get());
    icon_.SetModule(library_.Get());
  }
  HICON Shown() const {
    return reinterpret_cast<HICON>(::SendMessageA(window_.Get(), kGetIconMessage, 0, 0));
  }
  HICON Icon(int id) const { return ::LoadIconA(library_.Get(), MAKEINTRESOURCEA(id)); }

  vgtest::ScopedResourceLibrary library_{"vguitest.dll"};
  StaticWindow window_{SS_ICON};
  CIconCtrl icon_;
};

TEST_F(IconControlTest, TwoIconsAlternate) {
  const DWORD ids[] = {vgtest::kIconBlack, vgtest::kIconWhite};
  icon_.SetIcons({2, ids});
  EXPECT_EQ(icon_.TimerId(), 20u);
  EXPECT_EQ(Shown(), Icon(vgtest::kIconBlack));
  ASSERT_TRUE(vgtest::PumpUntil([&] { return Shown() == Icon(vgtest::kIconWhite); }));
  ASSERT_TRUE(vgtest::PumpUntil([&] { return Shown() == Icon(vgtest::kIconBlack); }));
}

TEST_F(IconControlTest, OneIconNeverBlinks) {
  const DWORD ids[] = {vgtest::kIconBlack, vgtest::kIconWhite};
  icon_.SetIcons({2, ids});
  const DWORD one[] = {vgtest::kIconWhite};
  icon_.SetIcons({1, one});
  EXPECT_EQ(icon_.TimerId(), 0u);
  EXPECT_FALSE(::KillTimer(window_.Get(), 20)) << "the blink timer has stopped";
  EXPECT_EQ(Shown(), Icon(vgtest::kIconWhite));
  EXPECT_EQ(icon_.CurrentIcon(), static_cast<DWORD>(vgtest::kIconWhite));
}

TEST(WinThemeCtrlTest, BoundOnlyFromWindowsXpOn) {
  struct Case {
    const char* version;
    const char* loaded;
  };
  for (const Case& c : {Case{"win98", "loaded=0"}, Case{"nt40", "loaded=0"},
                        Case{"win2k", "loaded=0"}, Case{"winxp", "loaded=1"},
                        Case{"win7", "loaded=1"}}) {
    vgtest::SetProgramWindowsVersion("vguiprobe.exe", c.version);
    const vgtest::CapturedRun run = vgtest::RunCaptured("vguiprobe.exe", "theme");
    EXPECT_TRUE(run.finished) << c.version;
    EXPECT_EQ(run.exitCode, 0u) << c.version;
    EXPECT_NE(run.output.find(c.loaded), std::string::npos) << c.version << ": " << run.output;
    if (std::string(c.loaded) == "loaded=0") {
      EXPECT_NE(run.output.find("result=1"), std::string::npos) << "nothing to do: S_FALSE";
    }
  }
  vgtest::SetProgramWindowsVersion("vguiprobe.exe", "");
}

}  // namespace
