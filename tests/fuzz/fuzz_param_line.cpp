// Parameter-file lines of any bytes and length: bounded name and value, and a file written
// from the parsed block reads back to the same block.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "common/vgl_param.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  char name[80];
  char value[kParamTextSize];
  ParseParamLine(text, name, value);
  if (std::strlen(name) >= sizeof name || std::strlen(value) >= sizeof value) __builtin_trap();

  CVglParam block;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    block.ApplyParamLine(text.substr(start, end - start));
    start = end + 1;
  }
  block.ApplyBeRule();
  // Values holding a line feed cannot round-trip through a line-based file; skip those.
  const std::string written = block.FormatParamFile();
  CVglParam reread;
  start = 0;
  while (start < written.size()) {
    const size_t end = written.find('\n', start);
    reread.ApplyParamLine(std::string_view(written).substr(start, end - start + 1));
    start = end + 1;
  }
  reread.ApplyBeRule();
  if (reread.FormatParamFile() != written) __builtin_trap();
  return 0;
}
