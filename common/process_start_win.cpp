#include "common/process_start_win.h"

#include <vector>

bool StartedProcess::Start(const ProcessStart& start) {
  m_hProcess.Close();
  m_dwProcessId = 0;

  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  if (start.show != ProcessStart::kShowAsProgramDecides) {
    startup.dwFlags |= STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(start.show);
  }
  const bool streams = start.input != nullptr || start.output != nullptr || start.error != nullptr;
  if (streams) {
    startup.dwFlags |= STARTF_USESTDHANDLES;
    startup.hStdInput = start.input;
    startup.hStdOutput = start.output;
    startup.hStdError = start.error;
  }

  // The system may write into the command line, so it gets a copy of its own.
  std::vector<char> commandLine(start.commandLine.begin(), start.commandLine.end());
  commandLine.push_back('\0');
  PROCESS_INFORMATION created = {};
  if (!::CreateProcessA(
          start.program.empty() ? nullptr : start.program.c_str(), commandLine.data(), nullptr,
          nullptr, streams ? TRUE : FALSE, start.noWindow ? CREATE_NO_WINDOW : 0, nullptr,
          start.folder.empty() ? nullptr : start.folder.c_str(), &startup, &created)) {
    return false;
  }
  ::CloseHandle(created.hThread);
  m_hProcess.Reset(created.hProcess);
  m_dwProcessId = created.dwProcessId;
  return true;
}

bool StartedProcess::Wait(DWORD milliseconds) const {
  return m_hProcess.IsValid() &&
         ::WaitForSingleObject(m_hProcess.Get(), milliseconds) == WAIT_OBJECT_0;
}

DWORD StartedProcess::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  if (!m_hProcess.IsValid() || !::GetExitCodeProcess(m_hProcess.Get(), &code)) {
    return STILL_ACTIVE;
  }
  return code;
}

void StartedProcess::Terminate(UINT exitCode, DWORD waitMilliseconds) {
  if (!m_hProcess.IsValid() || Wait(0)) return;
  ::TerminateProcess(m_hProcess.Get(), exitCode);
  Wait(waitMilliseconds);
}

ProcessRun RunProcess(const ProcessStart& start, DWORD timeoutMilliseconds, bool endLate) {
  ProcessRun run;
  StartedProcess process;
  run.started = process.Start(start);
  if (!run.started) return run;
  run.processId = process.Id();
  if (process.Wait(timeoutMilliseconds)) {
    run.finished = true;
    run.exitCode = process.ExitCode();
  } else if (endLate) {
    // Gone before the caller goes on, so that it leaves nothing behind.
    process.Terminate(kProcessTimedOutExitCode, 5000);
  }
  return run;
}
