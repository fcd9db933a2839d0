#pragma once
// The stand-ins for the printer maker's agent settings program and its set-up program
// "qvapiset.exe": the answer address a started program finds on its command line, the lines
// in which each records how it was started, and the answer delay of the set-up stand-in.
// Portable: the stand-ins, qvsimctl and the host tests share it.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qvsim {

// "/Ret=WM:WINDOW;MESSAGE": the window to post MESSAGE to when the work is done, both in
// hexadecimal without prefix (1 to 8 digits, either case). The option name is matched without
// regard to case, and the last one counts (the program's path before it may hold anything);
// the value ends at a blank or the end of the line.
struct ReturnAddress {
  uint32_t window = 0;
  uint32_t message = 0;
};
std::optional<ReturnAddress> FindReturnAddress(std::string_view commandLine);

// One start of a stand-in, as recorded: "SEQ pid=PID "MODULE" COMMANDLINE", where MODULE is
// the program file that ran (a path holds no double quote) and COMMANDLINE the whole command
// line it was given, as it was given.
struct StartRecord {
  uint32_t seq = 0;
  uint32_t pid = 0;
  std::string module;
  std::string commandLine;
};
std::string FormatStartRecord(const StartRecord& record);
bool ParseStartRecord(std::string_view line, StartRecord* out);

// The key name of a stand-in: its file name in lower case, so that every copy of a program
// under the same name shares one record. Empty for an empty name or one with a path
// separator left in it.
std::string ProgramKeyName(std::string_view fileName);

// How long the set-up stand-in works before it answers: milliseconds, or "never".
constexpr uint32_t kNeverAnswer = 0xFFFFFFFF;
constexpr uint32_t kDefaultAnswerDelayMs = 500;
bool ParseAnswerDelay(std::string_view text, uint32_t* ms);
std::string FormatAnswerDelay(uint32_t ms);

// The records kept per program; older ones make way.
constexpr uint32_t kStartSlots = 100;

}  // namespace qvsim
