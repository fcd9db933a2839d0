#include "support/process_output.h"

#include "common/process_start_win.h"
#include "common/unique_handle.h"
#include "support/win_test_support.h"

namespace vgtest {

namespace {

// Moves what the pipe holds now into out; false once the pipe is closed and empty.
bool Drain(HANDLE pipe, std::string* out) {
  for (;;) {
    DWORD available = 0;
    if (!::PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) return false;
    if (available == 0) return true;
    char buffer[4096];
    DWORD read = 0;
    if (!::ReadFile(pipe, buffer, sizeof buffer, &read, nullptr) || read == 0) return false;
    out->append(buffer, read);
  }
}

}  // namespace

CapturedRun RunCaptured(const std::string& exe, const std::string& arguments, DWORD timeoutMs) {
  CapturedRun run;
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  ScopedHandle readEnd;
  ScopedHandle writeEnd;
  if (!::CreatePipe(readEnd.Receive(), writeEnd.Receive(), &inherit, 0)) return run;
  ::SetHandleInformation(readEnd.Get(), HANDLE_FLAG_INHERIT, 0);
  ScopedHandle input(::CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   &inherit, OPEN_EXISTING, 0, nullptr));

  ProcessStart start;
  start.program = BinDir() + "\\" + exe;
  start.commandLine = QuoteArgument(start.program) + " " + arguments;
  start.input = input.Get();
  start.output = writeEnd.Get();
  start.error = writeEnd.Get();
  StartedProcess process;
  const DWORD startTick = ::GetTickCount();
  if (!process.Start(start)) return run;
  run.started = true;
  writeEnd.Close();  // the child holds the only write end now: its exit ends the pipe

  for (;;) {
    const bool open = Drain(readEnd.Get(), &run.output);
    const bool ended = process.Wait(0);
    if (ended && !open) break;
    if (ended) {
      // The pipe may still deliver what was written just before the exit.
      Drain(readEnd.Get(), &run.output);
      break;
    }
    if (::GetTickCount() - startTick >= timeoutMs) {
      process.Terminate(kProcessTimedOutExitCode, 5000);
      run.elapsedMs = ::GetTickCount() - startTick;
      return run;
    }
    ::Sleep(10);
  }
  run.elapsedMs = ::GetTickCount() - startTick;
  run.finished = true;
  run.exitCode = process.ExitCode();
  return run;
}

std::string QuoteArgument(const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
  // Backslashes count only before a quote: double those, then escape the quote.
  std::string quoted = "\"";
  size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"') {
      quoted.append(backslashes * 2 + 1, '\\');
    } else {
      quoted.append(backslashes, '\\');
    }
    backslashes = 0;
    quoted.push_back(c);
  }
  quoted.append(backslashes * 2, '\\');
  quoted.push_back('"');
  return quoted;
}

}  // namespace vgtest
