// A program and its descendants in one job object, watched through the job's completion
// port until the last of them has ended.
#include "support/job_run.h"

namespace vgtest {

JobProcess::JobProcess()
    : port_(::CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1)),
      job_(::CreateJobObjectA(nullptr, nullptr)) {
  if (!job_.IsValid() || !port_.IsValid()) return;
  JOBOBJECT_ASSOCIATE_COMPLETION_PORT association = {};
  association.CompletionKey = job_.Get();
  association.CompletionPort = port_.Get();
  ::SetInformationJobObject(job_.Get(), JobObjectAssociateCompletionPortInformation,
                            &association, sizeof association);
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  ::SetInformationJobObject(job_.Get(), JobObjectExtendedLimitInformation, &limits,
                            sizeof limits);
}

bool JobProcess::Start(const std::string& commandLine) {
  if (!job_.IsValid() || !port_.IsValid()) return false;
  ProcessStart start;
  start.commandLine = commandLine;
  start.job = job_.Get();
  return process_.Start(start);
}

DWORD JobProcess::ProcessCount() const {
  JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting = {};
  if (!::QueryInformationJobObject(job_.Get(), JobObjectBasicAccountingInformation, &accounting,
                                   sizeof accounting, nullptr)) {
    return 0;
  }
  return accounting.TotalProcesses;
}

bool JobProcess::WaitForAll(DWORD timeoutMs) {
  if (!process_.IsStarted()) return false;
  const DWORD begin = ::GetTickCount();
  for (;;) {
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting = {};
    if (::QueryInformationJobObject(job_.Get(), JobObjectBasicAccountingInformation, &accounting,
                                    sizeof accounting, nullptr) &&
        accounting.ActiveProcesses == 0) {
      return true;
    }
    const DWORD elapsed = ::GetTickCount() - begin;
    if (elapsed >= timeoutMs) return false;
    // Each process's start and end is posted to the port; the count is read again after each,
    // and at least every quarter second in case a message is not posted.
    DWORD message = 0;
    ULONG_PTR key = 0;
    LPOVERLAPPED detail = nullptr;
    const DWORD slice = timeoutMs - elapsed < 250 ? timeoutMs - elapsed : 250;
    ::GetQueuedCompletionStatus(port_.Get(), &message, &key, &detail, slice);
  }
}

JobRun RunInJob(const std::string& commandLine, DWORD timeoutMs) {
  JobRun run;
  JobProcess job;
  run.started = job.Start(commandLine);
  if (!run.started) return run;
  run.allEnded = job.WaitForAll(timeoutMs);
  run.exitCode = job.ExitCode();
  run.processCount = job.ProcessCount();
  return run;
}

}  // namespace vgtest
