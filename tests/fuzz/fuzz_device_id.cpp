// Device IDs of any bytes: the model found is always a part of the text between "MDL:" and
// the next ";", never beyond the input.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "common/device_id.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::string_view model = vgdevice::ModelOf(text);
  if (model.empty()) return 0;
  if (model.data() < text.data() || model.data() + model.size() > text.data() + text.size()) {
    __builtin_trap();
  }
  if (model.find(';') != std::string_view::npos) __builtin_trap();
  const size_t offset = static_cast<size_t>(model.data() - text.data());
  if (offset < 4 || text.substr(offset - 4, 4) != "MDL:" || text[offset + model.size()] != ';') {
    __builtin_trap();
  }
  return 0;
}
