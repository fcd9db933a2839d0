#include "support/scoped_registry_value.h"

#include "support/win_test_support.h"

namespace vgtest {

ScopedRegistryValue::ScopedRegistryValue(HKEY root, std::string path, std::string name)
    : root_(root), path_(std::move(path)), name_(std::move(name)) {
  keyExisted_ = KeyExists(root_, path_);
  HKEY key = nullptr;
  if (::RegOpenKeyExA(root_, path_.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  DWORD size = 0;
  if (::RegQueryValueExA(key, name_.c_str(), nullptr, &type_, nullptr, &size) == ERROR_SUCCESS) {
    saved_.assign(size, '\0');
    existed_ = ::RegQueryValueExA(key, name_.c_str(), nullptr, &type_,
                                  reinterpret_cast<BYTE*>(&saved_[0]), &size) == ERROR_SUCCESS;
    saved_.resize(size);
  }
  ::RegCloseKey(key);
}

ScopedRegistryValue::~ScopedRegistryValue() {
  if (existed_) {
    Write(type_, saved_);
    return;
  }
  Remove();
  if (!keyExisted_) ::RegDeleteKeyA(root_, path_.c_str());
}

void ScopedRegistryValue::SetString(const std::string& value) {
  Write(REG_SZ, value + std::string(1, '\0'));
}

void ScopedRegistryValue::SetMultiString(const std::vector<std::string>& entries) {
  std::string bytes;
  for (const auto& entry : entries) bytes += entry + std::string(1, '\0');
  bytes += '\0';
  Write(REG_MULTI_SZ, bytes);
}

void ScopedRegistryValue::Remove() {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(root_, path_.c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
  ::RegDeleteValueA(key, name_.c_str());
  ::RegCloseKey(key);
}

void ScopedRegistryValue::Write(DWORD type, const std::string& bytes) {
  HKEY key = nullptr;
  if (::RegCreateKeyExA(root_, path_.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
    return;
  }
  ::RegSetValueExA(key, name_.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                   static_cast<DWORD>(bytes.size()));
  ::RegCloseKey(key);
}

}  // namespace vgtest
