#include "tools/load/scenario_players_win.h"

#include "tools/load/load_kit_win.h"
#include "tools/load/load_plan.h"

namespace vgload {

namespace {

constexpr DWORD kLookMs = 100;
constexpr UINT kEndedByTheRun = 0xDEAD;

}  // namespace

bool ScenarioPlayers::Start(const std::string& qvsimctl, const std::vector<std::string>& scenarios,
                            std::string* failure) {
  players_ = std::vector<Player>(scenarios.size());
  for (size_t i = 0; i < scenarios.size(); ++i) {
    Player& player = players_[i];
    player.printer = static_cast<int>(i);
    if (!player.pipe.Open()) {
      *failure = "cannot make a pipe";
      return false;
    }
    ProcessStart start;
    start.program = qvsimctl;
    start.commandLine = Quoted(qvsimctl) + " run " + Quoted(scenarios[i]);
    start.output = player.pipe.WriteEnd();
    start.error = player.pipe.WriteEnd();
    start.noWindow = true;
    if (!player.process.Start(start)) {
      *failure = "cannot start qvsimctl";
      return false;
    }
    player.pipe.CloseWriteEnd();
  }
  return true;
}

void ScenarioPlayers::Look() {
  for (Player& player : players_) {
    if (player.endMs < 0 && player.process.Wait(0)) {
      player.endMs = clock_();
      player.exitCode = player.process.ExitCode();
    }
    const std::string arrived = player.pipe.Drain();
    player.text += arrived;
    player.pending += arrived;
    size_t end = 0;
    while ((end = player.pending.find('\n')) != std::string::npos) {
      Narration narration;
      if (ParseNarration(player.pending.substr(0, end), &narration) &&
          narration.index == player.printer) {
        if (narration.word == "set") player.setMs = clock_();
        if (narration.word == "start") player.startMs = clock_();
      }
      player.pending.erase(0, end + 1);
    }
  }
}

int ScenarioPlayers::WaitFor(long Player::*moment, long timeoutMs) {
  const long deadline = clock_() + timeoutMs;
  int behind = 0;
  do {
    Look();
    behind = 0;
    for (const Player& player : players_) behind += player.*moment < 0;
    int waiting = 0;
    for (const Player& player : players_) waiting += player.*moment < 0 && player.endMs < 0;
    if (waiting == 0) break;
    ::Sleep(kLookMs);
  } while (clock_() < deadline);
  return behind;
}

int ScenarioPlayers::EndTheRest() {
  int ended = 0;
  for (Player& player : players_) {
    if (player.endMs >= 0 || player.process.Wait(0)) continue;
    player.process.Terminate(kEndedByTheRun, 5000);
    player.endMs = clock_();
    player.exitCode = kEndedByTheRun;
    ++ended;
  }
  return ended;
}

}  // namespace vgload
