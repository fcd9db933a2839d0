#include "ui/driver_key_path.h"

#include "common/text_util.h"

namespace vgui {

namespace {

char g_driverKeyPath[kDriverKeyPathSize] = {};

}  // namespace

std::string MakeDriverKeyPath(std::string_view driverName) {
  if (driverName.empty() || kDriverKeyPrefix.size() + driverName.size() >= kDriverKeyPathSize) {
    return std::string();
  }
  std::string path(kDriverKeyPrefix);
  path += driverName;
  return path;
}

std::string_view DriverNameOf(std::string_view keyPath) {
  if (!vgtext::StartsWithNoCase(keyPath, kDriverKeyPrefix)) return std::string_view();
  return keyPath.substr(kDriverKeyPrefix.size());
}

void SetDriverKeyPath(std::string_view path) {
  if (path.size() >= kDriverKeyPathSize) path = std::string_view();
  vgtext::CopyBounded(g_driverKeyPath, sizeof g_driverKeyPath, path);
}

const char* DriverKeyPath() { return g_driverKeyPath; }

}  // namespace vgui
