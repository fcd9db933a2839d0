// Every way the bidirectional library can fail, at the printer library's exports: each function
// the system calls returning each result it may give, crashing, or not coming back, once or
// for good. Each row runs the monitor's calls in a probe process of its own (a crash that
// escaped would end only that process, and show as "wine: Unhandled", which fails the run).
// The table with the outcome of every row is docs/failures.md.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "common/debug_log_win.h"
#include "common/target_keys_win.h"
#include "support/installed_printer.h"
#include "support/scoped_registry_value.h"
#include "support/process_output.h"
#include "support/win_test_support.h"

namespace {

// What the probe prints for the steps of a healthy session.
const char kStarted[] = "start 0";
const char kDeviceId[] = "id 1 size=31 0 VP-100";
const char kChannels[] = "channel 0 status=0x10000005 data=0x10010003";
const char kReady[] = "status 1 popup=0 sound=0 printing=1 real=1 simple=1 com=1";
const char kEnded[] = "end 0";
// The printer cannot be reached: status 21 (simple number 11), its pop-up and buzzer; with a
// channel "ComStatus" becomes 0, without one it is left as it was ("-": not written yet).
const char kLost[] = "status 1 popup=1 sound=1 printing=0 real=0 simple=11 com=0";
const char kLostNoChannel[] = "status 1 popup=1 sound=1 printing=0 real=0 simple=11 com=-";
// Nothing from a session that does not exist or a library that is not usable.
const char kNoDeviceId[] = "id 1 size=0";
const char kNoChannels[] = "channel 1 status=0x0 data=0x0";

struct ExportRow {
  const char* name;
  std::vector<std::string> before;  // qvsimctl commands before the probe ("%P": the printer)
  std::vector<std::string> steps;   // the probe's steps ("%P" in ctl= steps: the printer)
  std::vector<std::string> expected;
};

std::string WithPrinter(std::string text, const std::string& printer) {
  const std::string quoted = vgtest::QuoteArgument(printer);
  for (size_t at = text.find("%P"); at != std::string::npos; at = text.find("%P", at)) {
    text.replace(at, 2, quoted);
    at += quoted.size();
  }
  return text;
}

std::vector<std::string> Lines(const std::string& output) {
  std::vector<std::string> lines;
  std::istringstream in(output);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

const std::vector<ExportRow>& Rows() {
  // The steps of most rows: a session's start, the device ID, the channels, two polls, the
  // polling interval and the end.
  static const std::vector<ExportRow> rows = {
      // The library's start.
      {"QVInitialize_fails_once",
       {"fail * QVInitialize -1 1"},
       {"start", "id", "channel", "status", "start", "id", "channel", "status", "end"},
       {"start 1", kNoDeviceId, kNoChannels, kLostNoChannel, kStarted, kDeviceId, kChannels,
        kReady, kEnded}},
      {"QVInitialize_fails_for_good",
       {"fail * QVInitialize 1"},
       {"start", "id", "channel", "status", "timer", "start", "end"},
       {"start 1", kNoDeviceId, kNoChannels, kLostNoChannel, "timer -1", "start 1", "end 1"}},
      {"QVInitialize_crashes",
       {"crash * QVInitialize 1"},
       {"start", "id", "channel", "status", "timer", "start", "end"},
       {"start 1", kNoDeviceId, kNoChannels, kLostNoChannel, "timer -1", "start 1", "end 1"}},
      {"QVInitialize_hangs_until_released",
       {"hang * QVInitialize forever 1"},
       {"start", "id", "status", "start", "ctl=release *", "start!", "id", "channel", "status",
        "end"},
       {"start 1", kNoDeviceId, kLostNoChannel, "start 1", "ctl 0", kStarted, kDeviceId,
        kChannels, kReady, kEnded}},
      {"QVInitialize_hangs_for_good",
       {"hang * QVInitialize forever"},
       {"start", "id", "status", "timer", "start", "end"},
       {"start 1", kNoDeviceId, kLostNoChannel, "timer -1", "start 1", "end 1"}},

      // The library's release at the end of a session.
      {"QVRelease_fails",
       {"fail * QVRelease -1"},
       {"start", "channel", "status", "end", "start", "channel", "status", "end"},
       {kStarted, kChannels, kReady, kEnded, kStarted, kChannels, kReady, kEnded}},
      {"QVRelease_crashes",
       {"crash * QVRelease 1"},
       {"start", "channel", "status", "end", "start", "channel", "status", "end"},
       {kStarted, kChannels, kReady, kEnded, "start 1", kNoChannels,
        "status 1 popup=1 sound=1 printing=0 real=0 simple=11 com=1", "end 1"}},
      {"QVRelease_hangs_until_released",
       {"hang * QVRelease forever 1"},
       {"start", "channel", "status", "end", "start", "ctl=release *", "start!", "channel",
        "status", "end"},
       {kStarted, kChannels, kReady, kEnded, "start 1", "ctl 0", kStarted, kChannels, kReady,
        kEnded}},

      // The device ID (three calls per read: the size query, then size query and fetch).
      {"QVGetDeviceID_fails_once",
       {"fail %P QVGetDeviceID -1 1"},
       {"start", "id", "id", "channel", "status", "end"},
       {kStarted, kNoDeviceId, kDeviceId, kChannels, kReady, kEnded}},
      {"QVGetDeviceID_answers_0_instead_of_the_size_once",
       {"fail %P QVGetDeviceID 0 1"},
       {"start", "id", "id", "end"},
       {kStarted, kNoDeviceId, kDeviceId, kEnded}},
      {"QVGetDeviceID_fails_for_good",
       {"fail %P QVGetDeviceID -17"},
       {"start", "id", "id", "channel", "status", "end"},
       {kStarted, kNoDeviceId, kNoDeviceId, kChannels, kReady, kEnded}},
      {"QVGetDeviceID_crashes",
       {"crash %P QVGetDeviceID 1"},
       {"start", "id", "id", "channel", "status", "timer", "end"},
       {kStarted, kNoDeviceId, kNoDeviceId, kNoChannels, kLostNoChannel, "timer -1", "end 1"}},
      {"QVGetDeviceID_hangs_until_released",
       {"hang %P QVGetDeviceID forever 1"},
       {"start", "id", "id", "channel", "ctl=release %P", "id!", "channel", "status", "end"},
       {kStarted, kNoDeviceId, kNoDeviceId, kNoChannels, "ctl 0", kDeviceId, kChannels, kReady,
        kEnded}},
      {"QVGetDeviceID_hangs_for_good",
       {"hang %P QVGetDeviceID forever"},
       {"start", "id", "channel", "status", "end"},
       {kStarted, kNoDeviceId, kNoChannels, kLostNoChannel, "end 1"}},

      // The channel list: unreadable, the first candidates are taken; 0x4 is not offered, its
      // open fails, and so does the acquisition, which a later one repeats.
      {"QVGetAvailableChannel_fails_once",
       {"fail %P QVGetAvailableChannel -1 1"},
       {"start", "channel", "status", "channel", "status", "end"},
       {kStarted, "channel 1 status=0x4 data=0x10010003", kLostNoChannel, kChannels, kReady,
        kEnded}},
      {"QVGetAvailableChannel_answers_an_empty_list_once",
       {"fail %P QVGetAvailableChannel 0 1"},
       {"start", "channel", "status", "channel", "status", "end"},
       {kStarted, "channel 1 status=0x4 data=0x10010003", kLostNoChannel, kChannels, kReady,
        kEnded}},
      {"QVGetAvailableChannel_fails_for_good",
       {"fail %P QVGetAvailableChannel -1"},
       {"start", "channel", "status", "channel", "status", "timer", "end"},
       {kStarted, "channel 1 status=0x4 data=0x10010003", kLostNoChannel,
        "channel 1 status=0x4 data=0x10010003", kLostNoChannel, "timer 2", kEnded}},
      {"QVGetAvailableChannel_crashes",
       {"crash %P QVGetAvailableChannel 1"},
       {"start", "channel", "status", "channel", "end"},
       {kStarted, "channel 1 status=0x4 data=0x10010003", kLostNoChannel, kNoChannels, "end 1"}},
      {"QVGetAvailableChannel_hangs_until_released",
       {"hang %P QVGetAvailableChannel forever 1"},
       {"start", "channel", "status", "ctl=release %P", "channel!", "status", "end"},
       {kStarted, "channel 1 status=0x4 data=0x10010003", kLostNoChannel, "ctl 0", kChannels,
        kReady, kEnded}},

      // Opening the channels: a channel that did not open fails the acquisition.
      {"QVOpenChannel_fails_once",
       {"fail %P QVOpenChannel -1 1"},
       {"start", "channel", "status", "channel", "status", "end"},
       {kStarted, "channel 1 status=0x10000005 data=0x10010003", kLostNoChannel, kChannels,
        kReady, kEnded}},
      {"QVOpenChannel_answers_0_once",
       {"fail %P QVOpenChannel 0 1"},
       {"start", "channel", "status", "channel", "status", "end"},
       {kStarted, "channel 1 status=0x10000005 data=0x10010003", kLostNoChannel, kChannels,
        kReady, kEnded}},
      {"QVOpenChannel_fails_for_good",
       {"fail %P QVOpenChannel -6"},
       {"start", "channel", "status", "channel", "status", "end"},
       {kStarted, "channel 1 status=0x10000005 data=0x10010003", kLostNoChannel,
        "channel 1 status=0x10000005 data=0x10010003", kLostNoChannel, kEnded}},
      {"QVOpenChannel_crashes",
       {"crash %P QVOpenChannel 1"},
       {"start", "channel", "status", "channel", "end"},
       {kStarted, "channel 1 status=0x10000005 data=0x10010003", kLostNoChannel, kNoChannels,
        "end 1"}},
      {"QVOpenChannel_hangs_until_released",
       {"hang %P QVOpenChannel forever 1"},
       {"start", "channel", "status", "ctl=release %P", "channel!", "status", "end"},
       {kStarted, "channel 1 status=0x10000005 data=0x10010003", kLostNoChannel, "ctl 0",
        kChannels, kReady, kEnded}},

      // Closing: only a second acquisition closes the handles of the first; the result is of
      // no use to anyone.
      {"QVCloseChannel_fails",
       {},
       {"start", "channel", "ctl=fail %P QVCloseChannel -1", "channel", "status", "end"},
       {kStarted, kChannels, "ctl 0", kChannels, kReady, kEnded}},
      {"QVCloseChannel_crashes",
       {},
       {"start", "channel", "ctl=crash %P QVCloseChannel 1", "channel", "status", "end"},
       {kStarted, kChannels, "ctl 0", "channel 1 status=0x10000005 data=0x10010003",
        kLostNoChannel, "end 1"}},
      {"QVCloseChannel_hangs_until_released",
       {},
       {"start", "channel", "ctl=hang %P QVCloseChannel forever 1", "channel", "status",
        "ctl=release %P", "channel!", "status", "end"},
       {kStarted, kChannels, "ctl 0", "channel 1 status=0x10000005 data=0x10010003",
        kLostNoChannel, "ctl 0", kChannels, kReady, kEnded}},

      // The status read of every poll.
      {"QVGetStatus_reports_nothing_once",
       {},
       {"start", "channel", "status", "ctl=fail %P QVGetStatus 0 1", "status", "status", "end"},
       {kStarted, kChannels, kReady, "ctl 0",
        "status 0 popup=0 sound=0 printing=0 real=0 simple=- com=1", kReady, kEnded}},
      {"QVGetStatus_reports_nothing_for_good",
       {},
       {"start", "channel", "status", "ctl=fail %P QVGetStatus 0", "status", "status", "end"},
       {kStarted, kChannels, kReady, "ctl 0",
        "status 0 popup=0 sound=0 printing=0 real=0 simple=- com=1",
        "status 0 popup=0 sound=0 printing=0 real=0 simple=- com=1", kEnded}},
      {"QVGetStatus_busy_-17_once",
       {},
       {"start", "channel", "status", "ctl=fail %P QVGetStatus -17 1", "status", "status", "end"},
       {kStarted, kChannels, kReady, "ctl 0",
        "status -1 popup=0 sound=0 printing=0 real=0 simple=- com=1", kReady, kEnded}},
      {"QVGetStatus_busy_-17_for_good",
       {},
       {"start", "channel", "status", "ctl=fail %P QVGetStatus -17", "status", "status", "end"},
       {kStarted, kChannels, kReady, "ctl 0",
        "status -1 popup=0 sound=0 printing=0 real=0 simple=- com=1",
        "status -1 popup=0 sound=0 printing=0 real=0 simple=- com=1", kEnded}},
      {"QVGetStatus_-5_on_a_channel_without_the_allowance",
       {},
       {"start", "channel", "status", "ctl=fail %P QVGetStatus -5 1", "status", "status", "end"},
       {kStarted, kChannels, kReady, "ctl 0", kLost, kReady, kEnded}},
      {"QVGetStatus_-5_on_the_parallel_port_for_good",
       {"channels %P 0x10010003:4"},
       {"start", "channel", "status", "ctl=fail %P QVGetStatus -5", "status", "status", "status",
        "status", "status", "end"},
       {kStarted, "channel 0 status=0x10010003 data=0x10010003",
        "status 1 popup=0 sound=0 printing=1 real=1 simple=1 com=1", "ctl 0",
        "status -1 popup=0 sound=0 printing=0 real=0 simple=- com=1",
        "status -1 popup=0 sound=0 printing=0 real=0 simple=- com=1",
        "status -1 popup=0 sound=0 printing=0 real=0 simple=- com=1", kLost, kLost, kEnded}},
      {"QVGetStatus_-5_on_the_parallel_port_once",
       {"channels %P 0x10010003:4"},
       {"start", "channel", "status", "ctl=fail %P QVGetStatus -5 1", "status", "status", "end"},
       {kStarted, "channel 0 status=0x10010003 data=0x10010003", kReady, "ctl 0",
        "status -1 popup=0 sound=0 printing=0 real=0 simple=- com=1", kReady, kEnded}},
      {"QVGetStatus_fails_once",
       {},
       {"start", "channel", "status", "ctl=fail %P QVGetStatus -1 1", "status", "status", "end"},
       {kStarted, kChannels, kReady, "ctl 0", kLost, kReady, kEnded}},
      {"QVGetStatus_fails_for_good_reported_as_22",
       {},
       {"start", "channel", "status1", "ctl=fail %P QVGetStatus -2", "status1", "status1",
        "end"},
       {kStarted, kChannels, kReady, "ctl 0",
        "status 1 popup=1 sound=1 printing=0 real=0 simple=14 com=4",
        "status 1 popup=1 sound=1 printing=0 real=0 simple=14 com=4", kEnded}},
      {"QVGetStatus_answers_-4_without_a_size_once",
       {},
       {"start", "channel", "status", "ctl=fail %P QVGetStatus -4 1", "status", "status", "end"},
       {kStarted, kChannels, kReady, "ctl 0", kLost, kReady, kEnded}},
      {"QVGetStatus_crashes",
       {},
       {"start", "channel", "status", "ctl=crash %P QVGetStatus 1", "status", "status", "timer",
        "end"},
       {kStarted, kChannels, kReady, "ctl 0", kLost, kLost, "timer -1", "end 1"}},
      {"QVGetStatus_hangs_until_released",
       {},
       {"start", "channel", "status", "ctl=hang %P QVGetStatus forever 1", "status", "status",
        "ctl=release %P", "status!", "end"},
       {kStarted, kChannels, kReady, "ctl 0", kLost, kLost, "ctl 0", kReady, kEnded}},
      {"QVGetStatus_hangs_for_good",
       {},
       {"start", "channel", "status", "ctl=hang %P QVGetStatus forever", "status", "status",
        "timer", "end"},
       {kStarted, kChannels, kReady, "ctl 0", kLost, kLost, "timer -1", "end 1"}},
  };
  return rows;
}

class LibraryFailureExportsTest : public ::testing::TestWithParam<ExportRow> {
 protected:
  static void SetUpTestSuite() {
    printer_ = new vgtest::InstalledPrinter(
        "Failing", {{"", "MonitorInitTime", "100"}, {"Install", "LocalMonitoringTimer", "2"}});
    // The printer as each row begins: one qvsimctl run instead of one process per command.
    folder_ = vgtest::MakeTempDir("failrows");
    const std::string name = "\"" + printer_->Name() + "\"";
    vgtest::WriteFile(folder_ + "\\fresh.txt",
                      "reset *\nreset " + name + "\ndeviceid " + name +
                          " MFG:KORVA;MDL:VP-100;CMD:ESCP;\nchannels " + name +
                          " 0x10000005:4,0x10010003:0\nreply " + name +
                          " @BDC\\x20ST\\r\\nST:04;\\f\n");
  }
  static void TearDownTestSuite() {
    vgtest::RunCaptured("qvsimctl.exe", "reset *");
    delete printer_;
    printer_ = nullptr;
    vgtest::RemoveTree(folder_);
  }

  void SetUp() override {
    ASSERT_TRUE(printer_->Ready()) << printer_->Failure();
    // A blocked call of the last row ended with its probe; its forced behaviours go now.
    const vgtest::CapturedRun fresh =
        vgtest::RunCaptured("qvsimctl.exe", "run " + vgtest::QuoteArgument(folder_ + "\\fresh.txt"));
    ASSERT_EQ(fresh.exitCode, 0u) << fresh.output;
    char path[kTargetKeyPathSize] = {};
    HKEY root = HKEY_CURRENT_USER;
    if (FindTargetKey(printer_->Name().c_str(), printer_->Port().c_str(), path, &root) ==
        kTargetFound) {
      HKEY key = nullptr;
      if (::RegOpenKeyExA(root, path, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        for (const char* value : {"ComStatus", "Status", "Channel"}) ::RegDeleteValueA(key, value);
        ::RegCloseKey(key);
      }
    }
  }

  static std::string folder_;
  static vgtest::InstalledPrinter* printer_;
};

vgtest::InstalledPrinter* LibraryFailureExportsTest::printer_ = nullptr;
std::string LibraryFailureExportsTest::folder_;

TEST_P(LibraryFailureExportsTest, GivesTheTablesOutcome) {
  const ExportRow& row = GetParam();
  const std::string name = printer_->Name();
  for (const std::string& command : row.before) {
    const std::string line = WithPrinter(command, name);
    ASSERT_EQ(vgtest::RunCaptured("qvsimctl.exe", line).exitCode, 0u) << line;
  }
  std::string arguments = vgtest::QuoteArgument(printer_->InstallDir()) + " " +
                          vgtest::QuoteArgument(name) + " " +
                          vgtest::QuoteArgument(printer_->Driver()) + " " +
                          vgtest::QuoteArgument(printer_->Port()) + " " + printer_->Model();
  for (const std::string& step : row.steps) {
    arguments += " " + vgtest::QuoteArgument(WithPrinter(step, name));
  }
  const vgtest::CapturedRun probe = vgtest::RunCaptured("vgexportprobe.exe", arguments, 120000);
  ASSERT_TRUE(probe.finished) << "the exports came back: " << probe.output;
  EXPECT_EQ(probe.exitCode, 0u) << probe.output;
  EXPECT_EQ(Lines(probe.output), row.expected) << probe.output;
}

INSTANTIATE_TEST_SUITE_P(EveryFunctionAndResult, LibraryFailureExportsTest,
                         ::testing::ValuesIn(Rows()),
                         [](const ::testing::TestParamInfo<ExportRow>& info) {
                           std::string name = info.param.name;
                           for (char& c : name) {
                             if (c == '-') c = 'm';
                           }
                           return name;
                         });

// What the printer library's debug log tells of a crash and of a call given up: one line
// when it happens, and one for each call that is not made afterwards.
class LibraryFailureLogTest : public ::testing::Test {
 protected:
  LibraryFailureLogTest()
      : logSwitch_(HKEY_LOCAL_MACHINE, "Software\\Korva\\VGL3", "log"),
        printer_("Logged", {{"Install", "LocalMonitoringTimer", "2"}}) {}

  void SetUp() override {
    ASSERT_TRUE(printer_.Ready()) << printer_.Failure();
    vgtest::SetDword(HKEY_LOCAL_MACHINE, "Software\\Korva\\VGL3", "log", 1);
    VgTraceEnable(true);
    logPath_ = VgLogPath();
    VgTraceEnable(false);
    ASSERT_NE(logPath_, "");
  }
  void TearDown() override { vgtest::RunCaptured("qvsimctl.exe", "reset *"); }

  // The log's text that the probe's steps added.
  std::string Probe(const std::vector<std::string>& steps) {
    const size_t offset = vgtest::FileSize(logPath_);
    std::string arguments = vgtest::QuoteArgument(printer_.InstallDir()) + " " +
                            vgtest::QuoteArgument(printer_.Name()) + " " +
                            vgtest::QuoteArgument(printer_.Driver()) + " " +
                            vgtest::QuoteArgument(printer_.Port()) + " " + printer_.Model();
    for (const std::string& step : steps) arguments += " " + vgtest::QuoteArgument(step);
    const vgtest::CapturedRun probe = vgtest::RunCaptured("vgexportprobe.exe", arguments, 120000);
    EXPECT_TRUE(probe.finished);
    EXPECT_EQ(probe.exitCode, 0u) << probe.output;
    const std::string text = vgtest::ReadFile(logPath_);
    return offset < text.size() ? text.substr(offset) : std::string();
  }

  static int Count(const std::string& text, const std::string& part) {
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
      ++count;
    }
    return count;
  }

  vgtest::ScopedRegistryValue logSwitch_;
  vgtest::InstalledPrinter printer_;
  std::string logPath_;
};

TEST_F(LibraryFailureLogTest, ACrashIsLoggedAndTheLibraryCountsAsUnusableFromThenOn) {
  ASSERT_EQ(printer_.Ctl("crash", "QVGetStatus 1").exitCode, 0u);
  const std::string log = Probe({"start", "channel", "status", "channel", "end"});
  EXPECT_EQ(Count(log, "QVGetStatus : exception 0xc0000005 inside the library : it is not "
                       "called again"),
            1)
      << log;
  EXPECT_EQ(Count(log, "PrGetChannel : error : qvapi is disable"), 1) << log;
  EXPECT_EQ(Count(log, "Before:QVRelease()"), 0) << "the crashed library is not released";
}

TEST_F(LibraryFailureLogTest, ACallGivenUpIsLoggedAndSoIsItsLateReturn) {
  ASSERT_EQ(printer_.Ctl("hang", "QVGetStatus forever 1").exitCode, 0u);
  const std::string log = Probe({"start", "channel", "status", "status", "ctl=release " +
                                     vgtest::QuoteArgument(printer_.Name()),
                                 "status!", "end"});
  EXPECT_EQ(Count(log, "QVGetStatus : no answer within 2000 ms : given up"), 1) << log;
  EXPECT_EQ(Count(log, "QVGetStatus : came back after it was given up (-4, dropped)"), 1) << log;
  EXPECT_EQ(Count(log, "Before:QVRelease()"), 1) << "released at the end as usual";
}

}  // namespace
