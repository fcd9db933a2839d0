// A model's profile section comes from a file anyone can edit: the item lines it yields must
// stay inside its bytes, keep their three-digit names and never exceed the item count.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "common/notify_item_rules.h"
#include "common/target_key_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const int maxItems = static_cast<int8_t>(data[0]);
  const char* text = reinterpret_cast<const char*>(data + 1);
  const size_t length = size - 1;
  const auto lines = vgnotify::SectionLines(text, length);
  for (std::string_view line : lines) {
    if (line.empty() || line.data() < text || line.data() + line.size() > text + length) {
      __builtin_trap();
    }
  }
  const auto items = vgnotify::CollectItems(lines, maxItems);
  if (items.size() > static_cast<size_t>(maxItems < 0 ? 0 : maxItems)) __builtin_trap();
  for (const auto& item : items) {
    if (item.name.size() != 3) __builtin_trap();
    for (char c : item.name) {
      if (c < '0' || c > '9') __builtin_trap();
    }
  }
  // The same bytes as a SID read back from the registry.
  vgtarget::IsWholeSid(data, size);
  return 0;
}
