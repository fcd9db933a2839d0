// vgload.exe: many printers at once under Wine, for ./run bench. It installs the printers with
// vgsetup (from its own folder), plays a scenario of printing, errors and recovery on each
// simulated printer, starts a monitor per printer at once, opens status windows together,
// then checks what the run left and prints its figures and any fault found.
//
//   vgload.exe [--printers N] [--windows N] [--poll S] [--quit S] [--seed N] [--logs]
//
// Exit code 0 when no fault was found, 1 otherwise, 2 for a wrong command line.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/win.h"
#include "tools/load/load_plan.h"
#include "tools/load/load_report.h"
#include "tools/load/load_run_win.h"

namespace {

std::string ProgramFolder() {
  char path[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::string();
  char* slash = std::strrchr(path, '\\');
  if (slash) *slash = '\0';
  return path;
}

bool TakeNumber(const char* text, int* value) {
  char* end = nullptr;
  const long number = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || number < 0 || number > 100000) return false;
  *value = static_cast<int>(number);
  return true;
}

int Usage(const char* reason) {
  std::fprintf(stderr,
               "vgload: %s\nusage: vgload.exe [--printers N] [--windows N] [--poll S] [--quit S] "
               "[--seed N] [--logs]\n",
               reason);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  vgload::LoadConfig config;
  config.printers = 50;
  config.windows = 20;
  vgload::RunOptions options;
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--logs") {
      options.debugLogs = true;
      continue;
    }
    int value = 0;
    if (i + 1 >= argc || !TakeNumber(argv[i + 1], &value)) return Usage("a number must follow");
    ++i;
    if (option == "--printers") {
      config.printers = value;
    } else if (option == "--windows") {
      config.windows = value;
    } else if (option == "--poll") {
      config.pollSeconds = value;
    } else if (option == "--quit") {
      config.quitSeconds = value;
    } else if (option == "--seed") {
      config.seed = static_cast<uint32_t>(value);
    } else {
      return Usage(("unknown option " + option).c_str());
    }
  }
  std::string error;
  if (!vgload::ValidateConfig(config, &error)) return Usage(error.c_str());
  options.binDir = ProgramFolder();
  options.progress = [](const std::string& line) {
    std::printf("  %s\n", line.c_str());
    std::fflush(stdout);
  };
  const vgload::LoadPlan plan = vgload::MakePlan(config);
  const vgload::LoadReport report = vgload::RunLoad(plan, options);
  std::printf("%s", vgload::FormatReport(plan, report).c_str());
  return vgload::Examine(plan, report).Clean() ? 0 : 1;
}
