#pragma once
// What the monitor decides after each status query and after each firing of its quit timer:
// whether the job has printed, whether to keep, start or stop the quit timer, whether to
// raise the pop-up, and when monitoring ends. The controller gathers the observations and
// carries out the actions through PollEnvironment; the decisions themselves live here.

namespace vgmon {

constexpr int kStateReadyError = 11;    // also: device id unreadable, library failure
constexpr int kStateConfirmError = 14;  // covered by "TimeOutCountConfirmErr"
constexpr int kPrinting = 2;
constexpr int kNotPrinting = 1;

// Ready numbers: 1, 4, 7, 9, 13 and 500 to 899.
bool IsReadyStatus(int statusNo);

// A poll interval from the registry or the resource library: 2 to 300 seconds, else 10.
int BoundPollInterval(long seconds);

// The worker's first wait: "MonitorInitTime" milliseconds from the model's profile. A negative
// value would become a wait of weeks in the 32-bit wait, in which the monitor neither polls
// nor ends by itself: it gives the default instead.
constexpr int kDefaultInitTime = 1000;
int InitialDelayMs(int profileValue);

// The longest interval whose milliseconds fit the 32-bit wait of the worker.
constexpr int kMaxLibraryInterval = 4294967;
// A poll interval from the printer library's PrGetTimerValue, which reads it from a Driver key
// value anyone with the rights may set: used as it is, but held at kMaxLibraryInterval so that
// its milliseconds cannot wrap to a short wait. -1 (no value) and any other number below 1
// give -1: the interval then comes from the target key.
int LibraryPollInterval(int seconds);

// The controller's members that the decisions read and write.
struct PollState {
  int stNum = 1;           // simple status number after the query
  int fineStNum = 0;       // real status number after the query
  int printState = 0;      // after the query (0 already replaced by the previous value)
  int prevPrintState = 0;  // before the query
  int lastPopup = 0;
  int sameStatusCount = 0;
  int quitCount = 0;
  bool complete = false;
  bool finished = false;
  bool alreadyRunning = false;  // another monitor owns the printer's instance mapping
};

// What the system is asked and told. Calls happen in the order the monitor makes them, so
// the environment can log and query exactly as the running monitor does.
class PollEnvironment {
 public:
  virtual ~PollEnvironment() = default;
  virtual int SpoolPause() = 0;   // 1 paused, 0 not, -1 unreadable
  virtual int JobState() = 0;     // > 0 real jobs queued; 0 none; < 0 unreadable
  virtual int QuitTimeout() = 0;  // seconds; 0 = no quit timer
  // "TimeOutCount" (10), "TimeOutCountReadyErr" (1), "TimeOutCountConfirmErr" (3).
  virtual int ProfileLimit(const char* key, int defaultValue) = 0;
  virtual bool QuitTimerRunning() = 0;
  virtual void StartQuitTimer(int seconds) = 0;
  // Kills the quit timer and clears its identifier (the quit count is cleared by the caller).
  virtual void StopQuitTimer() = 0;
  virtual void ResetInstanceMap() = 0;
  virtual void StartPopup() = 0;
  virtual void PostClose() = 0;
  virtual void Log(const char* text) = 0;
  virtual void Log(const char* text, long number) = 0;
};

// Steps after a status query that delivered a status (result > 0): suppression of an
// unchanged pop-up, printing/idle handling with the quit timer, completion, and the pop-up.
// s0 and f0 are the simple and real status numbers before the query. Returns nothing; the
// state and environment carry the outcome.
void DecideAfterStatus(PollState& state, int& nPopup, int s0, int f0, PollEnvironment& env);

// The cycle after the quit timer fired: 1 when monitoring ends.
int DecideQuit(PollState& state, PollEnvironment& env);

}  // namespace vgmon
