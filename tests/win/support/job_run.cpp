// A program and its descendants in one job object, watched through the job's completion
// port until the last of them has ended.
#include "support/job_run.h"

#include "common/process_start_win.h"
#include "common/unique_handle.h"

namespace vgtest {

JobRun RunInJob(const std::string& commandLine, DWORD timeoutMs) {
  JobRun run;
  ScopedHandle port(::CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1));
  ScopedHandle job(::CreateJobObjectA(nullptr, nullptr));
  if (!job.IsValid() || !port.IsValid()) return run;
  JOBOBJECT_ASSOCIATE_COMPLETION_PORT association = {};
  association.CompletionKey = job.Get();
  association.CompletionPort = port.Get();
  ::SetInformationJobObject(job.Get(), JobObjectAssociateCompletionPortInformation, &association,
                            sizeof association);
  // The processes go with the job when the test is done with it.
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  ::SetInformationJobObject(job.Get(), JobObjectExtendedLimitInformation, &limits, sizeof limits);

  ProcessStart start;
  start.commandLine = commandLine;
  start.job = job.Get();
  StartedProcess process;
  if (process.Start(start)) {
    run.started = true;
    const DWORD begin = ::GetTickCount();
    for (;;) {
      JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting = {};
      if (::QueryInformationJobObject(job.Get(), JobObjectBasicAccountingInformation, &accounting,
                                      sizeof accounting, nullptr)) {
        run.processCount = accounting.TotalProcesses;
        if (accounting.ActiveProcesses == 0) {
          run.allEnded = true;
          break;
        }
      }
      const DWORD elapsed = ::GetTickCount() - begin;
      if (elapsed >= timeoutMs) break;
      // Each process's start and end is posted to the port; the count is read again after each,
      // and at least every quarter second in case a message is not posted.
      DWORD message = 0;
      ULONG_PTR key = 0;
      LPOVERLAPPED detail = nullptr;
      const DWORD slice = timeoutMs - elapsed < 250 ? timeoutMs - elapsed : 250;
      ::GetQueuedCompletionStatus(port.Get(), &message, &key, &detail, slice);
    }
    run.exitCode = process.ExitCode();
  }
  return run;
}

}  // namespace vgtest
