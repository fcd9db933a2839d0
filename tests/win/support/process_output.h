#pragma once
// Runs a program of the bin folder with its standard output and error captured, for tests of
// console programs.
#include <string>

#include "common/win.h"

namespace vgtest {

struct CapturedRun {
  bool started = false;
  bool finished = false;
  DWORD exitCode = 0;
  DWORD elapsedMs = 0;
  std::string output;  // standard output and standard error as they interleaved, CR LF kept
};

// Waits up to timeoutMs, then kills the program (finished stays false).
CapturedRun RunCaptured(const std::string& exe, const std::string& arguments,
                        DWORD timeoutMs = 30000);

// Quotes one argument so that the program's argument parser gives it back unchanged.
std::string QuoteArgument(const std::string& argument);

}  // namespace vgtest
