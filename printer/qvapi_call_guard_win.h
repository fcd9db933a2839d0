#pragma once
// The guard around every call into the printer maker's bidirectional library. Whatever that
// library does, the monitor keeps polling and ends by itself, and a status window stays
// responsive:
//
// - A call that never returns. Each call runs on a call thread of the guard while its caller
//   waits at most one poll interval (vgqvcall::DeadlineMs). A call that takes longer is given
//   up: the caller gets vgqvcall::kNoAnswer, a failure to every function, so the printer
//   counts as unreachable (the communication-error status). Until the given-up call has come
//   back, no further call is made (the library may be stuck on a lock of its own): each is
//   refused at once. Once it came back, calls go in again, and the late answer is dropped.
//   The call thread works on copies (names, buffers, sizes) that it owns together with the
//   caller, so a late answer writes nothing of the caller's.
// - A crash inside a call. The call thread runs the call under an exception frame of its own
//   (qvapi_fault_trap_win): an access violation or any other crash that the library does not
//   handle itself ends that call, the caller gets kNoAnswer, and the library is not called
//   again in this process, nor released or unloaded: its own code would run on a state that
//   the crash left broken.
//
// A call thread that runs a given-up call keeps this module loaded for the rest of the
// process (it still runs code of both), and the binding keeps the library loaded while
// Admits is false. Idle call threads wait for work and end when the library is let go.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "common/win.h"
#include "printer/qvapi_call_rules.h"

class CQvCallGuard {
 public:
  CQvCallGuard();
  // Idle call threads are asked to end; threads still inside the library are left alone.
  ~CQvCallGuard();
  CQvCallGuard(const CQvCallGuard&) = delete;
  CQvCallGuard& operator=(const CQvCallGuard&) = delete;

  // The process's guard.
  static CQvCallGuard& Instance();

  // The printer's poll interval in seconds, which bounds every later call; 0 or less: unknown.
  void SetPollSeconds(int seconds) { m_nPollSeconds = seconds; }
  DWORD DeadlineMs() const { return vgqvcall::DeadlineMs(m_nPollSeconds); }

  // Runs `call` on a call thread and returns its result, or kNoAnswer when it was refused,
  // given up or crashed (each with a debug-log line naming `function`); *answered tells
  // which. `call` may use only what it owns, never the caller's memory: it may go on running
  // after Call has returned.
  int32_t Call(const char* function, std::function<int32_t()> call, bool* answered = nullptr);

  // A call would go in now: none crashed, none given up is still out. Only then may the
  // library be released and unloaded.
  bool Admits() const;
  bool HasCrashed() const;
  // Calls given up that have not come back yet.
  int Unanswered() const;

  // Ends the call threads that wait for work, and waits for them.
  void EndIdleThreads();

 private:
  struct Job;
  struct CallThread;

  static unsigned __stdcall ThreadEntry(void* thread);
  void ThreadMain(CallThread* thread);
  // An idle call thread, made when none is idle; null when none can be had. Under m_lock.
  CallThread* TakeCallThread();
  // Joins and drops the threads that left their loop (after a crash). Under m_lock.
  void DropEndedThreads();

  mutable std::mutex m_lock;
  vgqvcall::CallBook m_book;
  std::vector<std::unique_ptr<CallThread>> m_threads;
  std::atomic<int> m_nPollSeconds{0};
};
