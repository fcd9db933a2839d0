// The tray icon program's decisions: what a start asks for, which printer a request names,
// which icon and which tip a printer gets.
#include <gtest/gtest.h>

#include <string>

#include "tools/vgicon/icon_rules.h"

namespace {

using namespace vgicon;

TEST(IconProgram, FlagsChooseWhatAStartDoes) {
  EXPECT_EQ(ActionOf(false, true, true, true), Action::kNothing) << "no printer named";
  EXPECT_EQ(ActionOf(true, false, false, false), Action::kShowIcon);
  EXPECT_EQ(ActionOf(true, true, false, false), Action::kRemoveIcon);
  EXPECT_EQ(ActionOf(true, true, true, false), Action::kRemoveIcon) << "removal comes first";
  EXPECT_EQ(ActionOf(true, false, true, true), Action::kShowStatus);
  EXPECT_EQ(ActionOf(true, false, false, true), Action::kShowPreferences);
}

TEST(IconProgram, PrintersAreNamedByNameElsePortWithoutRegardToCase) {
  EXPECT_TRUE(SamePrinter("Office", "LPT1:", "OFFICE", "COM2:"));
  EXPECT_FALSE(SamePrinter("Office", "LPT1:", "Lab", "LPT1:"));
  EXPECT_TRUE(SamePrinter("", "LPT1:", "", "lpt1:"));
  EXPECT_FALSE(SamePrinter("", "LPT1:", "LPT1:", "LPT1:")) << "a port is no printer name";
  EXPECT_EQ(DisplayName("", "USB001"), "USB001");
  EXPECT_EQ(DisplayName("Office", "USB001"), "Office");
}

TEST(IconProgram, UnreachableOrOtherModelIsShownWithoutTheStoredReply) {
  EXPECT_EQ(ForcedStatusOf(0), 21);
  EXPECT_EQ(ForcedStatusOf(4), 22);
  EXPECT_EQ(ForcedStatusOf(3), 16);
  for (int state : {1, 2, 5, -1, 99}) EXPECT_EQ(ForcedStatusOf(state), 0) << state;
}

TEST(IconProgram, ChosenTrayIconElseTheFirst) {
  EXPECT_EQ(TrayIconResource(0), 700);
  EXPECT_EQ(TrayIconResource(2), 702);
  EXPECT_EQ(TrayIconResource(3), 700);
  EXPECT_EQ(TrayIconResource(-1), 700);
}

TEST(IconProgram, TipIsNameAndStatusOnOneLineWithinItsBuffer) {
  EXPECT_EQ(TipText("Office", "Paper out", 128), "Office: Paper out");
  EXPECT_EQ(TipText("Office", "", 128), "Office");
  EXPECT_EQ(TipText("Office", "Cover\r\nopen", 128), "Office: Cover  open");
  EXPECT_EQ(TipText(std::string(200, 'p'), "Ready", 64).size(), 63u);
  EXPECT_EQ(TipText("Office", "Ready", 0), "");
}

}  // namespace
