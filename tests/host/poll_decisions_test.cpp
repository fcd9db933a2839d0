// The monitor's decisions after a status query and after the quit timer: when the job has
// printed, what the quit timer does, when the pop-up is raised and when monitoring ends.
#include "monitor/poll_decisions.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

using vgmon::PollState;

class FakeEnvironment : public vgmon::PollEnvironment {
 public:
  int spoolPause = 0;
  std::vector<int> jobStates = {0};  // answers in turn; the last one repeats
  int quitTimeout = 30;
  std::map<std::string, int> limits;
  bool timerRunning = false;
  std::vector<std::string> events;

  int SpoolPause() override {
    events.push_back("SpoolPause");
    return spoolPause;
  }
  int JobState() override {
    events.push_back("JobState");
    int answer = jobStates.front();
    if (jobStates.size() > 1) jobStates.erase(jobStates.begin());
    return answer;
  }
  int QuitTimeout() override { return quitTimeout; }
  int ProfileLimit(const char* key, int defaultValue) override {
    auto found = limits.find(key);
    return found == limits.end() ? defaultValue : found->second;
  }
  bool QuitTimerRunning() override { return timerRunning; }
  void StartQuitTimer(int seconds) override {
    timerRunning = true;
    events.push_back("StartTimer " + std::to_string(seconds));
  }
  void StopQuitTimer() override {
    timerRunning = false;
    events.push_back("StopTimer");
  }
  void ResetInstanceMap() override { events.push_back("ResetMap"); }
  void StartPopup() override { events.push_back("Popup"); }
  void PostClose() override { events.push_back("PostClose"); }
  void Log(const char* text) override { events.push_back(text); }
  void Log(const char* text, long number) override {
    events.push_back(std::string(text) + std::to_string(number));
  }

  bool Saw(const std::string& event) const {
    for (const std::string& seen : events) {
      if (seen == event) return true;
    }
    return false;
  }
  int Count(const std::string& event) const {
    int count = 0;
    for (const std::string& seen : events) count += seen == event;
    return count;
  }
};

PollState Ready(int printState, int prevPrintState) {
  PollState state;
  state.stNum = 1;
  state.fineStNum = 16;
  state.printState = printState;
  state.prevPrintState = prevPrintState;
  return state;
}

TEST(ReadyStatus, NumbersTheMonitorTreatsAsReady) {
  for (int n : {1, 4, 7, 9, 13, 500, 650, 899}) EXPECT_TRUE(vgmon::IsReadyStatus(n)) << n;
  for (int n : {0, 2, 3, 5, 11, 14, 21, 499, 900}) EXPECT_FALSE(vgmon::IsReadyStatus(n)) << n;
}

TEST(PollInterval, BoundedToTwoToThreeHundredSeconds) {
  EXPECT_EQ(vgmon::BoundPollInterval(1), 10);
  EXPECT_EQ(vgmon::BoundPollInterval(2), 2);
  EXPECT_EQ(vgmon::BoundPollInterval(300), 300);
  EXPECT_EQ(vgmon::BoundPollInterval(301), 10);
  EXPECT_EQ(vgmon::BoundPollInterval(-5), 10);
}

TEST(PollInterval, FirstDelayFromTheProfileNeverBecomesWeeks) {
  EXPECT_EQ(vgmon::InitialDelayMs(1000), 1000);
  EXPECT_EQ(vgmon::InitialDelayMs(0), 0);
  EXPECT_EQ(vgmon::InitialDelayMs(250000), 250000);
  EXPECT_EQ(vgmon::InitialDelayMs(-1), 1000) << "-1 would wait without end";
  EXPECT_EQ(vgmon::InitialDelayMs(-2147483647 - 1), 1000);
}

TEST(PollInterval, LibraryValuesAreKeptButNeverWrap) {
  EXPECT_EQ(vgmon::LibraryPollInterval(-1), -1);
  EXPECT_EQ(vgmon::LibraryPollInterval(0), -1) << "no wait at all would poll without a pause";
  EXPECT_EQ(vgmon::LibraryPollInterval(-5), -1);
  EXPECT_EQ(vgmon::LibraryPollInterval(1), 1) << "unlike the registry value, not bounded to 2";
  EXPECT_EQ(vgmon::LibraryPollInterval(301), 301);
  EXPECT_EQ(vgmon::LibraryPollInterval(4294967), 4294967);
  // 4294968 seconds would wait 704 ms once multiplied into 32 bits.
  EXPECT_EQ(vgmon::LibraryPollInterval(4294968), 4294967);
  EXPECT_EQ(vgmon::LibraryPollInterval(999999999), 4294967);
  EXPECT_LE(static_cast<unsigned long long>(vgmon::LibraryPollInterval(2147483647)) * 1000,
            0xFFFFFFFEull);
}

TEST(AfterStatus, PrintedJobWithEmptyQueueEndsInTheSameCycle) {
  FakeEnvironment env;
  PollState state = Ready(1, 2);
  int popup = 0;
  vgmon::DecideAfterStatus(state, popup, 1, 16, env);
  EXPECT_TRUE(state.complete);
  EXPECT_TRUE(state.finished);
  EXPECT_TRUE(env.Saw("It regard as completing to print"));
  EXPECT_TRUE(env.Saw("ResetMap"));
  EXPECT_FALSE(env.Saw("StartTimer 30")) << "no quit timer needed";
}

TEST(AfterStatus, AnotherMonitorKeepsTheMappingWhenThisOneFinishes) {
  FakeEnvironment env;
  PollState state = Ready(1, 2);
  state.alreadyRunning = true;
  int popup = 0;
  vgmon::DecideAfterStatus(state, popup, 1, 16, env);
  EXPECT_TRUE(state.finished);
  EXPECT_FALSE(env.Saw("ResetMap"));
}

TEST(AfterStatus, PendingPopupHoldsCompletionBack) {
  FakeEnvironment env;
  PollState state = Ready(1, 2);
  state.lastPopup = 1;
  int popup = 1;
  vgmon::DecideAfterStatus(state, popup, 5, 20, env);
  EXPECT_TRUE(state.complete);
  EXPECT_FALSE(state.finished);
  EXPECT_TRUE(env.Saw("Popup"));
}

TEST(AfterStatus, PrintedButJobsStillQueuedStartsTheQuitTimer) {
  FakeEnvironment env;
  env.jobStates = {0, 1};  // step 8 sees none, the completion check sees a new job
  PollState state = Ready(1, 2);
  int popup = 0;
  vgmon::DecideAfterStatus(state, popup, 1, 16, env);
  EXPECT_FALSE(state.finished);
  EXPECT_FALSE(state.complete) << "real work clears the completion";
  EXPECT_TRUE(env.Saw("Quit Timer is Start."));
  EXPECT_TRUE(env.Saw("StartTimer 30"));
}

TEST(AfterStatus, PrintingStopsTheQuitTimer) {
  FakeEnvironment env;
  env.timerRunning = true;
  PollState state = Ready(2, 1);
  state.quitCount = 2;
  int popup = 0;
  vgmon::DecideAfterStatus(state, popup, 1, 16, env);
  EXPECT_TRUE(env.Saw("Status is Printing"));
  EXPECT_TRUE(env.Saw("StopTimer"));
  EXPECT_EQ(state.quitCount, 0);
  EXPECT_FALSE(env.Saw("SpoolPause")) << "the spooler is not asked while printing";
}

TEST(AfterStatus, IdleReadyPrinterStartsTheQuitTimerOnlyWithATimeout) {
  FakeEnvironment env;
  PollState state = Ready(1, 1);
  int popup = 0;
  vgmon::DecideAfterStatus(state, popup, 1, 16, env);
  EXPECT_TRUE(env.Saw("Status is Ready"));
  EXPECT_TRUE(env.Saw("Set QuitTimer length(s)30"));
  EXPECT_FALSE(state.finished);

  FakeEnvironment noTimeout;
  noTimeout.quitTimeout = 0;
  PollState idle = Ready(1, 1);
  vgmon::DecideAfterStatus(idle, popup, 1, 16, noTimeout);
  EXPECT_FALSE(noTimeout.timerRunning) << "TIMEOUT 0: never ends by itself";
  EXPECT_FALSE(idle.finished);
}

TEST(AfterStatus, PausedQueueErrorStateOrJobsKeepTheMonitorAndStopTheTimer) {
  struct Case {
    int spoolPause;
    int stNum;
    int jobState;
  };
  for (const Case& c : {Case{1, 1, 0}, Case{0, 5, 0}, Case{0, 1, 1}}) {
    FakeEnvironment env;
    env.spoolPause = c.spoolPause;
    env.jobStates = {c.jobState};
    env.timerRunning = true;
    PollState state = Ready(1, 1);
    state.stNum = c.stNum;
    state.quitCount = 3;
    int popup = 0;
    vgmon::DecideAfterStatus(state, popup, c.stNum, 16, env);
    EXPECT_TRUE(env.Saw("Quit Timer is stopped. [2]"));
    EXPECT_EQ(state.quitCount, 0);
    EXPECT_FALSE(env.timerRunning);
    EXPECT_FALSE(state.finished);
  }
}

TEST(AfterStatus, JobJustPrintedWithMoreQueuedWaitsForThem) {
  FakeEnvironment env;
  env.jobStates = {2};
  PollState state = Ready(1, 2);
  int popup = 0;
  vgmon::DecideAfterStatus(state, popup, 1, 16, env);
  EXPECT_TRUE(env.Saw("m_bComplete flag is Set."));
  EXPECT_FALSE(state.complete) << "the queued jobs clear it again";
  EXPECT_FALSE(state.finished);
  EXPECT_TRUE(env.Saw("StartTimer 30"));
}

TEST(AfterStatus, UnchangedStatusRaisesThePopupOnceUnlessTheLibraryInsists) {
  FakeEnvironment env;
  env.quitTimeout = 0;
  PollState state = Ready(1, 1);
  state.stNum = 5;
  state.fineStNum = 6;
  int popup = 1;
  vgmon::DecideAfterStatus(state, popup, 5, 6, env);
  EXPECT_EQ(popup, 0);
  EXPECT_FALSE(env.Saw("Popup"));
  EXPECT_EQ(state.sameStatusCount, 1);

  popup = 2;
  vgmon::DecideAfterStatus(state, popup, 5, 6, env);
  EXPECT_EQ(env.Count("Popup"), 1) << "nPopup 2 is never suppressed";

  popup = 1;
  state.fineStNum = 7;  // same simple number, new real number: a new condition
  vgmon::DecideAfterStatus(state, popup, 5, 6, env);
  EXPECT_EQ(env.Count("Popup"), 2);

  popup = 1;
  state.stNum = 11;  // states 11 and 14 suppress even when the real number moves
  state.fineStNum = 8;
  vgmon::DecideAfterStatus(state, popup, 11, 7, env);
  EXPECT_EQ(env.Count("Popup"), 2);

  popup = 1;
  state.stNum = 6;
  vgmon::DecideAfterStatus(state, popup, 11, 8, env);
  EXPECT_EQ(state.sameStatusCount, 0);
  EXPECT_EQ(env.Count("Popup"), 3);
}

TEST(QuitTimer, IdleReadyPrinterEndsOnTheThirdFiring) {
  FakeEnvironment env;
  env.timerRunning = true;
  PollState state = Ready(1, 1);
  EXPECT_EQ(vgmon::DecideQuit(state, env), 0);
  EXPECT_EQ(vgmon::DecideQuit(state, env), 0);
  EXPECT_EQ(vgmon::DecideQuit(state, env), 1);
  EXPECT_TRUE(state.finished);
  EXPECT_TRUE(env.Saw("MonitorQuit: error catch0"));
  EXPECT_TRUE(env.Saw("PostClose"));
  EXPECT_FALSE(env.timerRunning);
}

TEST(QuitTimer, PrintingOrWorkStopsTheCount) {
  FakeEnvironment env;
  PollState printing = Ready(2, 2);
  EXPECT_EQ(vgmon::DecideQuit(printing, env), 0);
  EXPECT_FALSE(env.Saw("SpoolPause"));

  FakeEnvironment paused;
  paused.spoolPause = 1;
  paused.timerRunning = true;
  PollState state = Ready(1, 1);
  state.quitCount = 5;
  EXPECT_EQ(vgmon::DecideQuit(state, paused), 0);
  EXPECT_TRUE(paused.Saw("Quit Timer is stopped."));
  EXPECT_EQ(state.quitCount, 0);
  EXPECT_FALSE(paused.timerRunning);
}

TEST(QuitTimer, ConfirmStateEndsAfterMoreThanItsUnchangedPolls) {
  FakeEnvironment env;
  PollState state = Ready(1, 1);
  state.stNum = 14;
  state.sameStatusCount = 3;
  EXPECT_EQ(vgmon::DecideQuit(state, env), 0) << "three unchanged polls are allowed";
  state.sameStatusCount = 4;
  EXPECT_EQ(vgmon::DecideQuit(state, env), 1);
}

TEST(QuitTimer, ReadyStatesOtherThanOneUseTheGeneralCount) {
  FakeEnvironment env;
  env.limits["TimeOutCountReadyErr"] = 100;
  PollState state = Ready(1, 1);
  state.stNum = 4;
  state.quitCount = 10;
  EXPECT_EQ(vgmon::DecideQuit(state, env), 0);
  EXPECT_EQ(vgmon::DecideQuit(state, env), 1) << "TimeOutCount 10 < 11";
}

TEST(QuitTimer, UnreadableSpoolerIsBoundedByTheGeneralCount) {
  FakeEnvironment env;
  env.jobStates = {-1};
  PollState state = Ready(1, 1);
  state.quitCount = 10;
  EXPECT_EQ(vgmon::DecideQuit(state, env), 0);
  EXPECT_EQ(vgmon::DecideQuit(state, env), 1);
}

TEST(QuitTimer, NegativeLimitsNeverRunOut) {
  FakeEnvironment env;
  env.limits["TimeOutCountReadyErr"] = -1;
  PollState state = Ready(1, 1);
  state.quitCount = 1000;
  EXPECT_EQ(vgmon::DecideQuit(state, env), 0);
  EXPECT_EQ(state.quitCount, 1001);
}

}  // namespace
