// The command-line grammar over arbitrary text: every option enumerates without reading past
// the text, the parameter block takes every value without overrunning a field, and the check
// for quotes left open and for consumable file paths stays inside the text.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "common/vgl_param.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  CVglParam param;
  param.SetText(text);
  char name[kParamTextSize];
  char value[kParamTextSize];
  int count = 0;
  for (int index = 0; index < 300; ++index) {
    const int length = param.GetArg(index, name, value);
    if (length == -1) break;
    if (length < 0 || static_cast<size_t>(length) != std::strlen(value)) __builtin_trap();
    if (std::strlen(name) >= kParamTextSize) __builtin_trap();
    ++count;
  }
  // No option can start without a slash in the stored text.
  if (count > 0 && std::strchr(param.Text(), '/') == nullptr) __builtin_trap();
  // A text without any quote has nothing left open.
  if (param.HasUnclosedValue() && std::strchr(param.Text(), '"') == nullptr) __builtin_trap();
  // The same text as the full path of a /F file: consumed only inside the folder.
  if (IsInsideFolder(text, "C:\\Temp\\") &&
      (text.size() < 9 || text.find("..") != std::string_view::npos ||
       (text[0] | 0x20) != 'c' || text[7] != '\\')) {
    __builtin_trap();
  }
  param.ApplyCommandLine();
  param.ApplyBeRule();
  const std::string file = param.FormatParamFile();
  (void)file;
  return 0;
}
