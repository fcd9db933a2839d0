// Test helper: answers the logon-user questions in a process of its own, so that tests can
// choose the Windows version it sees and the folder it runs from.
//   vglogonprobe ts                  exit code: IsTerminalServer (0 or 1)
//   vglogonprobe logon RESULTFILE    writes user, domain, GetLogonUser's and IsSameLogonUser's
//                                    results, the log path and its size before the lookup
//   vglogonprobe bareload RESULTFILE writes the file that a bare-name load of WTSAPI32.DLL gets
//   vglogonprobe session RESULTFILE  writes the session's user name as CWtsApi reads it and
//                                    the file of the terminal-services library it loaded
//   vglogonprobe sleep MS            waits, then ends (a stand-in shell process)
//   vglogonprobe steps TAG RESULTFILE COUNT
//                                    COUNT times, when the test says go (support/step_events.h):
//                                    appends the kept logon user facts as a line "user|domain|
//                                    same|generation"
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/debug_log_win.h"
#include "common/logon_user_win.h"
#include "common/win.h"
#include "common/wts_api_win.h"
#include "support/step_events.h"

namespace {

unsigned long SizeOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (path.empty() || !::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return data.nFileSizeLow;
}

int WriteResult(const char* file, const std::string& text) {
  FILE* out = std::fopen(file, "wb");
  if (out == nullptr) return 3;
  std::fputs(text.c_str(), out);
  std::fclose(out);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string command = argv[1];
  if (command == "ts") {
    CWtsApi wts;
    return wts.IsTerminalServer() ? 1 : 0;
  }
  if (command == "sleep" && argc >= 3) {
    ::Sleep(static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10)));
    return 0;
  }
  if (argc < 3) return 2;
  if (command == "logon") {
    VgTraceEnable(true);
    const std::string logPath = VgLogPath();
    const unsigned long offset = SizeOf(logPath);
    char user[kLogonNameSize] = "stale";
    char domain[kLogonNameSize] = "stale";
    const int found = GetLogonUser(user, domain);
    const int same = IsSameLogonUser(user, domain);
    char numbers[64];
    std::snprintf(numbers, sizeof numbers, "%d\n%d\n", found, same);
    return WriteResult(argv[2], std::string(user) + "\n" + domain + "\n" + numbers + logPath +
                                    "\n" + std::to_string(offset) + "\n");
  }
  if (command == "session") {
    // Nothing else runs first, so no other library has brought in the system's copy.
    CWtsApi wts;
    char user[kSessionTextSize] = {};
    char path[MAX_PATH] = {};
    if (wts.IsTerminalServer() && wts.Load()) {
      QuerySessionString(wts, WTS_CURRENT_SESSION, WTSUserName, user);
      ::GetModuleFileNameA(::GetModuleHandleA("WTSAPI32.DLL"), path, sizeof path);
    }
    return WriteResult(argv[2], std::string(user) + "\n" + path + "\n");
  }
  if (command == "steps" && argc >= 5) {
    vgtest::StepEvents steps(argv[2]);
    const int count = std::atoi(argv[4]);
    for (int i = 0; i < count && steps.WaitForStep(); ++i) {
      const LogonUserFacts facts = GetLogonUserFacts();
      FILE* out = std::fopen(argv[3], "ab");
      if (out == nullptr) return 3;
      std::fprintf(out, "%s|%s|%d|%lu\n", facts.user, facts.domain, facts.sameUser ? 1 : 0,
                   facts.generation);
      std::fclose(out);
      steps.StepDone();
    }
    return 0;
  }
  if (command == "bareload") {
    HMODULE module = ::LoadLibraryA("WTSAPI32.DLL");
    char path[MAX_PATH] = {};
    if (module) ::GetModuleFileNameA(module, path, sizeof path);
    return WriteResult(argv[2], std::string(path) + "\n");
  }
  return 2;
}
