#pragma once
// Names of the per-printer kernel objects that tie the monitor and the status window together.
#include <string>
#include <string_view>

namespace vgnames {

// The printer name, or the port name when the printer name is empty.
std::string_view PrinterKey(std::string_view printer, std::string_view port);

// "VG_MAP_" + key, at most 259 characters, every backslash replaced by "/": the monitor's
// instance mapping, which holds its main-window handle.
std::string InstanceMappingName(std::string_view printer, std::string_view port);

// "MonitoringSynchroEvent_" + key, at most 259 characters, every backslash replaced by ",".
std::string SynchroEventName(std::string_view printer, std::string_view port);

}  // namespace vgnames
