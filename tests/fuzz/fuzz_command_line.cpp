// The command-line grammar over arbitrary text: every option enumerates without reading past
// the text, and the parameter block takes every value without overrunning a field.
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
  param.ApplyCommandLine();
  param.ApplyBeRule();
  const std::string file = param.FormatParamFile();
  (void)file;
  return 0;
}
