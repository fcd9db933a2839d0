// The status window's worker: what the registry's communication state and the device ID
// mean to it, what a direct status read reports, the pass timing, and its loop over a
// scripted system.
#include "printer/status_worker_rules.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

using vgworker::Report;

TEST(StatusWorkerChecks, ComStatusValues) {
  EXPECT_EQ(vgworker::ComStatusResult(0), -1);
  EXPECT_EQ(vgworker::ComStatusResult(1), 1);
  EXPECT_EQ(vgworker::ComStatusResult(2), 0) << "the reply was taken already";
  EXPECT_EQ(vgworker::ComStatusResult(3), -2);
  EXPECT_EQ(vgworker::ComStatusResult(4), -3);
  EXPECT_EQ(vgworker::ComStatusResult(5), -4);
  for (int other : {6, -1, 255, 0x7FFFFFFF})
    EXPECT_EQ(vgworker::ComStatusResult(other), 0) << other;
}

TEST(StatusWorkerChecks, ModelOfTheDeviceId) {
  using vgworker::ModelCheckResult;
  EXPECT_EQ(ModelCheckResult(30, "MFG:KORVA;MDL:VP-100;CMD:ESCP;", "VP-100"), 1);
  EXPECT_EQ(ModelCheckResult(30, "MFG:KORVA;MDL:vp-100;", "VP-100"), 1) << "case does not count";
  EXPECT_EQ(ModelCheckResult(30, "MFG:KORVA;MDL:VP-200;", "VP-100"), -2);
  EXPECT_EQ(ModelCheckResult(30, "MFG:KORVA;MDL:VP-1000;", "VP-100"), -2) << "whole name only";
  EXPECT_EQ(ModelCheckResult(30, "MFG:KORVA;CMD:ESCP;", "VP-100"), -1) << "no MDL:";
  EXPECT_EQ(ModelCheckResult(30, "MFG:KORVA;MDL:VP-100", "VP-100"), -1) << "no closing ';'";
  EXPECT_EQ(ModelCheckResult(-4, "", "VP-100"), -1) << "no device ID read";
  EXPECT_EQ(ModelCheckResult(-17, "MFG:KORVA;MDL:VP-100;", "VP-100"), 0)
      << "no communication is no verdict";
  EXPECT_EQ(ModelCheckResult(30, "MDL:;", ""), -1) << "an empty model is none";
}

TEST(StatusWorkerChecks, DirectReadResults) {
  using vgquery::ReadOutcome;
  EXPECT_EQ(vgworker::ReadResultOf(ReadOutcome::kNothing), 0);
  EXPECT_EQ(vgworker::ReadResultOf(ReadOutcome::kFailure), -2)
      << "-17 and a tolerated busy port wait for the next pass";
  EXPECT_EQ(vgworker::ReadResultOf(ReadOutcome::kSubstitute), -1);

  // Through the status query's classification, with the parallel-port allowance.
  int count = 0;
  const vgquery::BusyAllowance lpt{2, true, &count};
  auto read = [&](int32_t result, bool first) {
    return vgworker::ReadResultOf(vgquery::ClassifyStatusRead(result, first, lpt));
  };
  EXPECT_EQ(read(-17, true), -2);
  EXPECT_EQ(read(-5, true), -2);
  EXPECT_EQ(read(-5, true), -2);
  EXPECT_EQ(read(-5, true), -1) << "the allowance is used up";
  EXPECT_EQ(count, 2);
  EXPECT_EQ(read(-9, true), -1);
  EXPECT_EQ(read(0, false), 0);
}

TEST(StatusWorkerTiming, IntervalOfTheConnection) {
  using vgworker::PassInterval;
  EXPECT_EQ(PassInterval(true, true, 0x8004, 5, 30), 1) << "a running monitor: every second";
  EXPECT_EQ(PassInterval(false, true, 0x8004, 5, 30), 30);
  EXPECT_EQ(PassInterval(false, true, 0x0004, 5, 30), 5);
  EXPECT_EQ(PassInterval(false, false, 0x8004, 5, 30), 5) << "no open channel counts as local";
  EXPECT_EQ(vgworker::ChosenInterval(5, 0), 5);
  EXPECT_EQ(vgworker::ChosenInterval(5, 12), 12);
  EXPECT_EQ(vgworker::ChannelErrorValue(-1), -1);
  EXPECT_EQ(vgworker::ChannelErrorValue(0), 1);
}

// A scripted system: every answer comes from a function the test sets, every call is noted.
class ScriptedHost : public vgworker::StatusWorkerHost {
 public:
  bool IsRunning() override { return running; }
  void Sleep(unsigned ms) override {
    sleeps.push_back(ms);
    elapsedMs += ms;
    if (onSleep) onSleep(*this);
  }
  void Trace(const char* line) override { lines.emplace_back(line); }
  bool CheckMonitorRunning() override {
    ++passes;
    passTimes.push_back(elapsedMs);
    if (passes > maxPasses) running = false;  // a safety net: every test stops on its own
    return monitor;
  }
  int CheckRegComStatus() override { return comStatusResult(); }
  void TakeReply() override { ++replyTaken; }
  int CheckModelIDFromQVAPI() override {
    ++modelChecks;
    return modelResult();
  }
  bool IsChannelOpen() override { return channelOpen; }
  int OpenStatusChannel() override {
    ++opens;
    const int result = openResult;
    if (result == 1) channelOpen = true;
    return result;
  }
  int GetPrinterStatus() override {
    ++fetches;
    if (onFetch) onFetch(*this);
    return fetchResult;
  }
  int GetInterval() override { return interval; }
  void Post(Report report, int value) override { posts.emplace_back(report, value); }

  std::vector<int> Posted(Report report) const {
    std::vector<int> values;
    for (const auto& post : posts) {
      if (post.first == report) values.push_back(post.second);
    }
    return values;
  }
  int Count(const std::string& line) const {
    int n = 0;
    for (const std::string& seen : lines) n += seen == line;
    return n;
  }

  bool running = true;
  bool monitor = false;
  bool channelOpen = false;
  int openResult = 1;
  int fetchResult = 1;
  int interval = 1;
  int maxPasses = 100;
  std::function<int()> comStatusResult = [] { return 0; };
  std::function<int()> modelResult = [] { return 1; };
  std::function<void(ScriptedHost&)> onSleep;
  std::function<void(ScriptedHost&)> onFetch;

  int passes = 0;
  int replyTaken = 0;
  int modelChecks = 0;
  int opens = 0;
  int fetches = 0;
  unsigned elapsedMs = 0;
  std::vector<unsigned> sleeps;
  std::vector<unsigned> passTimes;
  std::vector<std::string> lines;
  std::vector<std::pair<Report, int>> posts;
};

// Stops the loop once the given number of passes has been made, in the sleep that follows.
void StopAfterPasses(ScriptedHost& host, int passes) {
  host.onSleep = [passes](ScriptedHost& h) {
    if (h.passes >= passes) h.running = false;
  };
}

TEST(StatusWorkerLoop, PassesComeEveryIntervalInOneSecondSleeps) {
  ScriptedHost host;
  host.interval = 5;
  StopAfterPasses(host, 3);
  vgworker::RunStatusLoop(host);
  ASSERT_EQ(host.passes, 3);
  EXPECT_EQ(host.sleeps.front(), 500u) << "the first pass comes half a second after the start";
  EXPECT_EQ(host.passTimes, (std::vector<unsigned>{500, 5500, 10500}));
  for (size_t i = 1; i < host.sleeps.size(); ++i) EXPECT_EQ(host.sleeps[i], 1000u);
  EXPECT_EQ(host.Posted(Report::kStatus), (std::vector<int>{1, 1, 1}));
  EXPECT_EQ(host.Count("Status loop start\n"), 1);
  EXPECT_EQ(host.Count("Status loop head\n"), 3);
  EXPECT_EQ(host.Count("Status loop end\n"), 1);

  ScriptedHost everySecond;
  everySecond.interval = 1;
  StopAfterPasses(everySecond, 3);
  vgworker::RunStatusLoop(everySecond);
  EXPECT_EQ(everySecond.passTimes, (std::vector<unsigned>{500, 1500, 2500}));

  // An interval the connection changes takes effect after the pass that found it.
  ScriptedHost changing;
  changing.interval = 1;
  changing.onSleep = [](ScriptedHost& h) {
    if (h.passes == 1) h.interval = 3;
    if (h.passes >= 4) h.running = false;
  };
  vgworker::RunStatusLoop(changing);
  EXPECT_EQ(changing.passTimes, (std::vector<unsigned>{500, 1500, 4500, 7500}));
}

TEST(StatusWorkerLoop, WhileTheMonitorRunsOnlyAFreshReplyIsReported) {
  ScriptedHost host;
  host.monitor = true;
  host.interval = 1;
  // ComStatus stays 2 for three passes, the monitor leaves a reply, then 2 again.
  std::deque<int> comStatus = {0, 0, 0, 1, 0, 0};
  host.comStatusResult = [&] {
    const int r = comStatus.front();
    if (comStatus.size() > 1) comStatus.pop_front();
    return r;
  };
  StopAfterPasses(host, 6);
  vgworker::RunStatusLoop(host);
  EXPECT_EQ(host.Posted(Report::kStatus), std::vector<int>{1});
  EXPECT_EQ(host.replyTaken, 1) << "the reply is marked as taken once";
  EXPECT_EQ(host.opens, 1) << "the status channel is opened for the first fetch";
  EXPECT_EQ(host.modelChecks, 0) << "the monitor checks the model";
  EXPECT_EQ(host.Count("Printing = TRUE\n"), 6);
  EXPECT_TRUE(host.Posted(Report::kDeviceIdError).empty());
}

TEST(StatusWorkerLoop, RegistryErrorsAreDeviceErrorsOnEveryPass) {
  ScriptedHost host;
  host.monitor = true;
  host.comStatusResult = [] { return -3; };
  StopAfterPasses(host, 3);
  vgworker::RunStatusLoop(host);
  EXPECT_EQ(host.Posted(Report::kDeviceIdError), (std::vector<int>{-3, -3, -3}));
  EXPECT_EQ(host.Count("Error deviceID process\n"), 3);
  EXPECT_EQ(host.fetches, 0);
  EXPECT_EQ(host.opens, 0);
}

TEST(StatusWorkerLoop, ModelIsCheckedUntilItMatchesOnce) {
  ScriptedHost host;
  std::deque<int> models = {-1, -1, -2, 0, 1, -1};
  host.modelResult = [&] {
    const int r = models.front();
    models.pop_front();
    return r;
  };
  StopAfterPasses(host, 8);
  vgworker::RunStatusLoop(host);
  EXPECT_EQ(host.Posted(Report::kDeviceIdError), (std::vector<int>{-1, -1, -2}));
  EXPECT_EQ(host.modelChecks, 5) << "confirmed once, the model is not asked again";
  EXPECT_EQ(host.Posted(Report::kStatus), (std::vector<int>{1, 1, 1, 1}))
      << "no communication (0) reports nothing; every pass after the match fetches";

  // A new run of the loop checks the model again.
  ScriptedHost again;
  StopAfterPasses(again, 2);
  vgworker::RunStatusLoop(again);
  EXPECT_EQ(again.modelChecks, 1);
}

TEST(StatusWorkerLoop, ConfirmedByTheMonitorThenReadsThePrinterItself) {
  ScriptedHost host;
  host.monitor = true;
  host.comStatusResult = [] { return 1; };
  host.onSleep = [](ScriptedHost& h) {
    if (h.passes == 1) h.monitor = false;  // the monitor ends after its last reply
    if (h.passes >= 3) h.running = false;
  };
  vgworker::RunStatusLoop(host);
  EXPECT_EQ(host.modelChecks, 0);
  EXPECT_EQ(host.Posted(Report::kStatus), (std::vector<int>{1, 1, 1}));
}

TEST(StatusWorkerLoop, AMissingStatusChannelIsReportedAndNotFetched) {
  ScriptedHost none;
  none.openResult = -1;
  StopAfterPasses(none, 2);
  vgworker::RunStatusLoop(none);
  EXPECT_EQ(none.Posted(Report::kChannelError), (std::vector<int>{-1, -1}));
  EXPECT_EQ(none.fetches, 0);
  EXPECT_EQ(none.opens, 2) << "every pass tries again";
  EXPECT_EQ(none.Count("Error:GetChannel(), Result : -1\n"), 2);
  EXPECT_EQ(none.Count("Error status channel process\n"), 2);

  ScriptedHost failed;
  failed.openResult = 0;
  StopAfterPasses(failed, 1);
  vgworker::RunStatusLoop(failed);
  EXPECT_EQ(failed.Posted(Report::kChannelError), std::vector<int>{1});
  EXPECT_EQ(failed.Count("Error:GetChannel(), Result : -1\n"), 0);
  EXPECT_EQ(failed.Count("Error status channel process\n"), 1);

  ScriptedHost open;
  open.channelOpen = true;
  StopAfterPasses(open, 2);
  vgworker::RunStatusLoop(open);
  EXPECT_EQ(open.opens, 0) << "an open channel is used as it is";
  EXPECT_EQ(open.fetches, 2);
}

TEST(StatusWorkerLoop, FetchResultsGoToTheWindowUnchanged) {
  for (int result : {1, 0, -1, -2}) {
    ScriptedHost host;
    host.fetchResult = result;
    StopAfterPasses(host, 1);
    vgworker::RunStatusLoop(host);
    EXPECT_EQ(host.Posted(Report::kStatus), std::vector<int>{result});
    EXPECT_EQ(host.Count("After PostMessage(WM_RESULT_QVSTATUS), iResult = " +
                         std::to_string(result) + "\n"),
              1);
  }
}

TEST(StatusWorkerLoop, EndedDuringASleepItMakesNoFurtherPass) {
  // The stop comes in the one-second sleep right after the first pass, when the next pass
  // would be due at once.
  ScriptedHost host;
  host.interval = 1;
  StopAfterPasses(host, 1);
  vgworker::RunStatusLoop(host);
  EXPECT_EQ(host.passes, 1);
  EXPECT_EQ(host.posts.size(), 1u);
  EXPECT_EQ(host.Count("Status loop end\n"), 1);

  // Ended during the first half second: no pass at all, yet the loop's end is logged.
  ScriptedHost early;
  early.onSleep = [](ScriptedHost& h) { h.running = false; };
  vgworker::RunStatusLoop(early);
  EXPECT_EQ(early.passes, 0);
  EXPECT_TRUE(early.posts.empty());
  EXPECT_EQ(early.Count("Status loop start\n"), 1);
  EXPECT_EQ(early.Count("Status loop end\n"), 1);
}

TEST(StatusWorkerLoop, EndedDuringAPassItPostsNothing) {
  // Ended while the check ran: the pass is left before anything is reported.
  ScriptedHost checking;
  checking.modelResult = [&checking] {
    checking.running = false;
    return -1;
  };
  vgworker::RunStatusLoop(checking);
  EXPECT_TRUE(checking.posts.empty());
  EXPECT_EQ(checking.Count("Status loop end\n"), 1);

  ScriptedHost monitorChecking;
  monitorChecking.monitor = true;
  monitorChecking.comStatusResult = [&monitorChecking] {
    monitorChecking.running = false;
    return 1;
  };
  vgworker::RunStatusLoop(monitorChecking);
  EXPECT_TRUE(monitorChecking.posts.empty());
  EXPECT_EQ(monitorChecking.fetches, 0);

  // Ended while the status was fetched: the result is dropped.
  ScriptedHost fetching;
  fetching.onFetch = [](ScriptedHost& h) { h.running = false; };
  vgworker::RunStatusLoop(fetching);
  EXPECT_EQ(fetching.fetches, 1);
  EXPECT_TRUE(fetching.posts.empty());
}

}  // namespace
