#include "tools/load/load_report.h"

#include <algorithm>
#include <cstdio>

#include "tools/qvsim/qvsim_text.h"

namespace vgload {

namespace {

std::string Printer(int index) {
  char text[32];
  std::snprintf(text, sizeof text, "printer %02d", index);
  return text;
}

std::string Secs(long ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f s", static_cast<double>(ms) / 1000.0);
  return text;
}

std::string Hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
  return text;
}

const char* RoleName(Role role) {
  switch (role) {
    case Role::kPopup:
      return "pop-up";
    case Role::kDetail:
      return "user's window";
    case Role::kLateError:
      return "late error";
    case Role::kClean:
      return "prints";
    case Role::kIdle:
      return "idle";
  }
  return "?";
}

// Whether the plan has the printer raise a status window.
bool ShowsWindow(const PrinterPlan& printer) {
  if (printer.detailOpenMs >= 0) return true;
  return std::any_of(printer.changes.begin(), printer.changes.end(),
                     [](const StateChange& change) { return NeedsUser(change.state); });
}

std::string EndOf(long endMs, bool killed) {
  if (killed) return "ended by the run";
  return endMs < 0 ? "still running" : Secs(endMs);
}

void ExamineMonitors(const LoadPlan& plan, const LoadReport& report, Findings* findings) {
  std::vector<int> firsts(plan.printers.size(), 0);
  for (const MonitorOutcome& monitor : report.monitors) {
    const std::string who = Printer(monitor.printer) + "'s " +
                            (monitor.secondJob ? "second-job monitor" : "monitor") + " (process " +
                            std::to_string(monitor.processId) + ")";
    if (!monitor.secondJob && monitor.printer >= 0 &&
        static_cast<size_t>(monitor.printer) < firsts.size()) {
      ++firsts[static_cast<size_t>(monitor.printer)];
    }
    if (monitor.killed || monitor.endMs < 0) {
      findings->monitors.push_back(who + " did not end by itself (" +
                                   EndOf(monitor.endMs, monitor.killed) + ", deadline " +
                                   Secs(monitor.deadlineMs) + ")");
      continue;
    }
    if (monitor.exitCode != 0) {
      findings->monitors.push_back(who + " ended with exit code " + Hex(monitor.exitCode));
    }
    if (monitor.endMs > monitor.deadlineMs) {
      findings->monitors.push_back(who + " ended at " + Secs(monitor.endMs) + ", " +
                                   Secs(monitor.endMs - monitor.deadlineMs) +
                                   " after its deadline (it was due by " +
                                   Secs(monitor.nominalMs) + ")");
    }
  }
  for (size_t i = 0; i < firsts.size(); ++i) {
    if (firsts[i] != 1) {
      findings->monitors.push_back(Printer(static_cast<int>(i)) + " had " +
                                   std::to_string(firsts[i]) + " monitors for its first job");
    }
  }
}

void ExaminePopups(const LoadReport& report, Findings* findings) {
  for (const PopupOutcome& popup : report.popups) {
    const std::string who = std::string(popup.userStart ? "the user's pop-up program"
                                                        : "the pop-up program") +
                            " (process " + std::to_string(popup.processId) + ") of " +
                            (popup.printer >= 0 ? Printer(popup.printer) : "an unknown printer");
    if (popup.killed || popup.endMs < 0) {
      findings->popups.push_back(who + " did not end by itself (" +
                                 EndOf(popup.endMs, popup.killed) + ")");
      continue;
    }
    if (popup.exitCode != 0) {
      findings->popups.push_back(who + " ended with exit code " + Hex(popup.exitCode));
    }
    if (popup.deadlineMs >= 0 && popup.endMs > popup.deadlineMs) {
      findings->popups.push_back(who + " ended at " + Secs(popup.endMs) + ", " +
                                 Secs(popup.endMs - popup.deadlineMs) + " after its deadline");
    }
  }
}

void ExamineWindows(const LoadPlan& plan, const LoadReport& report, Findings* findings) {
  if (report.figures.peakWindows < plan.config.windows) {
    findings->windows.push_back("at most " + std::to_string(report.figures.peakWindows) +
                                " status windows stood open at once; " +
                                std::to_string(plan.config.windows) + " were due");
  }
  for (const PrinterPlan& printer : plan.printers) {
    if (!ShowsWindow(printer)) continue;
    const auto seen = std::find_if(
        report.windows.begin(), report.windows.end(),
        [&printer](const WindowsSeen& windows) { return windows.printer == printer.index; });
    if (seen == report.windows.end() || seen->windows == 0) {
      findings->windows.push_back(Printer(printer.index) + " (" + RoleName(printer.role) +
                                  ") never had a status window registered");
    }
  }
}

void ExamineKeys(const LoadPlan& plan, const LoadReport& report, Findings* findings) {
  for (const PrinterPlan& printer : plan.printers) {
    const auto key =
        std::find_if(report.keys.begin(), report.keys.end(),
                     [&printer](const KeyOutcome& k) { return k.printer == printer.index; });
    const std::string who = Printer(printer.index);
    if (key == report.keys.end()) {
      findings->keys.push_back(who + ": its target key was not read");
      continue;
    }
    if (key->keys != 1) {
      findings->keys.push_back(who + " has " + std::to_string(key->keys) + " target keys");
      if (key->keys == 0) continue;
    }
    if (!key->hasStatus || key->status != key->expectedReply) {
      findings->keys.push_back(who + ": \"Status\" holds " +
                               (key->hasStatus ? "\"" + Printable(key->status) + "\"" : "nothing") +
                               ", its last status was \"" + Printable(key->expectedReply) + "\"");
    }
    if (!key->simulatorRead || key->simulatorReply != key->expectedReply) {
      findings->keys.push_back(who + ": the simulated printer's last reply was " +
                               (key->simulatorRead ? "\"" + Printable(key->simulatorReply) + "\""
                                                   : "not found") +
                               ", not \"" + Printable(key->expectedReply) + "\"");
    } else if (key->simulatorReader != key->monitorId) {
      findings->keys.push_back(who + ": its last reply was read by process " +
                               std::to_string(key->simulatorReader) + ", not by its monitor " +
                               std::to_string(key->monitorId));
    }
    if (!key->hasChannel || key->channel != 0x10000005u) {
      findings->keys.push_back(who + ": \"Channel\" holds " +
                               (key->hasChannel ? Hex(key->channel) : std::string("nothing")) +
                               ", the status channel is 0x10000005");
    }
    // The monitor's last query stored a fresh reply, and no window took it after.
    if (!key->hasComStatus || key->comStatus != 1) {
      findings->keys.push_back(who + ": \"ComStatus\" holds " +
                               (key->hasComStatus ? std::to_string(key->comStatus)
                                                  : std::string("nothing")) +
                               ", the monitor's last query wrote 1");
    }
    for (const std::string& wrong : key->wrongSettings) {
      findings->keys.push_back(who + ": setting " + wrong);
    }
    if (key->popupPlaceExpected && !key->popupPlaceStored) {
      findings->keys.push_back(who + ": its pop-up did not store its place");
    }
  }
}

void Append(std::vector<std::string>* to, const std::vector<std::string>& lines) {
  to->insert(to->end(), lines.begin(), lines.end());
}

}  // namespace

bool Findings::Clean() const {
  return monitors.empty() && popups.empty() && windows.empty() && keys.empty() &&
         tables.empty() && processes.empty() && logs.empty() && run.empty();
}

Findings Examine(const LoadPlan& plan, const LoadReport& report) {
  Findings findings;
  if (!report.setUp) {
    findings.run.push_back("the run could not be set up: " + report.setUpFailure);
  }
  Append(&findings.run, report.runProblems);
  ExamineMonitors(plan, report, &findings);
  ExaminePopups(report, &findings);
  ExamineWindows(plan, report, &findings);
  ExamineKeys(plan, report, &findings);
  for (const std::string& record : report.leftoverRecords) {
    findings.tables.push_back("left in a window table: " + record);
  }
  for (const std::string& process : report.leftoverProcesses) {
    findings.processes.push_back("left running: " + process);
  }
  for (const std::string& line : report.exceptionLines) {
    findings.logs.push_back("logged: " + line);
  }
  return findings;
}

SimulatorRead LastStatusReply(std::string_view callLog) {
  SimulatorRead last;
  size_t at = 0;
  while (at < callLog.size()) {
    size_t end = callLog.find('\n', at);
    if (end == std::string_view::npos) end = callLog.size();
    std::string_view line = callLog.substr(at, end - at);
    at = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    // "SEQ pid=PID QVGetStatus(handle=H, buffer=yes, size=N) = LENGTH; KIND reply "TEXT""
    const size_t pid = line.find(" pid=");
    const size_t call = line.find(" QVGetStatus(");
    const size_t reply = line.find(" reply \"");
    if (pid == std::string_view::npos || call == std::string_view::npos ||
        reply == std::string_view::npos || line.back() != '"' ||
        line.find("buffer=yes") == std::string_view::npos) {
      continue;
    }
    uint32_t processId = 0;
    if (!qvsim::ParseUInt32(line.substr(pid + 5, call - pid - 5), &processId)) continue;
    const size_t from = reply + 8;
    if (from > line.size() - 1) continue;
    std::string bytes;
    std::string error;
    if (!qvsim::DecodeEscapes(line.substr(from, line.size() - 1 - from), &bytes, &error)) {
      continue;
    }
    last.found = true;
    last.processId = processId;
    last.reply = bytes;
  }
  return last;
}

std::vector<long> PopupDelays(const LoadPlan& plan, const LoadReport& report) {
  std::vector<long> delays;
  for (const PrinterPlan& printer : plan.printers) {
    if (printer.role != Role::kPopup) continue;
    const size_t index = static_cast<size_t>(printer.index);
    if (index >= report.scenarioStartMs.size()) continue;
    const auto error = std::find_if(printer.changes.begin(), printer.changes.end(),
                                    [](const StateChange& c) { return NeedsUser(c.state); });
    const auto seen =
        std::find_if(report.windows.begin(), report.windows.end(),
                     [&printer](const WindowsSeen& w) { return w.printer == printer.index; });
    if (error == printer.changes.end() || seen == report.windows.end() || seen->firstMs < 0) {
      continue;
    }
    delays.push_back(seen->firstMs - (report.scenarioStartMs[index] + error->atMs));
  }
  return delays;
}

std::string Printable(std::string_view bytes) { return qvsim::EncodeEscapes(bytes, 200); }

std::string FormatReport(const LoadPlan& plan, const LoadReport& report) {
  const Figures& f = report.figures;
  std::string text;
  char line[512];
  const auto add = [&text, &line]() { text += line; };
  std::snprintf(line, sizeof line,
                "%d printers, %d status windows due at once, polls every %d s, quit time-out "
                "%d s\n",
                plan.config.printers, plan.config.windows, plan.config.pollSeconds,
                plan.config.quitSeconds);
  add();
  std::snprintf(line, sizeof line,
                "wall time %.1f s: installing %.1f s, the run %.1f s, removing %.1f s\n",
                f.wallSeconds, f.installSeconds, f.runSeconds, f.removeSeconds);
  add();
  std::snprintf(line, sizeof line,
                "%zu monitors started within %.1f s; each had polled its printer once %.1f s "
                "after the first start\n",
                plan.printers.size(), f.monitorStartSeconds, f.firstPollsSeconds);
  add();
  std::vector<long> delays = PopupDelays(plan, report);
  if (!delays.empty()) {
    std::sort(delays.begin(), delays.end());
    std::snprintf(line, sizeof line,
                  "pop-ups: printer error to status window registered: median %.1f s, at most "
                  "%.1f s (%zu windows; one poll is %d s)\n",
                  delays[delays.size() / 2] / 1000.0, delays.back() / 1000.0, delays.size(),
                  plan.config.pollSeconds);
    add();
  }
  std::snprintf(line, sizeof line, "status windows open at once: at most %d (at %.1f s)\n",
                f.peakWindows, f.peakWindowsAtSeconds);
  add();
  std::snprintf(line, sizeof line,
                "programs: %d started, %d measured; peak private memory %.1f MiB (at %.1f s, %d "
                "processes), Wine server %.1f MiB\n",
                f.programsStarted, f.processesMeasured, static_cast<double>(f.peakPrivateKb) / 1024.0,
                f.peakPrivateAtSeconds, f.processesAtPeak,
                static_cast<double>(f.wineserverPeakKb) / 1024.0);
  add();
  std::snprintf(line, sizeof line,
                "CPU: programs %.1f s, Wine server %.1f s; busiest second %.2f cores, mean %.2f "
                "cores (%d samples)\n",
                f.cpuSeconds, f.wineserverCpuSeconds, f.peakCpuCores, f.meanCpuCores, f.samples);
  add();

  long worstLate = 0;
  long leastRoom = -1;
  text += "monitors (times from the run's start): printer, role, start, end, due by, deadline\n";
  for (const MonitorOutcome& monitor : report.monitors) {
    const PrinterPlan* printer =
        monitor.printer >= 0 && static_cast<size_t>(monitor.printer) < plan.printers.size()
            ? &plan.printers[static_cast<size_t>(monitor.printer)]
            : nullptr;
    char end[32] = "-";
    if (monitor.endMs >= 0) {
      std::snprintf(end, sizeof end, "%.1f", static_cast<double>(monitor.endMs) / 1000.0);
    }
    std::snprintf(line, sizeof line, "  %02d %-14s %7.1f %7s %7.1f %7.1f\n", monitor.printer,
                  monitor.secondJob ? "second job" : printer ? RoleName(printer->role) : "?",
                  static_cast<double>(monitor.startMs) / 1000.0, end,
                  static_cast<double>(monitor.nominalMs) / 1000.0,
                  static_cast<double>(monitor.deadlineMs) / 1000.0);
    add();
    if (monitor.endMs >= 0) {
      worstLate = std::max(worstLate, monitor.endMs - monitor.nominalMs);
      const long room = monitor.deadlineMs - monitor.endMs;
      leastRoom = leastRoom < 0 ? room : std::min(leastRoom, room);
    }
  }
  std::snprintf(line, sizeof line,
                "monitors: %zu; the latest ended %.1f s after it was due, the nearest %.1f s "
                "before its deadline\n",
                report.monitors.size(), static_cast<double>(worstLate) / 1000.0,
                static_cast<double>(leastRoom) / 1000.0);
  add();
  std::snprintf(line, sizeof line,
                "pop-up programs: %zu; window-table records left: %zu; processes left: %zu; "
                "exception lines: %zu\n",
                report.popups.size(), report.leftoverRecords.size(),
                report.leftoverProcesses.size(), report.exceptionLines.size());
  add();

  const Findings findings = Examine(plan, report);
  if (findings.Clean()) {
    text += "no fault found\n";
  } else {
    for (const auto* group :
         {&findings.run, &findings.monitors, &findings.popups, &findings.windows, &findings.keys,
          &findings.tables, &findings.processes, &findings.logs}) {
      for (const std::string& fault : *group) text += "FAULT: " + fault + "\n";
    }
  }
  return text;
}

}  // namespace vgload
