#pragma once
// Holds a named mutex for its scope, so that processes of one session take turns at something
// they share without a lock of the system's own (a window table, the target keys). Whoever
// comes first makes the mutex. When it cannot be had in time the holder goes on unlocked and
// logs it: a holder that hangs must not stop every other process, and going on is no worse
// than having no lock at all. The mutex may be taken again by the thread that holds it.
#include <string>

#include "common/unique_handle.h"
#include "common/win.h"

class NamedLock {
 public:
  NamedLock(const std::string& name, DWORD waitMs);
  ~NamedLock();
  NamedLock(const NamedLock&) = delete;
  NamedLock& operator=(const NamedLock&) = delete;

  // Whether this scope holds the mutex (an abandoned one counts: it is ours now).
  bool Held() const { return owned_; }

 private:
  ScopedHandle mutex_;
  bool owned_ = false;
};
