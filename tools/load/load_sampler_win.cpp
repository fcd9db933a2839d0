#include "tools/load/load_sampler_win.h"

#include <algorithm>
#include <utility>

#include "common/win.h"
#include "tools/footprint/proc_text.h"
#include "tools/footprint/process_view_win.h"

namespace vgload {

namespace {

// A new process's command line is set when it starts its program; a stranger is looked at a
// few times before it is left alone.
constexpr int kLooksAtStrangers = 3;

uint64_t NsOfTicks(uint64_t ticks) { return ticks * (1000000000ull / vgfoot::kProcTicksPerSecond); }

bool CpuNs(unsigned long pid, uint64_t* ns) {
  std::string stat;
  uint64_t ticks = 0;
  if (!vgfoot::ReadProcText(pid, "stat", &stat) || !vgfoot::ParseStatCpuTicks(stat, &ticks)) {
    return false;
  }
  *ns = NsOfTicks(ticks);
  return true;
}

uint64_t PrivateKb(unsigned long pid) {
  std::string status;
  if (!vgfoot::ReadProcText(pid, "status", &status)) return 0;
  uint64_t anonymous = 0;
  uint64_t swapped = 0;
  vgfoot::ParseStatusKb(status, "RssAnon", &anonymous);
  vgfoot::ParseStatusKb(status, "VmSwap", &swapped);
  return anonymous + swapped;
}

// The arguments of a /proc cmdline or environ text, one at a time.
bool HasArgument(const std::string& text, const std::string& wanted, bool whole) {
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\0', at);
    if (end == std::string::npos) end = text.size();
    const std::string item = text.substr(at, end - at);
    if (whole ? item == wanted : item.find(wanted) != std::string::npos) return true;
    at = end + 1;
  }
  return false;
}

// The Wine server of this prefix: its program is wineserver, and its environment names the
// prefix this process runs in.
unsigned long FindWineServer(const std::vector<unsigned long>& pids) {
  char prefix[MAX_PATH * 2] = {};
  const DWORD length = ::GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof prefix);
  if (length == 0 || length >= sizeof prefix) return 0;
  const std::string wanted = std::string("WINEPREFIX=") + prefix;
  for (unsigned long pid : pids) {
    std::string commandLine;
    if (!vgfoot::ReadProcText(pid, "cmdline", &commandLine)) continue;
    const std::string first = commandLine.substr(0, commandLine.find('\0'));
    if (first.find("wineserver") == std::string::npos) continue;
    std::string environment;
    if (vgfoot::ReadProcText(pid, "environ", &environment) &&
        HasArgument(environment, wanted, true)) {
      return pid;
    }
  }
  return 0;
}

}  // namespace

LoadSampler::LoadSampler(std::string tag) : tag_(std::move(tag)) {
  const std::vector<unsigned long> pids = vgfoot::ListLinuxProcesses();
  for (unsigned long pid : pids) strangers_[pid] = kLooksAtStrangers;
  server_ = FindWineServer(pids);
  if (server_ != 0 && CpuNs(server_, &serverFirstNs_)) serverLastNs_ = serverFirstNs_;
}

void LoadSampler::Sample(long nowMs) {
  uint64_t totalKb = 0;
  int processes = 0;
  for (unsigned long pid : vgfoot::ListLinuxProcesses()) {
    if (pid == server_) continue;
    if (cpuNs_.count(pid) == 0) {
      int& looks = strangers_[pid];
      if (looks >= kLooksAtStrangers) continue;
      ++looks;
      std::string commandLine;
      if (!vgfoot::ReadProcText(pid, "cmdline", &commandLine) ||
          !HasArgument(commandLine, tag_, false)) {
        continue;
      }
      strangers_.erase(pid);
      cpuNs_[pid] = 0;
    }
    uint64_t ns = 0;
    if (!CpuNs(pid, &ns)) continue;  // it has just ended: its last count stays
    cpuNs_[pid] = ns;
    totalKb += PrivateKb(pid);
    ++processes;
  }
  if (totalKb > peakKb_) {
    peakKb_ = totalKb;
    peakAtMs_ = nowMs;
    processesAtPeak_ = processes;
  }
  if (server_ != 0) {
    uint64_t ns = 0;
    if (CpuNs(server_, &ns)) serverLastNs_ = ns;
    serverPeakKb_ = std::max(serverPeakKb_, PrivateKb(server_));
  }
  history_.push_back({nowMs, ProgramsNs() + (serverLastNs_ - serverFirstNs_)});
}

uint64_t LoadSampler::ProgramsNs() const {
  uint64_t total = 0;
  for (const auto& program : cpuNs_) total += program.second;
  return total;
}

double LoadSampler::CpuSeconds() const { return static_cast<double>(ProgramsNs()) / 1e9; }

double LoadSampler::WineserverCpuSeconds() const {
  return static_cast<double>(serverLastNs_ - serverFirstNs_) / 1e9;
}

double LoadSampler::PeakCores() const {
  double peak = 0;
  size_t from = 0;
  for (size_t to = 1; to < history_.size(); ++to) {
    // The shortest stretch of at least a second that ends here.
    while (from + 1 < to && history_[to].atMs - history_[from + 1].atMs >= 1000) ++from;
    const long span = history_[to].atMs - history_[from].atMs;
    if (span < 1000) continue;
    const double cores = static_cast<double>(history_[to].totalNs - history_[from].totalNs) /
                         (static_cast<double>(span) * 1e6);
    peak = std::max(peak, cores);
  }
  return peak;
}

double LoadSampler::MeanCores() const {
  if (history_.size() < 2) return 0;
  const long span = history_.back().atMs - history_.front().atMs;
  if (span <= 0) return 0;
  return static_cast<double>(history_.back().totalNs - history_.front().totalNs) /
         (static_cast<double>(span) * 1e6);
}

}  // namespace vgload
