#include "common/exception_guard_win.h"

namespace vg {

void LogCaughtException(const char* where, const char* what) noexcept {
  try {
    VgTrace("%s : exception caught : %s\n", where ? where : "?", what ? what : "unknown");
  } catch (...) {
    // The log could not even format its line: nothing more can be said safely.
  }
}

}  // namespace vg
