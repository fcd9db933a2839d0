#pragma once
// What the stand-in programs keep in the simulator's state (HKEY_CURRENT_USER
// Software\QvSim\Programs\<program key name>): the starts they recorded and the set-up
// stand-in's answer delay. Reads and writes run under the simulator's StateLock.
#include <cstdint>
#include <string>
#include <vector>

#include "tools/qvsim/standin_rules.h"

namespace qvsim {

std::string ProgramKeyPath(const std::string& program);

// Appends one start, dropping the oldest beyond kStartSlots. False when it was not stored.
bool RecordStart(const std::string& program, uint32_t pid, const std::string& module,
                 const std::string& commandLine);
// The recorded starts, oldest first, as FormatStartRecord wrote them.
std::vector<std::string> RecordedStarts(const std::string& program);
// Removes the record and the answer delay of a program. False when it would not go.
bool ForgetProgram(const std::string& program);

bool SetAnswerDelay(const std::string& program, uint32_t ms);
// kDefaultAnswerDelayMs when none is set.
uint32_t AnswerDelay(const std::string& program);

}  // namespace qvsim
