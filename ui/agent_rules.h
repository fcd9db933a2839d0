#pragma once
// The network agent's decisions and command lines on plain values: which agent applies to a
// driver, when only the legacy network protocol is there, which systems elevate through the
// shell, and the command lines of the agent settings program and of the bidirectional
// library's set-up program "qvapiset.exe".
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vgagent {

constexpr int kAgentKind1 = 1;  // the service agent: allowed while its service key exists
constexpr int kAgentKind2 = 2;  // the agent of the second library: its "AllowMonitoring" value

// The Driver key's "QVAPI32" names the bidirectional library: "QVAPI2.DLL" (any letter case)
// means the second agent, anything else (a missing value included) the first.
int AgentKindFromLibrary(std::string_view qvapi32);

// Only the first agent depends on the network protocols: with the bidirectional library's
// key missing and the IPX/SPX protocol installed, nothing but the legacy network is there.
bool LegacyNetworkOnly(int agentKind, bool libraryKeyExists, bool ipxKeyExists);

// Vista and later: the NT platform from major version 6 on. Programs that change the machine
// are started there through the shell's elevation.
constexpr bool VistaOrLater(bool ntPlatform, unsigned major) { return ntPlatform && major >= 6; }

// The buffers of the agent settings launch hold 260 bytes: a text that does not fit with its
// terminator is not used (a cut name would address another printer).
constexpr size_t kAgentBufferSize = 260;
// The set-up program's command line is longer than its path by at most a few dozen bytes.
constexpr size_t kSetupCommandLineSize = 520;

// `PROGRAM /agnt /drv:"DRIVER" /p:"PRINTER" /im:N`, the whole command line before Vista.
// Nothing when it does not fit or a name holds a double quote.
std::optional<std::string> AgentSettingsCommandLine(std::string_view program,
                                                    std::string_view driver,
                                                    std::string_view printer, int inhibit);
// `/agnt /drv:"DRIVER" /p:"PRINTER" /im:N`, the parameters of the elevated start.
std::optional<std::string> AgentSettingsParameters(std::string_view driver,
                                                   std::string_view printer, int inhibit);

// The program's own file name: what follows the last backslash of its path.
std::string_view ProgramFileName(std::string_view programPath);
// Where the program is copied before its elevated start: the common application-data folder,
// "\KORVA\", and its file name. Nothing when the name is empty or the path would not fit.
std::optional<std::string> ElevationFolder(std::string_view commonAppData);
std::optional<std::string> ElevationCopyPath(std::string_view commonAppData,
                                             std::string_view programPath);

// "qvapiset.exe" in the bidirectional library's installation folder (a backslash added when
// the folder does not end in one); nothing for an empty folder or a path that does not fit.
std::optional<std::string> SetupProgramPath(std::string_view installDir);

// The message the set-up program posts to the wait dialog when it is done.
constexpr uint32_t kSetupDoneMessage = 0x040A;

// `/Act=Ch /QVP=A:NC /Ret=WM:WINDOW;MESSAGE  /Agt=On|Off`: window and message in lower-case
// hexadecimal without prefix; the option carries its own leading blank.
std::string SetupParameters(uint32_t window, uint32_t message, bool on);
// The path, a blank and the parameters, as one command line (before Vista).
std::optional<std::string> SetupCommandLine(std::string_view program, uint32_t window,
                                            uint32_t message, bool on);

}  // namespace vgagent
