#include "common/logon_rules.h"

#include "common/text_util.h"

namespace vglogon {

TerminalServerCheck ChooseTerminalServerCheck(bool ntPlatform, unsigned long major,
                                              unsigned long minor) {
  if (!ntPlatform) return TerminalServerCheck::kNotNt;
  if (major < 5) return TerminalServerCheck::kProductSuite;
  if (major == 5 && minor == 0) return TerminalServerCheck::kSuiteMask;
  return TerminalServerCheck::kAlways;
}

bool MultiSzContains(std::string_view data, std::string_view entry) {
  while (!data.empty()) {
    const size_t zero = data.find('\0');
    std::string_view item = data.substr(0, zero);
    if (item.empty()) return false;
    if (item == entry) return true;
    if (zero == std::string_view::npos) return false;
    data.remove_prefix(zero + 1);
  }
  return false;
}

std::string_view ShellNameOrDefault(std::string_view shellValue) {
  return shellValue.empty() ? kDefaultShellName : shellValue;
}

bool IsShellProcess(std::string_view exeName, std::string_view shellName) {
  return !shellName.empty() && vgtext::StartsWithNoCase(exeName, shellName);
}

}  // namespace vglogon
