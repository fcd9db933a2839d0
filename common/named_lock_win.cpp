#include "common/named_lock_win.h"

#include "common/debug_log_win.h"

NamedLock::NamedLock(const std::string& name, DWORD waitMs) {
  mutex_.Reset(::CreateMutexA(nullptr, FALSE, name.c_str()));
  if (!mutex_.IsValid()) {
    // Made by a process whose default security grants us less than full access.
    mutex_.Reset(::OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, name.c_str()));
  }
  if (!mutex_.IsValid()) {
    VgTrace("Lock unavailable: %s\n", name.c_str());
    return;
  }
  const DWORD wait = ::WaitForSingleObject(mutex_.Get(), waitMs);
  // An abandoned mutex is ours now; what its holder left is checked like anything else.
  owned_ = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
  if (!owned_) VgTrace("Lock timed out: %s\n", name.c_str());
}

NamedLock::~NamedLock() {
  if (owned_) ::ReleaseMutex(mutex_.Get());
}
