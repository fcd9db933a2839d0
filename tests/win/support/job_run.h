#pragma once
// Runs a program inside a job object and waits until it and every process it started have
// ended: an installer's uninstaller hands its work to a copy of itself and exits at once, so
// the first process's end says nothing about the work being done.
#include <string>

#include "common/process_start_win.h"
#include "common/unique_handle.h"

namespace vgtest {

// A program and whatever it starts, in a job of their own. The processes still running when
// the object goes are ended with the job.
class JobProcess {
 public:
  JobProcess();
  JobProcess(const JobProcess&) = delete;
  JobProcess& operator=(const JobProcess&) = delete;

  // commandLine is the whole line, program first.
  bool Start(const std::string& commandLine);
  DWORD Id() const { return process_.Id(); }
  // Waits until no process of the job is left; false when some still run after the time.
  bool WaitForAll(DWORD timeoutMs);
  // The exit code of the first process; STILL_ACTIVE while it runs.
  DWORD ExitCode() const { return process_.ExitCode(); }
  // The processes the job has seen in all.
  DWORD ProcessCount() const;

 private:
  ScopedHandle port_;
  ScopedHandle job_;
  StartedProcess process_;
};

struct JobRun {
  bool started = false;
  DWORD exitCode = STILL_ACTIVE;  // of the first process
  bool allEnded = false;          // no process of the job was left when the wait ended
  DWORD processCount = 0;         // processes the job saw in all
};

// Starts the program and waits for the whole job.
JobRun RunInJob(const std::string& commandLine, DWORD timeoutMs);

}  // namespace vgtest
