// Every way the bidirectional library can fail, at the monitor: vgmon polling a printer
// installed with vgsetup while a function of the library fails with a result it may give,
// crashes or does not come back, once or for good. Each row is one monitor from its start to
// its end, which it reaches by itself (quit time-out 1 s, polls every 2 s): what its debug log
// shows, the target key's "ComStatus" at the end, how often it started the pop-up, and that
// a crashed library was not called again. The rows run side by side on a few printers; those
// that force the process-wide functions (QVInitialize, QVRelease) run alone.
// The table with the outcome of every row is docs/failures.md.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "common/target_keys_win.h"
#include "support/installed_printer.h"
#include "support/process_output.h"
#include "support/win_test_support.h"

namespace {

// Poll lines of the monitor's log: the printer unreachable (status 21 substituted: simple
// number 11 with the pop-up and buzzer of its notification item), and ready (status 1).
const char kLostPoll[] =
    "nPopup = 1, bSoundPlay = 1, m_nPrintState = 0, m_nFineStNum = 0, m_nStNum = 11";
const char kReadyPoll[] =
    "nPopup = 0, bSoundPlay = 0, m_nPrintState = 1, m_nFineStNum = 1, m_nStNum = 1";
const char kEndedByItself[] = "MonitorQuit: error catch : 0";
const char kSessionEnded[] = "Returned from PrMonitoringEnd : nRet : 0";
const char kLibraryUnusableAtEnd[] = "Returned from PrMonitoringEnd : nRet : 1";
const char kStartFailed[] = "Returned from PrMonitoringStart : nRet : 1";
const char kStarted[] = "Returned from PrMonitoringStart : nRet : 0";
const char kAcquireFailed[] = "Returned from PrGetChannel : nRet : 1";
const char kAcquired[] = "Returned from PrGetChannel : nRet : 0";
const char kMonitorQuit[] = "CMainFrame::MonitorQuit";

// What the test does while a row's monitor runs.
struct Action {
  enum Kind { kAwait, kCtl, kStillPolling } kind;
  std::string text;  // kAwait: a log line; kCtl: a qvsimctl command ("%P": the printer)
  int count = 1;     // kAwait: how many such lines
};
Action Await(const std::string& line, int count = 1) { return {Action::kAwait, line, count}; }
Action CtlCommand(const std::string& command) { return {Action::kCtl, command, 1}; }
// The monitor runs on, and no quit timer has fired (it cannot end by itself yet).
Action StillPolling() { return {Action::kStillPolling, "", 1}; }

struct MonitorRow {
  const char* name;
  bool processWide;                  // forces QVInitialize or QVRelease: runs alone
  std::vector<std::string> before;   // qvsimctl commands before the monitor starts
  std::vector<Action> actions;       // then, while it runs; then it must end by itself
  std::vector<std::string> shows;    // log lines it must show, in this order
  std::vector<std::string> never;    // log lines it must not show
  int comStatus;                     // the target key's "ComStatus" at the end
  int popups;                        // pop-ups started ("CMainFrame::StartPopup")
  bool notCalledAfterCrash = false;  // no call of this process after the crash line
  std::vector<std::pair<std::string, int>> counted = {};  // exact counts of log lines
  std::string simulatorShows = "";   // a text of the printer's call log
};

const std::vector<MonitorRow>& Rows() {
  static const std::vector<MonitorRow> rows = {
      // The library's start: the session is started again before each acquisition.
      {"QVInitialize_fails_once", true, {"fail * QVInitialize -1 1"}, {},
       {kStartFailed, kLostPoll, kStarted, kReadyPoll, kEndedByItself, kSessionEnded}, {}, 1, 1},
      {"QVInitialize_fails_for_good", true, {"fail * QVInitialize -1"}, {},
       {kStartFailed, kLostPoll, kStartFailed, kEndedByItself, kLibraryUnusableAtEnd},
       {kStarted, kReadyPoll}, 0, 1},
      {"QVInitialize_crashes", true, {"crash * QVInitialize 1"}, {},
       {kStartFailed, kLostPoll, kStartFailed, kEndedByItself, kLibraryUnusableAtEnd},
       {kStarted, kReadyPoll}, 0, 1, true},
      {"QVInitialize_hangs_until_released", true, {"hang * QVInitialize forever 1"},
       {Await(kLostPoll), CtlCommand("release *")},
       {kStartFailed, kLostPoll, kStarted, kReadyPoll, kEndedByItself, kSessionEnded}, {}, 1, 1},
      {"QVInitialize_hangs_for_good", true, {"hang * QVInitialize forever"}, {},
       {kStartFailed, kLostPoll, kEndedByItself, kLibraryUnusableAtEnd}, {kStarted, kReadyPoll},
       0, 1},

      // The library's release as monitoring ends.
      {"QVRelease_fails", true, {"fail * QVRelease -1"}, {},
       {kReadyPoll, kEndedByItself, kSessionEnded}, {kLostPoll}, 1, 0},
      {"QVRelease_crashes", true, {"crash * QVRelease"}, {},
       {kReadyPoll, kEndedByItself, kSessionEnded}, {kLostPoll}, 1, 0, true},
      {"QVRelease_hangs_for_good", true, {"hang * QVRelease forever"}, {},
       {kReadyPoll, kEndedByItself, kSessionEnded}, {kLostPoll}, 1, 0},

      // The device ID: unreadable, state 11 and the channels tried again every poll.
      {"QVGetDeviceID_fails_once", false, {"fail %P QVGetDeviceID -1 1"}, {},
       {kLostPoll, kAcquired, kReadyPoll, kEndedByItself, kSessionEnded}, {}, 1, 1},
      {"QVGetDeviceID_fails_for_good", false, {"fail %P QVGetDeviceID -17"}, {},
       {kLostPoll, kEndedByItself, kSessionEnded}, {kAcquired, kReadyPoll}, 0, 1},
      {"QVGetDeviceID_crashes", false, {"crash %P QVGetDeviceID 1"}, {},
       {kLostPoll, kEndedByItself, kLibraryUnusableAtEnd}, {kAcquired, kReadyPoll}, 0, 1, true},
      {"QVGetDeviceID_hangs_until_released", false, {"hang %P QVGetDeviceID forever 1"},
       {Await(kLostPoll), CtlCommand("release %P")},
       {kLostPoll, kAcquired, kReadyPoll, kEndedByItself, kSessionEnded}, {}, 1, 1},
      {"QVGetDeviceID_hangs_for_good", false, {"hang %P QVGetDeviceID forever"}, {},
       {kLostPoll, kEndedByItself, kLibraryUnusableAtEnd}, {kAcquired, kReadyPoll}, 0, 1},

      // The channel list: the first candidate's open fails, the acquisition with it.
      {"QVGetAvailableChannel_fails_once", false, {"fail %P QVGetAvailableChannel -1 1"}, {},
       {kAcquireFailed, kLostPoll, kAcquired, kReadyPoll, kEndedByItself, kSessionEnded}, {}, 1,
       1},
      {"QVGetAvailableChannel_fails_for_good", false, {"fail %P QVGetAvailableChannel -1"}, {},
       {kAcquireFailed, kLostPoll, kAcquireFailed, kEndedByItself, kSessionEnded},
       {kAcquired, kReadyPoll}, 0, 1},
      {"QVGetAvailableChannel_crashes", false, {"crash %P QVGetAvailableChannel 1"}, {},
       {kAcquireFailed, kLostPoll, kEndedByItself, kLibraryUnusableAtEnd},
       {kAcquired, kReadyPoll}, 0, 1, true},
      {"QVGetAvailableChannel_hangs_until_released", false,
       {"hang %P QVGetAvailableChannel forever 1"}, {Await(kLostPoll), CtlCommand("release %P")},
       {kAcquireFailed, kLostPoll, kAcquired, kReadyPoll, kEndedByItself, kSessionEnded}, {}, 1,
       1},
      {"QVGetAvailableChannel_hangs_for_good", false, {"hang %P QVGetAvailableChannel forever"},
       {}, {kAcquireFailed, kLostPoll, kEndedByItself, kLibraryUnusableAtEnd},
       {kAcquired, kReadyPoll}, 0, 1},

      // Opening the channels.
      {"QVOpenChannel_fails_once", false, {"fail %P QVOpenChannel -1 1"}, {},
       {kAcquireFailed, kLostPoll, kAcquired, kReadyPoll, kEndedByItself, kSessionEnded}, {}, 1,
       1},
      {"QVOpenChannel_fails_for_good", false, {"fail %P QVOpenChannel 0"}, {},
       {kAcquireFailed, kLostPoll, kAcquireFailed, kEndedByItself, kSessionEnded},
       {kAcquired, kReadyPoll}, 0, 1},
      {"QVOpenChannel_crashes", false, {"crash %P QVOpenChannel 1"}, {},
       {kAcquireFailed, kLostPoll, kEndedByItself, kLibraryUnusableAtEnd},
       {kAcquired, kReadyPoll}, 0, 1, true},
      {"QVOpenChannel_hangs_until_released", false, {"hang %P QVOpenChannel forever 1"},
       {Await(kLostPoll), CtlCommand("release %P")},
       {kAcquireFailed, kLostPoll, kAcquired, kReadyPoll, kEndedByItself, kSessionEnded}, {}, 1,
       1},
      {"QVOpenChannel_hangs_for_good", false, {"hang %P QVOpenChannel forever"}, {},
       {kAcquireFailed, kLostPoll, kEndedByItself, kLibraryUnusableAtEnd},
       {kAcquired, kReadyPoll}, 0, 1},

      // Closing: called when the channels are acquired again after a failed acquisition
      // (here the status channel's open failed once, the data channel's handle is closed).
      {"QVCloseChannel_fails", false, {"fail %P QVOpenChannel -1 1", "fail %P QVCloseChannel -1"},
       {}, {kAcquireFailed, kLostPoll, kAcquired, kReadyPoll, kEndedByItself, kSessionEnded}, {},
       1, 1, false, {}, "= -1; forced"},
      {"QVCloseChannel_crashes", false,
       {"fail %P QVOpenChannel -1 1", "crash %P QVCloseChannel 1"}, {},
       {kAcquireFailed, kLostPoll, kAcquireFailed, kEndedByItself, kLibraryUnusableAtEnd},
       {kAcquired, kReadyPoll}, 0, 1, true},
      {"QVCloseChannel_hangs_until_released", false,
       {"fail %P QVOpenChannel -1 1", "hang %P QVCloseChannel forever 1"},
       {Await(kAcquireFailed, 2), CtlCommand("release %P")},
       {kAcquireFailed, kLostPoll, kAcquireFailed, kAcquired, kReadyPoll, kEndedByItself,
        kSessionEnded},
       {}, 1, 1},

      // The status read of every poll.
      {"QVGetStatus_reports_nothing_once", false, {"fail %P QVGetStatus 0 1"}, {},
       {"Returned from PrGetStatus : nRet : 0", kReadyPoll, kEndedByItself, kSessionEnded},
       {kLostPoll}, 1, 0},
      {"QVGetStatus_reports_nothing_for_good", false, {"fail %P QVGetStatus 0"},
       {Await("Returned from PrGetStatus : nRet : 0", 3), StillPolling(),
        CtlCommand("fail %P QVGetStatus 0 0")},
       {"Returned from PrGetStatus : nRet : 0", kReadyPoll, kEndedByItself, kSessionEnded},
       {kLostPoll}, 1, 0},
      {"QVGetStatus_busy_-17_once", false, {"fail %P QVGetStatus -17 1"}, {},
       {"Returned from PrGetStatus : nRet : -1", kReadyPoll, kEndedByItself, kSessionEnded},
       {kLostPoll}, 1, 0},
      {"QVGetStatus_busy_-17_for_good", false, {"fail %P QVGetStatus -17"},
       {Await("Returned from PrGetStatus : nRet : -1", 3), StillPolling(),
        CtlCommand("fail %P QVGetStatus -17 0")},
       {"Returned from PrGetStatus : nRet : -1", kReadyPoll, kEndedByItself, kSessionEnded},
       {kLostPoll}, 1, 0},
      {"QVGetStatus_-5_on_the_parallel_port_for_good", false,
       {"channels %P 0x10010003:4", "fail %P QVGetStatus -5"}, {},
       {"Returned from PrGetStatus : nRet : -1", kLostPoll, kEndedByItself, kSessionEnded},
       {kReadyPoll}, 0, 1, false, {{"Returned from PrGetStatus : nRet : -1", 3}}},
      {"QVGetStatus_fails_once", false, {"fail %P QVGetStatus -1 1"}, {},
       {kLostPoll, kReadyPoll, kEndedByItself, kSessionEnded}, {}, 1, 1},
      {"QVGetStatus_fails_for_good", false, {"fail %P QVGetStatus -3"}, {},
       {kLostPoll, kEndedByItself, kSessionEnded}, {kReadyPoll}, 0, 1},
      {"QVGetStatus_crashes", false, {"crash %P QVGetStatus 1"}, {},
       {kLostPoll, kEndedByItself, kLibraryUnusableAtEnd}, {kReadyPoll}, 0, 1, true},
      {"QVGetStatus_hangs_until_released", false, {"hang %P QVGetStatus forever 1"},
       {Await(kLostPoll), CtlCommand("release %P")},
       {kLostPoll, kReadyPoll, kEndedByItself, kSessionEnded}, {}, 1, 1},
      {"QVGetStatus_hangs_for_good", false, {"hang %P QVGetStatus forever"}, {},
       {kLostPoll, kEndedByItself, kLibraryUnusableAtEnd}, {kReadyPoll}, 0, 1},
  };
  return rows;
}

std::string RowName(const MonitorRow& row) {
  std::string name = row.name;
  for (char& c : name) {
    if (c == '-') c = 'm';
  }
  return name;
}

std::string WithPrinter(std::string text, const std::string& printer) {
  const std::string quoted = vgtest::QuoteArgument(printer);
  for (size_t at = text.find("%P"); at != std::string::npos; at = text.find("%P", at)) {
    text.replace(at, 2, quoted);
    at += quoted.size();
  }
  return text;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// The monitor's log lines of one process from an offset on, without their prefix.
std::vector<std::string> MonitorLines(const std::string& path, DWORD processId, size_t offset) {
  std::ifstream file(path, std::ios::binary);
  file.seekg(static_cast<std::streamoff>(offset));
  std::stringstream rest;
  rest << file.rdbuf();
  char prefix[16];
  std::snprintf(prefix, sizeof prefix, "%08lX:", static_cast<unsigned long>(processId));
  std::vector<std::string> bodies;
  for (const std::string& line : Lines(rest.str())) {
    if (line.size() > 21 && line.compare(0, 9, prefix) == 0) bodies.push_back(line.substr(21));
  }
  return bodies;
}

int CountOf(const std::vector<std::string>& lines, const std::string& line) {
  return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

DWORD ComStatusOf(const vgtest::InstalledPrinter& printer) {
  char path[kTargetKeyPathSize] = {};
  HKEY root = HKEY_CURRENT_USER;
  if (FindTargetKey(printer.Name().c_str(), printer.Port().c_str(), path, &root) != kTargetFound) {
    return 0xFFFFFFFF;
  }
  return vgtest::GetDword(root, path, "ComStatus", 0xFFFFFFFF);
}

// The outcome of one row, found on a worker thread and reported by its test.
struct Outcome {
  bool ran = false;
  std::vector<std::string> failures;
  std::string log;  // the monitor's log, for the report of a failure
};

// Installed printers, each running one row's monitor at a time.
class PrinterPool {
 public:
  explicit PrinterPool(size_t count) {
    for (size_t i = 0; i < count; ++i) {
      printers_.push_back(std::make_unique<vgtest::InstalledPrinter>(
          "Failing Monitor",
          std::vector<vgtest::ProfileSetting>{{"", "MonitorInitTime", "100"},
                                              {"", "TIMEOUT", "1"},
                                              {"", "TimeOutCountReadyErr", "0"},
                                              {"Install", "LocalMonitoringTimer", "2"}}));
    }
  }
  const std::vector<std::unique_ptr<vgtest::InstalledPrinter>>& Printers() const {
    return printers_;
  }

 private:
  std::vector<std::unique_ptr<vgtest::InstalledPrinter>> printers_;
};

class LibraryFailureMonitorTest : public ::testing::TestWithParam<MonitorRow> {
 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite() {
    vgtest::RunCaptured("qvsimctl.exe", "reset *");
    pool_.reset();
    vgtest::SetMonitorLog(false);
    if (!folder_.empty()) vgtest::RemoveTree(folder_);
  }

  static Outcome RunRow(const MonitorRow& row, const vgtest::InstalledPrinter& printer);
  static bool Fresh(const vgtest::InstalledPrinter& printer);

  static std::unique_ptr<PrinterPool> pool_;
  static std::string folder_;
  static std::string setupFailure_;
  static std::vector<Outcome> outcomes_;
};

std::unique_ptr<PrinterPool> LibraryFailureMonitorTest::pool_;
std::string LibraryFailureMonitorTest::folder_;
std::string LibraryFailureMonitorTest::setupFailure_;
std::vector<Outcome> LibraryFailureMonitorTest::outcomes_;

// The printer as each row begins.
bool LibraryFailureMonitorTest::Fresh(const vgtest::InstalledPrinter& printer) {
  const std::string name = "\"" + printer.Name() + "\"";
  const std::string script = folder_ + "\\" + std::to_string(::GetCurrentThreadId()) + ".txt";
  vgtest::WriteFile(script, "reset " + name + "\ndeviceid " + name +
                                " MFG:KORVA;MDL:VP-100;CMD:ESCP;\nchannels " + name +
                                " 0x10000005:4,0x10010003:0\nreply " + name +
                                " \"@BDC ST\\r\\nST:04;\\f\"\n");
  return vgtest::RunCaptured("qvsimctl.exe", "run " + vgtest::QuoteArgument(script)).exitCode == 0;
}

Outcome LibraryFailureMonitorTest::RunRow(const MonitorRow& row,
                                          const vgtest::InstalledPrinter& printer) {
  Outcome outcome;
  outcome.ran = true;
  auto fail = [&outcome](const std::string& text) { outcome.failures.push_back(text); };
  if (row.processWide) vgtest::RunCaptured("qvsimctl.exe", "reset *");
  if (!Fresh(printer)) fail("the printer could not be set up");
  for (const std::string& command : row.before) {
    const std::string line = WithPrinter(command, printer.Name());
    if (vgtest::RunCaptured("qvsimctl.exe", line).exitCode != 0) fail("qvsimctl " + line);
  }
  const std::string logPath = vgtest::MonitorLogPath();
  const size_t offset = vgtest::FileSize(logPath);
  const size_t globalBefore = Lines(vgtest::RunCaptured("qvsimctl.exe", "calls *").output).size();

  vgtest::ChildProcess monitor;
  if (!monitor.Start("vgmon.exe", printer.MonitorArguments())) {
    fail("vgmon did not start");
    return outcome;
  }
  auto log = [&] { return MonitorLines(logPath, monitor.Id(), offset); };
  for (const Action& action : row.actions) {
    if (action.kind == Action::kCtl) {
      const std::string line = WithPrinter(action.text, printer.Name());
      if (vgtest::RunCaptured("qvsimctl.exe", line).exitCode != 0) fail("qvsimctl " + line);
    } else if (action.kind == Action::kAwait) {
      const DWORD start = ::GetTickCount();
      while (CountOf(log(), action.text) < action.count && ::GetTickCount() - start < 30000) {
        ::Sleep(50);
      }
      if (CountOf(log(), action.text) < action.count) {
        fail("never showed " + std::to_string(action.count) + " x \"" + action.text + "\"");
      }
    } else {
      if (monitor.Wait(0) != STILL_ACTIVE) fail("ended while the failure lasted");
      if (CountOf(log(), kMonitorQuit) != 0) fail("a quit timer fired while the failure lasted");
    }
  }
  const DWORD exitCode = monitor.Wait(60000);
  if (exitCode == STILL_ACTIVE) {
    fail("did not end by itself within 60 s");
    monitor.Kill();
  } else if (exitCode != 0) {
    fail("ended with exit code " + std::to_string(exitCode));
  }

  const std::vector<std::string> lines = log();
  for (const std::string& line : lines) outcome.log += line + "\n";
  auto next = lines.begin();
  for (const std::string& line : row.shows) {
    next = std::find(next, lines.end(), line);
    if (next == lines.end()) {
      fail("does not show, in order: \"" + line + "\"");
      break;
    }
    ++next;
  }
  for (const std::string& line : row.never) {
    if (CountOf(lines, line) != 0) fail("shows \"" + line + "\"");
  }
  for (const auto& [line, count] : row.counted) {
    if (CountOf(lines, line) != count) {
      fail("shows \"" + line + "\" " + std::to_string(CountOf(lines, line)) + " times, not " +
           std::to_string(count));
    }
  }
  const int popups = CountOf(lines, "CMainFrame::StartPopup");
  if (popups != row.popups) {
    fail("started the pop-up " + std::to_string(popups) + " times, not " +
         std::to_string(row.popups));
  }
  const DWORD comStatus = ComStatusOf(printer);
  if (comStatus != static_cast<DWORD>(row.comStatus)) {
    fail("left ComStatus " + std::to_string(comStatus) + ", not " +
         std::to_string(row.comStatus));
  }

  // The library's calls by this monitor, in its printer's log and in the process-wide one.
  const std::string mine = " pid=" + std::to_string(monitor.Id()) + " ";
  std::vector<std::string> calls;
  for (const std::string& line : Lines(printer.Ctl("calls").output)) {
    if (line.find(mine) != std::string::npos) calls.push_back(line);
  }
  std::vector<std::string> global;
  const std::vector<std::string> all = Lines(vgtest::RunCaptured("qvsimctl.exe", "calls *").output);
  for (size_t i = std::min(globalBefore, all.size()); i < all.size(); ++i) {
    if (all[i].find(mine) != std::string::npos) global.push_back(all[i]);
  }
  if (row.notCalledAfterCrash) {
    // Within the log that holds the crash, nothing follows it. The two logs number their
    // calls apart, so across them: a crash of the printer's functions leaves no release and
    // no second start, and a crashed start leaves no call of the printer's functions.
    auto after = [](const std::vector<std::string>& log) {
      int count = -1;
      for (const std::string& call : log) {
        if (count >= 0) ++count;
        if (call.find(") = crash;") != std::string::npos) count = 0;
      }
      return count;
    };
    auto named = [](const std::vector<std::string>& log, const std::string& function) {
      return static_cast<int>(std::count_if(log.begin(), log.end(), [&](const std::string& c) {
        return c.find(" " + function + "(") != std::string::npos;
      }));
    };
    const int afterPrinterCrash = after(calls);
    const int afterGlobalCrash = after(global);
    if (afterPrinterCrash < 0 && afterGlobalCrash < 0) fail("the library did not crash");
    if (afterPrinterCrash > 0 || afterGlobalCrash > 0) {
      fail("the library was called after it crashed");
    }
    if (afterPrinterCrash >= 0 &&
        (named(global, "QVRelease") != 0 || named(global, "QVInitialize") > 1)) {
      fail("the crashed library was started again or released");
    }
    const bool startCrashed = std::any_of(global.begin(), global.end(), [](const std::string& c) {
      return c.find(" QVInitialize() = crash;") != std::string::npos;
    });
    if (startCrashed && !calls.empty()) {
      fail("the printer was called though the library's start crashed");
    }
  }
  if (!row.simulatorShows.empty()) {
    const bool seen = std::any_of(calls.begin(), calls.end(), [&row](const std::string& call) {
      return call.find(row.simulatorShows) != std::string::npos;
    });
    if (!seen) fail("the printer's call log does not show \"" + row.simulatorShows + "\"");
  }
  return outcome;
}

void LibraryFailureMonitorTest::SetUpTestSuite() {
  vgtest::SetMonitorLog(true);
  folder_ = vgtest::MakeTempDir("failmonitor");
  // The rows this run asks for (a filter may pick some).
  std::vector<size_t> wanted;
  const ::testing::TestSuite* suite = ::testing::UnitTest::GetInstance()->current_test_suite();
  for (int i = 0; suite != nullptr && i < suite->total_test_count(); ++i) {
    const ::testing::TestInfo* info = suite->GetTestInfo(i);
    if (!info->should_run()) continue;
    const std::string name = info->name();
    for (size_t r = 0; r < Rows().size(); ++r) {
      if (name.size() > RowName(Rows()[r]).size() &&
          name.compare(name.size() - RowName(Rows()[r]).size() - 1, std::string::npos,
                       "/" + RowName(Rows()[r])) == 0) {
        wanted.push_back(r);
      }
    }
  }
  outcomes_.assign(Rows().size(), Outcome());
  if (wanted.empty()) return;

  pool_ = std::make_unique<PrinterPool>(std::min<size_t>(5, wanted.size()));
  for (const auto& printer : pool_->Printers()) {
    if (!printer->Ready()) {
      setupFailure_ = printer->Failure();
      return;
    }
  }
  // One ordinary monitor per printer first: it makes the printer's settings key with its
  // polling interval of 2 s, which a monitor whose library fails from the start falls back on.
  std::vector<std::unique_ptr<vgtest::ChildProcess>> warmUps;
  for (const auto& printer : pool_->Printers()) {
    warmUps.push_back(std::make_unique<vgtest::ChildProcess>());
    if (!Fresh(*printer) || !warmUps.back()->Start("vgmon.exe", printer->MonitorArguments())) {
      setupFailure_ = "the warm-up monitor of " + printer->Name() + " did not start";
    }
  }
  for (auto& warmUp : warmUps) {
    if (warmUp->Wait(60000) != 0) {
      setupFailure_ = "a warm-up monitor did not end by itself";
      warmUp->Kill();
    }
  }
  if (!setupFailure_.empty()) return;

  // The rows of one printer each run on one thread; the process-wide rows after them, alone.
  std::vector<size_t> shared;
  std::vector<size_t> alone;
  for (size_t r : wanted) (Rows()[r].processWide ? alone : shared).push_back(r);
  std::atomic<size_t> next{0};
  std::vector<std::thread> workers;
  for (const auto& printer : pool_->Printers()) {
    const vgtest::InstalledPrinter* mine = printer.get();
    workers.emplace_back([&next, &shared, mine] {
      for (size_t i = next++; i < shared.size(); i = next++) {
        outcomes_[shared[i]] = RunRow(Rows()[shared[i]], *mine);
      }
    });
  }
  for (auto& worker : workers) worker.join();
  for (size_t r : alone) outcomes_[r] = RunRow(Rows()[r], *pool_->Printers().front());
}

TEST_P(LibraryFailureMonitorTest, EndsAsTheTableSays) {
  ASSERT_TRUE(setupFailure_.empty()) << setupFailure_;
  const size_t index = static_cast<size_t>(
      std::find_if(Rows().begin(), Rows().end(),
                   [](const MonitorRow& row) { return RowName(row) == RowName(GetParam()); }) -
      Rows().begin());
  const Outcome& outcome = outcomes_[index];
  ASSERT_TRUE(outcome.ran);
  for (const std::string& failure : outcome.failures) ADD_FAILURE() << failure;
  if (!outcome.failures.empty()) ADD_FAILURE() << "its log:\n" << outcome.log;
}

INSTANTIATE_TEST_SUITE_P(EveryFunctionAndResult, LibraryFailureMonitorTest,
                         ::testing::ValuesIn(Rows()),
                         [](const ::testing::TestParamInfo<MonitorRow>& info) {
                           return RowName(info.param);
                         });

}  // namespace
