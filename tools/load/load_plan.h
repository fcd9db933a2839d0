#pragma once
// The plan of a load run: many printers of one model, each with its own simulated printer
// that goes through printing, errors and recovery on a schedule of its own (a qvsimctl
// scenario), a monitor per printer started at once for a print job, status windows that stand
// open together (pop-ups raised by errors, and windows a user opens), and second print jobs
// for some printers. It also says by when each monitor must have ended. Portable: the run,
// the bench program and the host tests share it.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vgload {

struct LoadConfig {
  int printers = 8;
  // Status windows that stand open at the same time during the common window.
  int windows = 4;
  // The model's poll interval ("LocalMonitoringTimer") and quit time-out ("TIMEOUT").
  int pollSeconds = 2;
  int quitSeconds = 2;
  // Time the started programs are given to come up before the first error.
  int settleMs = 4000;
  // What a monitor or pop-up program may take beyond its nominal end under the load.
  int allowanceMs = 5000;
  uint32_t seed = 1;
};

// The model's first delay of a monitor ("MonitorInitTime"), in the run's profile.
constexpr int kMonitorInitMs = 100;

// False, with the reason, for a configuration the plan cannot serve.
bool ValidateConfig(const LoadConfig& config, std::string* error);

// What a simulated printer does.
enum class PrinterState {
  kPrinting,   // "@BDC ST\r\nST:03;\f"
  kReady,      // "@BDC ST\r\nST:04;\f"
  kPaperOut,   // "@BDC ST\r\nST:00;ER:06;\f"
  kCoverOpen,  // "@BDC ST\r\nST:00;ER:04;\f"
  kLineDown,   // every status read fails with -5 (the monitor reports a communication error)
};

// The reply's bytes; kLineDown has none.
std::string ReplyBytes(PrinterState state);
// The word that names the state in a narration line.
std::string_view StateWord(PrinterState state);
// True for the states whose status asks for the pop-up in the run's model.
bool NeedsUser(PrinterState state);

struct StateChange {
  int atMs = 0;  // after the printer's scenario began
  PrinterState state = PrinterState::kPrinting;
};

enum class Role {
  kPopup,      // in error through the common window: its pop-up stands open then
  kDetail,     // prints on; a user opens its status window through the common window
  kLateError,  // one error after the common window
  kClean,      // prints, then is ready
  kIdle,       // ready from the start: its monitor ends by the quit timer
};

struct PrinterPlan {
  int index = 0;
  Role role = Role::kClean;
  std::vector<StateChange> changes;  // the first at 0, in time order
  // A user's status window (kDetail): opened and closed then, after the scenario began.
  int detailOpenMs = -1;
  int detailCloseMs = -1;
  // A second print job's monitor starts then; -1: none.
  int secondJobMs = -1;
};

struct LoadPlan {
  LoadConfig config;
  std::vector<PrinterPlan> printers;
  // Every pop-up printer is in error and every user's window is open between these times.
  int windowsFromMs = 0;
  int windowsToMs = 0;
  int popups = 0;
  int details = 0;
};

// The plan of a valid configuration; the same configuration always gives the same plan.
LoadPlan MakePlan(const LoadConfig& config);

PrinterState FinalState(const PrinterPlan& printer);
int LastChangeMs(const PrinterPlan& printer);

// The qvsimctl scenario of the printer: it sets the simulated printer up (device ID, channels,
// the first state) and says "vgload INDEX set", waits for the named event gateEvent (so that
// every printer's clock starts at once), says "vgload INDEX start" and plays the changes,
// each narrated as "vgload INDEX WORD" (the state's word) the moment it happens.
std::string ScenarioText(const PrinterPlan& printer, const std::string& printerName,
                         const std::string& gateEvent);

struct Narration {
  int index = -1;
  std::string word;
};
// Reads a narration line of ScenarioText (a trailing CR is allowed); false for any other line.
bool ParseNarration(std::string_view line, Narration* narration);

// When a monitor must have ended. A monitor whose job has printed ends at the first poll that
// sees the printer ready: that deadline counts from the scenario's start. An idle printer's
// monitor ends on the third firing of the quit timer, which starts at its first poll: that
// deadline counts from the monitor's first poll (how long a monitor takes to start is a figure
// of the run, not a deadline). A second job's monitor counts from its own start.
struct Deadline {
  enum class From { kScenarioStart, kFirstPoll, kMonitorStart };
  From from = From::kScenarioStart;
  int nominalMs = 0;  // the end without any delay of the load
  int latestMs = 0;   // nominal plus the allowance
};
Deadline MonitorDeadline(const PrinterPlan& printer, const LoadConfig& config);

// A second job's monitor hands its job over and ends at once; from its own start.
Deadline SecondJobDeadline(const LoadConfig& config);

// A pop-up program ends within a second (its watch) of the later of its monitor's end and its
// window's closing; this is the latest, counted from that moment.
int PopupProgramGraceMs(const LoadConfig& config);

}  // namespace vgload
