#include "monitor/poll_decisions.h"

namespace vgmon {
namespace {

// A state in which the printer is not waiting for the user: ready, or one of the two states
// that count like ready for completion.
bool IsIdleState(int stNum) {
  return IsReadyStatus(stNum) || stNum == kStateReadyError || stNum == kStateConfirmError;
}

void StopTimer(PollState& state, PollEnvironment& env) {
  env.StopQuitTimer();
  state.quitCount = 0;
}

// Limits from the profile compare as unsigned numbers: a negative limit never runs out.
bool Exceeded(int limit, int count) {
  return static_cast<unsigned>(limit) < static_cast<unsigned>(count);
}

}  // namespace

bool IsReadyStatus(int statusNo) {
  switch (statusNo) {
    case 1:
    case 4:
    case 7:
    case 9:
    case 13:
      return true;
    default:
      return statusNo >= 500 && statusNo <= 899;
  }
}

int BoundPollInterval(long seconds) {
  return (seconds < 2 || seconds > 300) ? 10 : static_cast<int>(seconds);
}

int InitialDelayMs(int profileValue) { return profileValue < 0 ? kDefaultInitTime : profileValue; }

int LibraryPollInterval(int seconds) {
  if (seconds < 1) return -1;
  return seconds > kMaxLibraryInterval ? kMaxLibraryInterval : seconds;
}

void DecideAfterStatus(PollState& state, int& nPopup, int s0, int f0, PollEnvironment& env) {
  if (state.stNum == s0) {
    // An unchanged status does not raise the pop-up again, unless the library insists (2+).
    if (nPopup < 2 &&
        (s0 == kStateReadyError || s0 == kStateConfirmError || state.fineStNum == f0)) {
      nPopup = 0;
    }
    ++state.sameStatusCount;
  } else {
    state.sameStatusCount = 0;
  }

  const bool printedAndStopped =
      state.prevPrintState == kPrinting && state.printState == kNotPrinting;
  if (state.printState == kPrinting) {
    env.Log("Status is Printing");
    state.finished = false;
    if (env.QuitTimerRunning()) StopTimer(state, env);
  } else {
    const int nError = IsIdleState(state.stNum) ? 0 : 1;
    if (nError == 0) env.Log("Status is Ready");
    const int spoolPause = env.SpoolPause();
    env.Log("nSpoolPause: ", spoolPause);
    const int jobState = env.JobState();
    env.Log("nJobState: ", jobState);
    if (jobState > 0) state.complete = false;  // real work found

    if (spoolPause == 1 || nError == 1 || jobState > 0) {
      // The printer still has work or a problem.
      state.finished = false;
      if (printedAndStopped) {
        env.Log("m_bComplete flag is Set.");
        state.complete = true;
      }
      if (env.QuitTimerRunning()) {
        env.Log("Quit Timer is stopped. [2]");
        StopTimer(state, env);
      }
    } else if (printedAndStopped) {
      env.Log("It regard as completing to print");
      state.complete = true;
    } else if (!env.QuitTimerRunning()) {
      const int timeout = env.QuitTimeout();
      if (timeout != 0) {
        env.Log("Set QuitTimer length(s)", timeout);
        env.StartQuitTimer(timeout);
      }
    }
  }

  if (state.lastPopup == 0 && state.complete && state.printState != kPrinting) {
    const int jobState = env.JobState();
    if (jobState > 0) state.complete = false;
    if (jobState <= 0) {
      if (!state.alreadyRunning) env.ResetInstanceMap();
      state.finished = true;
      return;  // printed: no pop-up any more
    }
    if (!env.QuitTimerRunning()) {
      env.Log("Quit Timer is Start.");
      const int timeout = env.QuitTimeout();
      if (timeout != 0) env.StartQuitTimer(timeout);
    }
  }

  if (nPopup > 0) env.StartPopup();
}

int DecideQuit(PollState& state, PollEnvironment& env) {
  env.Log("CMainFrame::MonitorQuit");
  env.Log("m_pcQv->m_nPrintState", state.printState);
  if (state.printState == kPrinting) return 0;

  const int nError = IsIdleState(state.stNum) ? 0 : 1;
  const int spoolPause = env.SpoolPause();
  const int jobState = env.JobState();
  if (jobState > 0) state.complete = false;
  env.Log("MonitorQuit: nError", nError);
  env.Log("MonitorQuit: nSpoolPause", spoolPause);
  env.Log("MonitorQuit: nJobState", jobState);

  if (spoolPause == 1 || nError == 1 || jobState > 0) {
    env.Log("Quit Timer is stopped.");
    StopTimer(state, env);
    return 0;
  }

  bool exceeded = false;
  if (jobState < 0) {
    exceeded = Exceeded(env.ProfileLimit("TimeOutCount", 10), state.quitCount);
  } else if (state.stNum == kStateConfirmError &&
             Exceeded(env.ProfileLimit("TimeOutCountConfirmErr", 3), state.sameStatusCount)) {
    exceeded = true;
  } else if (IsReadyStatus(state.stNum) && state.stNum != 1 &&
             Exceeded(env.ProfileLimit("TimeOutCount", 10), state.quitCount)) {
    exceeded = true;
  } else if ((IsReadyStatus(state.stNum) || state.stNum == kStateReadyError) &&
             Exceeded(env.ProfileLimit("TimeOutCountReadyErr", 1), state.quitCount)) {
    exceeded = true;
  }

  if (exceeded) {
    env.Log("MonitorQuit: error catch", 0);
    StopTimer(state, env);
    state.finished = true;
    env.PostClose();
    return 1;
  }
  ++state.quitCount;
  return 0;
}

}  // namespace vgmon
