// prgetstatus_bench: what one PrGetStatus call costs end to end (the simulated printer's two
// reads, the decode through the model's tables, the registry writes of the target key and
// the notification look-ups), measured the way the monitor makes the call.
//
// It installs a printer of the example model with vgsetup.exe (from its own folder), starts
// a monitoring session on the installed vgprn.dll, acquires the channels, and times N calls
// with the high-resolution counter. After each call it times the simulated printer's two
// status reads alone and one registry round trip, so that the library's own share of a call
// comes out in round trips of the same moment. Then it ends the session and uninstalls
// everything it made.
//
//   prgetstatus_bench.exe [--count N]        (N from 10 to 1000000, default 1000)
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/process_start_win.h"
#include "common/qvapi.h"
#include "common/registry_keys.h"
#include "common/registry_win.h"
#include "common/system_library_win.h"
#include "common/target_keys_win.h"
#include "common/unique_handle.h"
#include "common/vgprn_exports.h"
#include "common/win.h"
#include "tools/bench/bench_programs_win.h"
#include "tools/qvsim/qvsim_control_win.h"

namespace {

const char kModel[] = "VP-100";
const char kReply[] = "@BDC ST\r\nST:04;\f";
constexpr DWORD kStatusChannel = 0x10000005;
constexpr int kWarmUp = 20;
// The goal for the library's own share of one call, in registry round trips.
constexpr int kShareTarget = 15;

bool Simulate(const std::vector<std::string>& args) {
  const auto drop = [](const std::string&) {};
  const auto show = [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); };
  return qvsim::ControlMain(args, drop, show) == qvsim::kExitOk;
}

double Microseconds(LONGLONG ticks, LONGLONG frequency) {
  return static_cast<double>(ticks) * 1e6 / static_cast<double>(frequency);
}

struct Figures {
  double min = 0;
  double median = 0;
  double mean = 0;
  double p95 = 0;
  double max = 0;
};

Figures Summarise(std::vector<double> samples) {
  Figures f;
  if (samples.empty()) return f;
  std::sort(samples.begin(), samples.end());
  const size_t n = samples.size();
  f.min = samples.front();
  f.max = samples.back();
  f.median = n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
  double sum = 0;
  for (double s : samples) sum += s;
  f.mean = sum / static_cast<double>(n);
  f.p95 = samples[std::min(n - 1, (n * 95) / 100)];
  return f;
}

void Print(const char* what, const Figures& f) {
  std::printf("%-46s min %8.1f  median %8.1f  mean %8.1f  p95 %8.1f  max %9.1f\n", what, f.min,
              f.median, f.mean, f.p95, f.max);
}

// Everything the run made, taken away again whatever happened in between.
struct Installation {
  std::string bin;
  std::string printer;
  std::string installDir;
  bool installed = false;

  ~Installation() {
    if (!installed) return;
    char keyPath[kTargetKeyPathSize] = {};
    HKEY root = HKEY_CURRENT_USER;
    if (FindTargetKey(printer.c_str(), "", keyPath, &root) == kTargetFound) {
      DeleteTargetKey(root, keyPath);
    }
    Simulate({"reset", printer});
    if (RunQuietly(bin + "\\vgsetup.exe", "uninstall --printer \"" + printer + "\"") != 0) {
      std::fprintf(stderr, "prgetstatus_bench: uninstall of \"%s\" failed; run vgsetup uninstall\n",
                   printer.c_str());
    }
  }
};

// The simulated printer's two status reads alone, as the library makes them, through a copy
// of the simulator of its own.
class SimulatorReads {
 public:
  SimulatorReads(const std::string& bin, const std::string& printer)
      : library_(::LoadLibraryA((bin + "\\qvsim.dll").c_str())) {
    auto initialize = GetProcAs<PFN_QVInitialize>(library_.Get(), "QVInitialize");
    auto open = GetProcAs<PFN_QVOpenChannel>(library_.Get(), "QVOpenChannel");
    release_ = GetProcAs<PFN_QVRelease>(library_.Get(), "QVRelease");
    close_ = GetProcAs<PFN_QVCloseChannel>(library_.Get(), "QVCloseChannel");
    getStatus_ = GetProcAs<PFN_QVGetStatus>(library_.Get(), "QVGetStatus");
    if (!initialize || !open || !release_ || !close_ || !getStatus_ || initialize() != 0) return;
    initialized_ = true;
    handle_ = open(qvapi::kKindPrinter, printer.c_str(), kStatusChannel);
  }
  ~SimulatorReads() {
    if (handle_ > 0) close_(handle_);
    if (initialized_) release_();
  }
  // Microseconds of one size query and read; negative when the reply did not come.
  double Time(LONGLONG frequency) {
    if (handle_ <= 0) return -1;
    char buffer[256];
    LARGE_INTEGER before;
    LARGE_INTEGER after;
    ::QueryPerformanceCounter(&before);
    int32_t size = 0;
    int32_t result = getStatus_(handle_, nullptr, &size);
    if (result == qvapi::kBufferTooSmall && size > 0 &&
        size <= static_cast<int32_t>(sizeof buffer)) {
      result = getStatus_(handle_, buffer, &size);
    }
    ::QueryPerformanceCounter(&after);
    return result > 0 ? Microseconds(after.QuadPart - before.QuadPart, frequency) : -1;
  }

 private:
  ScopedModule library_;
  PFN_QVRelease release_ = nullptr;
  PFN_QVCloseChannel close_ = nullptr;
  PFN_QVGetStatus getStatus_ = nullptr;
  bool initialized_ = false;
  int32_t handle_ = 0;
};

// One registry round trip (open and close a key): under Wine every registry call is a request
// to the Wine server, so this is the yardstick for the figures above. Negative on failure.
double TimeRegistryRoundTrip(LONGLONG frequency) {
  HKEY key = nullptr;
  LARGE_INTEGER before;
  LARGE_INTEGER after;
  ::QueryPerformanceCounter(&before);
  const LONG rc = ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, &key);
  if (rc == ERROR_SUCCESS) ::RegCloseKey(key);
  ::QueryPerformanceCounter(&after);
  return rc == ERROR_SUCCESS ? Microseconds(after.QuadPart - before.QuadPart, frequency) : -1;
}

// One look-up of the printer's target key in the logon user's hive, which each registry
// write and notification check of the query makes.
std::vector<double> TimeTargetKeyLookups(const std::string& printer, int count,
                                         LONGLONG frequency) {
  std::vector<double> samples;
  for (int i = -kWarmUp; i < count; ++i) {
    char keyPath[kTargetKeyPathSize] = {};
    HKEY root = HKEY_CURRENT_USER;
    LARGE_INTEGER before;
    LARGE_INTEGER after;
    ::QueryPerformanceCounter(&before);
    const int found = FindTargetKey(printer.c_str(), "", keyPath, &root);
    ::QueryPerformanceCounter(&after);
    if (found != kTargetFound) return std::vector<double>();
    if (i >= 0) samples.push_back(Microseconds(after.QuadPart - before.QuadPart, frequency));
  }
  return samples;
}

int ParseCount(int argc, char** argv) {
  int count = 1000;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--count") == 0 && i + 1 < argc) {
      count = std::atoi(argv[++i]);
    } else {
      return -1;
    }
  }
  return count >= 10 && count <= 1000000 ? count : -1;
}

}  // namespace

int main(int argc, char** argv) {
  const int count = ParseCount(argc, argv);
  if (count < 0) {
    std::fprintf(stderr, "usage: prgetstatus_bench [--count N]   (N from 10 to 1000000)\n");
    return 2;
  }
  LARGE_INTEGER counterRate;
  ::QueryPerformanceFrequency(&counterRate);
  const LONGLONG frequency = counterRate.QuadPart;
  if (Registry(HKEY_LOCAL_MACHINE, vgreg::kLibraryLogSwitchKey)
          .GetDWordValue(vgreg::kLibraryLogSwitch, 0) != 0) {
    std::printf("note: the printer library's debug log is on; the figures include its writes\n");
  }

  Installation setup;
  setup.bin = ProgramFolder();
  char temp[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, temp);
  const std::string unique =
      std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(::GetTickCount());
  setup.printer = "VG Bench " + unique;
  const std::string driver = "VG Bench Driver " + unique;
  const std::string port = "LPT1:";
  setup.installDir = std::string(temp) + "vgbench-" + unique;
  setup.installed = true;  // from here on an uninstall cleans up, also after a half-done install
  if (RunQuietly(setup.bin + "\\vgsetup.exe", "install --printer \"" + setup.printer +
                                                  "\" --port " + port + " --model " + kModel +
                                                  " --driver \"" + driver + "\" --install-dir \"" +
                                                  setup.installDir + "\"") != 0) {
    std::fprintf(stderr, "prgetstatus_bench: vgsetup install failed (is vgsetup.exe beside me?)\n");
    return 1;
  }
  if (!Simulate({"reset", setup.printer}) ||
      !Simulate({"deviceid", setup.printer, "MFG:KORVA;MDL:VP-100;CMD:ESCP;"}) ||
      !Simulate({"channels", setup.printer, "0x10000005:0x0004,0x10010003:0"}) ||
      !Simulate({"reply", setup.printer, "@BDC ST\\r\\nST:04;\\f"})) {
    std::fprintf(stderr, "prgetstatus_bench: the simulated printer could not be set up\n");
    return 1;
  }

  ScopedModule library(::LoadLibraryA((setup.installDir + "\\vgprn.dll").c_str()));
  auto start = GetProcAs<PFN_PrMonitoringStart>(library.Get(), "PrMonitoringStart");
  auto end = GetProcAs<PFN_PrMonitoringEnd>(library.Get(), "PrMonitoringEnd");
  auto getDeviceId = GetProcAs<PFN_PrGetDeviceID>(library.Get(), "PrGetDeviceID");
  auto getChannel = GetProcAs<PFN_PrGetChannel>(library.Get(), "PrGetChannel");
  auto getStatus = GetProcAs<PFN_PrGetStatus>(library.Get(), "PrGetStatus");
  if (!start || !end || !getDeviceId || !getChannel || !getStatus) {
    std::fprintf(stderr, "prgetstatus_bench: the installed vgprn.dll does not load or bind\n");
    return 1;
  }
  const std::string profile = setup.installDir + "\\" + kModel + ".ini";
  if (start(nullptr, setup.printer.c_str(), driver.c_str(), port.c_str(), kModel, profile.c_str(),
            nullptr, nullptr, 0) != 0) {
    std::fprintf(stderr, "prgetstatus_bench: PrMonitoringStart failed\n");
    return 1;
  }
  DWORD size = 0;
  getDeviceId(nullptr, &size);
  std::vector<char> deviceId(size + 1, '\0');
  const int idResult = getDeviceId(deviceId.data(), &size);
  DWORD statusChannel = 0;
  DWORD dataChannel = 0;
  const int channelResult = getChannel(&statusChannel, &dataChannel);
  if (idResult != 0 || channelResult != 0 || statusChannel != kStatusChannel) {
    std::fprintf(stderr, "prgetstatus_bench: device ID or channels not acquired\n");
    end(0, 0);
    return 1;
  }

  // A call, the simulator's two reads alone, a registry round trip, in turn: the machine's
  // load of the moment falls on all three alike.
  std::vector<double> samples, reads, roundTrips, shares;
  int wrong = 0;
  {
    SimulatorReads simulator(setup.bin, setup.printer);
    for (int i = -kWarmUp; i < count; ++i) {
      int popup = 0, sound = 0, printing = 0, real = 0, simple = 0;
      LARGE_INTEGER before;
      LARGE_INTEGER after;
      ::QueryPerformanceCounter(&before);
      const int result = getStatus(0, &popup, &sound, &printing, &real, &simple);
      ::QueryPerformanceCounter(&after);
      if (result != 1 || real != 1) ++wrong;
      const double call = Microseconds(after.QuadPart - before.QuadPart, frequency);
      const double read = simulator.Time(frequency);
      const double trip = TimeRegistryRoundTrip(frequency);
      if (i < 0) continue;
      samples.push_back(call);
      if (read >= 0) reads.push_back(read);
      if (trip >= 0) roundTrips.push_back(trip);
      if (read >= 0) shares.push_back(call - read);
    }
  }
  end(0, 0);
  library.Reset();
  if (reads.size() != samples.size()) reads.clear();  // the simulator did not answer each time

  const std::vector<double> lookups = TimeTargetKeyLookups(setup.printer, count, frequency);

  std::printf("PrGetStatus under Wine: %d calls after %d warm-up calls, times in microseconds\n",
              count, kWarmUp);
  Print("PrGetStatus (reply \"ST:04\", status 1)", Summarise(samples));
  if (!reads.empty()) Print("simulated printer alone: 2 x QVGetStatus", Summarise(reads));
  if (!lookups.empty()) Print("one target key look-up (FindTargetKey)", Summarise(lookups));
  if (!roundTrips.empty()) Print("one registry open and close", Summarise(roundTrips));
  if (!reads.empty() && !roundTrips.empty()) {
    // The library's own share: each call less the simulated printer's two reads timed right
    // after it, in registry round trips of the same run, so that the machine's speed of the
    // moment cancels.
    const Figures share = Summarise(shares);
    const Figures trip = Summarise(roundTrips);
    const double best = Summarise(samples).min - Summarise(reads).min;
    Print("the library's own share (call - the two reads)", share);
    std::printf(
        "the library's own share of one call in registry round trips: %.1f (medians; "
        "%.1f at best, from the minimums)   (target <= %d)\n",
        share.median / trip.median, best / trip.min, kShareTarget);
  }
  if (wrong != 0) {
    std::fprintf(stderr, "prgetstatus_bench: %d calls did not report status 1\n", wrong);
    return 1;
  }
  return 0;
}
