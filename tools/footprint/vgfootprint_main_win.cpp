// vgfootprint.exe: what one monitor costs. It installs a printer with vgsetup (simulated
// printer, one poll a second), then runs side by side under the same Wine: vgmon.exe; the
// poll's unavoidable work without the system's code (vgpollref.exe: a hidden window, and a
// worker thread that asks the spooler and reads the status reply once a second); and a bare
// Win32 program (vgidle.exe: a hidden window and a one-second timer). It reports
//   - CPU time per poll beside the bare program's CPU time per timer tick, measured over a
//     window after start-up (the kernel's nanosecond count of the threads' CPU time, and
//     Wine's own process times, which step by 10 ms);
//   - the peak private memory of all three, and a breakdown of each one's private memory at
//     the end of the window: its own image, each library, heaps, thread stacks, other Windows
//     allocations and Wine's own share.
// Everything it installs is removed again at the end.
//   vgfootprint [SECONDS] [--details]
//     SECONDS: the measured window, default 60 (start-up comes on top); --details also lists
//     the larger runs of private pages outside the images.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "common/process_start_win.h"
#include "common/unique_handle.h"
#include "common/win.h"
#include "tools/footprint/memory_breakdown.h"
#include "tools/footprint/process_view_win.h"
// After the Windows header, which it needs.
#include <psapi.h>

namespace {

constexpr DWORD kStartUpMs = 5000;        // start-up and the first polls stay out of the window
constexpr double kMemoryTargetKiB = 2048;  // the monitor's private memory above the idle program
constexpr double kCpuTarget = 1.0;         // CPU per poll over the idle program's per tick

std::string BinDir() {
  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string full(path);
  return full.substr(0, full.find_last_of('\\'));
}

std::string TempDir(const char* name) {
  char temp[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, temp);
  std::string dir = std::string(temp) + name + std::to_string(::GetCurrentProcessId());
  ::CreateDirectoryA(dir.c_str(), nullptr);
  return dir;
}

// Runs a program of the bin folder to its end; its standard output goes to the file named, or
// nowhere.
DWORD RunQuiet(const std::string& exe, const std::string& arguments,
               const std::string& outputFile = "") {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  ScopedHandle output(outputFile.empty()
                          ? ::CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit,
                                          OPEN_EXISTING, 0, nullptr)
                          : ::CreateFileA(outputFile.c_str(), GENERIC_WRITE, 0, &inherit,
                                          CREATE_ALWAYS, 0, nullptr));
  ProcessStart start;
  start.commandLine = "\"" + BinDir() + "\\" + exe + "\" " + arguments;
  start.output = output.Get();
  start.error = output.Get();
  StartedProcess process;
  if (!process.Start(start)) return 1;
  process.Wait(120000);
  return process.ExitCode();
}

// The status size queries of the simulator's log, one per poll: those of each process after
// the sequence number `after` (by Windows process id), and the last sequence number seen.
std::map<DWORD, int> CountPollsAfter(const std::string& printer, const std::string& dir,
                                     unsigned long after, unsigned long* last) {
  std::map<DWORD, int> polls;
  const std::string out = dir + "\\calls.txt";
  RunQuiet("qvsimctl.exe", "calls \"" + printer + "\"", out);
  FILE* file = std::fopen(out.c_str(), "r");
  if (file == nullptr) return polls;
  char buffer[1024];
  while (std::fgets(buffer, sizeof buffer, file)) {
    char* rest = nullptr;
    const unsigned long sequence = std::strtoul(buffer, &rest, 10);
    if (sequence > *last) *last = sequence;
    const char* pid = std::strstr(rest, "pid=");
    if (sequence > after && pid != nullptr && std::strstr(buffer, "QVGetStatus(") &&
        std::strstr(buffer, "buffer=null")) {
      ++polls[static_cast<DWORD>(std::strtoul(pid + 4, nullptr, 10))];
    }
  }
  std::fclose(file);
  ::DeleteFileA(out.c_str());
  return polls;
}

// One measured program.
struct Program {
  std::string exe;
  std::string tag;  // in its command line, so that its Linux process can be found
  StartedProcess process;
  unsigned long linuxPid = 0;
  size_t peakPrivate = 0;
  double cycles = 0;  // polls or timer ticks in the measured window
  struct {
    bool linuxOk = false;
    uint64_t linuxNs = 0;
    double windowsMs = 0;
  } start, end;
  vgfoot::Breakdown memory;
  int threads = 0;

  bool Start(const std::string& arguments) {
    ProcessStart start;
    start.commandLine = "\"" + BinDir() + "\\" + exe + "\" " + arguments;
    return process.Start(start);
  }
  bool Running() const { return process.IsStarted() && !process.Wait(0); }
  void SamplePrivate() {
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    if (::GetProcessMemoryInfo(process.Handle(),
                               reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                               sizeof counters)) {
      peakPrivate = std::max({peakPrivate, static_cast<size_t>(counters.PrivateUsage),
                              static_cast<size_t>(counters.PeakPagefileUsage)});
    }
  }
};

BOOL CALLBACK CloseWindowsOf(HWND window, LPARAM processId) {
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  if (owner == static_cast<DWORD>(processId)) ::PostMessageA(window, WM_CLOSE, 0, 0);
  return TRUE;
}

void Stop(Program& program) {
  if (!program.process.IsStarted()) return;
  ::EnumWindows(CloseWindowsOf, static_cast<LPARAM>(program.process.Id()));
  if (!program.process.Wait(15000)) program.process.Terminate(1, 0);
}

template <typename Sample>
void SampleCpu(const Program& program, Sample* sample) {
  sample->linuxOk = program.linuxPid != 0 && vgfoot::ReadCpuNanoseconds(program.linuxPid,
                                                                       &sample->linuxNs);
  FILETIME created, exited, kernel, user;
  if (::GetProcessTimes(program.process.Handle(), &created, &exited, &kernel, &user)) {
    auto ms = [](const FILETIME& t) {
      return (static_cast<double>(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) / 10000.0;
    };
    sample->windowsMs = ms(kernel) + ms(user);
  }
}

// The breakdown of a program's private memory now; false when it cannot be read.
// With details, the private pages of the rows that are not images are also listed as runs of
// consecutive pages (address and size), the largest first.
bool BreakDown(const Program& program, vgfoot::Breakdown* breakdown, int* threads,
               bool details) {
  ScopedHandle process(
      ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, program.process.Id()));
  vgfoot::AreaMap areas;
  if (!process.IsValid() || program.linuxPid == 0 ||
      !vgfoot::ReadWindowsAreas(process.Get(), program.process.Id(), &areas, threads)) {
    return false;
  }
  struct Run {
    std::string row;
    uint64_t begin;
    uint64_t end;
  };
  std::vector<Run> runs;
  const bool read = vgfoot::ForEachPrivatePage(program.linuxPid, [&](uint64_t address) {
    const std::string row = areas.RowOf(address);
    breakdown->AddBytes(row, vgfoot::kPageSize);
    if (!runs.empty() && runs.back().row == row && runs.back().end == address) {
      runs.back().end += vgfoot::kPageSize;
    } else {
      runs.push_back({row, address, address + vgfoot::kPageSize});
    }
  });
  if (read && details) {
    std::stable_sort(runs.begin(), runs.end(), [](const Run& a, const Run& b) {
      return a.end - a.begin > b.end - b.begin;
    });
    std::printf("  %s: private runs of 16 KiB or more outside images\n", program.exe.c_str());
    for (const Run& run : runs) {
      if (run.end - run.begin < 16384) break;
      if (run.row.find(".dll") != std::string::npos || run.row.find(".exe") != std::string::npos ||
          run.row.find(".drv") != std::string::npos) {
        continue;
      }
      std::printf("    %08llx %6llu KiB  %s\n", static_cast<unsigned long long>(run.begin),
                  static_cast<unsigned long long>((run.end - run.begin) / 1024), run.row.c_str());
    }
  }
  return read;
}

double KiB(uint64_t bytes) { return static_cast<double>(bytes) / 1024.0; }

// Three columns: the monitor, the reference (the poll's unavoidable work), the bare program.
void PrintBreakdown(const Program& monitor, const Program& reference, const Program& bare) {
  std::printf("  %-44s %10s %10s %10s %10s\n", "private memory at the end, KiB", "vgmon",
              "reference", "bare", "vgmon-ref");
  // Rows of all three: the monitor beside the bare program, the reference filled in by name.
  for (const vgfoot::SideBySideRow& row :
       vgfoot::SideBySide(monitor.memory, monitor.exe, bare.memory, bare.exe)) {
    const uint64_t ref = row.name == "own image" ? reference.memory.BytesOf(reference.exe)
                                                 : reference.memory.BytesOf(row.name);
    std::string name = row.name;
    if (name == vgfoot::kStacksRow) {
      name += " (" + std::to_string(monitor.threads) + "/" + std::to_string(reference.threads) +
              "/" + std::to_string(bare.threads) + ")";
    }
    std::printf("  %-44s %10.0f %10.0f %10.0f %+10.0f\n", name.c_str(), KiB(row.first), KiB(ref),
                KiB(row.second), KiB(row.first) - KiB(ref));
  }
  // Libraries that only the reference loaded.
  for (const auto& entry : reference.memory.Rows()) {
    if (entry.first == reference.exe || monitor.memory.BytesOf(entry.first) != 0 ||
        bare.memory.BytesOf(entry.first) != 0 || entry.first == vgfoot::kHeapsRow ||
        entry.first == vgfoot::kStacksRow || entry.first == vgfoot::kOtherRow ||
        entry.first == vgfoot::kWineRow) {
      continue;
    }
    std::printf("  %-44s %10.0f %10.0f %10.0f %+10.0f\n", entry.first.c_str(), 0.0,
                KiB(entry.second), 0.0, -KiB(entry.second));
  }
  std::printf("  %-44s %10.0f %10.0f %10.0f %+10.0f\n", "total", KiB(monitor.memory.Total()),
              KiB(reference.memory.Total()), KiB(bare.memory.Total()),
              KiB(monitor.memory.Total()) - KiB(reference.memory.Total()));
}

void CopyInto(const std::string& dir, const char* file) {
  ::CopyFileA((BinDir() + "\\" + file).c_str(), (dir + "\\" + file).c_str(), FALSE);
}

}  // namespace

int main(int argc, char** argv) {
  int seconds = 60;
  bool details = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--details") == 0) {
      details = true;
    } else {
      seconds = std::max(10, std::atoi(argv[i]));
    }
  }
  const std::string unique = std::to_string(::GetCurrentProcessId());
  const std::string printer = "Footprint " + unique;
  const std::string kit = TempDir("vgkit");
  const std::string install = TempDir("vginst");
  ::RemoveDirectoryA(install.c_str());
  for (const char* file : {"vgprn.dll", "vgres.dll", "qvsim.dll", "vgmon.exe"}) CopyInto(kit, file);
  const std::string profile = kit + "\\VP-100.ini";
  ::CopyFileA((BinDir() + "\\profiles\\VP-100.ini").c_str(), profile.c_str(), FALSE);
  ::WritePrivateProfileStringA("VP-100", "MonitorInitTime", "100", profile.c_str());
  ::WritePrivateProfileStringA("VP-100", "TIMEOUT", "0", profile.c_str());
  ::WritePrivateProfileStringA("Install", "LocalMonitoringTimer", "1", profile.c_str());
  ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, profile.c_str());

  const std::string quoted = "\"" + printer + "\"";
  if (RunQuiet("vgsetup.exe", "install --printer " + quoted + " --port LPT1: --model VP-100 "
                              "--driver \"VG Footprint\" --from \"" + kit + "\" --install-dir \"" +
                              install + "\"") != 0) {
    std::fprintf(stderr, "vgfootprint: vgsetup install failed\n");
    return 1;
  }
  RunQuiet("qvsimctl.exe", "reset " + quoted);
  RunQuiet("qvsimctl.exe", "deviceid " + quoted + " \"MFG:KORVA;MDL:VP-100;\"");
  RunQuiet("qvsimctl.exe", "channels " + quoted + " 0x10000005:0x0004,0x10010003:0");
  RunQuiet("qvsimctl.exe", "reply " + quoted + " \"@BDC ST\\r\\nST:04;\\f\"");

  // All three run at once, so that the machine's load falls on each alike.
  Program monitor;
  monitor.exe = "vgmon.exe";
  monitor.tag = printer;
  Program reference;
  reference.exe = "vgpollref.exe";
  reference.tag = "footprint-reference-" + unique;
  Program bare;
  bare.exe = "vgidle.exe";
  bare.tag = "footprint-bare-" + unique;
  bool ok = monitor.Start("/P " + quoted + " /O \"LPT1:\" /D \"VG Footprint\" /M \"VP-100\"") &&
            reference.Start(quoted + " \"" + kit + "\\qvsim.dll\" " + reference.tag) &&
            bare.Start(bare.tag);
  Program* programs[] = {&monitor, &reference, &bare};

  unsigned long sequence = 0;
  DWORD windowMs = 0;
  bool brokenDown = false;
  auto allRunning = [&] {
    return monitor.Running() && reference.Running() && bare.Running();
  };
  auto samplePrivate = [&] {
    for (Program* program : programs) program->SamplePrivate();
  };
  if (ok) {
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < kStartUpMs && allRunning()) {
      samplePrivate();
      ::Sleep(100);
    }
    for (Program* program : programs) {
      program->linuxPid = vgfoot::FindLinuxProcess(program->exe, program->tag);
    }
    CountPollsAfter(printer, kit, 0, &sequence);
    const DWORD windowStart = ::GetTickCount();
    for (Program* program : programs) SampleCpu(*program, &program->start);
    const unsigned long startSequence = sequence;
    while (::GetTickCount() - windowStart < static_cast<DWORD>(seconds) * 1000 && allRunning()) {
      samplePrivate();
      ::Sleep(100);
    }
    for (Program* program : programs) SampleCpu(*program, &program->end);
    windowMs = ::GetTickCount() - windowStart;
    const std::map<DWORD, int> polls = CountPollsAfter(printer, kit, startSequence, &sequence);
    auto pollsOf = [&](const Program& program) {
      const auto found = polls.find(program.process.Id());
      return found == polls.end() ? 0 : found->second;
    };
    monitor.cycles = pollsOf(monitor);
    reference.cycles = pollsOf(reference);
    bare.cycles = windowMs / 1000.0;
    ok = allRunning();
    brokenDown = ok;
    for (Program* program : programs) {
      brokenDown = brokenDown && BreakDown(*program, &program->memory, &program->threads, details);
    }
  }
  for (Program* program : programs) Stop(*program);

  RunQuiet("vgsetup.exe", "uninstall --printer " + quoted);
  RunQuiet("qvsimctl.exe", "reset " + quoted);
  for (const char* file : {"vgprn.dll", "vgres.dll", "qvsim.dll", "vgmon.exe", "VP-100.ini"}) {
    ::DeleteFileA((kit + "\\" + file).c_str());
  }
  ::RemoveDirectoryA(kit.c_str());

  if (!ok || monitor.cycles == 0 || reference.cycles == 0) {
    std::fprintf(stderr, "vgfootprint: a measurement failed (polls %.0f, reference polls %.0f)\n",
                 monitor.cycles, reference.cycles);
    return 1;
  }
  std::printf("vgmon.exe, the poll's unavoidable work alone (vgpollref.exe: spooler queries and "
              "status reads on a worker thread) and a bare Win32 program (vgidle.exe: hidden "
              "window, 1 s timer) side by side, measured over %.1f s after %lu s of start-up\n",
              windowMs / 1000.0, static_cast<unsigned long>(kStartUpMs / 1000));
  std::printf("  %-44s %10s %10s %10s\n", "CPU", "vgmon", "reference", "bare");
  std::printf("  %-44s %10.0f %10.0f %10.0f\n", "polls (timer ticks of the bare program)",
              monitor.cycles, reference.cycles, bare.cycles);
  auto windowsMs = [](const Program& p) { return p.end.windowsMs - p.start.windowsMs; };
  std::printf("  %-44s %10.0f %10.0f %10.0f\n", "Wine's process times, ms (10 ms steps)",
              windowsMs(monitor), windowsMs(reference), windowsMs(bare));
  bool linuxOk = true;
  for (Program* program : programs) linuxOk = linuxOk && program->start.linuxOk && program->end.linuxOk;
  if (linuxOk) {
    auto linuxMs = [](const Program& p) { return (p.end.linuxNs - p.start.linuxNs) / 1e6; };
    std::printf("  %-44s %10.1f %10.1f %10.1f\n", "the kernel's thread times, ms", linuxMs(monitor),
                linuxMs(reference), linuxMs(bare));
    std::printf("  %-44s %10.3f %10.3f %10.3f\n", "  per poll (per tick), ms",
                linuxMs(monitor) / monitor.cycles, linuxMs(reference) / reference.cycles,
                linuxMs(bare) / bare.cycles);
    const double perPoll = linuxMs(monitor) / monitor.cycles;
    const double perTick = linuxMs(bare) / bare.cycles;
    const double ours = perPoll - linuxMs(reference) / reference.cycles;
    std::printf("  CPU per poll / bare CPU per tick: %.2f   (target <= %.2f); the monitor's own "
                "share per poll (vgmon - reference) / bare per tick: %.2f\n",
                perTick > 0 ? perPoll / perTick : 0.0, kCpuTarget, perTick > 0 ? ours / perTick : 0.0);
  } else {
    std::printf("  (the kernel's thread times are out of reach: no /proc on drive Z:)\n");
  }
  std::printf("  peak private memory, KiB: vgmon %.0f, reference %.0f, bare %.0f\n",
              KiB(monitor.peakPrivate), KiB(reference.peakPrivate), KiB(bare.peakPrivate));
  if (brokenDown) {
    PrintBreakdown(monitor, reference, bare);
    const double above = KiB(monitor.memory.Total()) - KiB(bare.memory.Total());
    const double ours = KiB(monitor.memory.Total()) - KiB(reference.memory.Total());
    std::printf("  private memory above the bare program / 2 MiB: %.2f   (target <= 1.00); "
                "above the reference / 2 MiB: %.2f\n",
                above / kMemoryTargetKiB, ours / kMemoryTargetKiB);
  } else {
    std::printf("  (no breakdown: the processes' /proc files are out of reach)\n");
  }
  return 0;
}
