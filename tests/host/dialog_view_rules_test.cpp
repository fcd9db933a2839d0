// The status window's view switcher: showing and bringing forward per dialog type, title,
// height.
#include "ui/dialog_view_rules.h"

#include <gtest/gtest.h>

namespace {

using vgui::DecideBringToFront;
using vgui::DecideShow;
using vgui::FrontAction;

TEST(DialogView, ShowInTheHiddenTypeHides) {
  auto shown = DecideShow(2, 5, false);
  EXPECT_EQ(shown.command, 5);
  EXPECT_TRUE(shown.visible);

  auto hidden = DecideShow(4, 5, false);
  EXPECT_EQ(hidden.command, 0) << "nothing may show a hidden status window";
  EXPECT_TRUE(hidden.visible) << "it counts as shown all the same";

  auto unset = DecideShow(0, 5, false);
  EXPECT_EQ(unset.command, 5);

  auto off = DecideShow(2, 0, true);
  EXPECT_EQ(off.command, 0);
  EXPECT_FALSE(off.visible);

  auto restore = DecideShow(4, 9, true);
  EXPECT_EQ(restore.command, 9) << "other commands pass unchanged";
  EXPECT_TRUE(restore.visible);
  EXPECT_FALSE(DecideShow(2, 1, false).visible);
}

TEST(DialogView, BringToFrontFollowsTheType) {
  EXPECT_EQ(DecideBringToFront(false, 2, 2), FrontAction::kNothing);
  EXPECT_EQ(DecideBringToFront(true, 2, 4), FrontAction::kToTop) << "the type asked for counts";
  EXPECT_EQ(DecideBringToFront(true, 4, 2), FrontAction::kHide);
  EXPECT_EQ(DecideBringToFront(true, 0, 4), FrontAction::kHide) << "0 is the current type";
  EXPECT_EQ(DecideBringToFront(true, 0, 2), FrontAction::kToTop);
  EXPECT_EQ(DecideBringToFront(true, 7, 0), FrontAction::kToTop) << "others behave as 2";
}

TEST(DialogView, TitleAndHeight) {
  EXPECT_EQ(vgui::BuildTitle("KORVA Vigil 3", "Office \\\\srv\\q", "LPT1:"),
            "KORVA Vigil 3 : Office \\\\srv\\q");
  EXPECT_EQ(vgui::BuildTitle("KORVA Vigil 3", "", "LPT1:"), "KORVA Vigil 3 : LPT1:");
  EXPECT_EQ(vgui::BuildTitle("", "", ""), " : ");
  EXPECT_EQ(vgui::WindowHeightFor(3, 18, true, 150), 3 + 18 + 150 + 3);
  EXPECT_EQ(vgui::WindowHeightFor(3, 18, false, 150), 3 + 18 + 3);
}

}  // namespace
