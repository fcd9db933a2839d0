#pragma once
// What the benchmarks under Wine need of the programs beside them: their folder, and a quiet
// run of one of them (the installer above all) to its end.
#include <string>

// The folder of this program, without a trailing backslash; empty when it cannot be told.
std::string ProgramFolder();

// Runs the program with the arguments, without a window and its output dropped, for up to two
// minutes; its exit code, or -1 when it did not start or did not end.
long RunQuietly(const std::string& program, const std::string& args);
