#include "support/program_streams.h"

#include "support/process_output.h"

namespace vgtest {
namespace {

// An inheritable handle to a fresh file; files need no reader while the child writes.
HANDLE CreateCaptureFile(const std::string& path) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  return ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

StreamsRun RunWithStreams(const std::string& exe, const std::string& arguments, DWORD timeoutMs) {
  StreamsRun run;
  const std::string dir = MakeTempDir("capture");
  const std::string outPath = dir + "\\out.txt";
  const std::string errPath = dir + "\\err.txt";
  HANDLE out = CreateCaptureFile(outPath);
  HANDLE err = CreateCaptureFile(errPath);

  const std::string path = exe.find('\\') == std::string::npos ? BinDir() + "\\" + exe : exe;
  std::string commandLine = QuoteArgument(path) + " " + arguments;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nullptr;
  startup.hStdOutput = out;
  startup.hStdError = err;
  PROCESS_INFORMATION info = {};
  if (out != INVALID_HANDLE_VALUE && err != INVALID_HANDLE_VALUE &&
      ::CreateProcessA(path.c_str(), &commandLine[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                       nullptr, nullptr, &startup, &info)) {
    ::CloseHandle(info.hThread);
    run.process.started = true;
    run.process.processId = info.dwProcessId;
    if (::WaitForSingleObject(info.hProcess, timeoutMs) == WAIT_OBJECT_0) {
      ::GetExitCodeProcess(info.hProcess, &run.process.exitCode);
      run.process.finished = true;
    } else {
      ::TerminateProcess(info.hProcess, 99);
      ::WaitForSingleObject(info.hProcess, 5000);
      run.process.exitCode = STILL_ACTIVE;
    }
    ::CloseHandle(info.hProcess);
  }
  if (out != INVALID_HANDLE_VALUE) ::CloseHandle(out);
  if (err != INVALID_HANDLE_VALUE) ::CloseHandle(err);
  run.out = ReadFile(outPath);
  run.err = ReadFile(errPath);
  RemoveTree(dir);
  return run;
}

}  // namespace vgtest
