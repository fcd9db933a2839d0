#pragma once
// Machine-wide registry values that a test must change (a Windows setting, not a key of its
// own): the value is saved when the object is made and put back, or removed again, when it
// goes.
#include <string>
#include <vector>

#include "common/win.h"

namespace vgtest {

class ScopedRegistryValue {
 public:
  ScopedRegistryValue(HKEY root, std::string path, std::string name);
  ~ScopedRegistryValue();
  ScopedRegistryValue(const ScopedRegistryValue&) = delete;
  ScopedRegistryValue& operator=(const ScopedRegistryValue&) = delete;

  void SetString(const std::string& value);
  // Each entry is stored with its terminator, then one more terminator ends the list.
  void SetMultiString(const std::vector<std::string>& entries);
  void Remove();

 private:
  void Write(DWORD type, const std::string& bytes);

  HKEY root_;
  std::string path_;
  std::string name_;
  bool keyExisted_ = false;
  bool existed_ = false;
  DWORD type_ = 0;
  std::string saved_;
};

}  // namespace vgtest
