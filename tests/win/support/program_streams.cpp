#include "support/program_streams.h"

#include "common/unique_handle.h"
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
  {
    ScopedHandle out(CreateCaptureFile(outPath));
    ScopedHandle err(CreateCaptureFile(errPath));
    if (out.IsValid() && err.IsValid()) {
      ProcessStart start;
      start.program = exe.find('\\') == std::string::npos ? BinDir() + "\\" + exe : exe;
      start.commandLine = QuoteArgument(start.program) + " " + arguments;
      start.output = out.Get();
      start.error = err.Get();
      start.noWindow = true;
      run.process = RunProcess(start, timeoutMs);
    }
  }
  run.out = ReadFile(outPath);
  run.err = ReadFile(errPath);
  RemoveTree(dir);
  return run;
}

}  // namespace vgtest
