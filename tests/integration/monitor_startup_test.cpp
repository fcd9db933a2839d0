// vgmon started as the printing side starts it: what it logs, how it hands over to a monitor
// that already serves the printer, and when it leaves quietly.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/window_messages.h"
#include "support/installed_printer.h"
#include "support/win_test_support.h"

namespace {

const char kMonitorWindowClass[] = "VGL3V3MSBackMon03WClass";
const char kDriverRoot[] = "software\\KORVA\\VGL3\\Driver\\";

class MonitorStartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(printer_.Ready()) << printer_.Failure();
    vgtest::SetMonitorLog(true);
    driver_ = printer_.Driver();
    logPath_ = vgtest::MonitorLogPath();
    logOffset_ = vgtest::FileSize(logPath_);
  }
  void TearDown() override { vgtest::SetMonitorLog(false); }

  std::vector<std::string> LogBodies(DWORD processId) const {
    std::vector<std::string> bodies;
    for (const std::string& line : vgtest::LogLinesOf(logPath_, processId, 8, logOffset_)) {
      bodies.push_back(line.substr(21));  // "%08X:%10ld: "
    }
    return bodies;
  }

  static bool Has(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }

  // Closes a running monitor the way a user's session end would: WM_CLOSE to its window.
  static DWORD CloseMonitor(vgtest::ChildProcess& monitor) {
    HWND window = vgtest::FindProcessWindow(monitor.Id(), kMonitorWindowClass, 10000);
    if (window == nullptr) return STILL_ACTIVE;
    ::PostMessageA(window, WM_CLOSE, 0, 0);
    return monitor.Wait(15000);
  }

  // A real installation, so that a started monitor gets as far as its message loop.
  vgtest::InstalledPrinter printer_{"Startup", {{"", "TIMEOUT", "0"}}};
  std::string driver_;
  std::string logPath_;
  size_t logOffset_ = 0;
};

TEST_F(MonitorStartupTest, LogsTheParsedCommandLineAndRunsUntilClosed) {
  const std::string printer = vgtest::UniqueName("Printer \"Q\"");
  const std::string commandLine = "/P" + std::to_string(printer.size()) + " \"" + printer +
                                  "\" /o \"LPT1:\" /d \"" + driver_ +
                                  "\" /m \"VP-100\" /j \"12a\" /kvm \"k v\" /r";
  vgtest::ChildProcess monitor;
  ASSERT_TRUE(monitor.Start("vgmon.exe", commandLine));
  HWND window = vgtest::FindProcessWindow(monitor.Id(), kMonitorWindowClass, 10000);
  ASSERT_NE(window, nullptr) << "the hidden main window exists while monitoring";
  EXPECT_FALSE(::IsWindowVisible(window));
  char title[64] = {};
  ::GetWindowTextA(window, title, sizeof title);
  EXPECT_STREQ(title, "VGL3S BackMon");
  EXPECT_EQ(CloseMonitor(monitor), 0u);

  const auto lines = LogBodies(monitor.Id());
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front(), "***** LOG START ******");
  EXPECT_TRUE(Has(lines, "commandline : " + commandLine));
  EXPECT_TRUE(Has(lines, " PrinterName = " + printer + " : PortName = LPT1: : DriverName = " +
                             driver_ + " : ModelID = VP-100 : RemoveFlag = 1 : JobID = 12a : "
                             "KVM = k v"));
  EXPECT_TRUE(Has(lines, "MapFile Already Exists : FALSE"));
  EXPECT_TRUE(Has(lines, "After : Wait Synchro Event"));
  EXPECT_TRUE(Has(lines, "After : Wait Monitoring Thread"));
  EXPECT_EQ(lines.back(), "***** LOG END ******");
}

TEST_F(MonitorStartupTest, ReadsAndDeletesAParameterFileFromTheTemporaryFolder) {
  char temp[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, temp);
  const std::string fileName = vgtest::UniqueName("VG_") + ".tmp";
  const std::string printer = vgtest::UniqueName("FilePrinter");
  vgtest::WriteFile(std::string(temp) + fileName,
                    "/P \"" + printer + "\"\r\n/D \"" + driver_ +
                        "\"\r\n/O \"USB001\"\r\n/M \"VP-100\"\r\n/J \"7\"\r\n/KVM \"a\"b\"\r\n");
  vgtest::ChildProcess monitor;
  ASSERT_TRUE(monitor.Start("vgmon.exe", "/F \"" + fileName + "\""));
  EXPECT_EQ(CloseMonitor(monitor), 0u);
  EXPECT_FALSE(vgtest::FileExists(std::string(temp) + fileName)) << "a /F file is read once";
  EXPECT_TRUE(Has(LogBodies(monitor.Id()),
                  " PrinterName = " + printer + " : PortName = USB001 : DriverName = " + driver_ +
                      " : ModelID = VP-100 : RemoveFlag = 0 : JobID = 7 : KVM = a\"b"));
}

TEST_F(MonitorStartupTest, SecondMonitorSignalsTheFirstAndLeaves) {
  const std::string printer = vgtest::UniqueName("Shared");
  const std::string args = "/P \"" + printer + "\" /O \"LPT1:\" /D \"" + driver_ + "\"";
  vgtest::ChildProcess first;
  ASSERT_TRUE(first.Start("vgmon.exe", args));
  ASSERT_NE(vgtest::FindProcessWindow(first.Id(), kMonitorWindowClass, 10000), nullptr);

  vgtest::ProcessResult second = vgtest::RunProgram("vgmon.exe", args, 15000);
  ASSERT_TRUE(second.finished);
  EXPECT_EQ(second.exitCode, 0u);
  const auto lines = LogBodies(second.processId);
  EXPECT_TRUE(Has(lines, "MapFile Already Exists : TRUE"));
  EXPECT_TRUE(Has(lines, "In case of existing mapfile"));
  EXPECT_FALSE(Has(lines, "CMainFrame::CMainFrame")) << "without a job id it leaves at once";

  EXPECT_EQ(first.Wait(0), static_cast<DWORD>(STILL_ACTIVE)) << "the first one keeps monitoring";
  EXPECT_EQ(CloseMonitor(first), 0u);
}

TEST_F(MonitorStartupTest, RestartRequestGoesToTheWindowInTheMappingNamedWithSlashes) {
  // Stands in for a running monitor of a shared network printer.
  vgtest::RecordingWindow running;
  const std::string share = vgtest::UniqueName("srv");
  const std::string printer = "\\\\" + share + "\\queue";
  const std::string mappingName = "VG_MAP_//" + share + "/queue";
  HANDLE mapping = ::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4,
                                        mappingName.c_str());
  ASSERT_NE(mapping, nullptr);
  auto* view = static_cast<LONG*>(::MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 4));
  ASSERT_NE(view, nullptr);
  *view = HandleToLong(running.Handle());

  vgtest::ProcessResult second =
      vgtest::RunProgram("vgmon.exe", "/P \"" + printer + "\" /D \"" + driver_ + "\"", 15000);
  EXPECT_TRUE(second.finished);
  EXPECT_EQ(second.exitCode, 0u);
  EXPECT_TRUE(running.WaitForMessage(WM_RESTART_QUIT_TIMER, 5000));

  ::UnmapViewOfFile(view);
  ::CloseHandle(mapping);
}

TEST_F(MonitorStartupTest, TakesOverWhenTheMappingHoldsNoWindowAfterOneSecond) {
  const std::string printer = vgtest::UniqueName("Stale");
  HANDLE mapping = ::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4,
                                        ("VG_MAP_" + printer).c_str());
  ASSERT_NE(mapping, nullptr);
  vgtest::ChildProcess monitor;
  ASSERT_TRUE(monitor.Start("vgmon.exe", "/P \"" + printer + "\" /D \"" + driver_ + "\""));
  ASSERT_NE(vgtest::FindProcessWindow(monitor.Id(), kMonitorWindowClass, 10000), nullptr);
  auto* view = static_cast<LONG*>(::MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 4));
  ASSERT_NE(view, nullptr);
  // The new monitor publishes its own window in the mapping once the window exists.
  for (int i = 0; i < 250 && *view == 0; ++i) ::Sleep(20);
  HWND published = static_cast<HWND>(LongToHandle(*view));
  EXPECT_EQ(published, vgtest::FindProcessWindow(monitor.Id(), kMonitorWindowClass, 0));
  EXPECT_EQ(CloseMonitor(monitor), 0u);
  EXPECT_EQ(*view, 0) << "an ended monitor leaves the mapping free for the next one";
  EXPECT_TRUE(Has(LogBodies(monitor.Id()), "In case of null mapfile pointer"));
  ::UnmapViewOfFile(view);
  ::CloseHandle(mapping);
}

TEST_F(MonitorStartupTest, LeavesSilentlyWithoutDriverKeyOrPrinter) {
  vgtest::ProcessResult noKey = vgtest::RunProgram(
      "vgmon.exe", "/P \"" + vgtest::UniqueName("NoKey") + "\" /D \"no such driver\"", 15000);
  ASSERT_TRUE(noKey.finished);
  EXPECT_EQ(noKey.exitCode, 0u);
  EXPECT_FALSE(Has(LogBodies(noKey.processId), "CMainFrame::CMainFrame"));

  vgtest::ProcessResult noPrinter = vgtest::RunProgram("vgmon.exe", "/S", 15000);
  ASSERT_TRUE(noPrinter.finished);
  EXPECT_EQ(noPrinter.exitCode, 0u);
  EXPECT_FALSE(Has(LogBodies(noPrinter.processId), "CMTApp::DuplProc"));
}

// A main window that cannot be made ends the monitor as the other start-up failures do: no
// session, the instance mapping gone, the process ended with code 0.
TEST_F(MonitorStartupTest, MainWindowThatCannotBeMadeEndsTheMonitor) {
  vgtest::ChildProcess monitor;
  ASSERT_TRUE(monitor.Start("vgmonnowindow.exe", printer_.MonitorArguments()));
  const DWORD exitCode = monitor.Wait(15000);
  if (exitCode == STILL_ACTIVE) monitor.Kill();
  EXPECT_EQ(exitCode, 0u) << "it ends by itself";
  const auto lines = LogBodies(monitor.Id());
  EXPECT_TRUE(Has(lines, "CMainFrame::CreateMainWindow"));
  EXPECT_FALSE(Has(lines, "Call PrMonitoringStart"));
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "***** LOG END ******");
  HANDLE mapping =
      ::OpenFileMappingA(FILE_MAP_READ, FALSE, ("VG_MAP_" + printer_.Name()).c_str());
  EXPECT_EQ(mapping, nullptr) << "no monitor holds the printer";
  if (mapping) ::CloseHandle(mapping);
}

}  // namespace
