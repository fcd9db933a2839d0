// A program and its descendants in one job object, watched through the job's completion
// port until the last of them has ended.
#include "support/job_run.h"

#include <vector>

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

  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  // Suspended until it is in the job, so that nothing it starts escapes.
  if (::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                       nullptr, &startup, &info)) {
    run.started = true;
    ScopedHandle process(info.hProcess);
    ScopedHandle thread(info.hThread);
    ::AssignProcessToJobObject(job.Get(), process.Get());
    ::ResumeThread(thread.Get());

    const DWORD start = ::GetTickCount();
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
      const DWORD elapsed = ::GetTickCount() - start;
      if (elapsed >= timeoutMs) break;
      // Each process's start and end is posted to the port; the count is read again after each,
      // and at least every quarter second in case a message is not posted.
      DWORD message = 0;
      ULONG_PTR key = 0;
      LPOVERLAPPED detail = nullptr;
      const DWORD slice = timeoutMs - elapsed < 250 ? timeoutMs - elapsed : 250;
      ::GetQueuedCompletionStatus(port.Get(), &message, &key, &detail, slice);
    }
    ::GetExitCodeProcess(process.Get(), &run.exitCode);
  }
  return run;
}

}  // namespace vgtest
