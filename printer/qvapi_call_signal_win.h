#pragma once
// CCallSignal: a one-shot wake-up between a caller and a call thread of the bidirectional
// library's guard: Set wakes one Wait, or the next one. It is crossed twice per call into the
// library, on every poll, so it waits where the system can wait without a round trip to the
// kernel's object manager: on a condition variable (Windows Vista and later, bound at run time).
// Older systems wait on an event.
#include "common/unique_handle.h"
#include "common/win.h"

class CCallSignal {
 public:
  // kEvent: an event even where condition variables exist (as on older systems).
  enum class Kind { kBest, kEvent };
  explicit CCallSignal(Kind kind = Kind::kBest);
  ~CCallSignal() = default;
  CCallSignal(const CCallSignal&) = delete;
  CCallSignal& operator=(const CCallSignal&) = delete;

  // Whether it can be used (an old system's event could not be made).
  bool IsValid() const;
  void Set();
  // Forgets a Set that no Wait took.
  void Reset();
  // Waits up to milliseconds (INFINITE: without a limit) for a Set; true when one came.
  bool Wait(DWORD milliseconds);

 private:
  // The system's SRWLOCK and CONDITION_VARIABLE: one pointer each, all zero when unused.
  struct SystemWord {
    void* value = nullptr;
  };
  SystemWord m_lock;
  SystemWord m_condition;
  bool m_bSet = false;     // under m_lock
  bool m_bUseEvent;
  ScopedHandle m_hEvent;  // only without condition variables
};
