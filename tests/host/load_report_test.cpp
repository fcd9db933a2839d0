// What a load run's report means: a sound run has no finding, and each fault the run can see
// (a monitor that hangs or ends late, a pop-up program left over, too few windows, a target
// key that lost or never got its status, a record left in a window table, a process left
// behind, a caught exception) is named; the simulated printer's last reply read from its call
// log; and the text the bench prints.
#include "tools/load/load_report.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using ::testing::HasSubstr;
using vgload::Findings;
using vgload::LoadPlan;
using vgload::LoadReport;

const char kReady[] = "@BDC ST\r\nST:04;\f";

LoadPlan Plan() {
  vgload::LoadConfig config;
  config.printers = 8;
  config.windows = 4;
  return vgload::MakePlan(config);
}

// What a run that went as planned reports.
LoadReport SoundReport(const LoadPlan& plan) {
  LoadReport report;
  report.setUp = true;
  for (const vgload::PrinterPlan& printer : plan.printers) {
    const long start = 1000;
    report.scenarioStartMs.push_back(start);
    vgload::MonitorOutcome monitor;
    monitor.printer = printer.index;
    monitor.processId = 100 + static_cast<uint32_t>(printer.index);
    monitor.startMs = 500;
    const vgload::Deadline deadline = vgload::MonitorDeadline(printer, plan.config);
    monitor.nominalMs = start + deadline.nominalMs;
    monitor.deadlineMs = start + deadline.latestMs;
    monitor.endMs = monitor.nominalMs - 300;
    report.monitors.push_back(monitor);
    if (printer.secondJobMs >= 0) {
      vgload::MonitorOutcome second = monitor;
      second.secondJob = true;
      second.processId += 1000;
      second.startMs = start + printer.secondJobMs;
      second.endMs = second.startMs + 200;
      second.deadlineMs = second.startMs + 5000;
      report.monitors.push_back(second);
    }
    vgload::PopupOutcome popup;
    popup.processId = 300 + static_cast<uint32_t>(printer.index);
    popup.printer = printer.index;
    popup.endMs = monitor.endMs + 900;
    popup.deadlineMs = monitor.endMs + 1500;
    report.popups.push_back(popup);

    vgload::WindowsSeen windows;
    windows.printer = printer.index;
    const bool shows = printer.role == vgload::Role::kPopup || printer.detailOpenMs >= 0 ||
                       printer.role == vgload::Role::kLateError;
    windows.windows = shows ? 1 : 0;
    windows.firstMs = shows ? start + plan.windowsFromMs - 1500 : -1;
    report.windows.push_back(windows);

    vgload::KeyOutcome key;
    key.printer = printer.index;
    key.keys = 1;
    key.hasStatus = true;
    key.status = kReady;
    key.expectedReply = kReady;
    key.hasChannel = true;
    key.channel = 0x10000005;
    key.hasComStatus = true;
    key.comStatus = 1;
    key.simulatorRead = true;
    key.simulatorReply = kReady;
    key.simulatorReader = monitor.processId;
    key.monitorId = monitor.processId;
    key.popupPlaceExpected = printer.role == vgload::Role::kPopup;
    key.popupPlaceStored = key.popupPlaceExpected;
    report.keys.push_back(key);
  }
  report.figures.peakWindows = plan.config.windows;
  return report;
}

int IndexOf(const LoadPlan& plan, vgload::Role role) {
  for (const vgload::PrinterPlan& printer : plan.printers) {
    if (printer.role == role) return printer.index;
  }
  return -1;
}

// The one finding of a group, or a failure naming what the groups held.
std::string Only(const std::vector<std::string>& group, const Findings& all) {
  if (group.size() == 1) return group[0];
  std::string text;
  for (const auto* g : {&all.run, &all.monitors, &all.popups, &all.windows, &all.keys,
                        &all.tables, &all.processes, &all.logs}) {
    for (const std::string& line : *g) text += line + "; ";
  }
  ADD_FAILURE() << group.size() << " findings in the group; all: " << text;
  return std::string();
}

TEST(LoadReport, ASoundRunHasNoFinding) {
  const LoadPlan plan = Plan();
  const LoadReport report = SoundReport(plan);
  const Findings findings = vgload::Examine(plan, report);
  EXPECT_TRUE(findings.Clean()) << Only({}, findings);
  EXPECT_THAT(vgload::FormatReport(plan, report), HasSubstr("no fault found"));
}

TEST(LoadReport, MonitorsThatHangEndLateOrFail) {
  const LoadPlan plan = Plan();
  {
    LoadReport report = SoundReport(plan);
    report.monitors[0].killed = true;
    const Findings f = vgload::Examine(plan, report);
    EXPECT_THAT(Only(f.monitors, f), HasSubstr("did not end by itself (ended by the run"));
  }
  {
    LoadReport report = SoundReport(plan);
    report.monitors[1].endMs = -1;
    const Findings f = vgload::Examine(plan, report);
    EXPECT_THAT(Only(f.monitors, f), HasSubstr("still running"));
  }
  {
    LoadReport report = SoundReport(plan);
    report.monitors[2].endMs = report.monitors[2].deadlineMs + 1500;
    const Findings f = vgload::Examine(plan, report);
    EXPECT_THAT(Only(f.monitors, f), HasSubstr("1.5 s after its deadline"));
  }
  {
    LoadReport report = SoundReport(plan);
    report.monitors[3].exitCode = 0xC0000005;
    const Findings f = vgload::Examine(plan, report);
    EXPECT_THAT(Only(f.monitors, f), HasSubstr("exit code 0xC0000005"));
  }
  {
    // Each printer had exactly one monitor for its first job.
    LoadReport report = SoundReport(plan);
    report.monitors.push_back(report.monitors[0]);
    const Findings f = vgload::Examine(plan, report);
    EXPECT_THAT(Only(f.monitors, f), HasSubstr("had 2 monitors for its first job"));
  }
}

TEST(LoadReport, PopupProgramsLeftOverLateOrFailing) {
  const LoadPlan plan = Plan();
  LoadReport report = SoundReport(plan);
  report.popups[0].killed = true;
  report.popups[1].endMs = report.popups[1].deadlineMs + 2000;
  report.popups[2].exitCode = 3;
  report.popups[3].deadlineMs = -1;  // none could be set: its end alone counts
  report.popups[3].endMs = 999999;
  report.popups[4].printer = -1;
  report.popups[4].endMs = -1;
  const Findings f = vgload::Examine(plan, report);
  ASSERT_EQ(f.popups.size(), 4u);
  EXPECT_THAT(f.popups[0], HasSubstr("did not end by itself"));
  EXPECT_THAT(f.popups[1], HasSubstr("2.0 s after its deadline"));
  EXPECT_THAT(f.popups[2], HasSubstr("exit code 0x00000003"));
  EXPECT_THAT(f.popups[3], HasSubstr("of an unknown printer did not end by itself"));
}

TEST(LoadReport, TooFewWindowsAtOnceOrNoneForAPrinter) {
  const LoadPlan plan = Plan();
  LoadReport report = SoundReport(plan);
  report.figures.peakWindows = plan.config.windows - 1;
  const int popup = IndexOf(plan, vgload::Role::kPopup);
  report.windows[static_cast<size_t>(popup)].windows = 0;
  const Findings f = vgload::Examine(plan, report);
  ASSERT_EQ(f.windows.size(), 2u);
  EXPECT_THAT(f.windows[0], HasSubstr("at most 3 status windows stood open at once; 4 were due"));
  EXPECT_THAT(f.windows[1], HasSubstr("(pop-up) never had a status window registered"));
}

TEST(LoadReport, TargetKeysThatDoNotHoldTheLastStatus) {
  const LoadPlan plan = Plan();
  const auto keyFindings = [&plan](void (*change)(vgload::KeyOutcome&)) {
    LoadReport report = SoundReport(plan);
    change(report.keys[0]);
    const Findings f = vgload::Examine(plan, report);
    return Only(f.keys, f);
  };
  EXPECT_THAT(keyFindings([](vgload::KeyOutcome& k) { k.keys = 2; }), HasSubstr("has 2 target keys"));
  EXPECT_THAT(keyFindings([](vgload::KeyOutcome& k) {
                k.keys = 0;
                k.hasStatus = false;
              }),
              HasSubstr("has 0 target keys"));
  EXPECT_THAT(keyFindings([](vgload::KeyOutcome& k) { k.status = "@BDC ST\r\nST:03;\f"; }),
              HasSubstr("\"Status\" holds \"@BDC ST\\r\\nST:03;\\f\", its last status was "
                        "\"@BDC ST\\r\\nST:04;\\f\""));
  EXPECT_THAT(keyFindings([](vgload::KeyOutcome& k) { k.hasStatus = false; }),
              HasSubstr("\"Status\" holds nothing"));
  EXPECT_THAT(keyFindings([](vgload::KeyOutcome& k) { k.simulatorReader = 4242; }),
              HasSubstr("read by process 4242, not by its monitor"));
  EXPECT_THAT(keyFindings([](vgload::KeyOutcome& k) { k.simulatorReply = "late"; }),
              HasSubstr("the simulated printer's last reply was \"late\""));
  EXPECT_THAT(keyFindings([](vgload::KeyOutcome& k) { k.channel = 0x10010003; }),
              HasSubstr("\"Channel\" holds 0x10010003"));
  EXPECT_THAT(keyFindings([](vgload::KeyOutcome& k) { k.comStatus = 2; }),
              HasSubstr("\"ComStatus\" holds 2, the monitor's last query wrote 1"));
  EXPECT_THAT(keyFindings([](vgload::KeyOutcome& k) { k.hasComStatus = false; }),
              HasSubstr("\"ComStatus\" holds nothing"));
  EXPECT_THAT(keyFindings([](vgload::KeyOutcome& k) { k.wrongSettings = {"Timer: 10, 2"}; }),
              HasSubstr("setting Timer: 10, 2"));

  LoadReport report = SoundReport(plan);
  const int popup = IndexOf(plan, vgload::Role::kPopup);
  report.keys[static_cast<size_t>(popup)].popupPlaceStored = false;
  const Findings f = vgload::Examine(plan, report);
  EXPECT_THAT(Only(f.keys, f), HasSubstr("its pop-up did not store its place"));

  LoadReport unread = SoundReport(plan);
  unread.keys.pop_back();
  const Findings g = vgload::Examine(plan, unread);
  EXPECT_THAT(Only(g.keys, g), HasSubstr("its target key was not read"));
}

TEST(LoadReport, LeftoversExceptionsAndAFailedSetUp) {
  const LoadPlan plan = Plan();
  LoadReport report = SoundReport(plan);
  report.leftoverRecords = {"the monitor's \"Load 03\" (windows 0x10, 0x0, 0x0)"};
  report.leftoverProcesses = {"vgpop.exe (process 77)"};
  report.exceptionLines = {"VGMONX.LOG: 0000004D: 123: PrGetStatus() : exception caught : x"};
  report.runProblems = {"vgsetup could not remove Load 01"};
  Findings f = vgload::Examine(plan, report);
  EXPECT_THAT(Only(f.tables, f), HasSubstr("left in a window table: the monitor's \"Load 03\""));
  EXPECT_THAT(Only(f.processes, f), HasSubstr("left running: vgpop.exe (process 77)"));
  EXPECT_THAT(Only(f.logs, f), HasSubstr("exception caught"));
  EXPECT_THAT(Only(f.run, f), HasSubstr("could not remove"));

  LoadReport failed;
  failed.setUpFailure = "cannot copy vgprn.dll";
  f = vgload::Examine(plan, failed);
  EXPECT_FALSE(f.Clean());
  ASSERT_FALSE(f.run.empty());
  EXPECT_THAT(f.run[0], HasSubstr("the run could not be set up: cannot copy vgprn.dll"));
  EXPECT_THAT(vgload::FormatReport(plan, failed), HasSubstr("FAULT: the run could not be set up"));
}

TEST(LoadReport, TheSimulatedPrintersLastReplyFromItsCallLog) {
  const std::string log =
      "1 pid=48 QVOpenChannel(kind=1, name=\"P\", channel=0x10000005) = 7\n"
      "2 pid=48 QVGetStatus(handle=7, buffer=null, size=0) = -4; standing reply of 16 bytes\n"
      "3 pid=48 QVGetStatus(handle=7, buffer=yes, size=16) = 16; standing reply "
      "\"@BDC ST\\r\\nST:03;\\f\"\r\n"
      "4 pid=52 QVGetStatus(handle=9, buffer=yes, size=16) = 16; queued reply "
      "\"@BDC ST\\r\\nST:04;\\f\"\n"
      "5 pid=48 QVGetStatus(handle=7, buffer=null, size=0) = -5; forced\n"
      "6 pid=48 QVGetStatus(handle=7, buffer=yes, size=16) = 0; nothing pending\n"
      "7 pid=61 QVGetStatus(handle=7, buffer=yes, size=16) = 16; standing reply \"bad\\q\"\n";
  const vgload::SimulatorRead last = vgload::LastStatusReply(log);
  ASSERT_TRUE(last.found);
  EXPECT_EQ(last.processId, 52u) << "failures, empty reads and undecodable lines do not count";
  EXPECT_EQ(last.reply, kReady);

  EXPECT_FALSE(vgload::LastStatusReply("").found);
  EXPECT_FALSE(vgload::LastStatusReply(
                   "2 pid=48 QVGetStatus(handle=7, buffer=null, size=0) = -4; standing reply of 4")
                   .found);
  EXPECT_FALSE(vgload::LastStatusReply("3 pid=x QVGetStatus(handle=7, buffer=yes, size=4) = 4; "
                                       "standing reply \"abcd\"")
                   .found);
  EXPECT_FALSE(vgload::LastStatusReply("\" reply \"").found) << "a line that is only the tail";
}

TEST(LoadReport, PopupDelaysAndTheFiguresPrinted) {
  const LoadPlan plan = Plan();
  LoadReport report = SoundReport(plan);
  // Each pop-up printer's window seen 1.5 s after its error.
  for (const vgload::PrinterPlan& printer : plan.printers) {
    if (printer.role != vgload::Role::kPopup) continue;
    report.windows[static_cast<size_t>(printer.index)].firstMs =
        report.scenarioStartMs[static_cast<size_t>(printer.index)] + printer.changes[1].atMs + 1500;
  }
  const std::vector<long> delays = vgload::PopupDelays(plan, report);
  ASSERT_EQ(delays.size(), static_cast<size_t>(plan.popups));
  for (long delay : delays) EXPECT_EQ(delay, 1500);

  report.figures.monitorStartSeconds = 0.3;
  report.figures.firstPollsSeconds = 2.1;
  report.figures.peakPrivateKb = 2048;
  const std::string text = vgload::FormatReport(plan, report);
  EXPECT_THAT(text, HasSubstr("8 printers, 4 status windows due at once"));
  EXPECT_THAT(text, HasSubstr("8 monitors started within 0.3 s; each had polled its printer once "
                              "2.1 s after the first start"));
  EXPECT_THAT(text, HasSubstr("median 1.5 s, at most 1.5 s"));
  EXPECT_THAT(text, HasSubstr("peak private memory 2.0 MiB"));
  EXPECT_THAT(text, HasSubstr("no fault found"));
}

}  // namespace
