#include "support/test_target_keys.h"

#include <cstdio>

#include "common/target_keys_win.h"
#include "support/win_test_support.h"

namespace vgtest {

const char kTargetBase[] = "software\\KORVA\\VGL3\\VGLData\\KVLTarget";
const char kPortTargetBase[] = "software\\KORVA\\VGL3\\VGLData\\KVNTarget";

ScopedTargetKeys::~ScopedTargetKeys() {
  for (const auto& path : paths_) DeleteKeyTree(HKEY_CURRENT_USER, path);
}

std::string ScopedTargetKeys::Make(const std::string& base, const std::string& name) {
  char path[kTargetKeyPathSize] = {};
  std::snprintf(path, sizeof path, "%s", base.c_str());
  if (CreateTargetPrnKey(HKEY_CURRENT_USER, name.c_str(), path) != 0) return std::string();
  paths_.push_back(path);
  return path;
}

void ScopedTargetKeys::Adopt(const std::string& path) {
  if (!path.empty()) paths_.push_back(path);
}

DWORD TargetDword(const std::string& keyPath, const char* name, DWORD defaultValue) {
  return GetDword(HKEY_CURRENT_USER, keyPath, name, defaultValue);
}

bool HasTargetValue(const std::string& keyPath, const char* name) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return false;
  }
  const bool found =
      ::RegQueryValueExA(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
  ::RegCloseKey(key);
  return found;
}

}  // namespace vgtest
