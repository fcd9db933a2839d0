#pragma once
// The qvsimctl players of a load run, one per printer, each playing its printer's scenario
// (ScenarioText) with its output read through a pipe as it comes: the moments its printer was
// set up, its clock started at the gate, and it ended, on the run's clock.
#include <functional>
#include <string>
#include <vector>

#include "common/process_start_win.h"
#include "tools/load/output_pipe_win.h"

namespace vgload {

struct Player {
  int printer = -1;
  StartedProcess process;
  OutputPipe pipe;
  std::string pending;  // a line not yet whole
  std::string text;     // everything it printed
  long setMs = -1;      // its printer is set up; it waits for the gate
  long startMs = -1;    // it passed the gate: its clock started
  long endMs = -1;
  DWORD exitCode = 0;
};

class ScenarioPlayers {
 public:
  using Clock = std::function<long()>;
  explicit ScenarioPlayers(Clock clock) : clock_(std::move(clock)) {}

  // Starts "qvsimctl run FILE" for each scenario file, in printer order; false with the
  // reason when one cannot be started.
  bool Start(const std::string& qvsimctl, const std::vector<std::string>& scenarios,
             std::string* failure);
  // Notes the ends, then reads what arrived (an ended player's last lines are still in its
  // pipe).
  void Look();
  // Looks until every player has reached the moment (setMs or startMs) or ended, for at most
  // the time; the number of players that did not reach it.
  int WaitFor(long Player::*moment, long timeoutMs);
  // Ends the players that still run; their number.
  int EndTheRest();

  std::vector<Player>& All() { return players_; }
  const std::vector<Player>& All() const { return players_; }

 private:
  Clock clock_;
  std::vector<Player> players_;
};

}  // namespace vgload
