#include "common/device_id.h"

namespace vgdevice {

std::string_view ModelOf(std::string_view deviceId) {
  const size_t tag = deviceId.find("MDL:");
  if (tag == std::string_view::npos) return std::string_view();
  const std::string_view rest = deviceId.substr(tag + 4);
  const size_t end = rest.find(';');
  if (end == std::string_view::npos) return std::string_view();
  return rest.substr(0, end);
}

}  // namespace vgdevice
