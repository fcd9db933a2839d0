// The agent programs' command lines from registry texts of any bytes (the Driver key's
// "VG_RCV", driver and printer names, "InstallDir"): a line is either refused or fits its
// buffer and carries the names whole inside their quotes, and the set-up program's stand-in
// reads the answer address back from it. Also the stand-ins' reading of any command line and
// of their start records.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "tools/qvsim/standin_rules.h"
#include "ui/agent_rules.h"

namespace {

// The input cut at its first two zero bytes: program, driver, printer.
void Split(std::string_view data, std::string_view parts[3]) {
  for (int i = 0; i < 2; ++i) {
    const size_t zero = data.find('\0');
    parts[i] = data.substr(0, zero);
    data = zero == std::string_view::npos ? std::string_view() : data.substr(zero + 1);
  }
  parts[2] = data;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view parts[3];
  Split(std::string_view(reinterpret_cast<const char*>(data), size), parts);
  const int inhibit = size % 2;
  const auto line = vgagent::AgentSettingsCommandLine(parts[0], parts[1], parts[2], inhibit);
  if (line) {
    if (line->size() >= vgagent::kAgentBufferSize) __builtin_trap();
    if (parts[1].find('"') != std::string_view::npos ||
        parts[2].find('"') != std::string_view::npos) {
      __builtin_trap();
    }
    const std::string expected = std::string(parts[0]) + " /agnt /drv:\"" + std::string(parts[1]) +
                                 "\" /p:\"" + std::string(parts[2]) +
                                 "\" /im:" + std::to_string(inhibit);
    if (*line != expected) __builtin_trap();
  }
  if (const auto copy = vgagent::ElevationCopyPath(parts[1], parts[0])) {
    if (copy->size() >= vgagent::kAgentBufferSize) __builtin_trap();
    if (copy->compare(0, parts[1].size(), parts[1]) != 0) __builtin_trap();
  }
  if (const auto setup = vgagent::SetupProgramPath(parts[2])) {
    if (setup->size() >= vgagent::kAgentBufferSize) __builtin_trap();
    const auto setupLine = vgagent::SetupCommandLine(*setup, static_cast<uint32_t>(size),
                                                     vgagent::kSetupDoneMessage, inhibit != 0);
    if (!setupLine || setupLine->size() >= vgagent::kSetupCommandLineSize) __builtin_trap();
    const auto address = qvsim::FindReturnAddress(*setupLine);
    if (!address || address->window != static_cast<uint32_t>(size) ||
        address->message != vgagent::kSetupDoneMessage) {
      __builtin_trap();
    }
  }
  const std::string_view whole(reinterpret_cast<const char*>(data), size);
  qvsim::FindReturnAddress(whole);
  qvsim::StartRecord record;
  if (qvsim::ParseStartRecord(whole, &record)) {
    qvsim::StartRecord again;
    if (!qvsim::ParseStartRecord(qvsim::FormatStartRecord(record), &again) ||
        again.seq != record.seq || again.pid != record.pid || again.module != record.module ||
        again.commandLine != record.commandLine) {
      __builtin_trap();
    }
  }
  return 0;
}
