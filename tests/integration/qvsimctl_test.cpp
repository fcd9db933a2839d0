// qvsimctl.exe as a test or a demo uses it: a process per command, its exit code and output,
// and what qvsim.dll then answers in this process and in others.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "common/unique_handle.h"
#include "support/process_output.h"
#include "support/qvsim_library.h"
#include "support/win_test_support.h"

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

constexpr const char* kDeviceId = "MFG:KORVA;MDL:VP-100;CMD:ESCP;";
constexpr const char* kReady = "@BDC ST\r\nST:04;\f";
constexpr const char* kPaperOut = "@BDC ST\r\nST:00;ER:06;\f";

std::vector<std::string> Lines(const std::string& output) {
  std::vector<std::string> lines;
  std::istringstream in(output);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

class QvSimCtlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(lib_.Load());
    printer_ = vgtest::UniqueName("QvSimCtl Printer");
  }

  void TearDown() override {
    for (int32_t handle : handles_) lib_.QVCloseChannel(handle);
    Ctl({"reset", printer_});
    if (!dir_.empty()) vgtest::RemoveTree(dir_);
  }

  vgtest::CapturedRun Ctl(const std::vector<std::string>& args) {
    std::string line;
    for (const auto& arg : args) line += (line.empty() ? "" : " ") + vgtest::QuoteArgument(arg);
    return vgtest::RunCaptured("qvsimctl.exe", line);
  }

  void CtlOk(const std::vector<std::string>& args) {
    const vgtest::CapturedRun run = Ctl(args);
    ASSERT_TRUE(run.finished) << args[0];
    ASSERT_EQ(run.exitCode, 0u) << args[0] << ": " << run.output;
  }

  int32_t Open(uint32_t channel) {
    const int32_t handle = lib_.QVOpenChannel(qvapi::kKindPrinter, printer_.c_str(), channel);
    if (handle > 0) handles_.push_back(handle);
    return handle;
  }

  std::string WriteScenario(const std::string& text) {
    if (dir_.empty()) dir_ = vgtest::MakeTempDir("qvsimctl");
    const std::string path = dir_ + "\\scenario.txt";
    vgtest::WriteFile(path, text);
    return path;
  }

  vgtest::QvSimLibrary lib_;
  std::string printer_;
  std::string dir_;
  std::vector<int32_t> handles_;
};

TEST_F(QvSimCtlTest, CommandsSetWhatTheLibraryAnswers) {
  CtlOk({"deviceid", printer_, "\\x4DFG:KORVA;MDL:VP-100;CMD:ESCP;"});
  CtlOk({"channels", printer_, "0x10000005:0x0004,268500995:0"});
  CtlOk({"reply", printer_, "@BDC ST\\r\\nST:04;\\f"});
  CtlOk({"queue", printer_, "@BDC ST\\r\\nST:00;ER:06;\\f", "error:-0x5", "none"});
  CtlOk({"fail", printer_, "QVReceiveCancel", "-0x11", "0x2"});

  EXPECT_EQ(std::string(lib_.ReadDeviceId(qvapi::kKindPrinter, printer_).buffer.c_str()),
            kDeviceId);
  const auto channels = lib_.Channels(qvapi::kKindPrinter, printer_);
  ASSERT_EQ(channels.size(), 2u);
  EXPECT_EQ(channels[0].channel, qvapi::kChannel10000005);
  EXPECT_EQ(qvapi::ModeOf(channels[0]), qvapi::kModeStatus);
  EXPECT_EQ(channels[1].channel, qvapi::kChannelParallel) << "268500995 is 0x10010003";

  const int32_t handle = Open(qvapi::kChannel10000005);
  ASSERT_GT(handle, 0);
  EXPECT_EQ(lib_.ReadStatus(handle).data, kPaperOut);
  EXPECT_EQ(lib_.ReadStatus(handle).first, qvapi::kChannelBusy);
  EXPECT_EQ(lib_.ReadStatus(handle).first, 0);
  EXPECT_EQ(lib_.ReadStatus(handle).data, kReady);
  EXPECT_EQ(lib_.QVReceiveCancel(handle), -17);
  EXPECT_EQ(lib_.QVReceiveCancel(handle), -17);
  EXPECT_EQ(lib_.QVReceiveCancel(handle), 0);

  const vgtest::CapturedRun show = Ctl({"show", printer_});
  EXPECT_EQ(show.exitCode, 0u);
  EXPECT_THAT(show.output, HasSubstr("reply: \"@BDC ST\\r\\nST:04;\\f\""));
  EXPECT_THAT(show.output, HasSubstr("queue: 0 item(s)"));

  CtlOk({"reset", printer_});
  EXPECT_LT(lib_.ReadDeviceId(qvapi::kKindPrinter, printer_).first, 0);
  EXPECT_LT(lib_.ReadStatus(handle).first, 0) << "a reset printer is gone";
}

TEST_F(QvSimCtlTest, CallsListsThisProcesssLibraryCalls) {
  CtlOk({"deviceid", printer_, kDeviceId});
  CtlOk({"channels", printer_, "0x10000005:4"});
  lib_.ReadDeviceId(qvapi::kKindPrinter, printer_);
  const int32_t handle = Open(qvapi::kChannel10000005);
  lib_.ReadStatus(handle);

  const vgtest::CapturedRun run = Ctl({"calls", printer_});
  ASSERT_EQ(run.exitCode, 0u);
  const std::vector<std::string> lines = Lines(run.output);
  ASSERT_EQ(lines.size(), 4u) << run.output;
  const std::string pid = "pid=" + std::to_string(::GetCurrentProcessId());
  for (const auto& line : lines) EXPECT_THAT(line, HasSubstr(pid));
  EXPECT_THAT(lines[0], StartsWith("1 "));
  EXPECT_THAT(lines[0], HasSubstr("QVGetDeviceID(kind=1, name=\"" + printer_ +
                                  "\", buffer=null, size=0) = -4; size=31"));
  EXPECT_THAT(lines[1], HasSubstr("buffer=yes, size=31) = 30"));
  EXPECT_THAT(lines[2], HasSubstr("QVOpenChannel(kind=1, name=\"" + printer_ +
                                  "\", channel=0x10000005) = " + std::to_string(handle)));
  EXPECT_THAT(lines[3], HasSubstr("QVGetStatus(handle=" + std::to_string(handle) +
                                  ", buffer=null, size=0) = 0; nothing pending"));

  const vgtest::CapturedRun none = Ctl({"calls", vgtest::UniqueName("Never Called")});
  EXPECT_EQ(none.exitCode, 0u);
  EXPECT_EQ(none.output, "");
}

TEST_F(QvSimCtlTest, MalformedCommandsExitTwoWithAUsageLine) {
  const std::vector<std::vector<std::string>> bad = {
      {},
      {"frobnicate", printer_},
      {"deviceid", printer_},
      {"deviceid", printer_, "MDL:\\q;"},
      {"reply", printer_, "trailing\\"},
      {"reply", printer_, "\\x4"},
      {"channels", printer_, "0x1000000G:4"},
      {"channels", printer_, "0x10000005"},
      {"queue", printer_, "error:5"},
      {"fail", printer_, "QVGetStatus", "0x"},
      {"fail", printer_, "QVNothing", "-5"},
      {"fail", printer_, "QVInitialize", "1"},
      {"calls"},
      {"run"},
      {"started"},
      {"answer", "qvapiset.exe", "soon"},
  };
  for (const auto& args : bad) {
    const vgtest::CapturedRun run = Ctl(args);
    const std::string what = args.empty() ? "(none)" : args[0];
    ASSERT_TRUE(run.finished) << what;
    EXPECT_EQ(run.exitCode, 2u) << what << ": " << run.output;
    EXPECT_THAT(run.output, HasSubstr("usage: qvsimctl")) << what;
    EXPECT_THAT(run.output, HasSubstr("qvsimctl: ")) << what;
  }
  // Nothing of the refused commands reached the state.
  EXPECT_LT(lib_.ReadDeviceId(qvapi::kKindPrinter, printer_).first, 0);
  const vgtest::CapturedRun show = Ctl({"show", printer_});
  EXPECT_THAT(show.output, HasSubstr("channels: not set"));
  EXPECT_THAT(show.output, HasSubstr("reply: none"));

  const vgtest::CapturedRun help = Ctl({"help"});
  EXPECT_EQ(help.exitCode, 0u);
  EXPECT_EQ(Lines(help.output).size(), 17u) << "one usage line per command";
}

TEST_F(QvSimCtlTest, RunPlaysATimedScenario) {
  const std::string path = WriteScenario(
      "# The printer becomes ready, then runs out of paper.\n"
      "deviceid \"" +
      printer_ +
      "\" \"MFG:KORVA;MDL:VP-100;CMD:ESCP;\"\r\n"
      "channels \"" +
      printer_ +
      "\" 0x10000005:4,0x10010003:0\n"
      "say step one\n"
      "at 0.2 reply \"" +
      printer_ +
      "\" \"@BDC ST\\r\\nST:04;\\f\"\n"
      "\n"
      "  at 0.6 say   step two: \"ready\"\n"
      "sleep 300\n"
      "at 0.5 queue \"" +
      printer_ +
      "\" \"@BDC ST\\r\\nST:00;ER:06;\\f\" error:-5\n"
      "at 1.2 say step three\n");
  const vgtest::CapturedRun run = Ctl({"run", path});
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 0u) << run.output;
  EXPECT_THAT(Lines(run.output), ElementsAre("step one", "step two: \"ready\"", "step three"));
  // at 0.6, then 300 ms, then at 1.2: the last step cannot come before 1.2 s.
  EXPECT_GE(run.elapsedMs, 1200u);
  EXPECT_LT(run.elapsedMs, 30000u);

  const int32_t handle = Open(qvapi::kChannel10000005);
  EXPECT_EQ(lib_.ReadStatus(handle).data, kPaperOut);
  EXPECT_EQ(lib_.ReadStatus(handle).first, qvapi::kChannelBusy);
  EXPECT_EQ(lib_.ReadStatus(handle).data, kReady);
}

TEST_F(QvSimCtlTest, RunWaitsForItsEventAndCountsTimesFromThere) {
  const std::string event = vgtest::UniqueName("qvsimctl-gate");
  const std::string path = WriteScenario("say set\n"
                                         "wait \"" + event + "\" 30\n"
                                         "say started\n"
                                         "at 0.5 say half a second later\n");
  vgtest::ChildProcess player;
  ASSERT_TRUE(player.Start("qvsimctl.exe", "run " + vgtest::QuoteArgument(path)));
  // Held up at the wait until the event is set, however long that takes.
  EXPECT_EQ(player.Wait(1500), static_cast<DWORD>(STILL_ACTIVE));
  ScopedHandle gate(::CreateEventA(nullptr, TRUE, FALSE, event.c_str()));
  ASSERT_TRUE(gate.IsValid());
  const DWORD set = ::GetTickCount();
  ::SetEvent(gate.Get());
  EXPECT_EQ(player.Wait(30000), 0u);
  // The clock of "at" began at the wait, not at the start 1.5 s before.
  EXPECT_GE(::GetTickCount() - set, 500u);

  // An event that is never set ends the run with the line's reason.
  const std::string lonely = WriteScenario("wait \"" + event + "-never\" 0.2\nsay never\n");
  const vgtest::CapturedRun run = Ctl({"run", lonely});
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_THAT(run.output, HasSubstr(lonely + ":1: the event " + event + "-never was not set"));
  EXPECT_THAT(Lines(run.output), ::testing::Not(::testing::Contains("never")));
}

TEST_F(QvSimCtlTest, RunChecksTheWholeScenarioBeforeDoingAnything) {
  const std::string path = WriteScenario("reply \"" + printer_ +
                                         "\" ready\n"
                                         "say fine\n"
                                         "at soon say broken\n");
  const vgtest::CapturedRun run = Ctl({"run", path});
  EXPECT_EQ(run.exitCode, 2u);
  EXPECT_THAT(run.output, HasSubstr(path + ":3: "));
  EXPECT_THAT(run.output, ::testing::Not(HasSubstr("fine")));
  EXPECT_THAT(Ctl({"show", printer_}).output, HasSubstr("reply: none"));

  const vgtest::CapturedRun missing = Ctl({"run", dir_ + "\\missing.txt"});
  EXPECT_EQ(missing.exitCode, 1u);
  EXPECT_THAT(missing.output, HasSubstr("cannot read"));
}

TEST_F(QvSimCtlTest, HandlesAndQueueAreSharedWithOtherProcesses) {
  CtlOk({"deviceid", printer_, kDeviceId});
  CtlOk({"channels", printer_, "0x10000005:4,0x10010003:0"});
  CtlOk({"queue", printer_, "first", "second", "third"});

  vgtest::CapturedRun probe = vgtest::RunCaptured(
      "qvsimprobe.exe", "open 1 " + vgtest::QuoteArgument(printer_) + " 0x10010003");
  ASSERT_EQ(probe.exitCode, 0u);
  const int32_t theirs = std::stoi(probe.output);
  const int32_t mine = Open(qvapi::kChannel10000005);
  EXPECT_GT(theirs, 0);
  EXPECT_GT(mine, 0);
  EXPECT_NE(theirs, mine);

  // Each process reads through the other's handle; the queue goes on where the other left it.
  EXPECT_EQ(lib_.ReadStatus(theirs).data, "first");
  probe = vgtest::RunCaptured("qvsimprobe.exe", "status " + std::to_string(mine));
  EXPECT_EQ(Lines(probe.output), std::vector<std::string>{"-4 6 second"});
  EXPECT_EQ(lib_.ReadStatus(mine).data, "third");
  probe = vgtest::RunCaptured("qvsimprobe.exe", "close " + std::to_string(theirs));
  EXPECT_EQ(Lines(probe.output), std::vector<std::string>{"0"});
  EXPECT_LT(lib_.QVCloseChannel(theirs), 0) << "closed by the other process";
}

TEST_F(QvSimCtlTest, ConcurrentControlProgramsLoseNoQueueItem) {
  CtlOk({"channels", printer_, "0x10000005:4"});
  std::vector<std::unique_ptr<vgtest::ChildProcess>> children;
  for (int c = 0; c < 4; ++c) {
    std::string args = "queue " + vgtest::QuoteArgument(printer_);
    for (int i = 0; i < 10; ++i) args += " reply" + std::to_string(c * 10 + i);
    children.push_back(std::make_unique<vgtest::ChildProcess>());
    ASSERT_TRUE(children.back()->Start("qvsimctl.exe", args));
  }
  for (auto& child : children) EXPECT_EQ(child->Wait(30000), 0u);

  const int32_t handle = Open(qvapi::kChannel10000005);
  std::vector<std::string> seen;
  for (int i = 0; i < 41; ++i) {
    const vgtest::QvSimLibrary::Read read = lib_.ReadStatus(handle);
    if (read.first == 0) break;
    seen.push_back(read.data);
  }
  EXPECT_EQ(seen.size(), 40u);
  std::sort(seen.begin(), seen.end());
  EXPECT_EQ(std::unique(seen.begin(), seen.end()), seen.end());
}

// The calls of the printer's log that ended as a word ("blocked", "crash"), not a number.
int CountOutcome(const std::string& log, const std::string& outcome) {
  int count = 0;
  for (const std::string& line : Lines(log)) count += line.find(") = " + outcome + ";") != std::string::npos;
  return count;
}

// A blocked call waits outside the simulator's lock: qvsimctl works meanwhile, and its
// release lets the call go on and answer as the printer would.
TEST_F(QvSimCtlTest, HangBlocksACallUntilItsTimeIsOverOrItIsReleased) {
  CtlOk({"channels", printer_, "0x10000005:4"});
  CtlOk({"reply", printer_, kReady});
  const int32_t handle = Open(qvapi::kChannel10000005);
  ASSERT_GT(handle, 0);

  CtlOk({"hang", printer_, "QVGetStatus", "forever", "1"});
  EXPECT_THAT(Ctl({"show", printer_}).output,
              HasSubstr("hang QVGetStatus: blocks until released, 1 more call(s)"));
  std::atomic<bool> back{false};
  vgtest::QvSimLibrary::Read read;
  std::thread reader([&] {
    read = lib_.ReadStatus(handle);
    back = true;
  });
  std::string log;
  for (int i = 0; i < 300 && CountOutcome(log, "blocked") == 0; ++i) {
    log = Ctl({"calls", printer_}).output;
    if (CountOutcome(log, "blocked") == 0) ::Sleep(20);
  }
  EXPECT_THAT(log, HasSubstr("QVGetStatus(handle=" + std::to_string(handle) +
                             ", buffer=null, size=0) = blocked; until released"));
  EXPECT_FALSE(back.load()) << "still blocked while qvsimctl works";
  CtlOk({"release", printer_});
  reader.join();
  EXPECT_EQ(read.first, qvapi::kBufferTooSmall);
  EXPECT_EQ(read.data, kReady) << "then it answers as the printer would";
  EXPECT_EQ(lib_.ReadStatus(handle).data, kReady) << "the count was used up";

  // A time of its own: the call comes back by itself.
  CtlOk({"hang", printer_, "QVGetStatus", "200", "1"});
  EXPECT_EQ(lib_.ReadStatus(handle).data, kReady);
  EXPECT_THAT(Ctl({"calls", printer_}).output, HasSubstr("= blocked; for 200 ms"));

  // A reset ends a blocked call too (tests reset their printers when they end).
  CtlOk({"hang", printer_, "QVGetStatus", "forever"});
  back = false;
  std::thread stuck([&] {
    read = lib_.ReadStatus(handle);
    back = true;
  });
  for (int i = 0; i < 300 && CountOutcome(Ctl({"calls", printer_}).output, "blocked") < 3; ++i) {
    ::Sleep(20);
  }
  CtlOk({"reset", printer_});
  stuck.join();
  EXPECT_EQ(read.first, -2) << "the printer is gone by the time the call goes on";
}

// Crashes and hangs are set per function like forced results, "*" for the process-wide ones,
// and a count of 0 removes them. (The crash itself is caught by the printer library's guard
// in its tests: a process that does not catch it dies, as with any maker's library.)
TEST_F(QvSimCtlTest, CrashesAndHangsAreShownAndRemovedLikeForcedResults) {
  CtlOk({"crash", printer_, "QVOpenChannel", "2"});
  CtlOk({"crash", "*", "QVInitialize"});
  CtlOk({"hang", "*", "QVRelease", "100"});
  EXPECT_THAT(Ctl({"show", printer_}).output,
              HasSubstr("crash QVOpenChannel: access violation, 2 more call(s)"));
  const vgtest::CapturedRun global = Ctl({"show", "*"});
  EXPECT_THAT(global.output, HasSubstr("crash QVInitialize: access violation, every call"));
  EXPECT_THAT(global.output, HasSubstr("hang QVRelease: blocks 100 ms, every call"));
  CtlOk({"fail", printer_, "QVOpenChannel", "-1", "0"});
  CtlOk({"crash", "*", "QVInitialize", "0"});
  CtlOk({"hang", "*", "QVRelease", "100", "0"});
  EXPECT_THAT(Ctl({"show", printer_}).output, ::testing::Not(HasSubstr("QVOpenChannel:")));
  EXPECT_THAT(Ctl({"show", "*"}).output, ::testing::Not(HasSubstr("QVInitialize:")));
  EXPECT_THAT(Ctl({"show", "*"}).output, ::testing::Not(HasSubstr("QVRelease:")));
  const vgtest::CapturedRun bad = Ctl({"crash", printer_, "QVInitialize"});
  EXPECT_EQ(bad.exitCode, 2u);
  EXPECT_THAT(bad.output, HasSubstr("usage: qvsimctl crash NAME FUNCTION [COUNT]"));
}

}  // namespace
