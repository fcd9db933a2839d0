#pragma once
// Decisions behind the logon-user lookups, on plain values: how to tell terminal services on
// each Windows version, the "ProductSuite" list, and which processes are the shell.
#include <string_view>

namespace vglogon {

enum class TerminalServerCheck {
  kNotNt,         // 9x: no terminal services; the answer stays as it was
  kProductSuite,  // NT 4: "Terminal Server" in the "ProductSuite" list
  kSuiteMask,     // 2000: the version's suite mask names terminal services
  kAlways,        // XP and later always have them
};

TerminalServerCheck ChooseTerminalServerCheck(bool ntPlatform, unsigned long major,
                                              unsigned long minor);

// Whether a REG_MULTI_SZ value holds the entry, compared exactly. The list ends at an empty
// entry or at the end of the data, whether or not its terminators were stored.
bool MultiSzContains(std::string_view data, std::string_view entry);

constexpr std::string_view kDefaultShellName = "explorer.exe";

// The shell name to look for: the Winlogon "Shell" value, or the default when it is empty
// (an empty name would make every process a shell).
std::string_view ShellNameOrDefault(std::string_view shellValue);

// A process is a shell process when its executable name begins with the shell name, in any
// letter case.
bool IsShellProcess(std::string_view exeName, std::string_view shellName);

}  // namespace vglogon
