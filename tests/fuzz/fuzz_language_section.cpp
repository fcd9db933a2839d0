// The "Language" section of a profile INI comes from a file anyone can edit: its parse and the
// choice of a section must stay inside the bytes for any content. The same bytes serve as the
// registry's "ProductSuite" list and "Shell" value and as process names.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "common/language_table.h"
#include "common/logon_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const uint16_t langId = static_cast<uint16_t>(data[0] | (data[1] << 8));
  const std::string_view block(reinterpret_cast<const char*>(data + 2), size - 2);
  const auto lines = vglang::ParseLanguageSection(block);
  const int chosen = vglang::ChooseLanguageEntry(lines, langId);
  if (chosen >= static_cast<int>(lines.size())) __builtin_trap();
  // Every other line "has" its resource library, so every fall-back is taken somewhere.
  size_t calls = 0;
  const std::string_view section = vglang::ChooseLanguageSection(
      lines, langId, [&](std::string_view name) { return (name.size() + calls++) % 2 == 0; });
  if (!section.empty() && (section.data() < block.data() ||
                           section.data() + section.size() > block.data() + block.size())) {
    __builtin_trap();
  }
  // The same bytes as a "ProductSuite" list.
  vglogon::MultiSzContains(block, "Terminal Server");
  // And as a Winlogon "Shell" value and a process's executable name.
  const std::string_view shell = vglogon::ShellNameOrDefault(block.substr(0, data[0] % 16));
  if (shell.empty()) __builtin_trap();
  if (vglogon::IsShellProcess(block, shell) && block.size() < shell.size()) __builtin_trap();
  return 0;
}
