#pragma once
// Target keys that one test makes in the shared bases of the current user (found by the
// lookups by name), removed again at the end, with the readers tests need.
#include <string>
#include <vector>

#include "common/win.h"

namespace vgtest {

extern const char kTargetBase[];      // software\KORVA\VGL3\VGLData\KVLTarget
extern const char kPortTargetBase[];  // software\KORVA\VGL3\VGLData\KVNTarget

class ScopedTargetKeys {
 public:
  ScopedTargetKeys() = default;
  ~ScopedTargetKeys();
  ScopedTargetKeys(const ScopedTargetKeys&) = delete;
  ScopedTargetKeys& operator=(const ScopedTargetKeys&) = delete;

  // A new key named name under the base (its path; "" when it could not be made).
  std::string Make(const std::string& base, const std::string& name);
  // A key that the code under test made: removed at the end too.
  void Adopt(const std::string& path);

 private:
  std::vector<std::string> paths_;
};

// The 32-bit value, or defaultValue when the value is missing.
DWORD TargetDword(const std::string& keyPath, const char* name, DWORD defaultValue = 0xDEAD);
bool HasTargetValue(const std::string& keyPath, const char* name);

}  // namespace vgtest
