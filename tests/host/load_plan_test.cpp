// The plan of a load run: which printers do what and when, the scenario each printer's player
// plays (read back with qvsimctl's own parser and played in time), its narration, and by when
// each monitor must have ended.
#include "tools/load/load_plan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tools/qvsim/qvsim_text.h"

namespace {

using vgload::Deadline;
using vgload::LoadConfig;
using vgload::LoadPlan;
using vgload::PrinterPlan;
using vgload::PrinterState;
using vgload::Role;

LoadConfig Config(int printers, int windows, uint32_t seed = 1) {
  LoadConfig config;
  config.printers = printers;
  config.windows = windows;
  config.seed = seed;
  return config;
}

// The state the plan gives the printer at a moment after its scenario began.
PrinterState StateAt(const PrinterPlan& printer, int ms) {
  PrinterState state = PrinterState::kReady;
  for (const auto& change : printer.changes) {
    if (change.atMs <= ms) state = change.state;
  }
  return state;
}

int Count(const LoadPlan& plan, Role role) {
  return static_cast<int>(std::count_if(plan.printers.begin(), plan.printers.end(),
                                        [role](const PrinterPlan& p) { return p.role == role; }));
}

TEST(LoadConfig, OnlyWhatThePlanCanServe) {
  std::string error;
  EXPECT_TRUE(vgload::ValidateConfig(Config(8, 4), &error)) << error;
  EXPECT_TRUE(vgload::ValidateConfig(Config(50, 20), &error)) << error;
  EXPECT_TRUE(vgload::ValidateConfig(Config(99, 2), &error)) << error;
  LoadConfig bad[] = {Config(8, 1), Config(4, 4), Config(100, 20), Config(3, 2)};
  bad[3].pollSeconds = 1;
  for (const LoadConfig& config : bad) {
    error.clear();
    EXPECT_FALSE(vgload::ValidateConfig(config, &error));
    EXPECT_FALSE(error.empty());
  }
  LoadConfig config = Config(8, 4);
  config.pollSeconds = 301;
  EXPECT_FALSE(vgload::ValidateConfig(config, &error)) << "the monitor takes 2 to 300 seconds";
  config = Config(8, 4);
  config.quitSeconds = 0;
  EXPECT_FALSE(vgload::ValidateConfig(config, &error)) << "no quit timer: an idle monitor stays";
  config = Config(8, 4);
  config.allowanceMs = -1;
  EXPECT_FALSE(vgload::ValidateConfig(config, &error));
}

TEST(LoadPlan, RolesAddUpAndTheSeedAloneDecides) {
  for (const auto& [printers, windows] : {std::pair{8, 4}, {50, 20}, {12, 2}}) {
    const LoadPlan plan = vgload::MakePlan(Config(printers, windows));
    ASSERT_EQ(plan.printers.size(), static_cast<size_t>(printers));
    EXPECT_EQ(plan.popups + plan.details, windows);
    EXPECT_GE(plan.details, 1);
    EXPECT_EQ(Count(plan, Role::kPopup), plan.popups);
    EXPECT_EQ(Count(plan, Role::kDetail), plan.details);
    EXPECT_GE(Count(plan, Role::kIdle), 1) << "one monitor ends by its quit timer";
    for (size_t i = 0; i < plan.printers.size(); ++i) {
      EXPECT_EQ(plan.printers[i].index, static_cast<int>(i));
    }
  }
  const LoadPlan big = vgload::MakePlan(Config(50, 20));
  EXPECT_EQ(big.popups, 16);
  EXPECT_EQ(big.details, 4);

  const auto roles = [](const LoadPlan& plan) {
    std::vector<Role> all;
    for (const PrinterPlan& printer : plan.printers) all.push_back(printer.role);
    return all;
  };
  const auto times = [](const LoadPlan& plan) {
    std::vector<int> all;
    for (const PrinterPlan& printer : plan.printers) {
      for (const auto& change : printer.changes) all.push_back(change.atMs);
    }
    return all;
  };
  EXPECT_EQ(roles(vgload::MakePlan(Config(50, 20, 7))), roles(vgload::MakePlan(Config(50, 20, 7))));
  EXPECT_EQ(times(vgload::MakePlan(Config(50, 20, 7))), times(vgload::MakePlan(Config(50, 20, 7))));
  EXPECT_NE(roles(vgload::MakePlan(Config(50, 20, 7))), roles(vgload::MakePlan(Config(50, 20, 8))));
}

TEST(LoadPlan, EveryWindowStandsOpenThroughTheCommonWindow) {
  for (uint32_t seed = 1; seed <= 20; ++seed) {
    const LoadPlan plan = vgload::MakePlan(Config(50, 20, seed));
    const int poll = plan.config.pollSeconds * 1000;
    // A pop-up comes at the first poll after its error and goes at the first poll after the
    // printer prints again: its printer is in error from a poll before the window on.
    ASSERT_LT(plan.windowsFromMs, plan.windowsToMs);
    for (const PrinterPlan& printer : plan.printers) {
      if (printer.role == Role::kPopup) {
        for (int ms = plan.windowsFromMs - poll; ms < plan.windowsToMs; ms += 250) {
          EXPECT_TRUE(vgload::NeedsUser(StateAt(printer, ms)))
              << "seed " << seed << ", printer " << printer.index << " at " << ms;
        }
      } else if (printer.role == Role::kDetail) {
        EXPECT_LE(printer.detailOpenMs, plan.windowsFromMs - poll);
        EXPECT_GE(printer.detailCloseMs, plan.windowsToMs);
        for (const auto& change : printer.changes) EXPECT_FALSE(vgload::NeedsUser(change.state));
      } else {
        EXPECT_LT(printer.detailOpenMs, 0);
        // No other printer asks for a window then.
        for (int ms = plan.windowsFromMs; ms <= plan.windowsToMs; ms += 250) {
          EXPECT_FALSE(vgload::NeedsUser(StateAt(printer, ms))) << printer.index << " at " << ms;
        }
      }
    }
  }
}

TEST(LoadPlan, EachPrinterRecoversAndEndsReadyAfterItsJob) {
  const LoadPlan plan = vgload::MakePlan(Config(50, 20, 3));
  const int settle = plan.config.settleMs;
  for (const PrinterPlan& printer : plan.printers) {
    ASSERT_FALSE(printer.changes.empty());
    EXPECT_EQ(printer.changes.front().atMs, 0);
    EXPECT_EQ(vgload::FinalState(printer), PrinterState::kReady) << printer.index;
    EXPECT_EQ(vgload::LastChangeMs(printer), printer.changes.back().atMs);
    for (size_t i = 1; i < printer.changes.size(); ++i) {
      EXPECT_LT(printer.changes[i - 1].atMs, printer.changes[i].atMs) << printer.index;
      // Nothing happens before the monitors have settled.
      EXPECT_GE(printer.changes[i].atMs, settle) << printer.index;
      // An error is mended (the printer prints again) before the job is done.
      if (vgload::NeedsUser(printer.changes[i - 1].state)) {
        EXPECT_EQ(printer.changes[i].state, PrinterState::kPrinting) << printer.index;
      }
    }
    if (printer.role == Role::kIdle) {
      EXPECT_EQ(printer.changes.size(), 1u);
      EXPECT_EQ(printer.changes[0].state, PrinterState::kReady);
    } else {
      EXPECT_EQ(printer.changes[0].state, PrinterState::kPrinting) << "a job prints first";
    }
  }
  // Every kind of error a user mends comes up.
  std::map<PrinterState, int> errors;
  for (const PrinterPlan& printer : plan.printers) {
    for (const auto& change : printer.changes) {
      if (vgload::NeedsUser(change.state)) ++errors[change.state];
    }
  }
  EXPECT_GT(errors[PrinterState::kPaperOut], 0);
  EXPECT_GT(errors[PrinterState::kCoverOpen], 0);
  EXPECT_GT(errors[PrinterState::kLineDown], 0);
}

TEST(LoadPlan, SecondJobsOnlyWherePrintingStillGoesOn) {
  // A second job makes the first monitor forget the printing it saw: a printer that fell
  // ready around then would be ended by the quit timer instead of its job's end.
  for (uint32_t seed = 1; seed <= 20; ++seed) {
    const LoadPlan plan = vgload::MakePlan(Config(50, 20, seed));
    const int poll = plan.config.pollSeconds * 1000;
    int seconds = 0;
    for (const PrinterPlan& printer : plan.printers) {
      if (printer.secondJobMs < 0) continue;
      ++seconds;
      EXPECT_NE(printer.role, Role::kIdle);
      EXPECT_NE(printer.role, Role::kClean);
      EXPECT_GT(vgload::LastChangeMs(printer), printer.secondJobMs + 2 * poll) << printer.index;
      // An unreachable printer counts as ready for the monitor's end.
      EXPECT_NE(StateAt(printer, printer.secondJobMs), PrinterState::kLineDown) << printer.index;
    }
    EXPECT_GE(seconds, 5) << "seed " << seed;
  }
  int seconds = 0;
  for (const PrinterPlan& printer : vgload::MakePlan(Config(8, 4)).printers) {
    seconds += printer.secondJobMs >= 0;
  }
  EXPECT_GE(seconds, 1) << "the quick run has one too";
}

// The scenario's steps as qvsimctl reads them.
std::vector<qvsim::ScenarioStep> Steps(const std::string& text) {
  std::vector<qvsim::ScenarioStep> steps;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    qvsim::ScenarioStep step;
    std::string error;
    EXPECT_TRUE(qvsim::ParseScenarioLine(line, &step, &error)) << line << ": " << error;
    if (step.action != qvsim::ScenarioStep::Action::kNothing || step.hasAt) steps.push_back(step);
  }
  return steps;
}

TEST(LoadScenario, QvsimctlReadsItAndPlaysThePlanAfterTheGate) {
  const LoadPlan plan = vgload::MakePlan(Config(50, 20, 5));
  for (const PrinterPlan& printer : plan.printers) {
    const std::string name = "Load x " + std::to_string(printer.index);
    const std::vector<qvsim::ScenarioStep> steps =
        Steps(vgload::ScenarioText(printer, name, "gate-event"));
    ASSERT_GE(steps.size(), 7u);
    EXPECT_EQ(steps[0].command.type, qvsim::CommandType::kReset);
    EXPECT_EQ(steps[0].command.address.name, name);
    EXPECT_EQ(steps[1].command.type, qvsim::CommandType::kDeviceId);
    EXPECT_EQ(steps[1].command.text, "MFG:KORVA;MDL:VP-100;CMD:ESCP;");
    EXPECT_EQ(steps[2].command.type, qvsim::CommandType::kChannels);

    // Played: the standing reply and the failing status reads as time goes on, and the
    // narration of each moment.
    std::string reply;
    bool lineDown = false;
    bool afterGate = false;
    int now = 0;
    std::vector<std::string> said;
    std::map<int, std::pair<std::string, bool>> at;  // state after the steps at a moment
    for (const qvsim::ScenarioStep& step : steps) {
      if (step.hasAt) {
        EXPECT_TRUE(afterGate) << "times count from the gate";
        EXPECT_GE(static_cast<int>(step.atMs), now);
        now = static_cast<int>(step.atMs);
      }
      switch (step.action) {
        case qvsim::ScenarioStep::Action::kWait:
          EXPECT_EQ(step.waitEvent, "gate-event");
          EXPECT_FALSE(afterGate) << "one gate";
          afterGate = true;
          break;
        case qvsim::ScenarioStep::Action::kSay:
          said.push_back(step.say);
          break;
        case qvsim::ScenarioStep::Action::kCommand:
          EXPECT_EQ(step.command.address.name, name);
          if (step.command.type == qvsim::CommandType::kReply) reply = step.command.text;
          if (step.command.type == qvsim::CommandType::kFail) {
            EXPECT_EQ(step.command.code, -5);
            lineDown = step.command.count != 0;
          }
          break;
        default:
          break;
      }
      at[now] = {reply, lineDown};
    }
    EXPECT_TRUE(afterGate);
    for (const auto& change : printer.changes) {
      ASSERT_EQ(at.count(change.atMs), 1u) << printer.index << " at " << change.atMs;
      const auto& [standing, failing] = at[change.atMs];
      EXPECT_EQ(failing, change.state == PrinterState::kLineDown) << change.atMs;
      if (change.state != PrinterState::kLineDown) {
        EXPECT_EQ(standing, vgload::ReplyBytes(change.state)) << printer.index << " " << change.atMs;
      }
    }

    // "set" before the gate, "start" after it, then each state's word in turn.
    std::vector<std::string> expected;
    const std::string lead = "vgload " + std::string(printer.index < 10 ? "0" : "") +
                             std::to_string(printer.index) + " ";
    expected.push_back(lead + std::string(vgload::StateWord(printer.changes[0].state)));
    expected.push_back(lead + "set");
    expected.push_back(lead + "start");
    for (size_t i = 1; i < printer.changes.size(); ++i) {
      expected.push_back(lead + std::string(vgload::StateWord(printer.changes[i].state)));
    }
    EXPECT_EQ(said, expected);
    for (const std::string& line : said) {
      vgload::Narration narration;
      ASSERT_TRUE(vgload::ParseNarration(line, &narration)) << line;
      EXPECT_EQ(narration.index, printer.index);
    }
  }
}

TEST(LoadScenario, NarrationLinesAndNothingElse) {
  vgload::Narration narration;
  ASSERT_TRUE(vgload::ParseNarration("vgload 07 paper-out\r", &narration));
  EXPECT_EQ(narration.index, 7);
  EXPECT_EQ(narration.word, "paper-out");
  ASSERT_TRUE(vgload::ParseNarration("vgload 3 set", &narration));
  EXPECT_EQ(narration.index, 3);
  for (const char* other :
       {"", "vgload", "vgload 07", "vgload 07 ", "vgload  07 set", "vgload 7x set", "vgload 123 set",
        "vgload 07 two words", "qvsimctl: vgload 07 set", "VGLOAD 07 set"}) {
    EXPECT_FALSE(vgload::ParseNarration(other, &narration)) << other;
  }
}

TEST(LoadDeadlines, FromTheJobsEndTheFirstPollOrTheMonitorsStart) {
  const LoadPlan plan = vgload::MakePlan(Config(50, 20));
  const LoadConfig& config = plan.config;
  for (const PrinterPlan& printer : plan.printers) {
    const Deadline deadline = vgload::MonitorDeadline(printer, config);
    EXPECT_EQ(deadline.latestMs, deadline.nominalMs + config.allowanceMs);
    if (printer.role == Role::kIdle) {
      // The quit timer's third firing, seen after the worker's sleep.
      EXPECT_EQ(deadline.from, Deadline::From::kFirstPoll);
      EXPECT_EQ(deadline.nominalMs, 3 * config.quitSeconds * 1000 + config.pollSeconds * 1000);
    } else {
      // The first poll after the printer is ready.
      EXPECT_EQ(deadline.from, Deadline::From::kScenarioStart);
      EXPECT_EQ(deadline.nominalMs, vgload::LastChangeMs(printer) + config.pollSeconds * 1000);
    }
  }
  const Deadline second = vgload::SecondJobDeadline(config);
  EXPECT_EQ(second.from, Deadline::From::kMonitorStart);
  EXPECT_LE(second.nominalMs, 1000);
  EXPECT_GT(vgload::PopupProgramGraceMs(config), 1000);
}

}  // namespace
