#pragma once
// Runs a program inside a job object and waits until it and every process it started have
// ended: an installer's uninstaller hands its work to a copy of itself and exits at once, so
// the first process's end says nothing about the work being done.
#include <string>

#include "common/win.h"

namespace vgtest {

struct JobRun {
  bool started = false;
  DWORD exitCode = STILL_ACTIVE;  // of the first process
  bool allEnded = false;          // no process of the job was left when the wait ended
  DWORD processCount = 0;         // processes the job saw in all
};

// commandLine is the whole line, program first. Processes still running after timeoutMs are
// ended with the job.
JobRun RunInJob(const std::string& commandLine, DWORD timeoutMs);

}  // namespace vgtest
