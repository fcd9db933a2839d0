#pragma once
// What both stand-in programs do first: record how they were started (their program file,
// process id and whole command line) under their own file name in the simulator's state.
#include <string>

namespace qvsim {

struct StandInStart {
  std::string program;      // the key name: the program's file name in lower case
  std::string commandLine;  // as the program was given it
  bool recorded = false;
};

StandInStart RecordThisStart();

}  // namespace qvsim
