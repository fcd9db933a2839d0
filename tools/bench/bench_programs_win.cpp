#include "tools/bench/bench_programs_win.h"

#include <cstring>

#include "common/process_start_win.h"
#include "common/unique_handle.h"
#include "common/win.h"

std::string ProgramFolder() {
  char path[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::string();
  char* slash = std::strrchr(path, '\\');
  if (slash) *slash = '\0';
  return path;
}

long RunQuietly(const std::string& program, const std::string& args) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  ScopedHandle nul(
      ::CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr));
  ProcessStart start;
  start.commandLine = "\"" + program + "\" " + args;
  start.output = nul.Get();
  start.error = nul.Get();
  start.noWindow = true;
  StartedProcess process;
  if (!process.Start(start) || !process.Wait(120000)) return -1;
  return static_cast<long>(process.ExitCode());
}
