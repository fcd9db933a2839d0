// vgmon from end to end on an installed printer driven by the simulator: it polls, starts or
// feeds the pop-up program, decides when the job has printed and ends by itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/map_records_win.h"
#include "common/target_keys_win.h"
#include "common/unique_handle.h"
#include "support/installed_printer.h"
#include "support/win_test_support.h"
// After the Windows header, which it needs.
#include <psapi.h>

namespace {

using vgtest::InstalledPrinter;
using vgtest::ProfileSetting;

const char kMonitorWindowClass[] = "VGL3V3MSBackMon03WClass";
const char kReady[] = "\"@BDC ST\\r\\nST:04;\\f\"";
const char kPrinting[] = "\"@BDC ST\\r\\nST:03;\\f\"";
const char kPaperOut[] = "\"@BDC ST\\r\\nST:00;ER:06;\\f\"";

// Short times: the first poll 100 ms after start, then one a second.
std::vector<ProfileSetting> FastProfile(const std::string& timeout) {
  return {{"", "MonitorInitTime", "100"},
          {"", "TIMEOUT", timeout},
          {"Install", "LocalMonitoringTimer", "1"}};
}

class MonitorPollingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    vgtest::SetMonitorLog(true);
    logPath_ = vgtest::MonitorLogPath();
    logOffset_ = vgtest::FileSize(logPath_);
  }
  void TearDown() override {
    ::SetEnvironmentVariableA("VG_POPUP_RECORD", nullptr);
    vgtest::SetMonitorLog(false);
  }

  // Starts vgmon for the printer with the recorder's folder in its environment.
  bool Start(vgtest::ChildProcess& monitor, const InstalledPrinter& printer,
             const std::string& jobId = "") {
    ::SetEnvironmentVariableA("VG_POPUP_RECORD", printer.RecordDir().c_str());
    return monitor.Start("vgmon.exe", printer.MonitorArguments(jobId));
  }

  std::vector<std::string> Log(DWORD processId) const {
    std::vector<std::string> bodies;
    for (const std::string& line : vgtest::LogLinesOf(logPath_, processId, 8, logOffset_)) {
      bodies.push_back(line.substr(21));
    }
    return bodies;
  }
  static bool Has(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }
  static int Count(const std::string& text, const std::string& part) {
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
      ++count;
    }
    return count;
  }
  // The pop-up recorder runs on its own: its log may lag behind the monitor's.
  static std::string AwaitPopupLog(const InstalledPrinter& printer, const std::string& part) {
    std::string log;
    for (int i = 0; i < 100; ++i) {
      log = printer.PopupLog();
      if (log.find(part) != std::string::npos) break;
      ::Sleep(50);
    }
    return log;
  }
  // Waits until the monitor's log holds the line.
  bool AwaitLine(DWORD processId, const std::string& line, DWORD timeoutMs = 15000) const {
    const DWORD start = ::GetTickCount();
    for (;;) {
      if (Has(Log(processId), line)) return true;
      if (::GetTickCount() - start >= timeoutMs) return false;
      ::Sleep(50);
    }
  }
  static DWORD Close(vgtest::ChildProcess& monitor) {
    HWND window = vgtest::FindProcessWindow(monitor.Id(), kMonitorWindowClass, 10000);
    if (window) ::PostMessageA(window, WM_CLOSE, 0, 0);
    return monitor.Wait(15000);
  }

  std::string logPath_;
  size_t logOffset_ = 0;
};

TEST_F(MonitorPollingTest, PrintedJobEndsMonitoringInTheSameCycle) {
  InstalledPrinter printer("Printed", FastProfile("0"));
  ASSERT_TRUE(printer.Ready()) << printer.Failure();
  ASSERT_EQ(printer.Ctl("queue", kPrinting).exitCode, 0u);

  vgtest::ChildProcess monitor;
  ASSERT_TRUE(Start(monitor, printer));
  ASSERT_NE(vgtest::FindProcessWindow(monitor.Id(), kMonitorWindowClass, 10000), nullptr);
  HANDLE mapping =
      ::OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, ("VG_MAP_" + printer.Name()).c_str());
  ASSERT_NE(mapping, nullptr);
  auto* view = static_cast<LONG*>(::MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 4));

  EXPECT_EQ(monitor.Wait(20000), 0u) << "the monitor ends by itself";
  const auto lines = Log(monitor.Id());
  EXPECT_TRUE(Has(lines, "Status is Printing"));
  EXPECT_TRUE(Has(lines, "It regard as completing to print"));
  EXPECT_FALSE(Has(lines, "CMainFrame::MonitorQuit")) << "no quit timer was needed";
  EXPECT_TRUE(Has(lines, "Returned from PrMonitoringEnd : nRet : 0"));
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(*view, 0);
  ::UnmapViewOfFile(view);
  ::CloseHandle(mapping);
  // The status query stored the last reply for a status window.
  char key[MAX_PATH] = {};
  HKEY root = nullptr;
  ASSERT_EQ(FindTargetKey(printer.Name().c_str(), "", key, &root), 0);
  EXPECT_EQ(vgtest::GetDword(root, key, "ComStatus", 99), 1u);
}

// The names of the libraries loaded in a process, in lower case.
std::vector<std::string> LibrariesOf(HANDLE process) {
  std::vector<std::string> names;
  HMODULE modules[512];
  DWORD needed = 0;
  if (!::EnumProcessModules(process, modules, sizeof modules, &needed)) return names;
  for (DWORD i = 0; i < needed / sizeof(HMODULE) && i < 512; ++i) {
    char name[MAX_PATH] = {};
    if (::GetModuleBaseNameA(process, modules[i], name, sizeof name) == 0) continue;
    std::string lower(name);
    for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    names.push_back(lower);
  }
  return names;
}

TEST_F(MonitorPollingTest, APollingMonitorLoadsNoSoundLibrary) {
  InstalledPrinter printer("NoSound", FastProfile("0"));
  ASSERT_TRUE(printer.Ready()) << printer.Failure();
  ASSERT_EQ(printer.Ctl("reply", kPaperOut).exitCode, 0u);

  vgtest::ChildProcess monitor;
  ASSERT_TRUE(Start(monitor, printer));
  // Two polls have been made once the simulator logged four status reads.
  int reads = 0;
  for (int i = 0; i < 200 && reads < 4; ++i) {
    reads = Count(printer.Ctl("calls").output, "QVGetStatus(");
    if (reads < 4) ::Sleep(50);
  }
  ASSERT_GE(reads, 4);
  const std::vector<std::string> libraries = LibrariesOf(monitor.Handle());
  EXPECT_TRUE(Has(libraries, "vgprn.dll"));
  EXPECT_FALSE(Has(libraries, "winmm.dll")) << "sounds are the status window's business";
  EXPECT_FALSE(Has(libraries, "ole32.dll")) << "which the multimedia library brings along";
  EXPECT_EQ(Close(monitor), 0u);
}

TEST_F(MonitorPollingTest, JobIdAndErrorStartThePopupWithAParameterFile) {
  InstalledPrinter printer("Popup", FastProfile("0"));
  ASSERT_TRUE(printer.Ready()) << printer.Failure();
  ASSERT_EQ(printer.Ctl("reply", kPaperOut).exitCode, 0u);

  vgtest::ChildProcess monitor;
  ASSERT_TRUE(Start(monitor, printer, "42"));
  // The job's pop-up at start, then the paper-out status once (unchanged, so only once).
  ::Sleep(4500);
  EXPECT_EQ(Close(monitor), 0u);
  const std::string popups = printer.PopupLog();
  EXPECT_EQ(Count(popups, "cmdline: /F \"VG_"), 2) << popups;
  EXPECT_EQ(Count(popups, "/J \"42\""), 1) << "a job id is handed over once: " << popups;
  // The file's lines end in CR LF, which the recorder shows as "||".
  EXPECT_NE(popups.find("file: /P \"" + printer.Name() + "\"||/O \"LPT1:\"||/M \"VP-100\"||/J "
                        "\"42\"||"),
            std::string::npos)
      << popups;
  const auto lines = Log(monitor.Id());
  EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
    return line.rfind("StartExe : commandline : \"", 0) == 0;
  })) << "the program path is quoted";
}

TEST_F(MonitorPollingTest, UnwritableTemporaryFolderGivesLengthPrefixedOptions) {
  InstalledPrinter printer("Pop \"Q\"", FastProfile("0"));
  ASSERT_TRUE(printer.Ready()) << printer.Failure();
  char oldTemp[MAX_PATH] = {};
  ::GetEnvironmentVariableA("TEMP", oldTemp, MAX_PATH);
  char oldTmp[MAX_PATH] = {};
  ::GetEnvironmentVariableA("TMP", oldTmp, MAX_PATH);
  ::SetEnvironmentVariableA("TEMP", "Z:\\no\\such\\folder");
  ::SetEnvironmentVariableA("TMP", "Z:\\no\\such\\folder");
  vgtest::ChildProcess monitor;
  const bool started = Start(monitor, printer, "7");
  ::SetEnvironmentVariableA("TEMP", oldTemp);
  ::SetEnvironmentVariableA("TMP", oldTmp);
  ASSERT_TRUE(started);
  const std::string name = printer.Name();
  const std::string expected = "cmdline: /P" + std::to_string(name.size()) + " \"" + name +
                               "\" /O5 \"LPT1:\" /M6 \"VP-100\" /J \"7\" /S";
  const std::string popups = AwaitPopupLog(printer, expected);
  EXPECT_EQ(Close(monitor), 0u);
  EXPECT_NE(popups.find(expected), std::string::npos) << popups;
}

TEST_F(MonitorPollingTest, OpenPopupWindowGetsTheJobAsAParamBlock) {
  InstalledPrinter printer("Handoff", FastProfile("0"));
  ASSERT_TRUE(printer.Ready()) << printer.Failure();
  vgtest::RecordingWindow popup;
  ScopedHandle table;
  HWND existing = nullptr;
  ASSERT_EQ(RegisterMapWindow(MapNameSet::kMonitor, printer.Name().c_str(), "", kMapKindStatus,
                              popup.Handle(), &existing, &table),
            kMapRegistered);

  vgtest::ChildProcess monitor;
  ASSERT_TRUE(Start(monitor, printer, "77"));
  ASSERT_TRUE(popup.WaitForMessage(WM_COPYDATA, 10000));
  ASSERT_EQ(popup.CopyData().size(), 1u);
  const std::string& block = popup.CopyData()[0];
  ASSERT_EQ(block.size(), 593u);
  EXPECT_EQ(block[72], 2) << "code 2: for a running pop-up";
  EXPECT_EQ(std::string(block.c_str() + 73), "77");
  EXPECT_EQ(Close(monitor), 0u);
  EXPECT_EQ(printer.PopupLog(), "") << "no pop-up process was started";
  UnregisterMapWindow(MapNameSet::kMonitor, table.Get(), printer.Name().c_str(), "",
                      kMapKindStatus, 0);
}

TEST_F(MonitorPollingTest, InsistentPopupIsRaisedOnEveryPoll) {
  // The notification item of the paper-out status asks for the pop-up with 2.
  InstalledPrinter printer("Insist", [] {
    auto settings = FastProfile("0");
    settings.push_back({"", "ITEM012", "2"});
    return settings;
  }());
  ASSERT_TRUE(printer.Ready()) << printer.Failure();
  ASSERT_EQ(printer.Ctl("reply", kPaperOut).exitCode, 0u);
  vgtest::ChildProcess monitor;
  ASSERT_TRUE(Start(monitor, printer));
  ::Sleep(4500);
  EXPECT_EQ(Close(monitor), 0u);
  EXPECT_GE(Count(printer.PopupLog(), "cmdline:"), 3) << printer.PopupLog();
}

TEST_F(MonitorPollingTest, IdleReadyPrinterEndsOnTheThirdQuitTimerFiring) {
  InstalledPrinter printer("Idle", FastProfile("1"));
  ASSERT_TRUE(printer.Ready()) << printer.Failure();
  vgtest::ChildProcess monitor;
  ASSERT_TRUE(Start(monitor, printer));
  EXPECT_EQ(monitor.Wait(20000), 0u);
  const auto lines = Log(monitor.Id());
  EXPECT_TRUE(Has(lines, "Set QuitTimer length(s) : 1"));
  EXPECT_TRUE(Has(lines, "MonitorQuit: error catch : 0"));
  EXPECT_TRUE(Has(lines, "CMainFrame::GetTimerValue")) << "each operation logs its name";
  int firings = 0;
  for (const std::string& line : lines) firings += line == "CMainFrame::MonitorQuit";
  EXPECT_EQ(firings, 3);
}

TEST_F(MonitorPollingTest, IdlePrinterWithoutTimeoutKeepsMonitoring) {
  InstalledPrinter printer("NoTimeout", FastProfile("0"));
  ASSERT_TRUE(printer.Ready()) << printer.Failure();
  vgtest::ChildProcess monitor;
  ASSERT_TRUE(Start(monitor, printer));
  EXPECT_EQ(monitor.Wait(5000), static_cast<DWORD>(STILL_ACTIVE));
  EXPECT_EQ(Close(monitor), 0u);
  EXPECT_FALSE(Has(Log(monitor.Id()), "CMainFrame::MonitorQuit"));
}

TEST_F(MonitorPollingTest, AnotherModelWritesComStatusThreeAndEnds) {
  InstalledPrinter printer("Other", FastProfile("0"));
  ASSERT_TRUE(printer.Ready()) << printer.Failure();
  ASSERT_EQ(printer.Ctl("deviceid", "\"MFG:KORVA;MDL:VP-999;\"").exitCode, 0u);
  vgtest::ChildProcess monitor;
  ASSERT_TRUE(Start(monitor, printer));
  EXPECT_EQ(monitor.Wait(15000), 0u);
  char key[MAX_PATH] = {};
  HKEY root = nullptr;
  ASSERT_EQ(FindTargetKey(printer.Name().c_str(), "", key, &root), 0);
  EXPECT_EQ(vgtest::GetDword(root, key, "ComStatus", 99), 3u);
  const auto lines = Log(monitor.Id());
  EXPECT_TRUE(Has(lines, "Returned from PrMonitoringEnd : nRet : 0"));
  EXPECT_TRUE(Has(lines, "CMainFrame::CheckCommonErrors")) << "each operation logs its name";
}

TEST_F(MonitorPollingTest, LibraryWithoutDeviceIdExportShowsItsNameAndEnds) {
  InstalledPrinter printer("Partial", [] {
    auto settings = FastProfile("0");
    settings.push_back({"", "PrnDll", "vgprnpart.dll"});
    return settings;
  }());
  ASSERT_TRUE(printer.Ready()) << printer.Failure();
  vgtest::ChildProcess monitor;
  ASSERT_TRUE(Start(monitor, printer));
  const vgtest::MessageBoxSeen missing = vgtest::WaitForMessageBox(monitor.Id(), 15000);
  EXPECT_TRUE(missing.found);
  EXPECT_EQ(missing.title, "ERROR");
  EXPECT_EQ(missing.text, "PrGetDeviceID");
  const vgtest::MessageBoxSeen failed = vgtest::WaitForMessageBox(monitor.Id(), 15000);
  EXPECT_TRUE(failed.found);
  EXPECT_EQ(failed.title, "KORVA Vigil 3") << "string 1100 of the resource library";
  EXPECT_EQ(monitor.Wait(15000), 0u);
  EXPECT_TRUE(Has(Log(monitor.Id()), "Returned from PrMonitoringEnd : nRet : 0"));
}

TEST_F(MonitorPollingTest, PrinterNameAloneIsCompletedFromTheSpoolerAndTheDriverKey) {
  InstalledPrinter printer("Named", FastProfile("0"));
  ASSERT_TRUE(printer.Ready()) << printer.Failure();
  vgtest::ChildProcess monitor;
  ASSERT_TRUE(monitor.Start("vgmon.exe", "/P \"" + printer.Name() + "\""));
  ASSERT_NE(vgtest::FindProcessWindow(monitor.Id(), kMonitorWindowClass, 10000), nullptr);
  EXPECT_EQ(Close(monitor), 0u);
  EXPECT_TRUE(Has(Log(monitor.Id()), " PrinterName = " + printer.Name() +
                                         " : PortName = LPT1: : DriverName = " + printer.Driver() +
                                         " : ModelID = VP-100 : RemoveFlag = 0 : JobID =  : "
                                         "KVM = "));
}

TEST_F(MonitorPollingTest, PortWithoutItsColonBecomesTheSpoolersForm) {
  InstalledPrinter printer("Colon", FastProfile("0"));
  ASSERT_TRUE(printer.Ready()) << printer.Failure();
  ::SetEnvironmentVariableA("VG_POPUP_RECORD", printer.RecordDir().c_str());
  vgtest::ChildProcess monitor;
  ASSERT_TRUE(monitor.Start("vgmon.exe", "/P \"" + printer.Name() + "\" /O \"LPT1\" /D \"" +
                                             printer.Driver() + "\" /M \"VP-100\" /J \"3\""));
  ASSERT_NE(vgtest::FindProcessWindow(monitor.Id(), kMonitorWindowClass, 10000), nullptr);
  EXPECT_EQ(Close(monitor), 0u);
  // The pop-up is handed the port as the spooler names it.
  const std::string popups = AwaitPopupLog(printer, "/O \"LPT1:\"||");
  EXPECT_NE(popups.find("/O \"LPT1:\"||"), std::string::npos) << popups;
}

TEST_F(MonitorPollingTest, FilePortOnlyRegistersTheJobAndEnds) {
  InstalledPrinter printer("ToFile", FastProfile("0"));
  ASSERT_TRUE(printer.Ready()) << printer.Failure();
  vgtest::ChildProcess monitor;
  ASSERT_TRUE(monitor.Start("vgmon.exe", "/P \"" + printer.Name() + "\" /O \"file:\" /D \"" +
                                             printer.Driver() + "\" /M \"VP-100\" /J \"5\""));
  EXPECT_EQ(monitor.Wait(15000), 0u) << "nothing is polled for a job that goes to a file";
  const auto lines = Log(monitor.Id());
  EXPECT_TRUE(Has(lines, "Returned from PrMonitoringStart : nRet : 0"));
  EXPECT_FALSE(Has(lines, "CMainFrame::MonitorStatus"));
  EXPECT_EQ(printer.PopupLog(), "") << "no pop-up for a file port";
}

TEST_F(MonitorPollingTest, SecondMonitorRestartsTheQuitTimer) {
  InstalledPrinter printer("Restart", FastProfile("2"));
  ASSERT_TRUE(printer.Ready()) << printer.Failure();
  vgtest::ChildProcess first;
  ASSERT_TRUE(Start(first, printer));
  // Left alone it would end on the third firing, after about six seconds; every new job
  // for the printer gives it its grace periods again.
  const DWORD start = ::GetTickCount();
  while (::GetTickCount() - start < 9000) {
    ::Sleep(1500);
    vgtest::ProcessResult second = vgtest::RunProgram("vgmon.exe", printer.MonitorArguments());
    EXPECT_EQ(second.exitCode, 0u);
    ASSERT_EQ(first.Wait(0), static_cast<DWORD>(STILL_ACTIVE));
  }
  EXPECT_EQ(first.Wait(20000), 0u) << "then it ends by itself";
  EXPECT_TRUE(Has(Log(first.Id()), "CMainFrame::RestartQuitTimer"))
      << "each operation logs its name";
}

// Some libraries report the device ID's length without a terminator. The monitor's spare
// zeroed byte ends the text, so a model named last keeps its ";" and is found.
TEST_F(MonitorPollingTest, DeviceIdSizedWithoutTerminatorKeepsItsLastCharacter) {
  InstalledPrinter printer("BareId", FastProfile("0"));
  ASSERT_TRUE(printer.Ready()) << printer.Failure();
  ASSERT_EQ(printer.Ctl("deviceid", "\"MFG:KORVA;CMD:ESCP;MDL:VP-100;\"").exitCode, 0u);
  ASSERT_EQ(printer.Ctl("deviceidsize", "bare").exitCode, 0u);
  vgtest::ChildProcess monitor;
  ASSERT_TRUE(Start(monitor, printer));
  const bool acquired = AwaitLine(monitor.Id(), "Returned from PrGetChannel : nRet : 0");
  const bool polled = acquired && AwaitLine(monitor.Id(), "m_pcQv->GetStatus : nRet : 1");
  EXPECT_EQ(Close(monitor), 0u);
  EXPECT_TRUE(acquired) << "the model was found and the channels acquired";
  EXPECT_TRUE(polled);
  char key[MAX_PATH] = {};
  HKEY root = nullptr;
  ASSERT_EQ(FindTargetKey(printer.Name().c_str(), "", key, &root), 0);
  EXPECT_EQ(vgtest::GetDword(root, key, "ComStatus", 99), 1u) << "a reply was decoded";
}

// WM_COMMAND 1 and 2 close the monitor as WM_CLOSE does: the window goes, the worker is
// joined and ends the session before anything is freed.
TEST_F(MonitorPollingTest, CommandOneOrTwoEndsMonitoringInOrder) {
  InstalledPrinter printer("Command", FastProfile("0"));
  ASSERT_TRUE(printer.Ready()) << printer.Failure();
  for (WPARAM command : {1, 2}) {
    SCOPED_TRACE(command);
    vgtest::ChildProcess monitor;
    ASSERT_TRUE(Start(monitor, printer));
    HWND window = vgtest::FindProcessWindow(monitor.Id(), kMonitorWindowClass, 10000);
    ASSERT_NE(window, nullptr);
    ScopedHandle mapping(
        ::OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, ("VG_MAP_" + printer.Name()).c_str()));
    ASSERT_TRUE(mapping.IsValid());
    ScopedMapView view(::MapViewOfFile(mapping.Get(), FILE_MAP_ALL_ACCESS, 0, 0, 4));
    ASSERT_TRUE(view.IsValid());
    ASSERT_TRUE(AwaitLine(monitor.Id(), "m_pcQv->GetStatus : nRet : 1")) << "it polls";

    ::PostMessageA(window, WM_COMMAND, command, 0);
    EXPECT_EQ(monitor.Wait(15000), 0u);
    const auto lines = Log(monitor.Id());
    EXPECT_TRUE(Has(lines, "CMainFrame::DestroyWindow"));
    EXPECT_TRUE(Has(lines, "After : Wait Monitoring Thread"));
    EXPECT_TRUE(Has(lines, "Reset MapFile"));
    EXPECT_TRUE(Has(lines, "Returned from PrMonitoringEnd : nRet : 0"));
    EXPECT_EQ(*static_cast<volatile LONG*>(view.Get()), 0) << "a new monitor may take over";
  }
}

// A close while the worker still waits its first delay: no session was started, so none is
// ended, and the printer is handed back.
TEST_F(MonitorPollingTest, CloseDuringTheFirstDelayEndsNoSession) {
  InstalledPrinter printer("Early", {{"", "MonitorInitTime", "60000"}, {"", "TIMEOUT", "0"}});
  ASSERT_TRUE(printer.Ready()) << printer.Failure();
  vgtest::ChildProcess monitor;
  ASSERT_TRUE(Start(monitor, printer));
  ASSERT_TRUE(AwaitLine(monitor.Id(), "After : Wait Synchro Event"));
  EXPECT_EQ(Close(monitor), 0u) << "the delay ends at once";
  const auto lines = Log(monitor.Id());
  EXPECT_TRUE(Has(lines, "CMainFrame::MonitorEnd"));
  EXPECT_TRUE(Has(lines, "Reset MapFile"));
  EXPECT_FALSE(Has(lines, "Call PrMonitoringStart"));
  EXPECT_FALSE(Has(lines, "Call PrMonitoringEnd")) << "a session that never started";
}

// A bidirectional library that cannot start is a printer the user cannot reach: the poll
// reports the communication error, and the pop-up tells the user.
TEST_F(MonitorPollingTest, UnusableBidirectionalLibraryIsReportedAsACommunicationError) {
  InstalledPrinter printer("Unusable", FastProfile("0"));
  ASSERT_TRUE(printer.Ready()) << printer.Failure();
  ASSERT_EQ(printer.Ctl("reply", kPaperOut).exitCode, 0u);
  struct Unforce {
    ~Unforce() { vgtest::RunCaptured("qvsimctl.exe", "fail * QVInitialize 1 0"); }
  } unforce;
  ASSERT_EQ(vgtest::RunCaptured("qvsimctl.exe", "fail * QVInitialize 1").exitCode, 0u);

  vgtest::ChildProcess monitor;
  ASSERT_TRUE(Start(monitor, printer));
  const std::string popups = AwaitPopupLog(printer, "cmdline:");
  const bool polled = AwaitLine(monitor.Id(), "m_pcQv->GetStatus : nRet : 1");
  EXPECT_EQ(Close(monitor), 0u);
  EXPECT_NE(popups.find("cmdline:"), std::string::npos) << "the user is told";
  EXPECT_TRUE(polled);
  const auto lines = Log(monitor.Id());
  EXPECT_TRUE(Has(lines, "Returned from PrMonitoringStart : nRet : 1"));
  // Status 21: simple number 11, with the notification and buzzer of its item.
  EXPECT_TRUE(Has(lines, "nPopup = 1, bSoundPlay = 1, m_nPrintState = 0, m_nFineStNum = 0, "
                         "m_nStNum = 11"));
}

}  // namespace
