#pragma once
// The one guard for every boundary that an exception must not cross: exports, thread
// procedures, window and dialog procedures. Whatever the body throws (in practice an
// allocation failure) becomes the boundary's failure result and one debug-log line, never a
// crash of the host program.

#include <exception>
#include <new>

#include "common/debug_log_win.h"

namespace vg {

// Writes the log line of a caught exception; never throws itself.
void LogCaughtException(const char* where, const char* what) noexcept;

// Runs `body()`; returns its result, or `onFailure` when it throws. `where` names the
// boundary in the log ("PrGetStatus()", "CDetail::DialogProc").
template <typename Result, typename Body>
Result Guarded(const char* where, Result onFailure, Body&& body) noexcept {
  try {
    return static_cast<Result>(body());
  } catch (const std::exception& e) {
    LogCaughtException(where, e.what());
  } catch (...) {
    LogCaughtException(where, nullptr);
  }
  return onFailure;
}

// For bodies without a result.
template <typename Body>
void Guarded(const char* where, Body&& body) noexcept {
  try {
    body();
  } catch (const std::exception& e) {
    LogCaughtException(where, e.what());
  } catch (...) {
    LogCaughtException(where, nullptr);
  }
}

}  // namespace vg
