#pragma once
// What the pop-up program does with what it is handed, without the system: its start (by the
// monitor at a job's start, by the monitor's pop-up request, or by a user naming a printer),
// the monitor's hand-off blocks, and when it may end.
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

namespace vgpop {

// What a start or a request asks for.
enum class Action {
  kIgnore,      // nothing the program answers
  kBackground,  // a new job of the printer: wait in the background for its pop-up requests
  kShowPopup,   // the printer needs the user: the status window as a pop-up start
  kShowDetail,  // the user asked for the printer's status window
};

// The option that names the printer a user asks for: /VIEW "printer name".
constexpr std::string_view kViewOption = "VIEW";
bool IsViewOption(std::string_view optionName);

// A start: a user's (a printer named with the view option) shows the window at once; the
// monitor's with a job id is the job's start; the monitor's without one a pop-up request.
Action ActionOfStart(std::string_view viewPrinter, std::string_view jobId);

// The jobs the program has been handed, so that a hand-off block can be told apart: a job id
// not seen before is a new job (a second print job, or the first one handed to a program that
// was already running); an empty or known one is a pop-up request of the monitor.
class JobMemory {
 public:
  static constexpr size_t kKeptJobs = 64;

  // Remembers a job (an empty id is none).
  void Note(std::string_view jobId);
  bool Knows(std::string_view jobId) const;
  // A block with the monitor's code 2 (any other code is ignored), remembering a new job.
  Action ActionOfBlock(uint8_t code, std::string_view jobId);

 private:
  std::deque<std::string> m_jobs;
};

// The program ends once the monitor of its printer has ended, no status window of it is
// open and no request waits.
bool ShouldEnd(bool monitorRunning, bool windowOpen, bool requestPending);

}  // namespace vgpop
