#pragma once
// The rules of the guard around every call into the printer maker's bidirectional library: how
// long a call may take, which exceptions escaping the library count as its crash, and when the
// library may be called again, released and unloaded after a call that did not come back in
// time or crashed. The guard (qvapi_call_guard_win) gathers the events and applies the answers.
#include <cstdint>

namespace vgqvcall {

constexpr int kDefaultPollSeconds = 10;  // the poll interval when none is known
constexpr int kMinPollSeconds = 2;       // the bounds of a poll interval from the registry
constexpr int kMaxPollSeconds = 300;

// A call may take as long as one poll of the printer: the poll interval in seconds, held
// within the bounds of a poll interval; an unknown one (0 or less) is the default.
uint32_t DeadlineMs(int pollSeconds);

// The result a call gives that was not made, was given up or crashed: a failure to every
// function (no handle, no size answer, not initialised, not released).
constexpr int32_t kNoAnswer = -1;

// An exception that the library lets escape from a call is its crash when the code says
// warning or error (the top bit: access violations, illegal instructions, divisions by zero,
// stack overflows, breakpoints, another compiler's C++ exceptions). Informational codes
// (debugger output, thread names) are notices, which go on to whoever handles them.
bool IsCrash(uint32_t exceptionCode);

// Why a call is not made.
enum class Refusal {
  kNone,        // it may be made
  kCrashed,     // an earlier call crashed: the library's own state is not to be trusted
  kUnanswered,  // an earlier call has not come back: the library is stuck, perhaps on a lock
};

// What the guard knows of the library's calls in one process. What it refuses, it also does
// not release or unload: a given-up call still runs the library's code, and after a crash its
// release and unload code would run on a broken state.
class CallBook {
 public:
  Refusal Admit() const;
  // The caller stopped waiting for a call, which goes on running.
  void GaveUp() { ++unanswered_; }
  // A call given up came back.
  void CameBackLate() {
    if (unanswered_ > 0) --unanswered_;
  }
  void Crashed(uint32_t exceptionCode);

  bool HasCrashed() const { return crashed_; }
  uint32_t CrashCode() const { return crashCode_; }
  int Unanswered() const { return unanswered_; }

 private:
  int unanswered_ = 0;
  bool crashed_ = false;
  uint32_t crashCode_ = 0;
};

}  // namespace vgqvcall
