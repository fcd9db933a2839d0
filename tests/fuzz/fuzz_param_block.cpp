// Hand-off blocks of any bytes and length, as a pop-up window receives them: the reader keeps
// inside the bytes it was given, and a block built from what it read reads back the same.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "monitor/param_block.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // An exact copy, so that a read past its end is caught.
  const std::vector<uint8_t> bytes(data, data + size);
  const auto view = vgmon::ReadParamBlock(bytes.data(), bytes.size());
  if (!view) return 0;
  const char* begin = reinterpret_cast<const char*>(bytes.data());
  for (const vgmon::ParamItem& item : view->items) {
    if (item.data.data() < begin || item.data.data() + item.data.size() > begin + size) {
      __builtin_trap();
    }
  }
  if (view->items.size() > size / 16) __builtin_trap();

  // Texts that end at their zero travel in slots of 260 bytes.
  std::vector<vgmon::ParamItem> items;
  for (const vgmon::ParamItem& item : view->items) {
    if (item.data.size() < vgmon::kParamSlotSize) items.push_back(item);
  }
  const auto rebuilt = vgmon::BuildParamBlock(items, vgmon::kParamSlotSize, view->extra);
  const auto reread = vgmon::ReadParamBlock(rebuilt.data(), rebuilt.size());
  if (!reread || reread->extra != view->extra || reread->items.size() != items.size()) {
    __builtin_trap();
  }
  for (size_t i = 0; i < items.size(); ++i) {
    if (reread->items[i].type != items[i].type || reread->items[i].data != items[i].data) {
      __builtin_trap();
    }
  }
  return 0;
}
