#pragma once
// A load run under Wine. It installs the plan's printers with vgsetup (one driver and one
// installation of the example model, the real pop-up program among its files), plays every
// printer's scenario with qvsimctl, starts all monitors at once, opens the users' windows and
// starts the second jobs on time, and watches the status windows, the programs and their
// memory and CPU until every program has ended by itself. Then it reads what the run left
// (target keys, the simulated printers' last replies, the window tables, the process list,
// the debug logs) and removes everything it installed, whatever happened.
#include <functional>
#include <string>

#include "tools/load/load_plan.h"
#include "tools/load/load_report.h"

namespace vgload {

struct RunOptions {
  // Holds vgsetup.exe, qvsimctl.exe, the files to install and profiles\VP-100.ini.
  std::string binDir;
  // The debug logs of the monitors and the printer library are on for the run, and a line of
  // a caught exception from one of its programs is a finding.
  bool debugLogs = false;
  // Told one line per phase; may be empty.
  std::function<void(const std::string& line)> progress;
};

LoadReport RunLoad(const LoadPlan& plan, const RunOptions& options);

}  // namespace vgload
