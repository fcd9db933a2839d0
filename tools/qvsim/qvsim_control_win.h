#pragma once
// What qvsimctl does: applies its commands to the simulator's shared state and plays scenario
// files. Output goes line by line to a sink, so a scenario's narration appears as it happens.
#include <functional>
#include <string>
#include <vector>

#include "tools/qvsim/qvsim_text.h"

namespace qvsim {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;  // the state could not be read or written, or a file read
constexpr int kExitUsage = 2;   // unknown command or malformed arguments

using LineSink = std::function<void(const std::string& line)>;

// Applies one command (not run or help); a failure's reason goes to *error.
int ExecuteCommand(const Command& command, const LineSink& out, std::string* error);

// Reads and checks the whole file first (a bad line: kExitUsage, nothing done), then plays
// its steps in order, stopping at the first command that fails.
int RunScenario(const std::string& path, const LineSink& out, std::string* error);

// The program: the arguments after its name.
int ControlMain(const std::vector<std::string>& args, const LineSink& out, const LineSink& err);

}  // namespace qvsim
