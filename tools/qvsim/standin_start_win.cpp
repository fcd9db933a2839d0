#include "tools/qvsim/standin_start_win.h"

#include "common/win.h"
#include "tools/qvsim/standin_store_win.h"

namespace qvsim {

StandInStart RecordThisStart() {
  StandInStart start;
  char module[MAX_PATH + 1] = {};
  const DWORD length = ::GetModuleFileNameA(nullptr, module, MAX_PATH);
  const std::string path(module, length < MAX_PATH ? length : 0);
  const size_t slash = path.find_last_of('\\');
  start.program = ProgramKeyName(slash == std::string::npos ? path : path.substr(slash + 1));
  const char* line = ::GetCommandLineA();
  start.commandLine = line != nullptr ? line : "";
  start.recorded = RecordStart(start.program, ::GetCurrentProcessId(), path, start.commandLine);
  return start;
}

}  // namespace qvsim
