#pragma once
// Registry: owner of one open registry key with typed reads that fall back to defaults.
// Every operation on a closed object answers as for a missing value and touches nothing.
#include <string>
#include <vector>

#include "common/unique_handle.h"
#include "common/win.h"

class Registry {
 public:
  Registry() = default;
  // Access 0 means KEY_ALL_ACCESS with the create flag, else KEY_READ. Failure leaves it closed.
  Registry(HKEY root, const char* subKey, bool create = false, REGSAM access = 0);
  // An access mask in the third place would silently become the create flag.
  template <typename T>
  Registry(HKEY, const char*, T) = delete;
  virtual ~Registry();

  Registry(const Registry&) = delete;
  Registry& operator=(const Registry&) = delete;

  // 1 only when the key was newly created; 0 when it existed already or cannot be created.
  // Access 0 means KEY_ALL_ACCESS.
  int Create(HKEY root, const char* subKey, const char* className = nullptr, REGSAM access = 0);
  // Access 0 means KEY_READ. Returns the open flag.
  bool Open(HKEY root, const char* subKey, REGSAM access = 0);
  void Close();

  bool IsOpen() const { return m_bOpen != FALSE; }
  HKEY Key() const { return m_hKey.Get(); }
  // The mask the key was opened or created with.
  REGSAM Access() const { return m_samDesired; }

  // Name of the subkey at index, or "" when closed or past the end.
  std::string EnumKey(DWORD index, std::string* className = nullptr) const;
  DWORD GetValueType(const char* name) const;
  DWORD GetValueSize(const char* name) const;
  // The value read into bufferSize bytes, or the default when closed or the read fails.
  std::string GetString(const char* name, const char* defaultValue = "",
                        DWORD bufferSize = MAX_PATH) const;
  // As GetString, but says whether the read succeeded; value is untouched when it did not.
  bool QueryString(const char* name, std::string* value, DWORD bufferSize = MAX_PATH) const;
  DWORD GetDWordValue(const char* name, DWORD defaultValue) const;
  // Whether the value exists, in one read: false when it is missing or the key is closed;
  // true otherwise, with *value set to the value, or to defaultValue when it is not 32 bits.
  bool QueryDWord(const char* name, DWORD defaultValue, DWORD* value) const;
  // 0xFFFFFFFF when closed or the read fails.
  DWORD ReadDWord(const char* name) const;
  // The value's bytes; empty when closed, missing or empty.
  std::vector<BYTE> GetBinary(const char* name) const;

  int SetDWord(const char* name, DWORD value);
  int SetBinary(const char* name, const void* data, DWORD size);
  int SetString(const char* name, const char* value);
  int DeleteValue(const char* name);

 private:
  ScopedRegKey m_hKey;
  BOOL m_bOpen = FALSE;
  REGSAM m_samDesired = 0;
};
