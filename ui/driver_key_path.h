#pragma once
// The Driver key path of the printer whose status window runs in this process:
// "software\KORVA\VGL3\Driver\" and the printer driver's name. The status window sets it
// when it starts; the about box and the picture control read it. One per process, empty
// until set.
#include <cstddef>
#include <string>
#include <string_view>

#include "common/registry_keys.h"

namespace vgui {

constexpr std::string_view kDriverKeyPrefix = vgreg::kDriverKeyPrefix;
constexpr size_t kDriverKeyPathSize = 260;

// The path for a driver name; empty for an empty name or a path that would not fit.
std::string MakeDriverKeyPath(std::string_view driverName);
// The driver name at the end of a Driver key path; empty when the path is not one.
std::string_view DriverNameOf(std::string_view keyPath);

// The process-wide path. A path that does not fit 259 characters is not stored (the
// stored path becomes empty): a cut path names another key.
void SetDriverKeyPath(std::string_view path);
const char* DriverKeyPath();

}  // namespace vgui
