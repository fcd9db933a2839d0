// The debug log under the Windows versions it distinguishes, and the trace scopes' layout.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/process_start_win.h"

#include "common/debug_log_win.h"
#include "support/win_test_support.h"

namespace {

using vgtest::LogLinesOf;

struct ProbeResult {
  bool ran = false;
  DWORD processId = 0;
  std::string path;
  size_t offset = 0;
};

ProbeResult RunProbe(const std::string& variant, const std::string& version) {
  vgtest::SetProgramWindowsVersion("vglogprobe.exe", version);
  const std::string dir = vgtest::MakeTempDir("logprobe");
  const std::string resultFile = dir + "\\result.txt";
  vgtest::ProcessResult run = vgtest::RunProgram("vglogprobe.exe", variant + " \"" + resultFile + "\"");
  ProbeResult result;
  result.ran = run.finished && run.exitCode == 0;
  result.processId = run.processId;
  const std::string text = vgtest::ReadFile(resultFile);
  const size_t newline = text.find('\n');
  result.path = text.substr(0, newline);
  if (newline != std::string::npos) result.offset = std::stoul(text.substr(newline + 1));
  vgtest::RemoveTree(dir);
  vgtest::SetProgramWindowsVersion("vglogprobe.exe", "");
  return result;
}

std::string TempFolderNoSlash() {
  char temp[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, temp);
  std::string folder = temp;
  if (!folder.empty() && folder.back() == '\\') folder.pop_back();
  return folder;
}

class MonitorLogTest : public ::testing::Test {
 protected:
  void TearDown() override { vgtest::SetMonitorLog(false); }
};

TEST_F(MonitorLogTest, SwitchOffWritesNothing) {
  vgtest::SetMonitorLog(false);
  ProbeResult probe = RunProbe("mon", "winxp");
  ASSERT_TRUE(probe.ran);
  EXPECT_EQ(probe.path, "");
}

TEST_F(MonitorLogTest, NtFiveAndLaterLogIntoCommonAppData) {
  vgtest::SetMonitorLog(true);
  ProbeResult probe = RunProbe("mon", "winxp");
  ASSERT_TRUE(probe.ran);
  ASSERT_NE(probe.path, "");
  EXPECT_EQ(probe.path.substr(probe.path.find_last_of('\\') + 1), "VGMONX.LOG");
  EXPECT_NE(probe.path.substr(0, 3), "C:\\V") << "the built-in folder plays no part";
  auto lines = LogLinesOf(probe.path, probe.processId, 8, probe.offset);
  ASSERT_EQ(lines.size(), 3u);
  // "%08X:" process id, "%10ld: " tick count, then the text.
  EXPECT_EQ(lines[0].size(), 9 + 12 + std::string("probe line").size());
  EXPECT_EQ(lines[0].substr(21), "probe line");
  EXPECT_EQ(lines[1].substr(21), "probe pair : value");
  EXPECT_EQ(lines[2].substr(21), "probe number : -42");
}

// Monitors of several printers run at once and write the one file: no line may be lost where
// two processes append at the same moment.
TEST_F(MonitorLogTest, ProcessesWritingAtOnceLoseNoLine) {
  vgtest::SetMonitorLog(true);
  const std::string dir = vgtest::MakeTempDir("logburst");
  constexpr int kProcesses = 6;
  constexpr int kLines = 300;
  std::vector<StartedProcess> probes(kProcesses);
  for (int i = 0; i < kProcesses; ++i) {
    ProcessStart start;
    start.commandLine = "\"" + vgtest::BinDir() + "\\vglogprobe.exe\" mon \"" + dir + "\\" +
                        std::to_string(i) + ".txt\" " + std::to_string(kLines);
    ASSERT_TRUE(probes[i].Start(start));
  }
  for (int i = 0; i < kProcesses; ++i) {
    ASSERT_TRUE(probes[i].Wait(120000));
    ASSERT_EQ(probes[i].ExitCode(), 0u);
  }
  for (int i = 0; i < kProcesses; ++i) {
    const std::string text = vgtest::ReadFile(dir + "\\" + std::to_string(i) + ".txt");
    const size_t newline = text.find('\n');
    ASSERT_NE(newline, std::string::npos);
    const std::string path = text.substr(0, newline);
    const size_t offset = std::stoul(text.substr(newline + 1));
    // The lines of one process, in order: three of the probe and its numbered burst.
    auto lines = LogLinesOf(path, probes[i].Id(), 8, offset);
    ASSERT_EQ(lines.size(), 3u + kLines) << "process " << i;
    for (int n = 0; n < kLines; ++n) {
      ASSERT_EQ(lines[3 + n].substr(21), "probe burst : " + std::to_string(n)) << "process " << i;
    }
  }
  vgtest::RemoveTree(dir);
}

TEST_F(MonitorLogTest, NtFourLogsIntoTheTemporaryFolder) {
  vgtest::SetMonitorLog(true);
  ProbeResult probe = RunProbe("mon", "nt40");
  ASSERT_TRUE(probe.ran);
  EXPECT_EQ(probe.path, TempFolderNoSlash() + "\\VGMONX.LOG");
  EXPECT_EQ(LogLinesOf(probe.path, probe.processId, 8, probe.offset).size(), 3u);
}

TEST_F(MonitorLogTest, NineXNeverLogs) {
  vgtest::SetMonitorLog(true);
  ProbeResult probe = RunProbe("mon", "win98");
  ASSERT_TRUE(probe.ran);
  EXPECT_EQ(probe.path, "");
}

TEST(PrinterLogTest, SwitchUnderItsOwnKeyTurnsTheTraceOn) {
  vgtest::SetDword(HKEY_LOCAL_MACHINE, "Software\\Korva\\VGL3", "log", 1);
  ProbeResult probe = RunProbe("prn", "win2k");
  vgtest::SetDword(HKEY_LOCAL_MACHINE, "Software\\Korva\\VGL3", "log", 0);
  ASSERT_TRUE(probe.ran);
  ASSERT_NE(probe.path, "");
  EXPECT_EQ(probe.path.substr(probe.path.find_last_of('\\') + 1), "VGL3_QOLT.LOG");
  auto lines = LogLinesOf(probe.path, probe.processId, 4, probe.offset);
  ASSERT_EQ(lines.size(), 4u);
  // "%04X:" process id, "%010u: " tick count, indentation, text.
  EXPECT_EQ(lines[1].substr(17), "---");
  EXPECT_EQ(lines[2].substr(17), "Probe::Scope");
  EXPECT_EQ(lines[3].substr(17), "  probe 7");
}

TEST(PrinterLogTest, NestedScopesIndentAndOddLevelsCountAsZero) {
  VgTraceEnable(true);
  const DWORD self = ::GetCurrentProcessId();
  const size_t offset = vgtest::FileSize(VgLogPath());
  {
    CTraceScope outer("Outer");
    outer.Write("outer line\n");
    {
      CTraceScope inner("Inner", 5);
      inner.Write("inner line\n");
    }
    CTraceScope other("Other", 1);
    other.Write("level one\n");
    outer.Write("outer again\n");
  }
  const std::string path = VgLogPath();
  VgTraceEnable(false);
  ASSERT_NE(path, "");
  auto lines = LogLinesOf(path, self, 4, offset);
  std::vector<std::string> bodies;
  for (const std::string& line : lines) bodies.push_back(line.substr(17));
  EXPECT_EQ(bodies, (std::vector<std::string>{"", "---", "Outer", "  outer line", "  ", "  ---",
                                            "  Inner", "    inner line", "", "---", "Other",
                                            "  level one", "  outer again"}));
}

TEST(PrinterLogTest, DisabledTraceWritesNothing) {
  VgTraceEnable(false);
  CTraceScope scope("Nothing");
  scope.Write("never\n");
  EXPECT_EQ(VgLogPath(), "");
}

}  // namespace
