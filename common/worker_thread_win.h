#pragma once
// CWorkerThread: the one worker thread of an object (the monitor's poller, a printer status
// thread). It is started once, asked to stop from any thread (which wakes its sleeps and waits
// at once), and joined by its owner. The body runs under the shared exception guard: nothing
// it throws crosses the thread's boundary.
#include <atomic>
#include <functional>

#include "common/unique_handle.h"
#include "common/win.h"

class CWorkerThread {
 public:
  CWorkerThread() = default;
  // Asks the thread to stop and waits for it.
  ~CWorkerThread();
  CWorkerThread(const CWorkerThread&) = delete;
  CWorkerThread& operator=(const CWorkerThread&) = delete;

  // Runs body on a new thread. False when a thread is held already (running, or finished but
  // not joined) or the system cannot make one. `where` names the thread in the guard's log line.
  bool Start(const char* where, std::function<void()> body);
  // From any thread, also the worker's own: its sleeps and waits end at once from now on.
  void RequestStop();
  // Waits for the thread to end and releases it; nothing when none is held. A worker that
  // joins itself only releases the handle.
  void Join();

  // A thread is held: from a successful Start until Join. Any thread may ask.
  bool Joinable() const { return m_bHeld; }
  // Held and not asked to stop: the owner's "running" state.
  bool IsActive() const { return m_bHeld && !m_bStop; }
  bool StopRequested() const { return m_bStop; }

  // For the body: sleeps up to the given time; false (at once) when a stop is requested.
  bool Sleep(DWORD milliseconds) const;
  // For the body: waits for the object or a stop request; true only when the object was
  // signalled.
  bool WaitFor(HANDLE object, DWORD milliseconds) const;

 private:
  static unsigned __stdcall Entry(void* self);

  ScopedHandle m_hThread;
  DWORD m_dwThreadId = 0;
  ScopedHandle m_hStopEvent;
  // Set before the thread starts, so that the thread itself sees it from its first step.
  std::atomic<bool> m_bHeld{false};
  std::atomic<bool> m_bStop{false};
  const char* m_pszWhere = "worker thread";
  std::function<void()> m_body;
};
