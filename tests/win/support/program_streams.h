#pragma once
// Runs a console program of the bin folder with its standard output and standard error
// captured apart, for tests that tell a report from an error message.
#include <string>

#include "support/win_test_support.h"

namespace vgtest {

struct StreamsRun {
  ProcessResult process;
  std::string out;
  std::string err;
};

StreamsRun RunWithStreams(const std::string& exe, const std::string& arguments,
                          DWORD timeoutMs = 60000);

}  // namespace vgtest
