// The pop-up program with the real status window, from end to end: vgmon starts vgpop at a
// job's start, the printer (simulated, driven by qvsimctl) runs out of paper, the monitor's
// request opens the status window, the window follows the printer and closes itself, and both
// programs end by themselves. Also a user's start of vgpop, and the hand-off blocks it reads.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/map_records_win.h"
#include "common/param_block.h"
#include "common/unique_handle.h"
#include "common/window_messages.h"
#include "resources/vgres_ids.h"
#include "support/installed_printer.h"
#include "support/win_test_support.h"
// After the Windows header, which it needs.
#include <tlhelp32.h>

namespace {

using vgtest::InstalledPrinter;
using vgtest::PopupProgram;
using vgtest::ProfileSetting;

const char kReady[] = "\"@BDC ST\\r\\nST:04;\\f\"";
const char kPrinting[] = "\"@BDC ST\\r\\nST:03;\\f\"";
const char kPaperOut[] = "\"@BDC ST\\r\\nST:00;ER:06;\\f\"";
const char kPaperOutTitle[] = "Paper out";
const char kPaperOutText[] =
    "The printer is out of paper. Load a new paper roll, then press the Feed button.";
constexpr DWORD kWaitMs = 30000;
// The monitor's poll interval in these tests, in seconds.
constexpr DWORD kPollSeconds = 2;

std::vector<ProfileSetting> Profile() {
  return {{"", "MonitorInitTime", "100"},
          {"", "TIMEOUT", "0"},
          {"Install", "LocalMonitoringTimer", std::to_string(kPollSeconds)}};
}

// A window's text, asked of its own thread (the window belongs to another process).
std::string TextOf(HWND window) { return vgtest::TextOfWindow(window); }
std::string ItemOf(HWND window, int id) { return TextOf(::GetDlgItem(window, id)); }
bool ItemShown(HWND window, int id) {
  HWND item = ::GetDlgItem(window, id);
  return item != nullptr && (::GetWindowLongA(item, GWL_STYLE) & WS_VISIBLE) != 0;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = kWaitMs) {
  const DWORD start = ::GetTickCount();
  while (!condition()) {
    if (::GetTickCount() - start > timeoutMs) return false;
    ::Sleep(10);
  }
  return true;
}

// The ids of the running processes of a program file.
std::vector<DWORD> ProcessesOf(const std::string& path) {
  std::vector<DWORD> ids;
  ScopedHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot.IsValid()) return ids;
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32First(snapshot.Get(), &entry); more;
       more = ::Process32Next(snapshot.Get(), &entry)) {
    ScopedHandle process(
        ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
    char image[MAX_PATH] = {};
    DWORD size = sizeof image;
    if (process.IsValid() && ::QueryFullProcessImageNameA(process.Get(), 0, image, &size) &&
        lstrcmpiA(image, path.c_str()) == 0) {
      ids.push_back(entry.th32ProcessID);
    }
  }
  return ids;
}

class PopupProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    popupLog_ = std::string(temp) + "VGPOP.LOG";
    popupOffset_ = vgtest::FileSize(popupLog_);
    vgtest::SetMonitorLog(true);
    monitorLog_ = vgtest::MonitorLogPath();
    monitorOffset_ = vgtest::FileSize(monitorLog_);
  }
  void TearDown() override { vgtest::SetMonitorLog(false); }

  // What the pop-up programs logged since the test began (without their process ids).
  std::vector<std::string> PopupLines() const {
    std::vector<std::string> lines;
    const std::string text = vgtest::ReadFile(popupLog_);
    size_t at = popupOffset_ < text.size() ? popupOffset_ : text.size();
    while (at < text.size()) {
      size_t end = text.find('\n', at);
      if (end == std::string::npos) end = text.size();
      std::string line = text.substr(at, end - at);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      const size_t colon = line.find(": ");
      lines.push_back(colon == std::string::npos ? line : line.substr(colon + 2));
      at = end + 1;
    }
    return lines;
  }
  int PopupCount(const std::string& part) const {
    int count = 0;
    for (const std::string& line : PopupLines()) count += line.find(part) != std::string::npos;
    return count;
  }
  int MonitorCount(DWORD processId, const std::string& part) const {
    int count = 0;
    for (const std::string& line : vgtest::LogLinesOf(monitorLog_, processId, 8, monitorOffset_)) {
      count += line.find(part) != std::string::npos;
    }
    return count;
  }
  static HWND StatusWindowOf(const InstalledPrinter& printer) {
    return FindMapWindow(MapNameSet::kPrinterLibrary, printer.Name().c_str(), "", kMapKindStatus);
  }
  static HWND PopupProgramWindowOf(const InstalledPrinter& printer) {
    return FindMapWindow(MapNameSet::kMonitor, printer.Name().c_str(), "", kMapKindStatus);
  }
  static std::string PopupPath(const InstalledPrinter& printer) {
    return printer.InstallDir() + "\\vgpop.exe";
  }
  // Hands a block to the pop-up program as the monitor does.
  static bool Hand(HWND program, const std::string& jobId) {
    std::vector<uint8_t> block = vgmon::BuildMonitorParamBlock(vgmon::kCodeToPopup, jobId, "");
    COPYDATASTRUCT data = {};
    data.cbData = static_cast<DWORD>(block.size());
    data.lpData = block.data();
    DWORD_PTR answer = 0;
    return ::SendMessageTimeoutA(program, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                                 SMTO_ABORTIFHUNG, 10000, &answer) != 0 &&
           answer == TRUE;
  }

  std::string popupLog_;
  size_t popupOffset_ = 0;
  std::string monitorLog_;
  size_t monitorOffset_ = 0;
};

TEST_F(PopupProgramTest, PaperOutOpensOneWindowThatFollowsAndClosesItself) {
  InstalledPrinter printer("Pop-up", Profile(), "LPT1:", PopupProgram::kReal);
  ASSERT_TRUE(printer.Ready()) << printer.Failure();
  ASSERT_EQ(printer.Ctl("reply", kPrinting).exitCode, 0u);

  vgtest::ChildProcess monitor;
  ASSERT_TRUE(monitor.Start(printer.InstallDir() + "\\vgmon.exe", printer.MonitorArguments("7")));
  // The job's start: the pop-up program waits in the background, registered for the printer.
  ASSERT_TRUE(WaitUntil([&] { return PopupCount("waits in the background for job 7") == 1; }));
  ASSERT_TRUE(WaitUntil([&] { return PopupProgramWindowOf(printer) != nullptr; }));
  EXPECT_EQ(StatusWindowOf(printer), nullptr) << "nothing shows while the job prints";
  const std::vector<DWORD> programs = ProcessesOf(PopupPath(printer));
  ASSERT_EQ(programs.size(), 1u);

  // The printer runs out of paper.
  ASSERT_EQ(printer.Ctl("reply", kPaperOut).exitCode, 0u);
  const DWORD error = ::GetTickCount();
  HWND window = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    window = StatusWindowOf(printer);
    return window != nullptr && ::IsWindowVisible(window) &&
           ItemOf(window, IDC_STATUS_MESSAGE) == kPaperOutTitle;
  }));
  const DWORD shown = ::GetTickCount() - error;
  EXPECT_LE(shown, kPollSeconds * 1000 + 1000)
      << "the window came " << shown << " ms after the error";
  EXPECT_EQ(TextOf(window), "KORVA Vigil 3 : " + printer.Name());
  EXPECT_EQ(ItemOf(window, IDC_STATUS_LINE), kPaperOutText);
  EXPECT_TRUE(ItemShown(window, IDC_STATUS_HELP));
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  EXPECT_EQ(owner, programs[0]) << "the pop-up program that waited shows it";

  // The error lasts several polls: still one window, opened once.
  ASSERT_TRUE(WaitUntil([&] { return MonitorCount(monitor.Id(), "nPopup = ") >= 4; }));
  EXPECT_EQ(PopupCount("opens the status window (pop-up start)"), 1);
  EXPECT_EQ(StatusWindowOf(printer), window);
  EXPECT_EQ(ProcessesOf(PopupPath(printer)).size(), 1u);
  EXPECT_EQ(MonitorCount(monitor.Id(), "StartExe : commandline"), 1) << "only the job's start";

  // Paper is loaded and the job prints on: the window follows and closes itself.
  ASSERT_EQ(printer.Ctl("reply", kPrinting).exitCode, 0u);
  ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(window); }));
  EXPECT_TRUE(WaitUntil([&] { return PopupCount("the status window has closed (0)") == 1; }));

  // The job is done: the monitor ends, and the pop-up program after it.
  ASSERT_EQ(printer.Ctl("reply", kReady).exitCode, 0u);
  EXPECT_EQ(monitor.Wait(kWaitMs), 0u) << "the monitor ends by itself";
  EXPECT_TRUE(WaitUntil([&] { return ProcessesOf(PopupPath(printer)).empty(); }))
      << "the pop-up program ends with its monitor";
  EXPECT_EQ(PopupCount("no monitor serves the printer and no window is open: done"), 1);
  EXPECT_EQ(PopupProgramWindowOf(printer), nullptr);
}

TEST_F(PopupProgramTest, HandOffBlocksOpenBringForwardOrWait) {
  InstalledPrinter printer("Hand-off", Profile(), "LPT1:", PopupProgram::kReal);
  ASSERT_TRUE(printer.Ready()) << printer.Failure();
  ASSERT_EQ(printer.Ctl("reply", kPaperOut).exitCode, 0u);
  vgtest::ChildProcess monitor;
  ASSERT_TRUE(monitor.Start(printer.InstallDir() + "\\vgmon.exe", printer.MonitorArguments("8")));
  HWND program = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    program = PopupProgramWindowOf(printer);
    return program != nullptr;
  }));
  // The paper is out from the first poll on: the monitor asks for the window once.
  HWND window = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    window = StatusWindowOf(printer);
    return window != nullptr && ::IsWindowVisible(window);
  }));

  // A second job of the printer waits; a request for the open window brings it forward.
  ASSERT_TRUE(Hand(program, "9"));
  ASSERT_TRUE(WaitUntil([&] { return PopupCount("a further job: waits") == 1; }));
  EXPECT_EQ(PopupCount("Handed a block from the monitor (code 2), job id \"9\""), 1);
  ASSERT_TRUE(Hand(program, ""));
  ASSERT_TRUE(WaitUntil([&] { return PopupCount("brought forward") == 1; }));
  ASSERT_TRUE(Hand(program, "9"));  // that job's own request
  ASSERT_TRUE(WaitUntil([&] { return PopupCount("brought forward") == 2; }));
  EXPECT_EQ(PopupCount("opens the status window"), 1);
  EXPECT_EQ(StatusWindowOf(printer), window);

  // The window is closed by the user; the next request opens it again.
  ::PostMessageA(window, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitUntil([&] { return PopupCount("the status window has closed") == 1; }));
  ASSERT_TRUE(Hand(program, ""));
  ASSERT_TRUE(WaitUntil([&] {
    HWND again = StatusWindowOf(printer);
    return again != nullptr && ::IsWindowVisible(again);
  }));
  EXPECT_EQ(PopupCount("opens the status window (pop-up start)"), 2);

  HWND monitorWindow = vgtest::FindProcessWindow(monitor.Id(), "VGL3V3MSBackMon03WClass", 10000);
  ASSERT_NE(monitorWindow, nullptr);
  ::PostMessageA(monitorWindow, WM_CLOSE, 0, 0);
  EXPECT_EQ(monitor.Wait(kWaitMs), 0u);
  // The monitor has gone, but the user's window stays until it is closed.
  ASSERT_NE(StatusWindowOf(printer), nullptr);
  EXPECT_EQ(ProcessesOf(PopupPath(printer)).size(), 1u);
  ::PostMessageA(StatusWindowOf(printer), WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitUntil([&] { return ProcessesOf(PopupPath(printer)).empty(); }));
}

TEST_F(PopupProgramTest, AUserOpensThePrintersWindowByName) {
  InstalledPrinter printer("User View", Profile(), "LPT1:", PopupProgram::kReal);
  ASSERT_TRUE(printer.Ready()) << printer.Failure();
  vgtest::ChildProcess program;
  ASSERT_TRUE(program.Start(PopupPath(printer), "/VIEW \"" + printer.Name() + "\""));
  HWND window = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    window = StatusWindowOf(printer);
    return window != nullptr && ::IsWindowVisible(window);
  }));
  EXPECT_EQ(PopupCount("opens the status window (detail start)"), 1);
  // The printer is ready; a detail window shows it and stays.
  char ready[256] = {};
  ScopedModule resources(::LoadLibraryA((printer.InstallDir() + "\\vgres.dll").c_str()));
  ::LoadStringA(resources.Get(), IDS_STATUS_READY, ready, sizeof ready);
  ASSERT_TRUE(WaitUntil([&] { return ItemOf(window, IDC_STATUS_MESSAGE) == ready; }));
  ::PostMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.Wait(kWaitMs), 0u) << "no monitor runs: the program ends with its window";
}

TEST_F(PopupProgramTest, WithoutAPrinterItSaysHowToUseIt) {
  vgtest::ChildProcess program;
  ASSERT_TRUE(program.Start("vgpop.exe", ""));
  const vgtest::MessageBoxSeen box = vgtest::WaitForMessageBox(program.Id(), kWaitMs);
  EXPECT_TRUE(box.found);
  EXPECT_NE(box.text.find("/VIEW"), std::string::npos) << box.text;
  EXPECT_EQ(program.Wait(kWaitMs), 2u);

  vgtest::ChildProcess unknown;
  ASSERT_TRUE(unknown.Start("vgpop.exe", "/VIEW \"" + vgtest::UniqueName("No Such") + "\""));
  const vgtest::MessageBoxSeen refused = vgtest::WaitForMessageBox(unknown.Id(), kWaitMs);
  EXPECT_TRUE(refused.found);
  EXPECT_NE(refused.text.find("not installed"), std::string::npos) << refused.text;
  EXPECT_EQ(unknown.Wait(kWaitMs), 1u);
}

}  // namespace
