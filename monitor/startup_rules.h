#pragma once
// Start-up decisions of the monitor that need no system: job ids and the port check.
#include <string_view>

namespace vgmon {

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
