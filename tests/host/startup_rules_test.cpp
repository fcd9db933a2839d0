// The monitor's start-up decisions: names of its per-printer objects, job ids and ports.
#include <gtest/gtest.h>

#include <string>

#include "common/instance_names.h"
#include "monitor/startup_rules.h"

namespace {

TEST(InstanceNames, MappingUsesPrinterElsePortWithSlashesForBackslashes) {
  EXPECT_EQ(vgnames::InstanceMappingName("\\\\server\\queue", "LPT1:"), "VG_MAP_//server/queue");
  EXPECT_EQ(vgnames::InstanceMappingName("", "\\\\server\\share"), "VG_MAP_//server/share");
  EXPECT_EQ(vgnames::SynchroEventName("\\\\srv\\q", ""), "MonitoringSynchroEvent_,,srv,q");
}

TEST(InstanceNames, NamesAreCutAt259Characters) {
  const std::string longName(300, 'n');
  EXPECT_EQ(vgnames::InstanceMappingName(longName, "").size(), 259u);
  EXPECT_EQ(vgnames::SynchroEventName(longName, "").size(), 259u);
}

TEST(StartupRules, JobIdsMustBeDigitsOnly) {
  EXPECT_TRUE(vgmon::IsValidJobId("0123456789"));
  EXPECT_TRUE(vgmon::IsValidJobId(""));
  EXPECT_FALSE(vgmon::IsValidJobId("12a"));
  EXPECT_FALSE(vgmon::IsValidJobId(" 12"));
  EXPECT_FALSE(vgmon::IsValidJobId("-1"));
}

TEST(StartupRules, FilePortInAnyCase) {
  EXPECT_TRUE(vgmon::IsFilePort("FILE:"));
  EXPECT_TRUE(vgmon::IsFilePort("file:C:\\out.prn"));
  EXPECT_TRUE(vgmon::IsFilePort("FiLe:"));
  EXPECT_FALSE(vgmon::IsFilePort("FILE"));
  EXPECT_FALSE(vgmon::IsFilePort("LPT1:"));
}

TEST(StartupRules, ListedPortIsTheSecondField) {
  EXPECT_EQ(vgmon::ListedPort("winspool,LPT1:,15,45"), "LPT1:");
  EXPECT_EQ(vgmon::ListedPort("winspool,USB001"), "USB001");
  EXPECT_EQ(vgmon::ListedPort("winspool"), "");
  EXPECT_EQ(vgmon::ListedPort(""), "");
}

TEST(StartupRules, PortMatchesByEachRule) {
  // Listed port, any case.
  EXPECT_TRUE(vgmon::IsPrintersPort("lpt1:", "LPT1:", "USB001"));
  // A redirected network port.
  EXPECT_TRUE(vgmon::IsPrintersPort("Ne01:", "LPT1:", "USB001"));
  EXPECT_TRUE(vgmon::IsPrintersPort("NE02:", "", ""));
  EXPECT_FALSE(vgmon::IsPrintersPort("Ne01", "LPT1:", "USB001"));
  // The printer's own port, and that port without its colon.
  EXPECT_TRUE(vgmon::IsPrintersPort("usb001", "", "USB001"));
  EXPECT_TRUE(vgmon::IsPrintersPort("COM1", "", "COM1:"));
  EXPECT_FALSE(vgmon::IsPrintersPort("COM1:", "", "COM1"));
  EXPECT_FALSE(vgmon::IsPrintersPort("LPT2:", "LPT1:", "LPT1:"));
}

}  // namespace
