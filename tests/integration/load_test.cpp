// Many printers at once, kept quick: printers installed with vgsetup, each with a simulated
// printer that goes through printing, errors and recovery on its own schedule, a monitor for
// each started at once, status windows (pop-ups and a user's) open together, and a second
// job for some. Every monitor must end by itself in time, each target key must hold its
// printer's last status, the window tables must keep no record of a window that has gone, and
// no program may be left behind. ./run bench runs the same with 50 printers and 20 windows.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/process_start_win.h"
#include "common/unique_handle.h"
#include "support/win_test_support.h"
#include "tools/load/load_kit_win.h"
#include "tools/load/load_plan.h"
#include "tools/load/load_report.h"
#include "tools/load/load_run_win.h"
#include "tools/load/load_sampler_win.h"
#include "tools/load/scenario_players_win.h"

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

class Stopwatch {
 public:
  long Now() const { return static_cast<long>(::GetTickCount() - start_); }

 private:
  DWORD start_ = ::GetTickCount();
};

TEST(LoadPlayers, SetUpThenTheGateThenTheEndAndTheLastLinesOfAnEndedPlayer) {
  // Two printers of a plan: an idle one, whose scenario ends right after the gate (its last
  // line arrives with its end), and one that prints and falls ready a second later.
  vgload::LoadConfig config;
  const vgload::LoadPlan plan = vgload::MakePlan(config);
  const auto idle = std::find_if(plan.printers.begin(), plan.printers.end(), [](const auto& p) {
    return p.role == vgload::Role::kIdle;
  });
  ASSERT_NE(idle, plan.printers.end());
  vgload::PrinterPlan printing;
  printing.index = 1;
  printing.changes = {{0, vgload::PrinterState::kPrinting}, {1000, vgload::PrinterState::kReady}};
  vgload::PrinterPlan still = *idle;
  still.index = 0;

  const std::string dir = vgtest::MakeTempDir("players");
  const std::string gate = vgtest::UniqueName("players-gate");
  const std::vector<std::string> names = {vgtest::UniqueName("Player A"),
                                          vgtest::UniqueName("Player B")};
  std::vector<std::string> files;
  for (int i = 0; i < 2; ++i) {
    files.push_back(dir + "\\scenario" + std::to_string(i) + ".txt");
    vgtest::WriteFile(files.back(),
                      vgload::ScenarioText(i == 0 ? still : printing, names[i], gate));
  }
  ScopedHandle event(::CreateEventA(nullptr, TRUE, FALSE, gate.c_str()));
  Stopwatch clock;
  vgload::ScenarioPlayers players([&clock] { return clock.Now(); });
  std::string failure;
  ASSERT_TRUE(players.Start(vgtest::BinDir() + "\\qvsimctl.exe", files, &failure)) << failure;
  EXPECT_EQ(players.WaitFor(&vgload::Player::setMs, 30000), 0);
  // Nobody passes the gate before it is set.
  EXPECT_EQ(players.WaitFor(&vgload::Player::startMs, 500), 2);
  ::SetEvent(event.Get());
  const long opened = clock.Now();
  EXPECT_EQ(players.WaitFor(&vgload::Player::startMs, 30000), 0)
      << players.All()[0].text << players.All()[1].text;
  for (const vgload::Player& player : players.All()) {
    EXPECT_GE(player.startMs, opened) << player.text;
    EXPECT_LT(player.setMs, opened);
  }
  // Both end by themselves, the second after its second of printing.
  const long deadline = clock.Now() + 30000;
  while (clock.Now() < deadline &&
         (players.All()[0].endMs < 0 || players.All()[1].endMs < 0)) {
    players.Look();
    ::Sleep(20);
  }
  for (const vgload::Player& player : players.All()) {
    EXPECT_GE(player.endMs, 0);
    EXPECT_EQ(player.exitCode, 0u) << player.text;
  }
  EXPECT_GE(players.All()[1].endMs - opened, 1000) << "its clock started at the gate";
  EXPECT_NE(players.All()[1].text.find(" 01 ready"), std::string::npos) << players.All()[1].text;
  EXPECT_EQ(players.EndTheRest(), 0);
  for (const std::string& name : names) {
    vgtest::RunProgram("qvsimctl.exe", "reset " + vgload::Quoted(name));
  }
  vgtest::RemoveTree(dir);
}

TEST(LoadPlayers, APlayerWhoseScenarioFailsEndsAndTellsWhy) {
  const std::string dir = vgtest::MakeTempDir("players");
  const std::string file = dir + "\\broken.txt";
  vgtest::WriteFile(file, "say vgload 00 set\nat soon say never\n");
  Stopwatch clock;
  vgload::ScenarioPlayers players([&clock] { return clock.Now(); });
  std::string failure;
  ASSERT_TRUE(players.Start(vgtest::BinDir() + "\\qvsimctl.exe", {file}, &failure));
  // Checked before anything is played: it never sets up, and the wait does not hang on it.
  EXPECT_EQ(players.WaitFor(&vgload::Player::setMs, 30000), 1);
  EXPECT_GE(players.All()[0].endMs, 0);
  EXPECT_EQ(players.All()[0].exitCode, 2u);
  EXPECT_NE(players.All()[0].text.find("broken.txt:2"), std::string::npos)
      << players.All()[0].text;
  vgtest::RemoveTree(dir);
}

TEST(LoadSampler, OnlyTheRunsProgramsStartedAfterItCount) {
  const std::string tag = vgtest::UniqueName("samplertag");
  const auto startIdle = [](const std::string& argument, StartedProcess* process) {
    ProcessStart start;
    start.program = vgtest::BinDir() + "\\vgidle.exe";
    start.commandLine = vgload::Quoted(start.program) + " " + argument;
    return process->Start(start);
  };
  StartedProcess before;
  ASSERT_TRUE(startIdle(tag, &before));
  ASSERT_NE(vgtest::FindProcessWindow(before.Id(), "VgIdleWindow", 10000), nullptr);
  vgload::LoadSampler sampler(tag);
  StartedProcess mine;
  StartedProcess stranger;
  ASSERT_TRUE(startIdle(tag, &mine));
  ASSERT_TRUE(startIdle(vgtest::UniqueName("othertag"), &stranger));
  ASSERT_NE(vgtest::FindProcessWindow(mine.Id(), "VgIdleWindow", 10000), nullptr);
  ASSERT_NE(vgtest::FindProcessWindow(stranger.Id(), "VgIdleWindow", 10000), nullptr);
  for (int i = 0; i < 4; ++i) {
    sampler.Sample(i * 500);
    ::Sleep(500);
  }
  // The one started after the sampler with the tag: its memory at the peak, its CPU.
  EXPECT_EQ(sampler.ProcessesMeasured(), 1);
  EXPECT_EQ(sampler.ProcessesAtPeak(), 1);
  EXPECT_GT(sampler.PeakPrivateKb(), 100u);
  EXPECT_LT(sampler.PeakPrivateKb(), 200u * 1024) << "one small program";
  EXPECT_GT(sampler.CpuSeconds(), 0.0);
  EXPECT_EQ(sampler.Samples(), 4);
  EXPECT_GT(sampler.WineserverPeakKb(), 0u) << "this prefix's Wine server is found";
  for (StartedProcess* process : {&before, &mine, &stranger}) process->Terminate(0, 5000);
}

}  // namespace
