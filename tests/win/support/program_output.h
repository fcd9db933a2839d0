#pragma once
// Runs a console program of the bin folder with its standard output and error captured.
#include <string>

#include "support/win_test_support.h"

namespace vgtest {

struct CapturedRun {
  ProcessResult process;
  std::string out;
  std::string err;
};

CapturedRun RunCaptured(const std::string& exe, const std::string& arguments,
                        DWORD timeoutMs = 60000);

}  // namespace vgtest
