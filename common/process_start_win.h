#pragma once
// Starting programs: the one place where the product, the tools and the tests create
// processes. A start names the command line (the program first; the system splits it) and,
// when asked, the program's file, a working folder, a show state for the program's first
// window, the standard streams the child inherits, and a start without a console window.
// Nothing else is handed over: no handle is inherited unless streams are given, the
// environment is the caller's, and the start-up record is zero but for what is asked.
#include <string>

#include "common/unique_handle.h"
#include "common/win.h"

struct ProcessStart {
  // As the system takes it: the program, then its arguments.
  std::string commandLine;
  // The program's file; empty: the system takes the first item of the command line.
  std::string program;
  // The child's current folder; empty: the caller's.
  std::string folder;
  // An SW_ value for the program's first window; kShowAsProgramDecides leaves it to the
  // program.
  static constexpr int kShowAsProgramDecides = -1;
  int show = kShowAsProgramDecides;
  // The child's standard streams. When any is given, all three are handed over (a null one
  // as no stream) and the caller's inheritable handles are inherited, as the system requires;
  // the caller makes the ones it hands over inheritable.
  HANDLE input = nullptr;
  HANDLE output = nullptr;
  HANDLE error = nullptr;
  // A console program gets no console window.
  bool noWindow = false;
};

// A process this process started: its handle is held until the object goes (the process runs
// on; only the handle is closed).
class StartedProcess {
 public:
  StartedProcess() = default;
  StartedProcess(StartedProcess&&) = default;
  StartedProcess& operator=(StartedProcess&&) = default;

  // Creates the process (any held before is let go). False when the system cannot create it;
  // the system's last error then says why.
  bool Start(const ProcessStart& start);

  bool IsStarted() const { return m_hProcess.IsValid(); }
  DWORD Id() const { return m_dwProcessId; }
  HANDLE Handle() const { return m_hProcess.Get(); }

  // Waits up to the time for the process to end; true when it has ended (at once for 0).
  bool Wait(DWORD milliseconds) const;
  // The exit code; STILL_ACTIVE while it runs or when none was started.
  DWORD ExitCode() const;
  // Ends a process that still runs with the exit code, and waits up to the time for it to
  // be gone.
  void Terminate(UINT exitCode, DWORD waitMilliseconds);

 private:
  ScopedHandle m_hProcess;
  DWORD m_dwProcessId = 0;
};

// One run of a program to its end.
struct ProcessRun {
  bool started = false;
  bool finished = false;  // it ended within the time
  DWORD exitCode = STILL_ACTIVE;
  DWORD processId = 0;
};

// Exit code of a process that was ended because its time ran out.
constexpr UINT kProcessTimedOutExitCode = 99;

// Starts the program and waits up to the time. A program still running then is ended (with
// kProcessTimedOutExitCode) when endLate is set and left running otherwise; either way
// finished stays false and exitCode is STILL_ACTIVE.
ProcessRun RunProcess(const ProcessStart& start, DWORD timeoutMilliseconds, bool endLate = true);
