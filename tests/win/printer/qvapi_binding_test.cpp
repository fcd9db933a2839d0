// The bidirectional library found through the spooler, bound, initialised once, and its
// channels and status replies, against the simulated printer.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "common/debug_log_win.h"
#include "common/unique_handle.h"
#include "printer/qvapi_binding_win.h"
#include "printer/stat_channel_win.h"
#include "printer/vgprn_app_win.h"
#include "support/installed_printer.h"
#include "support/qvsim_printer.h"
#include "support/win_test_support.h"

namespace {

using vgtest::QuoteArgument;

// The calls of the simulator's log made by this process, as "QVName(...) = result" texts.
std::vector<std::string> CallsOfThisProcess(const std::string& log) {
  std::vector<std::string> calls;
  const std::string mine = " pid=" + std::to_string(::GetCurrentProcessId()) + " ";
  std::istringstream in(log);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t at = line.find(mine);
    if (at != std::string::npos) calls.push_back(line.substr(at + mine.size()));
  }
  return calls;
}

std::vector<std::string> Names(const std::vector<std::string>& calls) {
  std::vector<std::string> names;
  for (const std::string& call : calls) names.push_back(call.substr(0, call.find('(')));
  return names;
}

class QvApiBindingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(printer_.Ready());
    TheApp().SetCurrentPrinterName(printer_.Name().c_str());
    globalStart_ = CallsOfThisProcess(GlobalCalls()).size();
  }
  void TearDown() override {
    printer_.Ctl("fail \"*\" QVInitialize 0 0");
    TheApp().SetCurrentPrinterName("");
  }
  std::string GlobalCalls() const { return printer_.Ctl("calls \"*\"").output; }
  // QVInitialize / QVRelease calls this test made.
  std::vector<std::string> GlobalNames() const {
    auto calls = Names(CallsOfThisProcess(GlobalCalls()));
    return std::vector<std::string>(calls.begin() + static_cast<long>(globalStart_), calls.end());
  }
  std::string Quoted() const { return QuoteArgument(printer_.Name()); }

  vgtest::QvSimPrinter printer_{L"Binding"};
  size_t globalStart_ = 0;
};

TEST_F(QvApiBindingTest, LoadsThroughThePrinterDataAndInitialisesOncePerSession) {
  {
    CQvApi session;
    ASSERT_TRUE(session.IsEnabled());
    session.AddUser();  // a monitoring session keeps the library for its whole length
    {
      CQvApi call;
      EXPECT_TRUE(call.IsEnabled());
    }
    EXPECT_NE(CQvApiBase::Instance().Module(), nullptr) << "still in use";
    session.RemoveUser();
  }
  EXPECT_EQ(CQvApiBase::Instance().Module(), nullptr) << "released with its last user";
  EXPECT_EQ(GlobalNames(), (std::vector<std::string>{"QVInitialize", "QVRelease"}));
}

TEST_F(QvApiBindingTest, FailedInitialisationIsRetriedWithoutANewSearch) {
  ASSERT_EQ(printer_.Ctl("fail \"*\" QVInitialize 1 1").exitCode, 0u);
  CQvApiBase& base = CQvApiBase::Instance();
  base.AddUser();
  {
    CQvApi first;
    EXPECT_FALSE(first.IsEnabled());
  }
  HMODULE loaded = base.Module();
  EXPECT_NE(loaded, nullptr) << "the library stays loaded after a failed QVInitialize";
  {
    CQvApi second;
    EXPECT_TRUE(second.IsEnabled());
    EXPECT_EQ(base.Module(), loaded);
  }
  base.RemoveUser();
  base.Destroy();
  EXPECT_EQ(GlobalNames(),
            (std::vector<std::string>{"QVInitialize", "QVInitialize", "QVRelease"}));
}

TEST_F(QvApiBindingTest, PrinterWithoutLibraryDataLeavesTheBindingOff) {
  TheApp().SetCurrentPrinterName("no such printer");
  CQvApi api;
  EXPECT_FALSE(api.IsEnabled());
  CQvApiChannel channel(qvapi::kKindPrinter, printer_.Name().c_str(), 0x10000005, 4);
  EXPECT_EQ(channel.GetSelectedChannel(), 0u);
  EXPECT_EQ(channel.OpenChannel(), 0);
}

TEST_F(QvApiBindingTest, DeviceIdWithTheTwoCallPattern) {
  CQvApiChannel channel(qvapi::kKindPrinter, printer_.Name().c_str());
  int32_t size = 0;
  ASSERT_EQ(channel.GetDeviceID(nullptr, &size), qvapi::kBufferTooSmall);
  std::string text(static_cast<size_t>(size), '\0');
  EXPECT_GE(channel.GetDeviceID(&text[0], &size), 0);
  EXPECT_STREQ(text.c_str(), "MFG:KORVA;MDL:VP-100;CMD:ESCP;");
}

TEST_F(QvApiBindingTest, ChannelSelectionChecksTheFirstRecordOfAChannelOnly) {
  ASSERT_EQ(printer_.Ctl("channels " + Quoted() + " 0x4:0,0x4:4,0x10000005:0x8004").exitCode, 0u);
  CQvApiChannel channel(qvapi::kKindPrinter, printer_.Name().c_str());
  EXPECT_EQ(channel.SelectChannel(0x4, 4), 0) << "the later record with mode 4 does not count";
  EXPECT_EQ(channel.SelectChannel(0x10010003, 0), 0) << "not offered";
  EXPECT_EQ(channel.SelectChannel(0x10000005, 4), 1);
  EXPECT_EQ(channel.GetSelectedChannel(), 0x10000005u);
  EXPECT_EQ(channel.GetChannelMode(), 0x8004);
  EXPECT_EQ(channel.SelectChannel(0x4, 0), 1) << "no mode required";
}

TEST_F(QvApiBindingTest, OpenChannelRefusesANewSelection) {
  CQvApiChannel channel(qvapi::kKindPrinter, printer_.Name().c_str(), 0x10000005, 4);
  ASSERT_GT(channel.OpenChannel(), 0);
  EXPECT_TRUE(channel.IsOpen());
  EXPECT_EQ(channel.SelectChannel(0x10010003, 0), -1);
  EXPECT_EQ(channel.GetSelectedChannel(), 0x10000005u);
  channel.CloseChannel();
  EXPECT_FALSE(channel.IsOpen());
  auto names = Names(CallsOfThisProcess(printer_.Calls()));
  EXPECT_EQ(names, (std::vector<std::string>{"QVGetAvailableChannel", "QVGetAvailableChannel",
                                             "QVOpenChannel", "QVCloseChannel"}));
}

TEST_F(QvApiBindingTest, OnlyKindsZeroAndOneSelectAnything) {
  CQvApiChannel channel(2, printer_.Name().c_str(), 0x10000005, 4);
  EXPECT_EQ(channel.GetSelectedChannel(), 0u);
  EXPECT_EQ(channel.SelectChannel(0x10000005, 4), 0);
  EXPECT_EQ(channel.OpenChannel(), 0);
}

// A handle object made on one thread while the last user on another releases the library:
// it waits for the release and loads the library afresh, instead of taking the function
// table of a library that is going away. The simulator's state lock holds the release in
// QVRelease for as long as the test needs.
TEST_F(QvApiBindingTest, HandleObjectMadeDuringTheLastReleaseKeepsAUsableLibrary) {
  VgTraceEnable(true);
  const std::string logPath = VgLogPath();
  const size_t offset = vgtest::FileSize(logPath);
  auto releaseBegun = [&] {
    for (const std::string& line :
         vgtest::LogLinesOf(logPath, ::GetCurrentProcessId(), 4, offset)) {
      if (line.find("Before:QVRelease()") != std::string::npos) return true;
    }
    return false;
  };

  auto last = std::make_unique<CQvApi>();
  ASSERT_TRUE(last->IsEnabled());
  ScopedHandle stateLock(::CreateMutexA(nullptr, FALSE, "QvSimStateLock"));
  ASSERT_EQ(::WaitForSingleObject(stateLock.Get(), 10000), WAIT_OBJECT_0);
  std::thread releasing([&] { last.reset(); });
  bool begun = false;
  for (int i = 0; i < 400 && !(begun = releaseBegun()); ++i) ::Sleep(25);

  ScopedHandle entering(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  ScopedHandle made(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  ScopedHandle check(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  bool enabledWhenMade = false;
  bool enabledLater = false;
  bool loadedLater = false;
  std::thread making([&] {
    ::SetEvent(entering.Get());
    CQvApi api;
    enabledWhenMade = api.IsEnabled() != FALSE;
    ::SetEvent(made.Get());
    ::WaitForSingleObject(check.Get(), INFINITE);
    enabledLater = api.IsEnabled() != FALSE;
    loadedLater = CQvApiBase::Instance().Module() != nullptr;
  });
  ::WaitForSingleObject(entering.Get(), INFINITE);
  // A handle object that does not wait for the release is made at once; one that waits is
  // still waiting when the release goes on.
  ::WaitForSingleObject(made.Get(), 500);
  ::ReleaseMutex(stateLock.Get());
  releasing.join();
  ::SetEvent(check.Get());
  making.join();
  VgTraceEnable(false);

  EXPECT_TRUE(begun) << "the release reached QVRelease";
  EXPECT_TRUE(enabledWhenMade);
  EXPECT_TRUE(enabledLater) << "the library went away under a live handle object";
  EXPECT_TRUE(loadedLater);
  EXPECT_EQ(CQvApiBase::Instance().Module(), nullptr) << "released with its last user";
}

class StatusChannelTest : public QvApiBindingTest {};

TEST_F(StatusChannelTest, OpensTheFirstCandidateWithStatusMode) {
  // Channel 4 without the status mode is skipped for the next candidate.
  ASSERT_EQ(printer_.Ctl("channels " + Quoted() + " 0x4:0,0x10000005:4").exitCode, 0u);
  {
    CQvStatChannel channel(qvapi::kKindPrinter, printer_.Name().c_str());
    EXPECT_EQ(channel.OpenStatusChannel(), 1);
    EXPECT_EQ(channel.GetSelectedChannel(), 0x10000005u);
    channel.CloseChannel();
  }
  // The channel list is fetched once while the library stays in use; this one is new.
  ASSERT_EQ(printer_.Ctl("channels " + Quoted() + " 0x10000003:4").exitCode, 0u);
  CQvStatChannel none(qvapi::kKindPrinter, printer_.Name().c_str());
  EXPECT_EQ(none.OpenStatusChannel(), -1) << "0x10000003 is no candidate of the status thread";
  EXPECT_EQ(none.GetPrinterStatus(), -1);
}

TEST_F(StatusChannelTest, KeepsTheReplyExactlyAsLongAsItsSize) {
  const std::string reply = "@BDC ST\r\nST:04;\f";
  ASSERT_EQ(printer_.Ctl("queue " + Quoted() + " \"@BDC ST\\r\\nST:04;\\f\" none error:-9")
                .exitCode,
            0u);
  CQvStatChannel channel(qvapi::kKindPrinter, printer_.Name().c_str());
  ASSERT_EQ(channel.OpenStatusChannel(), 1);
  ASSERT_EQ(channel.GetPrinterStatus(), 1);
  ASSERT_EQ(channel.GetReplySize(), static_cast<int>(reply.size()));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(channel.GetReply()), reply.size()), reply);
  // Nothing pending, then a failure: the previous reply stays.
  EXPECT_EQ(channel.GetPrinterStatus(), 0);
  EXPECT_EQ(channel.GetPrinterStatus(), -9);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(channel.GetReply()), reply.size()), reply);
  channel.CloseChannel();
}

TEST_F(StatusChannelTest, WorkerPostsTheFetchResultToTheWindow) {
  ASSERT_EQ(printer_.Ctl("reply " + Quoted() + " \"@BDC ST\\r\\nST:03;\\f\"").exitCode, 0u);
  vgtest::RecordingWindow window;
  CQvStatChannel channel(qvapi::kKindPrinter, printer_.Name().c_str());
  ASSERT_EQ(channel.StartStatusThread(window.Handle()), 1);
  EXPECT_EQ(channel.StartStatusThread(window.Handle()), 0) << "one worker at a time";
  ASSERT_TRUE(window.WaitForMessage(WM_RESULT_QVSTATUS, 10000));
  EXPECT_EQ(window.Params(WM_RESULT_QVSTATUS), std::vector<WPARAM>{1});
  channel.EndStatusThread();
  EXPECT_EQ(channel.GetReplySize(), 16);
  channel.CloseChannel();
}

TEST_F(StatusChannelTest, WorkerReportsAMissingStatusChannel) {
  ASSERT_EQ(printer_.Ctl("channels " + Quoted() + " 0x10010003:0").exitCode, 0u);
  vgtest::RecordingWindow window;
  CQvStatChannel channel(qvapi::kKindPrinter, printer_.Name().c_str());
  ASSERT_EQ(channel.StartStatusThread(window.Handle()), 1);
  ASSERT_TRUE(window.WaitForMessage(WM_RESULT_CHANNEL_ERROR, 10000));
  EXPECT_EQ(window.Params(WM_RESULT_CHANNEL_ERROR), std::vector<WPARAM>{static_cast<WPARAM>(-1)});
  channel.EndStatusThread();
}

// A worker whose owner asks it to end right after the fetch: it posts nothing, and its pass
// still logs its end.
class HeldFetchChannel : public CQvStatChannel {
 public:
  using CQvStatChannel::CQvStatChannel;
  int GetPrinterStatus() override {
    const int result = CQvStatChannel::GetPrinterStatus();
    ::SetEvent(fetched.Get());
    // The pass waits here until its owner has asked it to end.
    while (IsRunning()) ::Sleep(5);
    return result;
  }
  ScopedHandle fetched{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
};

TEST_F(StatusChannelTest, EndingAfterTheFetchPostsNothingAndLogsTheEnd) {
  VgTraceEnable(true);
  const std::string logPath = VgLogPath();
  const size_t offset = vgtest::FileSize(logPath);
  vgtest::RecordingWindow window;
  HeldFetchChannel channel(qvapi::kKindPrinter, printer_.Name().c_str());
  ASSERT_EQ(channel.StartStatusThread(window.Handle()), 1);
  const bool fetched = ::WaitForSingleObject(channel.fetched.Get(), 10000) == WAIT_OBJECT_0;
  channel.EndStatusThread();
  VgTraceEnable(false);
  window.Pump(200);
  channel.CloseChannel();
  EXPECT_TRUE(fetched);
  EXPECT_TRUE(window.Params(WM_RESULT_QVSTATUS).empty());
  int ends = 0;
  for (const std::string& line : vgtest::LogLinesOf(logPath, ::GetCurrentProcessId(), 4, offset)) {
    ends += line.find("CQvStatChannel::Status loop end") != std::string::npos;
  }
  EXPECT_EQ(ends, 1);
}

TEST_F(StatusChannelTest, EndingDuringTheFirstSleepPostsNothing) {
  vgtest::RecordingWindow window;
  CQvStatChannel channel(qvapi::kKindPrinter, printer_.Name().c_str());
  ASSERT_EQ(channel.StartStatusThread(window.Handle()), 1);
  channel.EndStatusThread();
  window.Pump(800);
  EXPECT_TRUE(window.Params(WM_RESULT_QVSTATUS).empty());
  EXPECT_TRUE(window.Params(WM_RESULT_CHANNEL_ERROR).empty());
  EXPECT_FALSE(channel.IsRunning());
  // A worker that was never started only has its flags cleared.
  CQvStatChannel idle(qvapi::kKindPrinter, printer_.Name().c_str());
  idle.EndStatusThread();
  EXPECT_FALSE(idle.IsRunning());
}

}  // namespace

namespace {

// The binding on a printer installed the way a user's is, by vgsetup: the library is found
// through the printer data and the driver's data-file folder, and the simulator's call log
// shows exactly the calls the binding makes, in order.
TEST(InstalledPrinterBinding, FindsTheLibraryAndMakesTheExpectedCalls) {
  vgtest::InstalledPrinter printer("Bound", {});
  ASSERT_TRUE(printer.Ready()) << printer.Failure();
  ASSERT_EQ(printer.Ctl("reply", "\"@BDC ST\\r\\nST:04;\\f\"").exitCode, 0u);
  TheApp().SetCurrentPrinterName(printer.Name().c_str());
  {
    CQvApi session;
    ASSERT_TRUE(session.IsEnabled());
    session.AddUser();
    {
      CQvApiChannel device(qvapi::kKindPrinter, printer.Name().c_str());
      int32_t size = 0;
      ASSERT_EQ(device.GetDeviceID(nullptr, &size), qvapi::kBufferTooSmall);
      std::string text(static_cast<size_t>(size), '\0');
      EXPECT_GE(device.GetDeviceID(&text[0], &size), 0);
      EXPECT_STREQ(text.c_str(), "MFG:KORVA;MDL:VP-100;CMD:ESCP;");
    }
    vgtest::RecordingWindow window;
    CQvStatChannel status(qvapi::kKindPrinter, printer.Name().c_str());
    ASSERT_EQ(status.StartStatusThread(window.Handle()), 1);
    ASSERT_TRUE(window.WaitForMessage(WM_RESULT_QVSTATUS, 10000));
    EXPECT_EQ(window.Params(WM_RESULT_QVSTATUS), std::vector<WPARAM>{1});
    status.EndStatusThread();
    status.CloseChannel();
    session.RemoveUser();
  }
  TheApp().SetCurrentPrinterName("");
  EXPECT_EQ(Names(CallsOfThisProcess(printer.Ctl("calls").output)),
            (std::vector<std::string>{"QVGetDeviceID", "QVGetDeviceID", "QVGetAvailableChannel",
                                      "QVGetAvailableChannel", "QVOpenChannel", "QVGetStatus",
                                      "QVGetStatus", "QVCloseChannel"}));
}

}  // namespace
