#pragma once
// Start-up decisions of the monitor that need no system: what it refuses to start with, job
// ids and the port check.
#include <cstddef>
#include <string>
#include <string_view>

namespace vgmon {

// The longest command line the monitor reads whole; a longer one would be cut, and a cut
// value names another printer, driver or port.
constexpr size_t kMaxCommandLine = 259;
// A name as long as this filled its whole field and may have been cut.
constexpr size_t kMaxNameLength = 259;

struct StartupNames {
  std::string_view printer;
  std::string_view port;
  std::string_view driver;
  std::string_view model;
};

// Why the monitor does not start with this command line and these names from it (or from its
// parameter file), as the log line that says so; empty when it goes on. Refused are a command
// line longer than kMaxCommandLine, a name with a control character (no printer, port, driver
// or model has one, and none survives the line-based parameter files), a name that filled its
// field, a quoted value whose closing quote is missing (valueUnclosed: the line was cut or
// mistyped, so the value may have swallowed other options), and neither a printer nor a port
// name.
std::string StartupRefusal(std::string_view commandLine, bool valueUnclosed,
                           const StartupNames& names);

// A job id with any character that is not a decimal digit is used as "0".
bool IsValidJobId(std::string_view jobId);

// A port whose first five characters are "FILE:" (in any case) prints to a file.
bool IsFilePort(std::string_view port);

// The second comma-separated field of a "PrinterPorts" entry ("winspool,LPT1:,15,45").
std::string_view ListedPort(std::string_view printerPortsEntry);

// Whether the job's port O is the printer's real port: O equals the listed port; or O is a
// redirected network port ("Ne..." ending in ":"); or O equals the printer's port; or the
// printer's port ends in ":" and O equals it without the colon. Case is ignored.
bool IsPrintersPort(std::string_view jobPort, std::string_view listedPort,
                    std::string_view printerPort);

}  // namespace vgmon
