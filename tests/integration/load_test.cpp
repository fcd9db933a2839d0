// Many printers at once, kept quick: printers installed with vgsetup, each with a simulated
// printer that goes through printing, errors and recovery on its own schedule, a monitor for
// each started at once, status windows (pop-ups and a user's) open together, and a second
// job for some. Every monitor must end by itself in time, each target key must hold its
// printer's last status, the window tables must keep no record of a window that has gone, and
// no program may be left behind. ./run bench runs the same with 50 printers and 20 windows.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/win_test_support.h"
#include "tools/load/load_plan.h"
#include "tools/load/load_report.h"
#include "tools/load/load_run_win.h"

namespace {

TEST(LoadTest, EightPrintersWithFourWindowsOpenTogether) {
  vgload::LoadConfig config;
  config.printers = 8;
  config.windows = 4;
  const vgload::LoadPlan plan = vgload::MakePlan(config);
  vgload::RunOptions options;
  options.binDir = vgtest::BinDir();
  options.debugLogs = true;
  const vgload::LoadReport report = vgload::RunLoad(plan, options);
  const std::string text = vgload::FormatReport(plan, report);

  const vgload::Findings findings = vgload::Examine(plan, report);
  EXPECT_TRUE(findings.Clean()) << text;
  ASSERT_TRUE(report.setUp) << text;

  // The run saw it all happen: every monitor (and the second jobs'), the pop-up programs of
  // the pop-ups and the user's window, the windows together, and the programs' memory and CPU.
  int seconds = 0;
  for (const vgload::PrinterPlan& printer : plan.printers) seconds += printer.secondJobMs >= 0;
  EXPECT_EQ(report.monitors.size(), plan.printers.size() + static_cast<size_t>(seconds));
  EXPECT_GE(report.popups.size(), plan.printers.size()) << "one per job's start at least";
  EXPECT_GE(report.figures.peakWindows, config.windows) << text;
  EXPECT_EQ(vgload::PopupDelays(plan, report).size(), static_cast<size_t>(plan.popups)) << text;
  EXPECT_GT(report.figures.peakPrivateKb, 0u) << text;
  EXPECT_GT(report.figures.cpuSeconds, 0.0) << text;
  EXPECT_GE(report.figures.processesMeasured, static_cast<int>(plan.printers.size())) << text;
  ::testing::Test::RecordProperty("report", text);
}

}  // namespace
