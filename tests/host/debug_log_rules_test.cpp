// Where the debug logs go and how trace levels count.
#include "common/debug_log_rules.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

using vglog::ChooseLogFolder;
using vglog::LogFolder;

TEST(DebugLogRules, OnlyTheNtFamilyLogsAndItsVersionChoosesTheFolder) {
  EXPECT_EQ(ChooseLogFolder(false, 4), LogFolder::kNone) << "Windows 9x";
  EXPECT_EQ(ChooseLogFolder(false, 10), LogFolder::kNone);
  EXPECT_EQ(ChooseLogFolder(true, 3), LogFolder::kTemp);
  EXPECT_EQ(ChooseLogFolder(true, 4), LogFolder::kTemp) << "NT 4";
  EXPECT_EQ(ChooseLogFolder(true, 5), LogFolder::kCommonAppData) << "Windows 2000";
  EXPECT_EQ(ChooseLogFolder(true, 10), LogFolder::kCommonAppData);
}

TEST(DebugLogRules, OnlyTheNameBehindTheLastBackslashCounts) {
  EXPECT_EQ(vglog::LogFileNamePart("C:\\VGMONX.LOG"), "VGMONX.LOG");
  EXPECT_EQ(vglog::LogFileNamePart("D:\\logs\\old\\VGL3_QOLT.LOG"), "VGL3_QOLT.LOG");
  EXPECT_EQ(vglog::LogFileNamePart("VGMONX.LOG"), "VGMONX.LOG");
  EXPECT_EQ(vglog::LogFileNamePart("C:/x/VGMONX.LOG"), "C:/x/VGMONX.LOG")
      << "a slash is no separator";
}

TEST(DebugLogRules, LevelsAboveTwoCountAsLevelZero) {
  EXPECT_EQ(vglog::EffectiveTraceLevel(0), 0u);
  EXPECT_EQ(vglog::EffectiveTraceLevel(1), 1u);
  EXPECT_EQ(vglog::EffectiveTraceLevel(2), 2u);
  EXPECT_EQ(vglog::EffectiveTraceLevel(3), 0u);
  EXPECT_EQ(vglog::EffectiveTraceLevel(5), 0u);
  EXPECT_EQ(vglog::EffectiveTraceLevel(UINT_MAX), 0u);
}

}  // namespace
