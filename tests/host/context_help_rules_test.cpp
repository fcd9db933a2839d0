// Context help of the preferences: the control table, the topic of a click, the address of a
// topic and where the help window stands.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ui/context_help_rules.h"

namespace {

using namespace vghelp;

TEST(HelpTable, EveryControlHasItsTopicAndTheTableEndsInZero) {
  EXPECT_EQ(TopicOfControl(100), 0x3000u);
  EXPECT_EQ(TopicOfControl(110), 0x3000u);
  for (uint32_t id : {220u, 200u, 201u, 202u, 392u, 393u, 203u}) EXPECT_EQ(TopicOfControl(id), 0x3005u) << id;
  for (uint32_t id : {221u, 204u, 206u, 205u, 207u, 222u, 223u}) EXPECT_EQ(TopicOfControl(id), 0x3010u) << id;
  EXPECT_EQ(TopicOfControl(209), 0x3020u);
  EXPECT_EQ(TopicOfControl(208), 0x3015u);
  EXPECT_EQ(TopicOfControl(1), 0u) << "the buttons have no topic of their own";
  EXPECT_EQ(TopicOfControl(0), 0u) << "the end row is no control";
  EXPECT_EQ(kControlHelp[kHelpRowCount - 1].control, 0u);
  EXPECT_EQ(kControlHelp[kHelpRowCount - 1].topic, 0u);
  // Both help engines read it as an array of 32-bit pairs.
  static_assert(sizeof(HelpRow) == 8, "pairs of 32-bit words");
  uint32_t words[2];
  std::memcpy(words, &kControlHelp[17], sizeof words);
  EXPECT_EQ(words[0], 208u);
  EXPECT_EQ(words[1], 0x3015u);
}

TEST(HelpTable, TrayGroupWinsWhereBothGroupsHold) {
  EXPECT_EQ(TopicOfGroups(true, false), 0x3005u);
  EXPECT_EQ(TopicOfGroups(false, true), 0x3010u);
  EXPECT_EQ(TopicOfGroups(true, true), 0x3010u);
  EXPECT_EQ(TopicOfGroups(false, false), 0u);
}

TEST(HelpTable, RectanglesIncludeTheirEdges) {
  const Rect rect{10, 20, 30, 40};
  EXPECT_TRUE(Contains(rect, 10, 20));
  EXPECT_TRUE(Contains(rect, 30, 40));
  EXPECT_TRUE(Contains(rect, 15, 25));
  EXPECT_FALSE(Contains(rect, 9, 25));
  EXPECT_FALSE(Contains(rect, 31, 25));
  EXPECT_FALSE(Contains(rect, 15, 41));
}

TEST(HelpTopicAddress, PageOfTheTopicInTheHtmlFolderAndTheWindowType) {
  EXPECT_EQ(TopicAddress("C:\\Vigil\\vghelp.chm", 0x3015).value(),
            "C:\\Vigil\\vghelp.chm::HTML\\0X3015.htm>VglHH_Context");
  EXPECT_EQ(TopicAddress("h.chm", 0x3a).value(), "h.chm::HTML\\0X003A.htm>VglHH_Context");
  EXPECT_EQ(TopicAddress("h.chm", 0x3000, "Main").value(), "h.chm::HTML\\0X3000.htm>Main");
}

TEST(HelpTopicAddress, WholeAddressFitsFiveHundredTwentyBytes) {
  const size_t tail = std::strlen("::HTML\\0X3015.htm>VglHH_Context");
  const std::string fits(kTopicAddressSize - 1 - tail, 'f');
  ASSERT_TRUE(TopicAddress(fits, 0x3015));
  EXPECT_EQ(TopicAddress(fits, 0x3015)->size(), kTopicAddressSize - 1);
  EXPECT_FALSE(TopicAddress(fits + "f", 0x3015)) << "a cut address opens another page";
}

TEST(HelpWindowPlace, QuarterScreenAtTheCursorTurningBackAtTheEdges) {
  Rect r = HelpWindowRect(100, 50, 800, 600);
  EXPECT_EQ(r.left, 100);
  EXPECT_EQ(r.top, 50);
  EXPECT_EQ(r.right, 300);
  EXPECT_EQ(r.bottom, 200);

  r = HelpWindowRect(700, 500, 800, 600);
  EXPECT_EQ(r.left, 500) << "left of the cursor near the right edge";
  EXPECT_EQ(r.top, 350) << "above the cursor near the bottom";
  EXPECT_EQ(r.right, 700);
  EXPECT_EQ(r.bottom, 500);

  r = HelpWindowRect(600, 450, 800, 600);
  EXPECT_EQ(r.left, 600) << "exactly at the edge still fits";
  EXPECT_EQ(r.top, 450);

  r = HelpWindowRect(601, 451, 800, 600);
  EXPECT_EQ(r.left, 401);
  EXPECT_EQ(r.top, 301);

  r = HelpWindowRect(0, 0, 1023, 767);
  EXPECT_EQ(r.right - r.left, 255);
  EXPECT_EQ(r.bottom - r.top, 191);
}

TEST(HelpWindowPlace, TabOrderLeavesFiveToTenUnused) {
  const auto order = HelpTabOrder();
  for (size_t i = 0; i < order.size(); ++i) {
    if (i >= 5 && i <= 10) {
      EXPECT_EQ(order[i], 255) << i;
    } else {
      EXPECT_EQ(order[i], i) << i;
    }
  }
}

}  // namespace
