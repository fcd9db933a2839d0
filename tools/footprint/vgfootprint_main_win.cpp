// vgfootprint.exe: what one monitor costs. It installs a printer with vgsetup (simulated
// printer, one poll a second), runs vgmon.exe for a fixed time, and reports its CPU time per
// poll and its peak private memory beside those of a minimal Win32 program (vgidle.exe) run
// for the same time. Everything is removed again at the end.
//   vgfootprint [SECONDS]      (default 20)
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/win.h"
// After the Windows header, which it needs.
#include <psapi.h>

namespace {

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
  std::string line = "\"" + BinDir() + "\\" + exe + "\" " + arguments;
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE nul = outputFile.empty()
                   ? ::CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit,
                                   OPEN_EXISTING, 0, nullptr)
                   : ::CreateFileA(outputFile.c_str(), GENERIC_WRITE, 0, &inherit, CREATE_ALWAYS,
                                   0, nullptr);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = nul;
  startup.hStdError = nul;
  PROCESS_INFORMATION process = {};
  DWORD code = 1;
  if (::CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                       &process)) {
    ::WaitForSingleObject(process.hProcess, 120000);
    ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
  }
  if (nul != INVALID_HANDLE_VALUE) ::CloseHandle(nul);
  return code;
}

// Runs a program for the given time, sampling its private memory, then closes its windows.
struct Usage {
  bool ran = false;
  double cpuMs = 0;
  size_t peakPrivate = 0;
};

BOOL CALLBACK CloseWindowsOf(HWND window, LPARAM processId) {
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  if (owner == static_cast<DWORD>(processId)) ::PostMessageA(window, WM_CLOSE, 0, 0);
  return TRUE;
}

Usage Measure(const std::string& exe, const std::string& arguments, DWORD milliseconds) {
  Usage usage;
  std::string line = "\"" + BinDir() + "\\" + exe + "\" " + arguments;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!::CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
    return usage;
  }
  const DWORD start = ::GetTickCount();
  while (::GetTickCount() - start < milliseconds) {
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    if (::GetProcessMemoryInfo(process.hProcess,
                               reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                               sizeof counters)) {
      usage.peakPrivate = std::max({usage.peakPrivate, static_cast<size_t>(counters.PrivateUsage),
                                    static_cast<size_t>(counters.PeakPagefileUsage)});
    }
    if (::WaitForSingleObject(process.hProcess, 100) == WAIT_OBJECT_0) break;
  }
  ::EnumWindows(CloseWindowsOf, static_cast<LPARAM>(process.dwProcessId));
  if (::WaitForSingleObject(process.hProcess, 15000) != WAIT_OBJECT_0) {
    ::TerminateProcess(process.hProcess, 1);
  }
  FILETIME created, exited, kernel, user;
  if (::GetProcessTimes(process.hProcess, &created, &exited, &kernel, &user)) {
    auto ms = [](const FILETIME& t) {
      return (static_cast<double>(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) / 10000.0;
    };
    usage.cpuMs = ms(kernel) + ms(user);
    usage.ran = true;
  }
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return usage;
}

// The status reads of the simulator's log: one per poll (the size query has no buffer).
int CountPolls(const std::string& printer, const std::string& dir) {
  const std::string out = dir + "\\calls.txt";
  RunQuiet("qvsimctl.exe", "calls \"" + printer + "\"", out);
  FILE* file = std::fopen(out.c_str(), "r");
  if (file == nullptr) return 0;
  int polls = 0;
  char buffer[1024];
  while (std::fgets(buffer, sizeof buffer, file)) {
    if (std::strstr(buffer, "QVGetStatus(") && std::strstr(buffer, "buffer=null")) ++polls;
  }
  std::fclose(file);
  return polls;
}

void CopyInto(const std::string& dir, const char* file) {
  ::CopyFileA((BinDir() + "\\" + file).c_str(), (dir + "\\" + file).c_str(), FALSE);
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::max(5, std::atoi(argv[1])) : 20;
  const std::string printer = "Footprint " + std::to_string(::GetCurrentProcessId());
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

  const Usage monitor = Measure(
      "vgmon.exe", "/P " + quoted + " /O \"LPT1:\" /D \"VG Footprint\" /M \"VP-100\"",
      static_cast<DWORD>(seconds) * 1000);
  const int polls = CountPolls(printer, kit);
  const Usage idle = Measure("vgidle.exe", "", static_cast<DWORD>(seconds) * 1000);

  RunQuiet("vgsetup.exe", "uninstall --printer " + quoted);
  RunQuiet("qvsimctl.exe", "reset " + quoted);
  ::DeleteFileA((kit + "\\calls.txt").c_str());
  for (const char* file : {"vgprn.dll", "vgres.dll", "qvsim.dll", "vgmon.exe", "VP-100.ini"}) {
    ::DeleteFileA((kit + "\\" + file).c_str());
  }
  ::RemoveDirectoryA(kit.c_str());

  if (!monitor.ran || !idle.ran || polls == 0) {
    std::fprintf(stderr, "vgfootprint: a measurement failed (polls %d)\n", polls);
    return 1;
  }
  std::printf("vgmon.exe over %d s: %d polls, CPU %.1f ms in all, %.2f ms per poll, "
              "peak private memory %.0f KiB\n",
              seconds, polls, monitor.cpuMs, monitor.cpuMs / polls,
              monitor.peakPrivate / 1024.0);
  std::printf("vgidle.exe over %d s (minimal Win32 program): CPU %.1f ms in all, "
              "peak private memory %.0f KiB\n",
              seconds, idle.cpuMs, idle.peakPrivate / 1024.0);
  return 0;
}
