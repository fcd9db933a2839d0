// What the status window's view shows for a status: picture, icon and overlay of a display
// category, when the blink starts anew, when the status line is set, which items show.
#include "ui/status_view_rules.h"

#include <gtest/gtest.h>

#include "printer/status_tables.h"

namespace {

using vgui::DisplayOfCategory;
using vgui::PlanDisplayChange;
using vgui::StatusDisplay;

const int32_t (&Row(int category))[6] { return FindCategoryRow(category)->values; }

TEST(StatusDisplay, CategoryRowsAsTheViewReadsThem) {
  const StatusDisplay ready = DisplayOfCategory(Row(1));
  EXPECT_EQ(ready.picture, 511);
  EXPECT_EQ(ready.icon, 759u);
  EXPECT_EQ(ready.overlay, 0);
  EXPECT_FALSE(ready.iconBlinks);

  const StatusDisplay coverOpen = DisplayOfCategory(Row(5));
  EXPECT_EQ(coverOpen.picture, 512);
  EXPECT_EQ(coverOpen.icon, 758u);
  EXPECT_EQ(coverOpen.overlay, 777);
  EXPECT_TRUE(coverOpen.iconBlinks);

  const int32_t noIcon[6] = {13, 510, 1, 0, 0, 2};
  const StatusDisplay fallback = DisplayOfCategory(noIcon);
  EXPECT_EQ(fallback.icon, 750u) << "a category without an icon shows the default one";
  EXPECT_FALSE(fallback.iconBlinks) << "only 1 blinks";

  EXPECT_EQ(vgui::IconListOf(coverOpen), (std::vector<uint32_t>{758, 765}));
  EXPECT_EQ(vgui::IconListOf(ready), std::vector<uint32_t>{759});
}

TEST(StatusDisplay, BlinkRestartsOnlyForANewOverlayOrANewBlinkingIcon) {
  // Nothing shown yet: the first status sets the icon; a picture without overlay starts
  // no blink.
  auto first = PlanDisplayChange(0, 0, DisplayOfCategory(Row(1)));
  EXPECT_FALSE(first.restartBlink);
  EXPECT_TRUE(first.setIcons);

  // The same status again changes nothing.
  for (int category = 1; category <= 12; ++category) {
    const StatusDisplay shown = DisplayOfCategory(Row(category));
    auto again = PlanDisplayChange(shown.icon, shown.overlay, shown);
    EXPECT_FALSE(again.restartBlink) << category;
    EXPECT_FALSE(again.setIcons) << category;
  }

  // Another overlay (category 5's 777 after category 6's 771): both blink anew, in step,
  // even though the icon stays the same.
  const StatusDisplay six = DisplayOfCategory(Row(6));
  auto overlay = PlanDisplayChange(six.icon, six.overlay, DisplayOfCategory(Row(5)));
  EXPECT_TRUE(overlay.restartBlink);
  EXPECT_TRUE(overlay.setIcons);

  // A new blinking icon under the same overlay (category 7 after 6): restart.
  auto blinking = PlanDisplayChange(six.icon, six.overlay, DisplayOfCategory(Row(7)));
  EXPECT_TRUE(blinking.restartBlink);

  // A new icon that does not blink, without an overlay: the icon changes, nothing restarts.
  const StatusDisplay eleven = DisplayOfCategory(Row(11));
  const int32_t still[6] = {11, 510, 1, 751, 0, 0};
  auto calm = PlanDisplayChange(eleven.icon, eleven.overlay, DisplayOfCategory(still));
  EXPECT_FALSE(calm.restartBlink);
  EXPECT_TRUE(calm.setIcons);

  // The same blinking icon under the same overlay (category 4 after 12: both 758, no
  // overlay): no restart, no new list.
  const StatusDisplay twelve = DisplayOfCategory(Row(12));
  auto same = PlanDisplayChange(twelve.icon, twelve.overlay, DisplayOfCategory(Row(4)));
  EXPECT_FALSE(same.restartBlink);
  EXPECT_FALSE(same.setIcons);
}

TEST(StatusDisplay, StatusLineChangesByExactText) {
  EXPECT_FALSE(vgui::StatusLineChanged("Load paper.", "Load paper."));
  EXPECT_TRUE(vgui::StatusLineChanged("Load paper.", "Load Paper.")) << "letter case counts";
  EXPECT_TRUE(vgui::StatusLineChanged("", "Ready"));
  EXPECT_TRUE(vgui::StatusLineChanged("Ready", ""));
}

TEST(StatusDisplay, HelpItemsNeedTheFlagAndHelp) {
  EXPECT_TRUE(vgui::ViewItemsFor(true, true).main);
  EXPECT_TRUE(vgui::ViewItemsFor(true, true).help);
  EXPECT_TRUE(vgui::ViewItemsFor(true, false).main);
  EXPECT_FALSE(vgui::ViewItemsFor(true, false).help);
  EXPECT_FALSE(vgui::ViewItemsFor(false, true).main);
  EXPECT_FALSE(vgui::ViewItemsFor(false, true).help) << "a hidden view hides its help too";
}

}  // namespace
