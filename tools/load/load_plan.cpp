#include "tools/load/load_plan.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace vgload {

namespace {

// The same numbers from the same seed on every compiler (the standard distributions are not
// portable): a 32-bit xorshift.
class Dice {
 public:
  explicit Dice(uint32_t seed) : state_(seed != 0 ? seed : 0x9E3779B9u) {}
  // A number from 0 to bound - 1 (0 for a bound below 1).
  int Below(int bound) {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return bound > 0 ? static_cast<int>(state_ % static_cast<uint32_t>(bound)) : 0;
  }

 private:
  uint32_t state_;
};

// The reply of a state as a scenario writes it (qvsimctl escapes).
const char* EscapedReply(PrinterState state) {
  switch (state) {
    case PrinterState::kPrinting:
      return "@BDC ST\\r\\nST:03;\\f";
    case PrinterState::kReady:
      return "@BDC ST\\r\\nST:04;\\f";
    case PrinterState::kPaperOut:
      return "@BDC ST\\r\\nST:00;ER:06;\\f";
    case PrinterState::kCoverOpen:
      return "@BDC ST\\r\\nST:00;ER:04;\\f";
    case PrinterState::kLineDown:
      break;
  }
  return "";
}

// The errors a user is asked to mend, in turn.
PrinterState ErrorOf(int turn) {
  static const PrinterState kErrors[] = {PrinterState::kPaperOut, PrinterState::kLineDown,
                                         PrinterState::kCoverOpen};
  return kErrors[turn % 3];
}

std::string Seconds(int ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%d.%03d", ms / 1000, ms % 1000);
  return text;
}

std::string TwoDigits(int index) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d", index);
  return text;
}

// The state the printer is in at a moment after its scenario began.
PrinterState StateAt(const PrinterPlan& printer, int ms) {
  PrinterState state = PrinterState::kReady;
  for (const StateChange& change : printer.changes) {
    if (change.atMs <= ms) state = change.state;
  }
  return state;
}

}  // namespace

bool ValidateConfig(const LoadConfig& config, std::string* error) {
  const auto fail = [error](const char* reason) {
    if (error != nullptr) *error = reason;
    return false;
  };
  if (config.windows < 2) return fail("at least two windows: a pop-up and a user's window");
  if (config.printers < config.windows + 1 || config.printers > 99) {
    return fail("printers: more than the windows (one printer stays idle), at most 99");
  }
  // The monitor takes intervals of 2 to 300 seconds; a quit time-out of 0 never ends an
  // idle monitor.
  if (config.pollSeconds < 2 || config.pollSeconds > 300) return fail("poll: 2 to 300 seconds");
  if (config.quitSeconds < 1 || config.quitSeconds > 300) return fail("quit: 1 to 300 seconds");
  if (config.settleMs < 0 || config.allowanceMs < 0) return fail("negative times");
  return true;
}

std::string ReplyBytes(PrinterState state) {
  switch (state) {
    case PrinterState::kPrinting:
      return "@BDC ST\r\nST:03;\f";
    case PrinterState::kReady:
      return "@BDC ST\r\nST:04;\f";
    case PrinterState::kPaperOut:
      return "@BDC ST\r\nST:00;ER:06;\f";
    case PrinterState::kCoverOpen:
      return "@BDC ST\r\nST:00;ER:04;\f";
    case PrinterState::kLineDown:
      break;
  }
  return std::string();
}

std::string_view StateWord(PrinterState state) {
  switch (state) {
    case PrinterState::kPrinting:
      return "printing";
    case PrinterState::kReady:
      return "ready";
    case PrinterState::kPaperOut:
      return "paper-out";
    case PrinterState::kCoverOpen:
      return "cover-open";
    case PrinterState::kLineDown:
      return "line-down";
  }
  return "?";
}

bool NeedsUser(PrinterState state) {
  return state == PrinterState::kPaperOut || state == PrinterState::kCoverOpen ||
         state == PrinterState::kLineDown;
}

LoadPlan MakePlan(const LoadConfig& config) {
  LoadPlan plan;
  plan.config = config;
  Dice dice(config.seed);
  const int poll = config.pollSeconds * 1000;
  const int settle = config.settleMs;

  plan.details = std::max(1, config.windows / 5);
  plan.popups = config.windows - plan.details;
  const int rest = config.printers - config.windows;
  const int idle = std::max(1, rest / 5);
  const int late = (rest - idle) / 2;
  std::vector<Role> roles;
  roles.insert(roles.end(), static_cast<size_t>(plan.popups), Role::kPopup);
  roles.insert(roles.end(), static_cast<size_t>(plan.details), Role::kDetail);
  roles.insert(roles.end(), static_cast<size_t>(late), Role::kLateError);
  roles.insert(roles.end(), static_cast<size_t>(rest - idle - late), Role::kClean);
  roles.insert(roles.end(), static_cast<size_t>(idle), Role::kIdle);
  for (size_t i = roles.size(); i > 1; --i) {
    std::swap(roles[i - 1], roles[static_cast<size_t>(dice.Below(static_cast<int>(i)))]);
  }

  // The pop-ups come at the first poll after their errors; the common window leaves them
  // two polls and a little more to stand.
  plan.windowsFromMs = settle + 2 * poll + 2000;
  plan.windowsToMs = plan.windowsFromMs + std::max(3 * poll, 6000);

  int errorTurn = 0;
  int busyTurn = 0;
  for (int index = 0; index < config.printers; ++index) {
    PrinterPlan printer;
    printer.index = index;
    printer.role = roles[static_cast<size_t>(index)];
    std::vector<StateChange>& changes = printer.changes;
    switch (printer.role) {
      case Role::kPopup: {
        changes.push_back({0, PrinterState::kPrinting});
        changes.push_back({settle + dice.Below(poll), ErrorOf(errorTurn++)});
        const int back = plan.windowsToMs + dice.Below(poll);
        changes.push_back({back, PrinterState::kPrinting});
        changes.push_back({back + 2 * poll + dice.Below(poll), PrinterState::kReady});
        break;
      }
      case Role::kDetail:
        changes.push_back({0, PrinterState::kPrinting});
        changes.push_back({plan.windowsToMs + 2 * poll + dice.Below(poll), PrinterState::kReady});
        printer.detailOpenMs = settle;
        printer.detailCloseMs = plan.windowsToMs;
        break;
      case Role::kLateError: {
        changes.push_back({0, PrinterState::kPrinting});
        const int error = plan.windowsToMs + poll + dice.Below(poll);
        changes.push_back({error, ErrorOf(errorTurn++)});
        const int back = error + 2 * poll + dice.Below(poll);
        changes.push_back({back, PrinterState::kPrinting});
        changes.push_back({back + 2 * poll + dice.Below(poll), PrinterState::kReady});
        break;
      }
      case Role::kClean:
        changes.push_back({0, PrinterState::kPrinting});
        changes.push_back({plan.windowsFromMs +
                               dice.Below(plan.windowsToMs - plan.windowsFromMs + 2 * poll),
                           PrinterState::kReady});
        break;
      case Role::kIdle:
        changes.push_back({0, PrinterState::kReady});
        break;
    }
    // Every third printer that is still busy after the common window gets a second job in it.
    // A second job restarts the monitor's quit timer and makes it forget the printing it saw;
    // when the printer then falls ready, or cannot be reached (which counts as ready for the
    // end), the monitor ends by the quit timer after its grace instead of at the job's end.
    // So no second job comes to a printer that is about to be ready or is out of reach.
    const bool busy = printer.role == Role::kPopup || printer.role == Role::kDetail ||
                      printer.role == Role::kLateError;
    if (busy && StateAt(printer, plan.windowsFromMs) != PrinterState::kLineDown &&
        busyTurn++ % 3 == 1) {
      printer.secondJobMs = plan.windowsFromMs;
    }
    plan.printers.push_back(std::move(printer));
  }
  return plan;
}

PrinterState FinalState(const PrinterPlan& printer) {
  return printer.changes.empty() ? PrinterState::kReady : printer.changes.back().state;
}

int LastChangeMs(const PrinterPlan& printer) {
  return printer.changes.empty() ? 0 : printer.changes.back().atMs;
}

std::string ScenarioText(const PrinterPlan& printer, const std::string& printerName,
                         const std::string& gateEvent) {
  const std::string name = "\"" + printerName + "\"";
  const std::string narration = "say vgload " + TwoDigits(printer.index) + " ";
  std::string text = "# The simulated printer of load printer " + TwoDigits(printer.index) + "\n";
  text += "reset " + name + "\n";
  text += "deviceid " + name + " \"MFG:KORVA;MDL:VP-100;CMD:ESCP;\"\n";
  text += "channels " + name + " 0x10000005:4,0x10010003:0\n";
  PrinterState current = PrinterState::kReady;
  bool started = false;
  for (const StateChange& change : printer.changes) {
    // The state at 0 stands while the monitors start; the clock starts at the gate.
    if (!started && change.atMs > 0) {
      text += narration + "set\nwait \"" + gateEvent + "\"\n" + narration + "start\n";
      started = true;
    }
    const std::string at = change.atMs > 0 ? "at " + Seconds(change.atMs) + " " : "";
    if (current == PrinterState::kLineDown && change.state != PrinterState::kLineDown) {
      text += at + "fail " + name + " QVGetStatus -5 0\n";
    }
    if (change.state == PrinterState::kLineDown) {
      text += at + "fail " + name + " QVGetStatus -5\n";
    } else {
      text += at + "reply " + name + " \"" + EscapedReply(change.state) + "\"\n";
    }
    text += at + narration + std::string(StateWord(change.state)) + "\n";
    current = change.state;
  }
  if (!started) text += narration + "set\nwait \"" + gateEvent + "\"\n" + narration + "start\n";
  return text;
}

bool ParseNarration(std::string_view line, Narration* narration) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  constexpr std::string_view kLead = "vgload ";
  if (line.substr(0, kLead.size()) != kLead) return false;
  line.remove_prefix(kLead.size());
  const size_t blank = line.find(' ');
  if (blank == 0 || blank == std::string_view::npos || blank > 2) return false;
  int index = 0;
  for (size_t i = 0; i < blank; ++i) {
    if (line[i] < '0' || line[i] > '9') return false;
    index = index * 10 + (line[i] - '0');
  }
  const std::string_view word = line.substr(blank + 1);
  if (word.empty() || word.find(' ') != std::string_view::npos) return false;
  if (narration != nullptr) {
    narration->index = index;
    narration->word = std::string(word);
  }
  return true;
}

Deadline MonitorDeadline(const PrinterPlan& printer, const LoadConfig& config) {
  Deadline deadline;
  const int poll = config.pollSeconds * 1000;
  if (printer.role == Role::kIdle) {
    // The quit timer starts at the first poll and ends monitoring at its third firing, seen
    // by the worker after its sleep.
    deadline.from = Deadline::From::kFirstPoll;
    deadline.nominalMs = 3 * config.quitSeconds * 1000 + poll;
  } else {
    // The first poll after the printer is ready ends monitoring: the job has printed.
    deadline.nominalMs = LastChangeMs(printer) + poll;
  }
  deadline.latestMs = deadline.nominalMs + config.allowanceMs;
  return deadline;
}

Deadline SecondJobDeadline(const LoadConfig& config) {
  Deadline deadline;
  deadline.from = Deadline::From::kMonitorStart;
  // Only a monitor whose window is not published yet waits (one second) before it decides.
  deadline.nominalMs = 1000;
  deadline.latestMs = deadline.nominalMs + config.allowanceMs;
  return deadline;
}

int PopupProgramGraceMs(const LoadConfig& config) { return 1000 + config.allowanceMs; }

}  // namespace vgload
