#include "printer/qvapi_call_signal_win.h"

#include "common/system_library_win.h"

namespace {

using LockFn = void(WINAPI*)(void*);
using SleepFn = BOOL(WINAPI*)(void*, void*, DWORD, ULONG);
using WakeFn = void(WINAPI*)(void*);

// The condition variable functions of this system, or none (before Windows Vista).
struct ConditionFunctions {
  LockFn acquire = nullptr;
  LockFn release = nullptr;
  SleepFn sleep = nullptr;
  WakeFn wake = nullptr;

  ConditionFunctions() {
    HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
    acquire = GetProcAs<LockFn>(kernel, "AcquireSRWLockExclusive");
    release = GetProcAs<LockFn>(kernel, "ReleaseSRWLockExclusive");
    sleep = GetProcAs<SleepFn>(kernel, "SleepConditionVariableSRW");
    wake = GetProcAs<WakeFn>(kernel, "WakeConditionVariable");
    if (!acquire || !release || !sleep || !wake) {
      acquire = nullptr;
      release = nullptr;
      sleep = nullptr;
      wake = nullptr;
    }
  }
  bool Available() const { return acquire != nullptr; }
};

const ConditionFunctions& Conditions() {
  static const ConditionFunctions functions;
  return functions;
}

}  // namespace

CCallSignal::CCallSignal(Kind kind)
    : m_bUseEvent(kind == Kind::kEvent || !Conditions().Available()) {
  if (m_bUseEvent) m_hEvent.Reset(::CreateEventA(nullptr, FALSE, FALSE, nullptr));
}

bool CCallSignal::IsValid() const { return !m_bUseEvent || m_hEvent.IsValid(); }

void CCallSignal::Set() {
  const ConditionFunctions& cv = Conditions();
  if (m_bUseEvent) {
    ::SetEvent(m_hEvent.Get());
    return;
  }
  cv.acquire(&m_lock);
  m_bSet = true;
  cv.release(&m_lock);
  cv.wake(&m_condition);
}

void CCallSignal::Reset() {
  const ConditionFunctions& cv = Conditions();
  if (m_bUseEvent) {
    ::ResetEvent(m_hEvent.Get());
    return;
  }
  cv.acquire(&m_lock);
  m_bSet = false;
  cv.release(&m_lock);
}

bool CCallSignal::Wait(DWORD milliseconds) {
  const ConditionFunctions& cv = Conditions();
  if (m_bUseEvent) return ::WaitForSingleObject(m_hEvent.Get(), milliseconds) == WAIT_OBJECT_0;
  const DWORD start = ::GetTickCount();
  cv.acquire(&m_lock);
  while (!m_bSet) {
    DWORD left = INFINITE;
    if (milliseconds != INFINITE) {
      const DWORD spent = ::GetTickCount() - start;
      if (spent >= milliseconds) break;
      left = milliseconds - spent;
    }
    // A wake-up without a Set (the system may give one) waits again for the time left.
    cv.sleep(&m_condition, &m_lock, left, 0);
  }
  const bool set = m_bSet;
  m_bSet = false;
  cv.release(&m_lock);
  return set;
}
