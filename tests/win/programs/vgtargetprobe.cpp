// Test helper: finds and makes target keys in a process of its own, so that tests can choose
// the Windows version it sees (and with it whether the logon user's hive is searched).
//   vgtargetprobe lookup NAME KIND HIVE RESULTFILE
//       GetCurrentTargetPrnKey; HIVE is "logon" or "own"
//   vgtargetprobe check PRINTER PORT MODEL RESULTFILE
//       CheckTargetRegKey
// The result file holds three lines: the result, the root ("HKCU", "HKU" or a number) and
// the key path.
//   vgtargetprobe steps TAG RESULTFILE COUNT NAME KIND
//       COUNT times, when the test says go (support/step_events.h), GetCurrentTargetPrnKey in
//       the logon user's hive, appended as a line "result|root|path"
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/target_keys_win.h"
#include "common/win.h"
#include "support/step_events.h"

namespace {

std::string RootName(HKEY root) {
  if (root == HKEY_CURRENT_USER) return "HKCU";
  if (root == HKEY_USERS) return "HKU";
  return std::to_string(reinterpret_cast<uintptr_t>(root));
}

int WriteResult(const char* file, int result, HKEY root, const char* path) {
  FILE* out = std::fopen(file, "wb");
  if (out == nullptr) return 3;
  std::fprintf(out, "%d\n%s\n%s\n", result, RootName(root).c_str(), path);
  std::fclose(out);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 6) return 2;
  const std::string command = argv[1];
  char path[kTargetKeyPathSize] = {};
  HKEY root = nullptr;
  if (command == "steps" && argc >= 7) {
    vgtest::StepEvents steps(argv[2]);
    const int count = std::atoi(argv[4]);
    for (int i = 0; i < count && steps.WaitForStep(); ++i) {
      const int result = GetCurrentTargetPrnKey(argv[5], std::atoi(argv[6]), path, &root);
      FILE* out = std::fopen(argv[3], "ab");
      if (out == nullptr) return 3;
      std::fprintf(out, "%d|%s|%s\n", result, RootName(root).c_str(), path);
      std::fclose(out);
      steps.StepDone();
    }
    return 0;
  }
  if (command == "lookup") {
    const TargetHive hive =
        std::string(argv[4]) == "own" ? TargetHive::kCurrentUser : TargetHive::kLogonUser;
    const int result = GetCurrentTargetPrnKey(argv[2], std::atoi(argv[3]), path, &root, hive);
    return WriteResult(argv[5], result, root, path);
  }
  if (command == "check") {
    int kind = -1;
    const int result = CheckTargetRegKey(argv[2], argv[3], argv[4], &kind, path, &root);
    return WriteResult(argv[5], result, root, path);
  }
  return 2;
}
