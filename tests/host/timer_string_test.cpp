// The polling interval text of a Driver key ("LocalMonitoringTimer", "NetworkMonitoringTimer"):
// the number before the first comma.
#include "printer/timer_string.h"

#include <gtest/gtest.h>

namespace {

using vgtimer::kMaxTimerSeconds;
using vgtimer::SecondsFromTimerString;

TEST(TimerString, TheNumberBeforeTheFirstComma) {
  EXPECT_EQ(SecondsFromTimerString("30,90"), 30);
  EXPECT_EQ(SecondsFromTimerString("30"), 30);
  EXPECT_EQ(SecondsFromTimerString("300,900,5"), 300);
  EXPECT_EQ(SecondsFromTimerString("007"), 7);
  EXPECT_EQ(SecondsFromTimerString(" \t15,1"), 15) << "leading blanks and tabs";
  EXPECT_EQ(SecondsFromTimerString("12s,90"), 12) << "up to the first other character";
}

TEST(TimerString, ZeroEmptyAndNonNumbersHaveNoValue) {
  EXPECT_EQ(SecondsFromTimerString(""), -1);
  EXPECT_EQ(SecondsFromTimerString("0"), -1);
  EXPECT_EQ(SecondsFromTimerString("0,5"), -1) << "the second value does not stand in";
  EXPECT_EQ(SecondsFromTimerString(",5"), -1);
  EXPECT_EQ(SecondsFromTimerString("   "), -1);
  EXPECT_EQ(SecondsFromTimerString("-5"), -1) << "no sign";
  EXPECT_EQ(SecondsFromTimerString("ten"), -1);
  EXPECT_EQ(SecondsFromTimerString(std::string_view("\0" "5", 2)), -1);
}

TEST(TimerString, LongNumbersReadAsTheLargestNeverSmaller) {
  EXPECT_EQ(SecondsFromTimerString("999999999"), 999999999);
  EXPECT_EQ(SecondsFromTimerString("1000000000"), kMaxTimerSeconds);
  EXPECT_EQ(SecondsFromTimerString("123456789012345678901234567890,5"), kMaxTimerSeconds);
}

}  // namespace
