#pragma once
// The stand-ins of the maker's agent settings program (vgagent.exe) and set-up program
// (qvapiset.exe), read and set through qvsimctl as docs/qvsim.md describes.
#include <string>
#include <vector>

#include "tools/qvsim/standin_rules.h"

namespace vgtest {

// The starts that the stand-in recorded under its file name, oldest first.
std::vector<qvsim::StartRecord> StartsOf(const std::string& program);
// Waits until the stand-in recorded `count` starts; they are returned (fewer on time-out).
std::vector<qvsim::StartRecord> WaitForStarts(const std::string& program, size_t count);
// Removes the stand-in's record and its answer delay.
bool ForgetStarts(const std::string& program);
// When the set-up stand-in answers: milliseconds, or "never".
bool SetAnswerDelay(const std::string& program, const std::string& delay);

}  // namespace vgtest
