#include "printer/qvapi_call_guard_win.h"

#include <process.h>

#include <utility>

#include "common/debug_log_win.h"
#include "common/exception_guard_win.h"
#include "common/unique_handle.h"
#include "printer/qvapi_call_signal_win.h"
#include "printer/qvapi_fault_trap_win.h"

namespace {

// Calls in flight at once in one process: the monitor makes one at a time, a process with a
// status window two or three (its worker, its window).
constexpr size_t kMaxCallThreads = 4;

// A thread that still runs inside the library when its caller gave up runs this module's code
// again when the call comes back: this module must stay loaded until the process ends. One
// reference is taken for that and never given back. A program (tests link the guard into
// theirs) never unloads.
void KeepThisModuleLoaded() {
  static std::atomic<bool> kept{false};
  if (kept.exchange(true)) return;
  MEMORY_BASIC_INFORMATION info = {};
  if (::VirtualQuery(reinterpret_cast<const void*>(&KeepThisModuleLoaded), &info, sizeof info) ==
      0) {
    return;
  }
  HMODULE self = static_cast<HMODULE>(info.AllocationBase);
  if (self == nullptr || self == ::GetModuleHandleA(nullptr)) return;
  char path[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameA(self, path, sizeof path);
  if (length == 0 || length >= sizeof path) return;
  ::LoadLibraryA(path);
}

}  // namespace

struct CQvCallGuard::Job {
  std::function<int32_t()> call;
  int32_t result = vgqvcall::kNoAnswer;
  DWORD crashCode = 0;
  bool done = false;  // under the guard's lock
};

struct CQvCallGuard::CallThread {
  CQvCallGuard* guard = nullptr;
  ScopedHandle handle;
  CCallSignal wake;      // a job, or the request to end, is waiting
  CCallSignal finished;  // reset for each job: the job came back in time
  // Everything below is read and written under the guard's lock.
  std::shared_ptr<Job> job;
  const char* function = "";
  bool busy = false;     // a job was handed over and its caller has not taken it back
  bool givenUp = false;  // its caller stopped waiting
  bool quit = false;     // asked to end
  bool ended = false;    // left its loop
};

CQvCallGuard::CQvCallGuard() = default;

CQvCallGuard& CQvCallGuard::Instance() {
  static CQvCallGuard guard;
  return guard;
}

CQvCallGuard::~CQvCallGuard() {
  // This runs while the system unloads this module or ends the process, under its loader
  // lock: an idle call thread cannot be joined here (ending a thread needs that lock), and it
  // must not wake up later in code that is gone. It holds nothing while it waits for work, so
  // it is ended where it waits. A thread inside the library is left alone with its object:
  // the module stays loaded then (KeepThisModuleLoaded), and this runs only as the process
  // ends.
  for (auto& thread : m_threads) {
    if (thread->busy) {
      (void)thread.release();
      continue;
    }
    if (thread->handle.IsValid()) ::TerminateThread(thread->handle.Get(), 0);
  }
}

bool CQvCallGuard::Admits() const {
  std::lock_guard<std::mutex> guard(m_lock);
  return m_book.Admit() == vgqvcall::Refusal::kNone;
}

bool CQvCallGuard::HasCrashed() const {
  std::lock_guard<std::mutex> guard(m_lock);
  return m_book.HasCrashed();
}

int CQvCallGuard::Unanswered() const {
  std::lock_guard<std::mutex> guard(m_lock);
  return m_book.Unanswered();
}

unsigned __stdcall CQvCallGuard::ThreadEntry(void* thread) {
  auto* self = static_cast<CallThread*>(thread);
  vg::Guarded("CQvCallGuard call thread", [self] { self->guard->ThreadMain(self); });
  return 0;
}

namespace {

// Nothing may leave the trapped call by a C++ exception: it would pass the exception frame
// without unlinking it.
int32_t RunJobCall(void* job) {
  try {
    return (*static_cast<std::function<int32_t()>*>(job))();
  } catch (...) {
    return vgqvcall::kNoAnswer;
  }
}

}  // namespace

void CQvCallGuard::ThreadMain(CallThread* thread) {
  for (;;) {
    thread->wake.Wait(INFINITE);
    std::shared_ptr<Job> job;
    {
      std::lock_guard<std::mutex> guard(m_lock);
      if (thread->quit) {
        thread->ended = true;
        return;
      }
      job = thread->job;
    }
    if (!job) continue;

    int32_t result = vgqvcall::kNoAnswer;
    const DWORD crash = vgtrap::RunTrapped(&RunJobCall, &job->call, &result);

    const char* lateFunction = nullptr;
    {
      std::lock_guard<std::mutex> guard(m_lock);
      job->result = result;
      job->crashCode = crash;
      job->done = true;
      if (crash != 0) {
        m_book.Crashed(crash);
        thread->ended = true;
      }
      if (thread->givenUp) {
        // Nobody waits for this answer any more: it is dropped.
        m_book.CameBackLate();
        lateFunction = thread->function;
        thread->givenUp = false;
        thread->busy = false;
        thread->job.reset();
      } else {
        thread->finished.Set();
      }
    }
    if (lateFunction != nullptr) {
      if (crash != 0) {
        VgTrace("%s : exception %#lx inside the library, after it was given up : it is not "
                "called again\n",
                lateFunction, static_cast<unsigned long>(crash));
      } else {
        VgTrace("%s : came back after it was given up (%d, dropped)\n", lateFunction,
                static_cast<int>(result));
      }
    }
    // After a crash the thread's stack may be spent (a stack overflow): it ends.
    if (crash != 0) return;
  }
}

void CQvCallGuard::DropEndedThreads() {
  for (auto it = m_threads.begin(); it != m_threads.end();) {
    if ((*it)->ended && !(*it)->busy) {
      // It has left its loop and takes no lock any more.
      ::WaitForSingleObject((*it)->handle.Get(), INFINITE);
      it = m_threads.erase(it);
    } else {
      ++it;
    }
  }
}

CQvCallGuard::CallThread* CQvCallGuard::TakeCallThread() {
  DropEndedThreads();
  for (auto& thread : m_threads) {
    if (!thread->busy && !thread->ended && !thread->quit) return thread.get();
  }
  if (m_threads.size() >= kMaxCallThreads) return nullptr;
  auto thread = std::make_unique<CallThread>();
  thread->guard = this;
  if (!thread->wake.IsValid() || !thread->finished.IsValid()) return nullptr;
  unsigned threadId = 0;
  thread->handle.Reset(reinterpret_cast<HANDLE>(
      ::_beginthreadex(nullptr, 0, &CQvCallGuard::ThreadEntry, thread.get(), 0, &threadId)));
  if (!thread->handle.IsValid()) return nullptr;
  m_threads.push_back(std::move(thread));
  return m_threads.back().get();
}

int32_t CQvCallGuard::Call(const char* function, std::function<int32_t()> call, bool* answered) {
  if (answered) *answered = false;
  if (function == nullptr) function = "?";
  auto job = std::make_shared<Job>();
  job->call = std::move(call);
  CallThread* thread = nullptr;
  {
    std::lock_guard<std::mutex> guard(m_lock);
    switch (m_book.Admit()) {
      case vgqvcall::Refusal::kCrashed:
        VgTrace("%s : not called : the library crashed (exception %#lx)\n", function,
                static_cast<unsigned long>(m_book.CrashCode()));
        return vgqvcall::kNoAnswer;
      case vgqvcall::Refusal::kUnanswered:
        VgTrace("%s : not called : an earlier call has not come back\n", function);
        return vgqvcall::kNoAnswer;
      case vgqvcall::Refusal::kNone:
        break;
    }
    thread = TakeCallThread();
    if (thread == nullptr) {
      VgTrace("%s : not called : no call thread\n", function);
      return vgqvcall::kNoAnswer;
    }
    thread->job = job;
    thread->function = function;
    thread->busy = true;
    thread->givenUp = false;
    thread->finished.Reset();
  }
  thread->wake.Set();
  const DWORD deadline = DeadlineMs();
  thread->finished.Wait(deadline);

  std::lock_guard<std::mutex> guard(m_lock);
  if (!job->done) {
    thread->givenUp = true;
    m_book.GaveUp();
    KeepThisModuleLoaded();
    VgTrace("%s : no answer within %lu ms : given up\n", function,
            static_cast<unsigned long>(deadline));
    return vgqvcall::kNoAnswer;
  }
  thread->busy = false;
  thread->job.reset();
  if (job->crashCode != 0) {
    VgTrace("%s : exception %#lx inside the library : it is not called again\n", function,
            static_cast<unsigned long>(job->crashCode));
    return vgqvcall::kNoAnswer;
  }
  if (answered) *answered = true;
  return job->result;
}

void CQvCallGuard::EndIdleThreads() {
  std::vector<std::unique_ptr<CallThread>> leaving;
  {
    std::lock_guard<std::mutex> guard(m_lock);
    for (auto it = m_threads.begin(); it != m_threads.end();) {
      if (!(*it)->busy) {
        (*it)->quit = true;
        (*it)->wake.Set();
        leaving.push_back(std::move(*it));
        it = m_threads.erase(it);
      } else {
        ++it;
      }
    }
  }
  for (auto& thread : leaving) ::WaitForSingleObject(thread->handle.Get(), INFINITE);
}
