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

TEST(StartupRules, WellFormedStartsGoOn) {
  const vgmon::StartupNames names{"Office \xC4\xD6 \"A\"", "LPT1:", "KORVA VP-100", "VP-100"};
  EXPECT_EQ(vgmon::StartupRefusal("/P \"x\"", false, names), "");
  // A port alone, or a printer alone, names what to monitor.
  EXPECT_EQ(vgmon::StartupRefusal("", false, {"", "USB001", "", ""}), "");
  EXPECT_EQ(vgmon::StartupRefusal(std::string(259, 'c'), false, {std::string(258, 'p'), "", "", ""}), "");
}

TEST(StartupRules, RefusesWhatWasCutOrCannotBeAName) {
  const vgmon::StartupNames names{"P", "LPT1:", "D", "M"};
  EXPECT_EQ(vgmon::StartupRefusal(std::string(260, 'c'), false, names),
            "Refused : the command line is longer than 259 characters");
  const std::string full(259, 'n');
  EXPECT_EQ(vgmon::StartupRefusal("", false, {full, "", "", ""}),
            "Refused : PrinterName fills its 259 characters and may have been cut");
  EXPECT_EQ(vgmon::StartupRefusal("", false, {"P", "", "", full}),
            "Refused : ModelID fills its 259 characters and may have been cut");
  EXPECT_EQ(vgmon::StartupRefusal("", false, {"Pr\tinter", "", "", ""}),
            "Refused : PrinterName holds a control character");
  EXPECT_EQ(vgmon::StartupRefusal("", false, {"P", "LPT1:\n", "", ""}),
            "Refused : PortName holds a control character");
  EXPECT_EQ(vgmon::StartupRefusal("", false, {"P", "", "\x01", ""}),
            "Refused : DriverName holds a control character");
  EXPECT_EQ(vgmon::StartupRefusal("/S", false, {"", "", "D", "M"}), "Refused : no printer or port named");
  EXPECT_EQ(vgmon::StartupRefusal("/P \"P", true, names),
            "Refused : a quoted value of the command line has no closing quote");
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
