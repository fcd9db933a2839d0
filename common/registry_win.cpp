#include "common/registry_win.h"

#include <cstring>

Registry::Registry(HKEY root, const char* subKey, bool create, REGSAM access) {
  if (access == 0) access = create ? KEY_ALL_ACCESS : KEY_READ;
  if (create) {
    Create(root, subKey, nullptr, access);
  } else {
    Open(root, subKey, access);
  }
}

Registry::~Registry() { Close(); }

void Registry::Close() {
  m_hKey.Close();
  m_bOpen = FALSE;
}

int Registry::Create(HKEY root, const char* subKey, const char* className, REGSAM access) {
  Close();
  if (subKey == nullptr) return 0;
  if (access == 0) access = KEY_ALL_ACCESS;
  DWORD disposition = 0;
  HKEY key = nullptr;
  LONG rc = ::RegCreateKeyExA(root, subKey, 0, const_cast<char*>(className ? className : ""),
                              REG_OPTION_NON_VOLATILE, access, nullptr, &key, &disposition);
  if (rc != ERROR_SUCCESS) return 0;
  m_hKey.Reset(key);
  m_bOpen = TRUE;
  m_samDesired = access;
  return disposition == REG_CREATED_NEW_KEY ? 1 : 0;
}

bool Registry::Open(HKEY root, const char* subKey, REGSAM access) {
  Close();
  if (subKey == nullptr) return false;
  if (access == 0) access = KEY_READ;
  HKEY key = nullptr;
  if (::RegOpenKeyExA(root, subKey, 0, access, &key) != ERROR_SUCCESS) return false;
  m_hKey.Reset(key);
  m_bOpen = TRUE;
  m_samDesired = access;
  return true;
}

std::string Registry::EnumKey(DWORD index, std::string* className) const {
  if (!m_bOpen) return std::string();
  char name[256] = {};
  char cls[256] = {};
  DWORD nameSize = sizeof name;
  DWORD classSize = sizeof cls;
  if (::RegEnumKeyExA(m_hKey.Get(), index, name, &nameSize, nullptr, cls, &classSize, nullptr) !=
      ERROR_SUCCESS) {
    return std::string();
  }
  if (className) *className = cls;
  return name;
}

DWORD Registry::GetValueType(const char* name) const {
  if (!m_bOpen) return 0;
  DWORD type = 0;
  if (::RegQueryValueExA(m_hKey.Get(), name, nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS) {
    return 0;
  }
  return type;
}

DWORD Registry::GetValueSize(const char* name) const {
  if (!m_bOpen) return 0;
  DWORD size = 0;
  if (::RegQueryValueExA(m_hKey.Get(), name, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) {
    return 0;
  }
  return size;
}

std::string Registry::GetString(const char* name, const char* defaultValue,
                                DWORD bufferSize) const {
  std::string value;
  if (!QueryString(name, &value, bufferSize)) value = defaultValue ? defaultValue : "";
  return value;
}

bool Registry::QueryString(const char* name, std::string* value, DWORD bufferSize) const {
  if (!m_bOpen || bufferSize == 0 || value == nullptr) return false;
  std::vector<char> buffer(bufferSize + 1, '\0');
  DWORD size = bufferSize;
  DWORD type = 0;
  if (::RegQueryValueExA(m_hKey.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                         &size) != ERROR_SUCCESS) {
    return false;
  }
  // Stored strings need not be terminated; the extra byte above always is.
  value->assign(buffer.data(), strnlen(buffer.data(), size));
  return true;
}

DWORD Registry::GetDWordValue(const char* name, DWORD defaultValue) const {
  if (!m_bOpen) return defaultValue;
  DWORD value = 0;
  DWORD size = sizeof value;
  DWORD type = 0;
  if (::RegQueryValueExA(m_hKey.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&value),
                         &size) != ERROR_SUCCESS ||
      size != sizeof value) {
    return defaultValue;
  }
  return value;
}

bool Registry::QueryDWord(const char* name, DWORD defaultValue, DWORD* value) const {
  if (!m_bOpen || value == nullptr) return false;
  DWORD read = 0;
  DWORD size = sizeof read;
  DWORD type = 0;
  const LONG rc =
      ::RegQueryValueExA(m_hKey.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&read), &size);
  if (rc == ERROR_SUCCESS && size == sizeof read) {
    *value = read;
    return true;
  }
  if (rc == ERROR_SUCCESS || rc == ERROR_MORE_DATA) {
    *value = defaultValue;
    return true;
  }
  return false;
}

DWORD Registry::ReadDWord(const char* name) const { return GetDWordValue(name, 0xFFFFFFFF); }

std::vector<BYTE> Registry::GetBinary(const char* name) const {
  DWORD size = GetValueSize(name);
  if (size == 0) return {};
  std::vector<BYTE> data(size);
  DWORD type = 0;
  if (::RegQueryValueExA(m_hKey.Get(), name, nullptr, &type, data.data(), &size) != ERROR_SUCCESS) {
    return {};
  }
  data.resize(size);
  return data;
}

int Registry::SetDWord(const char* name, DWORD value) {
  if (!m_bOpen) return 0;
  return ::RegSetValueExA(m_hKey.Get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof value) == ERROR_SUCCESS;
}

int Registry::SetBinary(const char* name, const void* data, DWORD size) {
  if (!m_bOpen || (data == nullptr && size != 0)) return 0;
  return ::RegSetValueExA(m_hKey.Get(), name, 0, REG_BINARY, static_cast<const BYTE*>(data),
                          size) == ERROR_SUCCESS;
}

int Registry::SetString(const char* name, const char* value) {
  if (!m_bOpen || value == nullptr) return 0;
  return ::RegSetValueExA(m_hKey.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                          static_cast<DWORD>(std::strlen(value) + 1)) == ERROR_SUCCESS;
}

int Registry::DeleteValue(const char* name) {
  if (!m_bOpen) return 0;
  return ::RegDeleteValueA(m_hKey.Get(), name) == ERROR_SUCCESS;
}
