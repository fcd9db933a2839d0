// The picture control's frames and blinking overlay, the alternating status icon, and the
// choice of a picture file.
#include "ui/picture_animation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/picture_rules.h"

namespace vgui {
namespace {

TEST(PictureFrames, SeveralFramesAdvanceAndWrap) {
  PictureAnimation animation;
  EXPECT_EQ(animation.SetFrames({800, 801, 802}), 800);
  EXPECT_TRUE(animation.TimerNeeded());
  int picture = 800;
  std::vector<int> shown;
  for (int i = 0; i < 4; ++i) {
    ASSERT_TRUE(animation.Tick(&picture));
    shown.push_back(picture);
  }
  EXPECT_EQ(shown, (std::vector<int>{801, 802, 800, 801}));
}

TEST(PictureFrames, OneFrameIsAStillPicture) {
  PictureAnimation animation;
  EXPECT_EQ(animation.SetFrames({700}), 700);
  EXPECT_FALSE(animation.TimerNeeded());
  EXPECT_FALSE(animation.IsAnimating());
  int picture = 700;
  EXPECT_FALSE(animation.Tick(&picture));
  EXPECT_EQ(picture, 700);
}

TEST(PictureFrames, EmptyListSelectsNothingAndNewListStartsOver) {
  PictureAnimation animation;
  EXPECT_EQ(animation.SetFrames({}), 0);
  EXPECT_FALSE(animation.TimerNeeded());
  animation.SetFrames({1, 2, 3});
  int picture = 0;
  animation.Tick(&picture);
  EXPECT_EQ(animation.FrameIndex(), 1u);
  EXPECT_EQ(animation.SetFrames({7, 8}), 7);
  EXPECT_EQ(animation.FrameIndex(), 0u);
  animation.Tick(&picture);
  EXPECT_EQ(picture, 8);
}

TEST(PictureOverlay, NewIdShowsAtOnceAndBlinks) {
  PictureAnimation animation;
  const auto update = animation.SetOverlay(771, false);
  EXPECT_TRUE(update.reloadIcon);
  EXPECT_TRUE(update.restartTimer);
  EXPECT_TRUE(update.invalidate);
  EXPECT_TRUE(animation.OverlayVisible());
  EXPECT_TRUE(animation.TimerNeeded());
  int picture = 512;
  EXPECT_TRUE(animation.Tick(&picture));
  EXPECT_FALSE(animation.OverlayVisible());
  EXPECT_EQ(picture, 512) << "without frames the picture stays";
  EXPECT_TRUE(animation.Tick(&picture));
  EXPECT_TRUE(animation.OverlayVisible());
}

TEST(PictureOverlay, SameIdRestartsOnlyWhenAsked) {
  PictureAnimation animation;
  animation.SetOverlay(771, false);
  int picture = 0;
  animation.Tick(&picture);  // hidden phase
  auto update = animation.SetOverlay(771, false);
  EXPECT_FALSE(update.reloadIcon);
  EXPECT_FALSE(update.restartTimer);
  EXPECT_FALSE(animation.OverlayVisible()) << "the blink goes on undisturbed";
  update = animation.SetOverlay(771, true);
  EXPECT_FALSE(update.reloadIcon);
  EXPECT_TRUE(update.restartTimer);
  EXPECT_TRUE(update.invalidate);
  EXPECT_TRUE(animation.OverlayVisible()) << "a restart shows it at once";
}

TEST(PictureOverlay, IdZeroTakesItAwayAndStopsTheBlink) {
  PictureAnimation animation;
  animation.SetOverlay(771, false);
  const auto update = animation.SetOverlay(0, false);
  EXPECT_TRUE(update.reloadIcon);
  EXPECT_TRUE(update.invalidate);
  EXPECT_EQ(animation.OverlayId(), 0);
  EXPECT_FALSE(animation.TimerNeeded());
  int picture = 510;
  EXPECT_FALSE(animation.Tick(&picture));
}

TEST(PictureOverlay, FramesKeepRunningWhenTheOverlayGoes) {
  PictureAnimation animation;
  animation.SetFrames({1, 2});
  animation.SetOverlay(771, false);
  animation.SetOverlay(0, false);
  EXPECT_TRUE(animation.TimerNeeded());
}

TEST(PictureStop, StopsFramesAndBlinkUntilSetAgain) {
  PictureAnimation animation;
  animation.SetFrames({1, 2});
  animation.SetOverlay(771, false);
  animation.Stop();
  EXPECT_FALSE(animation.TimerNeeded());
  EXPECT_FALSE(animation.IsAnimating());
  int picture = 1;
  EXPECT_FALSE(animation.Tick(&picture));
  animation.SetOverlay(771, true);
  EXPECT_TRUE(animation.TimerNeeded()) << "a restart starts the blink again";
}

TEST(IconCycleTest, TwoIconsAlternate) {
  IconCycle cycle;
  EXPECT_EQ(cycle.SetIcons({758, 765}), 758u);
  EXPECT_TRUE(cycle.Blinks());
  EXPECT_EQ(cycle.Tick(), 765u);
  EXPECT_EQ(cycle.Tick(), 758u);
  EXPECT_EQ(cycle.Current(), 758u);
}

TEST(IconCycleTest, OneIconNeverBlinks) {
  IconCycle cycle;
  EXPECT_EQ(cycle.SetIcons({750}), 750u);
  EXPECT_FALSE(cycle.Blinks());
  EXPECT_EQ(cycle.Tick(), 0u);
  EXPECT_EQ(cycle.Current(), 750u);
  EXPECT_EQ(cycle.SetIcons({}), 0u);
  EXPECT_FALSE(cycle.Blinks());
}

TEST(IconCycleTest, NewListStartsAtItsFirstIcon) {
  IconCycle cycle;
  cycle.SetIcons({1, 2, 3});
  cycle.Tick();
  cycle.Tick();
  EXPECT_EQ(cycle.SetIcons({4, 5}), 4u);
  EXPECT_EQ(cycle.Tick(), 5u);
}

TEST(PictureFile, CategoryPicturesComeFromTheirFiles) {
  const PictureFileNames names{"blue.bmp", "red.bmp", "yellow.bmp"};
  EXPECT_EQ(PictureFilePath("C:\\Inst", kPictureBlue, names), "C:\\Inst\\blue.bmp");
  EXPECT_EQ(PictureFilePath("C:\\Inst\\", kPictureRed, names), "C:\\Inst\\red.bmp");
  EXPECT_EQ(PictureFilePath("C:\\Inst", kPictureYellow, names), "C:\\Inst\\yellow.bmp");
}

TEST(PictureFile, OtherIdsMissingNamesAndMissingFolderUseTheResource) {
  const PictureFileNames names{"blue.bmp", "", "yellow.bmp"};
  EXPECT_EQ(PictureFilePath("C:\\Inst", kPictureRed, names), "") << "no BMPRed";
  EXPECT_EQ(PictureFilePath("C:\\Inst", 11110, names), "");
  EXPECT_EQ(PictureFilePath("", kPictureBlue, names), "");
}

TEST(PictureFile, PathThatDoesNotFitIsNoPath) {
  const std::string folder(252, 'a');
  const PictureFileNames names{"blue.bmp", "r.bmp", "y.bmp"};
  EXPECT_EQ(PictureFilePath(folder, kPictureBlue, names), "");
  EXPECT_EQ(PictureFilePath(folder, kPictureRed, names), folder + "\\r.bmp");  // 258 characters
}

}  // namespace
}  // namespace vgui
