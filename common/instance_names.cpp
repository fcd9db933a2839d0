#include "common/instance_names.h"

namespace vgnames {
namespace {

constexpr size_t kMaxName = 259;

std::string BuildName(std::string_view prefix, std::string_view key, char backslashBecomes) {
  std::string name(prefix);
  name.append(key.data(), key.size());
  if (name.size() > kMaxName) name.resize(kMaxName);
  for (char& c : name) {
    if (c == '\\') c = backslashBecomes;
  }
  return name;
}

}  // namespace

std::string_view PrinterKey(std::string_view printer, std::string_view port) {
  return printer.empty() ? port : printer;
}

std::string InstanceMappingName(std::string_view printer, std::string_view port) {
  return BuildName("VG_MAP_", PrinterKey(printer, port), '/');
}

std::string SynchroEventName(std::string_view printer, std::string_view port) {
  return BuildName("MonitoringSynchroEvent_", PrinterKey(printer, port), ',');
}

}  // namespace vgnames
