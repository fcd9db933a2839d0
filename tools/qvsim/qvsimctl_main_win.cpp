// qvsimctl.exe: sets and reads the simulated printers of qvsim.dll (see docs/qvsim.md).
#include <cstdio>
#include <string>
#include <vector>

#include "tools/qvsim/qvsim_control_win.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  // Flushed per line: a scenario's narration must show while it plays, also through a pipe.
  auto print = [](std::FILE* stream) {
    return [stream](const std::string& line) {
      std::fputs(line.c_str(), stream);
      std::fputc('\n', stream);
      std::fflush(stream);
    };
  };
  return qvsim::ControlMain(args, print(stdout), print(stderr));
}
