// The stand-ins of the maker's programs: the answer address they read from their command line,
// the records of their starts, and the answer delay.
#include "tools/qvsim/standin_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace qvsim;

TEST(StandInReturnAddress, WindowAndMessageInHexadecimal) {
  auto address =
      FindReturnAddress("C:\\x\\qvapiset.exe /Act=Ch /QVP=A:NC /Ret=WM:1a2b;40a  /Agt=On");
  ASSERT_TRUE(address);
  EXPECT_EQ(address->window, 0x1a2bu);
  EXPECT_EQ(address->message, 0x40au);

  address = FindReturnAddress("/ret=wm:FFFFFFFF;40A");
  ASSERT_TRUE(address) << "either case, at the end of the line";
  EXPECT_EQ(address->window, 0xFFFFFFFFu);
  address = FindReturnAddress("C:\\odd/Ret=WM:;folder\\qvapiset.exe /Ret=WM:12;40a /Agt=Off");
  ASSERT_TRUE(address) << "the option after the program's path counts";
  EXPECT_EQ(address->window, 0x12u);
  address = FindReturnAddress("/Ret=WM:0;40a /Agt=Off");
  ASSERT_TRUE(address);
  EXPECT_EQ(address->window, 0u) << "no window: nothing to answer, but well formed";
}

TEST(StandInReturnAddress, MalformedOrMissingGivesNothing) {
  for (const char* line :
       {"", "qvapiset.exe /Agt=On", "/Ret=WM:", "/Ret=WM:12", "/Ret=WM:12;", "/Ret=WM:;40a",
        "/Ret=WM:12;40g", "/Ret=WM:123456789;40a", "/Ret=WM:12,40a", "/Ret=WM:0x12;40a"}) {
    EXPECT_FALSE(FindReturnAddress(line)) << line;
  }
}

TEST(StandInRecords, FormatAndParseAreInverse) {
  StartRecord record;
  record.seq = 12;
  record.pid = 345;
  record.module = "C:\\ProgramData\\KORVA\\agent.exe";
  record.commandLine = "\"C:\\ProgramData\\KORVA\\agent.exe\" /agnt /drv:\"D\" /p:\"P\" /im:1";
  const std::string line = FormatStartRecord(record);
  EXPECT_EQ(line, "12 pid=345 \"C:\\ProgramData\\KORVA\\agent.exe\" " + record.commandLine);
  StartRecord back;
  ASSERT_TRUE(ParseStartRecord(line, &back));
  EXPECT_EQ(back.seq, 12u);
  EXPECT_EQ(back.pid, 345u);
  EXPECT_EQ(back.module, record.module);
  EXPECT_EQ(back.commandLine, record.commandLine) << "quotes inside the command line stay";

  ASSERT_TRUE(ParseStartRecord("1 pid=2 \"m.exe\"", &back));
  EXPECT_EQ(back.commandLine, "");
  for (const char* bad : {"", "x pid=2 \"m\" c", "1 pid= \"m\" c", "1 pid=2 m c", "1 pid=2 \"m c",
                          "1 pid=2 \"m\"c", "1 id=2 \"m\" c"}) {
    EXPECT_FALSE(ParseStartRecord(bad, &back)) << bad;
  }
}

TEST(StandInRecords, ProgramKeyNameIsTheLowerCaseFileName) {
  EXPECT_EQ(ProgramKeyName("QVAPISET.exe"), "qvapiset.exe");
  EXPECT_EQ(ProgramKeyName("agent_1.EXE"), "agent_1.exe");
  EXPECT_EQ(ProgramKeyName(""), "");
  EXPECT_EQ(ProgramKeyName("C:\\x\\qvapiset.exe"), "") << "a path is no file name";
  EXPECT_EQ(ProgramKeyName("x/y.exe"), "");
}

TEST(StandInAnswer, MillisecondsOrNever) {
  uint32_t ms = 7;
  EXPECT_TRUE(ParseAnswerDelay("0", &ms));
  EXPECT_EQ(ms, 0u);
  EXPECT_TRUE(ParseAnswerDelay("12000", &ms));
  EXPECT_EQ(ms, 12000u);
  EXPECT_TRUE(ParseAnswerDelay("NEVER", &ms));
  EXPECT_EQ(ms, kNeverAnswer);
  EXPECT_EQ(FormatAnswerDelay(kNeverAnswer), "never");
  EXPECT_EQ(FormatAnswerDelay(500), "500");
  ms = 7;
  for (const char* bad : {"", "-1", "1.5", "10ms", "4294967295", "4294967296", "0x10"}) {
    EXPECT_FALSE(ParseAnswerDelay(bad, &ms)) << bad;
  }
  EXPECT_EQ(ms, 7u) << "a refused text leaves the delay alone";
}

}  // namespace
