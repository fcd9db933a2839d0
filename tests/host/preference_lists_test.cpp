// The preferences' two lists on plain values: the notification entries, the column widths of
// the notification list, and the tray icon picker's placement, frames and colours.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

#include "ui/icon_list_layout.h"
#include "ui/notify_columns.h"
#include "ui/ntfy_entry.h"

namespace {

using namespace vgui;

TEST(NtfyEntry, NamesFollowTheNumberAndCopiesCarryEverything) {
  CNtfyEntry entry(12, 1);
  EXPECT_STREQ(entry.ValueName(), "012");
  EXPECT_STREQ(entry.IniKey(), "ITEM012");
  EXPECT_EQ(entry.Number(), 12);
  EXPECT_EQ(entry.Value(), 1);

  CNtfyEntry copy;
  copy = entry;
  EXPECT_EQ(copy.Number(), 12);
  EXPECT_EQ(copy.Value(), 1);
  EXPECT_STREQ(copy.ValueName(), "012");
  EXPECT_STREQ(copy.IniKey(), "ITEM012");

  EXPECT_EQ(CNtfyEntry(7, 5).Value(), 0) << "anything but 1 is off";
  EXPECT_STREQ(CNtfyEntry(1234, 0).ValueName(), "1234");
  EXPECT_STREQ(CNtfyEntry(INT_MIN, 0).IniKey(), "ITEM-2147483648");
  CNtfyEntry empty;
  EXPECT_STREQ(empty.ValueName(), "");
  EXPECT_EQ(empty.Number(), 0);
}

NotifyColumnTexts Texts() {
  NotifyColumnTexts texts;
  texts.margin = 10;
  texts.labelHeader = 30;
  texts.stateHeader = 50;
  texts.stateTexts[0] = 20;
  texts.stateTexts[1] = 15;
  texts.items = {100, 80};
  return texts;
}

TEST(NotifyColumns, SpareWidthIsSharedWhenBothFit) {
  // Needs: labels 100 + 10, states 50 (the header is widest) + 10.
  const NotifyColumnWidths widths = LayOutNotifyColumns(300, Texts());
  EXPECT_EQ(widths.label, 110 + (300 - 110 - 60) / 2);
  EXPECT_EQ(widths.state, 300 - widths.label);

  NotifyColumnTexts texts = Texts();
  texts.stateTexts[1] = 70;
  texts.items = {};
  const NotifyColumnWidths narrow = LayOutNotifyColumns(121, texts);
  EXPECT_EQ(narrow.label, 40 + (121 - 40 - 80) / 2) << "header 30 is the least label need";
  EXPECT_EQ(narrow.label + narrow.state, 121);
}

TEST(NotifyColumns, WhenTheyDoNotFitTheStateColumnKeepsItsNeed) {
  const NotifyColumnWidths widths = LayOutNotifyColumns(150, Texts());
  EXPECT_EQ(widths.state, 60);
  EXPECT_EQ(widths.label, 90);
  const NotifyColumnWidths exact = LayOutNotifyColumns(170, Texts());
  EXPECT_EQ(exact.label, 110) << "exactly fitting leaves nothing to share";
  EXPECT_EQ(exact.state, 60);
}

TEST(NotifyColumns, NoWidthIsNegative) {
  const NotifyColumnWidths tiny = LayOutNotifyColumns(40, Texts());
  EXPECT_EQ(tiny.state, 60);
  EXPECT_EQ(tiny.label, 0) << "a negative width would make the list size the column itself";
  const NotifyColumnWidths none = LayOutNotifyColumns(-5, Texts());
  EXPECT_GE(none.label, 0);
  EXPECT_GE(none.state, 0);
}

TEST(TrayIconPlacement, FewerThanFourIconsStandWithEqualGaps) {
  EXPECT_FALSE(PlacesIconsEvenly(0));
  EXPECT_TRUE(PlacesIconsEvenly(1));
  EXPECT_TRUE(PlacesIconsEvenly(3));
  EXPECT_FALSE(PlacesIconsEvenly(4));

  // Two icons of 32 in 180 x 51: three gaps of (180 - 64) / 3 = 38.
  const std::vector<ListPoint> two = EvenIconPositions(180, 51, 32, 32, 2);
  ASSERT_EQ(two.size(), 2u);
  EXPECT_EQ(two[0].x, 38);
  EXPECT_EQ(two[1].x, 38 + 32 + 38);
  EXPECT_EQ(180 - (two[1].x + 32), 40) << "the last gap takes the remainder";
  EXPECT_EQ(two[0].y, (51 - 32) / 2);
  EXPECT_EQ(two[1].y, two[0].y);

  const std::vector<ListPoint> three = EvenIconPositions(180, 51, 32, 32, 3);
  ASSERT_EQ(three.size(), 3u);
  EXPECT_EQ(three[0].x, 21);
  EXPECT_EQ(three[1].x - (three[0].x + 32), 21);
  EXPECT_EQ(three[2].x - (three[1].x + 32), 21);
}

TEST(TrayIconPlacement, ATooSmallListGetsNoNegativeOffsets) {
  const std::vector<ListPoint> places = EvenIconPositions(50, 20, 32, 32, 3);
  ASSERT_EQ(places.size(), 3u);
  EXPECT_EQ(places[0].x, 0);
  EXPECT_EQ(places[1].x, 32);
  EXPECT_EQ(places[0].y, 0);
  EXPECT_TRUE(EvenIconPositions(100, 40, 32, 32, 0).empty());
  EXPECT_EQ(EvenIconPositions(INT_MAX, INT_MAX, 1, 1, 3).size(), 3u) << "no overflow";
}

TEST(TrayIconFrames, FiveFramesFromTheIconOutwards) {
  const IconFrames frames = FramesAround({10, 20, 42, 52}, 32, 32);
  EXPECT_EQ(frames.iconAt.x, 10) << "the icon stays where the list put it";
  EXPECT_EQ(frames.iconAt.y, 20);
  EXPECT_EQ(frames.frames[0].left, 9);
  EXPECT_EQ(frames.frames[0].top, 19);
  EXPECT_EQ(frames.frames[0].right, 43);
  EXPECT_EQ(frames.frames[0].bottom, 53);
  for (int k = 1; k < kFrameCount; ++k) {
    EXPECT_EQ(frames.frames[k].left, frames.frames[0].left - k);
    EXPECT_EQ(frames.frames[k].bottom, frames.frames[0].bottom + k);
  }
  // An icon rectangle wider than the icon: the box is centred on it.
  const IconFrames wide = FramesAround({0, 0, 64, 32}, 32, 32);
  EXPECT_EQ(wide.iconAt.x, 16);
  EXPECT_EQ(wide.frames[0].right - wide.frames[0].left, 34);
}

TEST(TrayIconFrames, ColoursFollowSelectionAndFocus) {
  for (int k = 0; k < kFrameCount; ++k) {
    EXPECT_EQ(FrameColourOf(false, true, k), FrameColour::kWindow) << k;
    EXPECT_EQ(FrameColourOf(true, true, k), FrameColour::kHighlight) << k;
  }
  EXPECT_EQ(FrameColourOf(true, false, 0), FrameColour::kWindow);
  EXPECT_EQ(FrameColourOf(true, false, 2), FrameColour::kWindow);
  EXPECT_EQ(FrameColourOf(true, false, 3), FrameColour::kHighlight);
  EXPECT_EQ(FrameColourOf(true, false, 4), FrameColour::kHighlight);

  const IconFrames frames = FramesAround({10, 10, 42, 42}, 32, 32);
  const ListRect below = AreaBelow({0, 0, 180, 51}, frames);
  EXPECT_EQ(below.top, frames.frames[4].bottom);
  EXPECT_EQ(below.bottom, 51);
  EXPECT_EQ(below.left, 0);
  EXPECT_EQ(below.right, 180);
  const ListRect none = AreaBelow({0, 0, 180, 20}, frames);
  EXPECT_EQ(none.top, none.bottom) << "nothing below the client area";
}

TEST(TrayIconFrames, DisabledBackgroundAveragesEachChannel) {
  EXPECT_EQ(AverageColour(0x00C0C0C0, 0x00FFFFFF), 0x00DFDFDFu);
  EXPECT_EQ(AverageColour(0x000000FF, 0x0000FF00), 0x00007F7Fu);
  EXPECT_EQ(AverageColour(0x00FF0000, 0x00FF0000), 0x00FF0000u);
  EXPECT_EQ(AverageColour(0xFF000000, 0x00000000), 0u) << "the top byte is no channel";
}

}  // namespace
