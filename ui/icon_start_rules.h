#pragma once
// The command lines with which the preferences start the tray icon program, at once and at
// log-on (its value under the current user's "Run" key), on plain values.
//
// The program's path is quoted: an installation folder with blanks (as under "Program
// Files") must not let the system try "C:\Program.exe" first. Every line is built in 520
// bytes; one that does not fit is not used, because a cut line names another printer or file.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vgstart {

constexpr size_t kCommandLineSize = 520;

// The Run value of a printer is named by its printer name, or its port name when the printer
// name is empty.
std::string_view RunValueName(std::string_view printer, std::string_view port);

// "PROGRAM" /A "FILE": log-on start from an auto-start parameter file (full path).
std::optional<std::string> AutoStartCommandLine(std::string_view program,
                                                std::string_view paramFile);
// "PROGRAM" /F "FILE": a start at once from a parameter file that the program consumes.
std::optional<std::string> ParamFileCommandLine(std::string_view program,
                                                std::string_view paramFile);
// "PROGRAM" /P<n> "PRINTER" /O<n> "PORT" /M "MODEL", with " /R" behind it when the icon is
// to be removed: the form without a parameter file, names with their lengths (the model's
// only when it holds a quote or a line feed, as "/M<n>").
std::optional<std::string> OptionsCommandLine(std::string_view program, std::string_view printer,
                                              std::string_view port, std::string_view model,
                                              bool remove);

}  // namespace vgstart
