// The network agent's decisions and the command lines of the agent settings program and of
// the library's set-up program, character for character.
#include "ui/agent_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace vgagent;

TEST(AgentKind, SecondLibraryInAnyLetterCase) {
  EXPECT_EQ(AgentKindFromLibrary("QVAPI2.DLL"), kAgentKind2);
  EXPECT_EQ(AgentKindFromLibrary("qvapi2.dll"), kAgentKind2);
  EXPECT_EQ(AgentKindFromLibrary("QvApi2.Dll"), kAgentKind2);
  for (const char* other : {"", "QVAPI.DLL", "QVAPI2.DLL ", "C:\\x\\QVAPI2.DLL", "QVAPI2"}) {
    EXPECT_EQ(AgentKindFromLibrary(other), kAgentKind1) << other;
  }
}

TEST(AgentKind, OnlyTheFirstAgentSeesTheLegacyNetwork) {
  EXPECT_TRUE(LegacyNetworkOnly(kAgentKind1, false, true));
  EXPECT_FALSE(LegacyNetworkOnly(kAgentKind1, true, true)) << "the library is installed";
  EXPECT_FALSE(LegacyNetworkOnly(kAgentKind1, false, false)) << "no IPX/SPX";
  EXPECT_FALSE(LegacyNetworkOnly(kAgentKind2, false, true));
  EXPECT_FALSE(LegacyNetworkOnly(3, false, true));
}

TEST(AgentKind, VistaIsTheNtPlatformFromSixOn) {
  EXPECT_FALSE(VistaOrLater(true, 5));
  EXPECT_TRUE(VistaOrLater(true, 6));
  EXPECT_TRUE(VistaOrLater(true, 10));
  EXPECT_FALSE(VistaOrLater(false, 6)) << "a 9x system never elevates";
}

TEST(AgentSettingsCommand, TheWholeLineBeforeVista) {
  EXPECT_EQ(AgentSettingsCommandLine("C:\\Program Files\\KORVA\\agent.exe", "KORVA VP-100",
                                     "VP-100 at the desk", 1),
            std::optional<std::string>("C:\\Program Files\\KORVA\\agent.exe /agnt "
                                       "/drv:\"KORVA VP-100\" /p:\"VP-100 at the desk\" /im:1"));
  EXPECT_EQ(AgentSettingsParameters("D", "\\\\server\\queue", 0),
            std::optional<std::string>("/agnt /drv:\"D\" /p:\"\\\\server\\queue\" /im:0"));
}

TEST(AgentSettingsCommand, ALineThatDoesNotFitOrBreaksItsQuotesIsNotUsed) {
  // 259 characters fit with the terminator, 260 do not.
  const std::string fixed = " /agnt /drv:\"D\" /p:\"P\" /im:1";
  const std::string program(259 - fixed.size(), 'a');
  ASSERT_TRUE(AgentSettingsCommandLine(program, "D", "P", 1));
  EXPECT_EQ(AgentSettingsCommandLine(program, "D", "P", 1)->size(), 259u);
  EXPECT_FALSE(AgentSettingsCommandLine(program + "a", "D", "P", 1));
  EXPECT_FALSE(AgentSettingsParameters(std::string(259, 'd'), "P", 0));

  EXPECT_FALSE(AgentSettingsCommandLine("a.exe", "D", "P\" /im:0 \"", 1))
      << "a quote in a name would smuggle in options";
  EXPECT_FALSE(AgentSettingsParameters("D\"", "P", 1));
}

TEST(AgentSettingsCommand, ElevatedCopyLiesInTheCommonFolder) {
  EXPECT_EQ(ProgramFileName("C:\\Program Files\\KORVA\\VGRCV.EXE"), "VGRCV.EXE");
  EXPECT_EQ(ProgramFileName("VGRCV.EXE"), "VGRCV.EXE");
  EXPECT_EQ(ProgramFileName("C:\\dir\\"), "");
  EXPECT_EQ(ElevationFolder("C:\\ProgramData"),
            std::optional<std::string>("C:\\ProgramData\\KORVA\\"));
  EXPECT_EQ(ElevationCopyPath("C:\\ProgramData", "D:\\x\\y\\agent.exe"),
            std::optional<std::string>("C:\\ProgramData\\KORVA\\agent.exe"));
  EXPECT_FALSE(ElevationCopyPath("C:\\ProgramData", "C:\\dir\\")) << "no file name";
  EXPECT_FALSE(ElevationFolder(""));
  EXPECT_FALSE(ElevationCopyPath(std::string(240, 'c'), "x\\" + std::string(20, 'n')));
}

TEST(SetupCommand, PathOptionsAndTheAnswerAddress) {
  EXPECT_EQ(SetupProgramPath("C:\\QV"), std::optional<std::string>("C:\\QV\\qvapiset.exe"));
  EXPECT_EQ(SetupProgramPath("C:\\QV\\"), std::optional<std::string>("C:\\QV\\qvapiset.exe"));
  EXPECT_FALSE(SetupProgramPath(""));
  EXPECT_FALSE(SetupProgramPath(std::string(248, 'q'))) << "260 bytes with the terminator";
  EXPECT_TRUE(SetupProgramPath(std::string(246, 'q')));

  EXPECT_EQ(SetupParameters(0x1A2B, kSetupDoneMessage, true),
            "/Act=Ch /QVP=A:NC /Ret=WM:1a2b;40a  /Agt=On")
      << "lower-case hexadecimal; the option brings its own blank";
  EXPECT_EQ(SetupParameters(0, kSetupDoneMessage, false),
            "/Act=Ch /QVP=A:NC /Ret=WM:0;40a  /Agt=Off");
  EXPECT_EQ(SetupCommandLine("C:\\QV\\qvapiset.exe", 0xFFFFFFFF, kSetupDoneMessage, true),
            std::optional<std::string>(
                "C:\\QV\\qvapiset.exe /Act=Ch /QVP=A:NC /Ret=WM:ffffffff;40a  /Agt=On"));
}

}  // namespace
