#include "ui/standin_programs.h"

#include <sstream>

#include "support/process_output.h"
#include "ui/dialog_driver.h"

namespace vgtest {

namespace {

CapturedRun Control(const std::string& arguments) { return RunCaptured("qvsimctl.exe", arguments); }

}  // namespace

std::vector<qvsim::StartRecord> StartsOf(const std::string& program) {
  std::vector<qvsim::StartRecord> starts;
  const CapturedRun run = Control("started " + QuoteArgument(program));
  std::istringstream lines(run.output);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    qvsim::StartRecord record;
    if (qvsim::ParseStartRecord(line, &record)) starts.push_back(record);
  }
  return starts;
}

std::vector<qvsim::StartRecord> WaitForStarts(const std::string& program, size_t count) {
  std::vector<qvsim::StartRecord> starts;
  WaitUntil([&] {
    starts = StartsOf(program);
    return starts.size() >= count;
  });
  return starts;
}

bool ForgetStarts(const std::string& program) {
  const CapturedRun run = Control("forget " + QuoteArgument(program));
  return run.finished && run.exitCode == 0;
}

bool SetAnswerDelay(const std::string& program, const std::string& delay) {
  const CapturedRun run = Control("answer " + QuoteArgument(program) + " " + delay);
  return run.finished && run.exitCode == 0;
}

}  // namespace vgtest
