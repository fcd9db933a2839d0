#pragma once
// What a load run saw, and what it means: the outcome of every monitor and pop-up program,
// the status windows seen, each printer's target key beside the simulated printer's last
// reply, what the window tables, the process list and the debug logs hold at the end, and the
// run's figures. Examine turns it into the faults found; FormatReport into the text the bench
// prints. Portable: times are milliseconds on the run's own clock (from its start).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tools/load/load_plan.h"

namespace vgload {

struct MonitorOutcome {
  int printer = -1;
  bool secondJob = false;
  uint32_t processId = 0;
  long startMs = -1;
  long firstPollMs = -1;  // its first status read seen in the simulated printer's call log
  long endMs = -1;        // -1: it had not ended when the run gave up on it
  uint32_t exitCode = 0;
  bool killed = false;  // ended by the run after its deadline had long passed
  long nominalMs = 0;    // when it would end without any delay of the load
  long deadlineMs = -1;  // the latest it may end; -1 while it is not known yet
};

struct PopupOutcome {
  uint32_t processId = 0;
  int printer = -1;        // the printer it served; -1 when the run never saw which
  bool userStart = false;  // started by the run for a user's window (/VIEW)
  long firstSeenMs = -1;
  long endMs = -1;
  uint32_t exitCode = 0;
  bool killed = false;
  long deadlineMs = -1;  // -1: none could be set (the run then counts it at its end)
};

struct WindowsSeen {
  int printer = -1;
  int windows = 0;  // distinct status windows registered for the printer during the run
  long firstMs = -1;
  long lastMs = -1;
};

struct KeyOutcome {
  int printer = -1;
  int keys = 0;  // target keys whose "Name" is the printer
  bool hasStatus = false;
  std::string status;  // "Status"
  bool hasChannel = false;
  uint32_t channel = 0;
  bool hasComStatus = false;
  uint32_t comStatus = 0;
  std::string expectedReply;  // the reply of the printer's last state
  bool simulatorRead = false;
  std::string simulatorReply;  // the last reply the simulated printer handed out
  uint32_t simulatorReader = 0;
  uint32_t monitorId = 0;  // the printer's first monitor
  // Settings that differ from the model's defaults, as "NAME: stored, expected".
  std::vector<std::string> wrongSettings;
  bool popupPlaceExpected = false;  // a pop-up stood open: it stored its place
  bool popupPlaceStored = false;
};

struct Figures {
  double wallSeconds = 0;
  double installSeconds = 0;
  double runSeconds = 0;  // from the monitors' start to the last program's end
  double removeSeconds = 0;
  double monitorStartSeconds = 0;  // from the first monitor's start to the last one's
  double firstPollsSeconds = 0;    // from the first monitor's start to the last first poll
  int programsStarted = 0;  // monitors, pop-up programs and scenario players seen
  int processesMeasured = 0;  // of those, the ones whose Linux side was read
  int peakWindows = 0;
  double peakWindowsAtSeconds = 0;
  uint64_t peakPrivateKb = 0;  // all the run's programs at one moment
  double peakPrivateAtSeconds = 0;
  int processesAtPeak = 0;
  uint64_t wineserverPeakKb = 0;
  double cpuSeconds = 0;  // all the run's programs together
  double wineserverCpuSeconds = 0;
  double peakCpuCores = 0;  // the busiest second, programs and Wine server
  double meanCpuCores = 0;
  int samples = 0;
};

struct LoadReport {
  bool setUp = false;  // the printers were installed and every scenario started
  std::string setUpFailure;
  std::vector<MonitorOutcome> monitors;
  std::vector<PopupOutcome> popups;
  std::vector<WindowsSeen> windows;  // one per printer
  std::vector<KeyOutcome> keys;      // one per printer
  std::vector<long> scenarioStartMs;  // one per printer: when its scenario's clock started
  std::vector<std::string> leftoverRecords;
  std::vector<std::string> leftoverProcesses;
  std::vector<std::string> exceptionLines;
  std::vector<std::string> runProblems;  // scenario players' complaints, clean-up failures
  Figures figures;
};

// The faults a report shows, one line each, by check; all empty for a sound run.
struct Findings {
  std::vector<std::string> monitors;
  std::vector<std::string> popups;
  std::vector<std::string> windows;
  std::vector<std::string> keys;
  std::vector<std::string> tables;
  std::vector<std::string> processes;
  std::vector<std::string> logs;
  std::vector<std::string> run;
  bool Clean() const;
};

Findings Examine(const LoadPlan& plan, const LoadReport& report);

// The simulated printer's last status reply handed out, from its call log (qvsimctl calls):
// the last QVGetStatus that returned a reply, and the process that read it.
struct SimulatorRead {
  bool found = false;
  uint32_t processId = 0;
  std::string reply;
};
SimulatorRead LastStatusReply(std::string_view callLog);

// How long the pop-up printers' first errors took to bring up a status window: from the error
// to the first look that found the printer's window registered, in milliseconds, in printer
// order; printers whose window never came are left out.
std::vector<long> PopupDelays(const LoadPlan& plan, const LoadReport& report);

// A reply as a line shows it (escapes for control bytes).
std::string Printable(std::string_view bytes);

// The text the bench prints: the figures, each monitor's end against its deadline, the
// findings.
std::string FormatReport(const LoadPlan& plan, const LoadReport& report);

}  // namespace vgload
