#include "tools/vgsetup/setup_registry_win.h"

#include "common/registry_keys.h"
#include "common/registry_win.h"
#include "common/text_util.h"
#include "common/win.h"
#include "tools/vgsetup/setup_files_win.h"

namespace vgsetup {

std::string DriverKeyPath(const std::string& driver) {
  return std::string(kDriverRootKey) + "\\" + driver;
}

bool KeyExists(const std::string& path) {
  Registry key(HKEY_LOCAL_MACHINE, path.c_str());
  return key.IsOpen();
}

std::string ReadString(const std::string& path, const std::string& name) {
  Registry key(HKEY_LOCAL_MACHINE, path.c_str());
  return key.GetString(name.c_str(), "", 1024);
}

bool WriteStrings(const std::string& path,
                  const std::vector<std::pair<std::string, std::string>>& values,
                  std::string* error) {
  Registry key;
  key.Create(HKEY_LOCAL_MACHINE, path.c_str());
  if (!key.IsOpen()) {
    if (error) *error = WithSystemError("cannot create HKLM\\" + path, ::GetLastError());
    return false;
  }
  for (const auto& [name, value] : values) {
    if (!key.SetString(name.c_str(), value.c_str())) {
      if (error) *error = "cannot write " + name + " under HKLM\\" + path;
      return false;
    }
  }
  return true;
}

bool ValueExists(const std::string& path, const std::string& name) {
  Registry key(HKEY_LOCAL_MACHINE, path.c_str());
  return key.IsOpen() && key.GetValueType(name.c_str()) != 0;
}

bool WriteDword(const std::string& path, const std::string& name, unsigned long value,
                std::string* error) {
  Registry key;
  key.Create(HKEY_LOCAL_MACHINE, path.c_str());
  if (key.IsOpen() && key.SetDWord(name.c_str(), static_cast<DWORD>(value))) return true;
  if (error) *error = WithSystemError("cannot write " + name + " under HKLM\\" + path, ::GetLastError());
  return false;
}

bool DeleteValueIfPresent(const std::string& path, const std::string& name, std::string* error) {
  Registry key(HKEY_LOCAL_MACHINE, path.c_str(), false, KEY_ALL_ACCESS);
  if (!key.IsOpen() || key.GetValueType(name.c_str()) == 0) return true;
  if (key.DeleteValue(name.c_str())) return true;
  if (error) *error = "cannot delete " + name + " under HKLM\\" + path;
  return false;
}

bool DeleteKeyTree(const std::string& path, std::string* error) {
  {
    Registry key(HKEY_LOCAL_MACHINE, path.c_str(), false, KEY_ALL_ACCESS);
    if (!key.IsOpen()) return !KeyExists(path);
    // Always take the first subkey: the enumeration shifts as subkeys go.
    for (std::string child = key.EnumKey(0); !child.empty(); child = key.EnumKey(0)) {
      if (!DeleteKeyTree(path + "\\" + child, error)) return false;
    }
  }
  LONG rc = ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, path.c_str());
  if (rc == ERROR_SUCCESS || !KeyExists(path)) return true;
  if (error) *error = WithSystemError("cannot delete HKLM\\" + path, static_cast<DWORD>(rc));
  return false;
}

void DeleteKeyIfEmpty(const std::string& path) {
  DWORD subKeys = 0;
  DWORD values = 0;
  {
    Registry key(HKEY_LOCAL_MACHINE, path.c_str());
    if (!key.IsOpen() ||
        ::RegQueryInfoKeyA(key.Key(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr,
                           &values, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
      return;
    }
  }
  if (subKeys == 0 && values == 0) ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, path.c_str());
}

bool ReadRecord(const std::string& printer, InstallRecord* record) {
  Registry key(HKEY_LOCAL_MACHINE, kSetupKey);
  if (!key.IsOpen() || key.GetValueType(printer.c_str()) != REG_MULTI_SZ) return false;
  const std::vector<BYTE> data = key.GetBinary(printer.c_str());
  return DecodeRecord(std::string_view(reinterpret_cast<const char*>(data.data()), data.size()),
                      record);
}

bool WriteRecord(const std::string& printer, const InstallRecord& record, std::string* error) {
  Registry key;
  key.Create(HKEY_LOCAL_MACHINE, kSetupKey);
  const std::string data = EncodeRecord(record);
  if (key.IsOpen() && ::RegSetValueExA(key.Key(), printer.c_str(), 0, REG_MULTI_SZ,
                                       reinterpret_cast<const BYTE*>(data.data()),
                                       static_cast<DWORD>(data.size())) == ERROR_SUCCESS) {
    return true;
  }
  if (error) *error = "cannot write the installation record under HKLM\\" + std::string(kSetupKey);
  return false;
}

bool DeleteRecord(const std::string& printer, std::string* error) {
  return DeleteValueIfPresent(kSetupKey, printer, error);
}

std::vector<std::string> RecordedPrinters() {
  std::vector<std::string> printers;
  Registry key(HKEY_LOCAL_MACHINE, kSetupKey);
  if (!key.IsOpen()) return printers;
  for (DWORD i = 0;; ++i) {
    char name[1024];
    DWORD size = sizeof name;
    const LONG rc = ::RegEnumValueA(key.Key(), i, name, &size, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_MORE_DATA) continue;  // no printer name is that long
    if (rc != ERROR_SUCCESS) break;
    InstallRecord record;
    const std::string printer(name, size);
    if (ReadRecord(printer, &record)) printers.push_back(printer);
  }
  return printers;
}

std::vector<std::string> OtherDriverKeyValues(const std::string& excludedDriver,
                                              const char* valueName) {
  std::vector<std::string> values;
  Registry root(HKEY_LOCAL_MACHINE, kDriverRootKey);
  for (DWORD i = 0;; ++i) {
    const std::string driver = root.EnumKey(i);
    if (driver.empty()) break;
    if (vgtext::EqualsNoCase(driver, excludedDriver)) continue;
    const std::string value = ReadString(DriverKeyPath(driver), valueName);
    if (!value.empty()) values.push_back(value);
  }
  return values;
}

void RemoveEmptyProductKeys() {
  DeleteKeyIfEmpty(kSetupKey);
  DeleteKeyIfEmpty(kDriverRootKey);
  DeleteKeyIfEmpty(kProfileKey);
  DeleteKeyIfEmpty(kCommonKey);
  DeleteKeyIfEmpty(kProductKey);
  DeleteKeyIfEmpty("software\\KORVA");
}

}  // namespace vgsetup
