// vgexportprobe: drives an installed printer status library as the monitor does, one export
// call per step, in a process of its own (a library that crashes or hangs takes nothing of
// the test program with it). Prints one line per step.
//
//   vgexportprobe INSTALLDIR PRINTER DRIVER PORT MODEL STEP...
//
// Steps and their lines:
//   start            "start R"                      PrMonitoringStart as the monitor calls it
//   id               "id R size=S[ R2 MODEL]"       the monitor's size query, then (size > 0)
//                                                   the fetch into one byte more; MODEL is
//                                                   the text after "MDL:" or "-"
//   channel          "channel R status=0x.. data=0x.."
//   status, status1  "status R popup=P sound=S printing=B real=N simple=M com=C"
//                    (iEnableGetStatusErr 0 or 1; an output left alone shows "-", C is the
//                    target key's "ComStatus" or "-")
//   timer            "timer R"                      PrGetTimerValue with the last status channel
//   end              "end R"
//   STEP!            the step repeated (up to 10 s) until it succeeds (result 0; for status a
//                    decoded reply), as a caller that tries again: only the last line shows
//   ctl=ARGS         runs "qvsimctl ARGS" and prints "ctl EXITCODE"
#include <cstdio>
#include <string>
#include <vector>

#include "common/process_start_win.h"
#include "common/system_library_win.h"
#include "common/target_keys_win.h"
#include "common/unique_handle.h"
#include "common/vgprn_exports.h"

namespace {

constexpr int kUnset = -99;

std::string BinFolder() {
  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  const std::string full(path);
  return full.substr(0, full.find_last_of('\\'));
}

std::string Value(int value) { return value == kUnset ? "-" : std::to_string(value); }

std::string Hex(DWORD value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%lx", static_cast<unsigned long>(value));
  return text;
}

DWORD RunControl(const std::string& arguments) {
  ProcessStart start;
  start.commandLine = "\"" + BinFolder() + "\\qvsimctl.exe\" " + arguments;
  const ProcessRun run = RunProcess(start, 30000);
  return run.finished ? run.exitCode : 0xFFFFFFFF;
}

struct Probe {
  std::string dir, printer, driver, port, model;
  PFN_PrMonitoringStart start = nullptr;
  PFN_PrMonitoringEnd end = nullptr;
  PFN_PrGetChannel getChannel = nullptr;
  PFN_PrGetDeviceID getDeviceId = nullptr;
  PFN_PrGetStatus getStatus = nullptr;
  PFN_PrGetTimerValue getTimer = nullptr;
  DWORD statusChannel = 0;
  int lastReal = kUnset;

  std::string ComStatus() const {
    char path[kTargetKeyPathSize] = {};
    HKEY root = HKEY_CURRENT_USER;
    if (FindTargetKey(printer.c_str(), port.c_str(), path, &root) != kTargetFound) return "-";
    HKEY key = nullptr;
    if (::RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return "-";
    DWORD value = 0;
    DWORD size = sizeof value;
    DWORD type = 0;
    const LONG rc = ::RegQueryValueExA(key, "ComStatus", nullptr, &type,
                                       reinterpret_cast<BYTE*>(&value), &size);
    ::RegCloseKey(key);
    return rc == ERROR_SUCCESS && type == REG_DWORD ? std::to_string(value) : "-";
  }

  // One step; *result is the export's result (for repeating steps).
  std::string Step(const std::string& step, int* result) {
    if (step == "start") {
      const std::string profile = dir + "\\" + model + ".ini";
      *result = start(nullptr, printer.c_str(), driver.c_str(), port.c_str(), model.c_str(),
                      profile.c_str(), nullptr, nullptr, 0);
      return "start " + std::to_string(*result);
    }
    if (step == "end") {
      *result = end(0, 0);
      return "end " + std::to_string(*result);
    }
    if (step == "id") {
      DWORD size = 0;
      *result = getDeviceId(nullptr, &size);
      std::string line = "id " + std::to_string(*result) + " size=" + std::to_string(size);
      if (size == 0 || size > 0x100000) return line;
      std::vector<char> buffer(size + 1, '\0');
      const int second = getDeviceId(buffer.data(), &size);
      *result = second;
      const std::string text(buffer.data());
      const size_t mdl = text.find("MDL:");
      const size_t stop = mdl == std::string::npos ? mdl : text.find(';', mdl);
      const std::string model =
          stop == std::string::npos ? "-" : text.substr(mdl + 4, stop - mdl - 4);
      return line + " " + std::to_string(second) + " " + model;
    }
    if (step == "channel") {
      DWORD data = 0;
      statusChannel = 0;
      *result = getChannel(&statusChannel, &data);
      return "channel " + std::to_string(*result) + " status=" + Hex(statusChannel) +
             " data=" + Hex(data);
    }
    if (step == "status" || step == "status1") {
      int popup = kUnset, sound = kUnset, printing = kUnset, real = kUnset, simple = kUnset;
      *result = getStatus(step == "status1" ? 1 : 0, &popup, &sound, &printing, &real, &simple);
      lastReal = real;
      return "status " + std::to_string(*result) + " popup=" + Value(popup) +
             " sound=" + Value(sound) + " printing=" + Value(printing) + " real=" + Value(real) +
             " simple=" + Value(simple) + " com=" + ComStatus();
    }
    if (step == "timer") {
      int network = 0;
      *result = getTimer(statusChannel, &network);
      return "timer " + std::to_string(*result);
    }
    if (step.compare(0, 4, "ctl=") == 0) {
      *result = static_cast<int>(RunControl(step.substr(4)));
      return "ctl " + std::to_string(*result);
    }
    *result = kUnset;
    return "unknown step " + step;
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 7) return 2;
  Probe probe;
  probe.dir = argv[1];
  probe.printer = argv[2];
  probe.driver = argv[3];
  probe.port = argv[4];
  probe.model = argv[5];
  ScopedModule library(::LoadLibraryA((probe.dir + "\\vgprn.dll").c_str()));
  HMODULE module = library.Get();
  probe.start = GetProcAs<PFN_PrMonitoringStart>(module, "PrMonitoringStart");
  probe.end = GetProcAs<PFN_PrMonitoringEnd>(module, "PrMonitoringEnd");
  probe.getChannel = GetProcAs<PFN_PrGetChannel>(module, "PrGetChannel");
  probe.getDeviceId = GetProcAs<PFN_PrGetDeviceID>(module, "PrGetDeviceID");
  probe.getStatus = GetProcAs<PFN_PrGetStatus>(module, "PrGetStatus");
  probe.getTimer = GetProcAs<PFN_PrGetTimerValue>(module, "PrGetTimerValue");
  if (!probe.start || !probe.end || !probe.getChannel || !probe.getDeviceId ||
      !probe.getStatus || !probe.getTimer) {
    return 3;
  }
  for (int i = 6; i < argc; ++i) {
    std::string step = argv[i];
    const bool repeat = !step.empty() && step.back() == '!';
    if (repeat) step.pop_back();
    const bool isStatus = step.compare(0, 6, "status") == 0;
    std::string line;
    int result = kUnset;
    const DWORD begin = ::GetTickCount();
    for (;;) {
      line = probe.Step(step, &result);
      const bool done = isStatus ? probe.lastReal > 0 : result == 0;
      if (!repeat || done || ::GetTickCount() - begin > 10000) break;
      ::Sleep(50);
    }
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
  }
  return 0;
}
