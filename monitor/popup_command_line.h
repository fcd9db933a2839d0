#pragma once
// The command lines with which the monitor starts the pop-up program: its arguments (a
// parameter file, or length-prefixed names) and the whole line behind the program path.
#include <optional>
#include <string>
#include <string_view>

namespace vgmon {

// The arguments of the pop-up program: "/F "<file>" /S" when a parameter file was written,
// else the length-prefixed /P, /O, /M options (and /J when a job id is given) and /S.
// Nothing when they do not fit in 259 characters.
std::optional<std::string> PopupArguments(std::string_view paramFile, std::string_view printer,
                                          std::string_view port, std::string_view model,
                                          std::string_view jobId);

// The whole command line: the program path in quotes (so a path with blanks cannot start
// another program), a blank, the arguments. Nothing when it exceeds 519 characters.
std::optional<std::string> ProgramCommandLine(std::string_view program,
                                              std::string_view arguments);

}  // namespace vgmon
