// Version blocks of any bytes: the parser never reads outside the block (the sanitizers
// watch), and a version it finds is never empty and holds no terminator.
#include <cstddef>
#include <cstdint>

#include "ui/version_resource.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vgui::VersionText text;
  if (!vgui::FindProductVersion(data, size, &text)) {
    if (!text.narrow.empty() || !text.utf16.empty()) __builtin_trap();
    return 0;
  }
  if (text.wide) {
    if (text.utf16.empty() || text.utf16.size() * 2 > size) __builtin_trap();
    if (text.utf16.find(u'\0') != std::u16string::npos) __builtin_trap();
  } else {
    if (text.narrow.empty() || text.narrow.size() > size) __builtin_trap();
    if (text.narrow.find('\0') != std::string::npos) __builtin_trap();
  }
  return 0;
}
