// Snapshots of what an installation can change, for before-and-after comparisons.
#include "support/system_snapshot.h"

#include <algorithm>
#include <cstdio>

#include "common/registry_keys.h"
#include "support/win_test_support.h"

namespace vgtest {
namespace {

// vgsetup's record of each installation.
const char kSetupKey[] = "software\\KORVA\\VGL3\\Setup";
const char kSpoolPrinters[] = "System\\CurrentControlSet\\Control\\Print\\Printers\\";
const char kSpoolDrivers[] =
    "System\\CurrentControlSet\\Control\\Print\\Environments\\Windows NT x86\\Drivers\\"
    "Version-3\\";
const char kLegacyPrinterLists[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\";

}  // namespace

void DumpKey(HKEY root, const std::string& path, std::string* out) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    *out += path + " (missing)\n";
    return;
  }
  *out += path + "\n";
  for (DWORD i = 0;; ++i) {
    char name[512];
    BYTE data[4096];
    DWORD nameSize = sizeof name;
    DWORD dataSize = sizeof data;
    DWORD type = 0;
    if (::RegEnumValueA(key, i, name, &nameSize, nullptr, &type, data, &dataSize) !=
        ERROR_SUCCESS) {
      break;
    }
    char head[64];
    std::snprintf(head, sizeof head, "  [%lu] ", static_cast<unsigned long>(type));
    *out += head + std::string(name, nameSize) + " = ";
    for (DWORD b = 0; b < dataSize; ++b) {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%02x", data[b]);
      *out += hex;
    }
    *out += "\n";
  }
  std::vector<std::string> children;
  for (DWORD i = 0;; ++i) {
    char name[256];
    DWORD size = sizeof name;
    if (::RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
      break;
    }
    children.emplace_back(name, size);
  }
  ::RegCloseKey(key);
  for (const std::string& child : children) DumpKey(root, path + "\\" + child, out);
}

std::string FolderListing(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA data;
  HANDLE find = ::FindFirstFileA((folder + "\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      names.push_back(data.cFileName);
    } while (::FindNextFileA(find, &data));
    ::FindClose(find);
  }
  std::sort(names.begin(), names.end());
  std::string text = folder + ":";
  for (const std::string& name : names) text += " " + name;
  return text + "\n";
}

std::string ProgramFilesFolder() {
  char folder[MAX_PATH] = {};
  ::GetEnvironmentVariableA("ProgramFiles", folder, sizeof folder);
  return folder;
}

std::string DriverFolder() {
  char folder[MAX_PATH] = {};
  DWORD needed = 0;
  ::GetPrinterDriverDirectoryA(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(folder), sizeof folder,
                               &needed);
  return folder;
}

std::string InstallationSnapshot(const std::string& printer, const std::string& driver,
                     const std::string& model) {
  std::string text;
  DumpKey(HKEY_LOCAL_MACHINE, vgreg::kDriverKeyPrefix + driver, &text);
  DumpKey(HKEY_LOCAL_MACHINE, vgreg::kProfileKey, &text);
  DumpKey(HKEY_LOCAL_MACHINE, kSetupKey, &text);
  DumpKey(HKEY_LOCAL_MACHINE, vgreg::kCommonKey, &text);
  DumpKey(HKEY_LOCAL_MACHINE, kSpoolPrinters + printer, &text);
  DumpKey(HKEY_LOCAL_MACHINE, kSpoolDrivers + driver, &text);
  for (const char* list : {"Devices", "PrinterPorts"}) {
    text += list + std::string(": ") +
            vgtest::GetString(HKEY_CURRENT_USER, kLegacyPrinterLists + std::string(list),
                              printer.c_str()) +
            "\n";
  }

  DWORD count = 0;
  std::vector<BYTE> printers = Listing(
      [](BYTE* data, DWORD size, DWORD* needed, DWORD* returned) {
        return ::EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, data, size, needed, returned);
      },
      &count);
  std::vector<std::string> lines;
  for (DWORD i = 0; i < count; ++i) {
    const auto& info = reinterpret_cast<const PRINTER_INFO_2A*>(printers.data())[i];
    lines.push_back(std::string("printer ") + info.pPrinterName + " on " + info.pPortName +
                    " with " + info.pDriverName);
  }
  std::vector<BYTE> drivers = Listing(
      [](BYTE* data, DWORD size, DWORD* needed, DWORD* returned) {
        return ::EnumPrinterDriversA(nullptr, nullptr, 3, data, size, needed, returned);
      },
      &count);
  for (DWORD i = 0; i < count; ++i) {
    const auto& info = reinterpret_cast<const DRIVER_INFO_3A*>(drivers.data())[i];
    lines.push_back(std::string("driver ") + info.pName + " data " + info.pDataFile);
  }
  std::vector<BYTE> ports = Listing(
      [](BYTE* data, DWORD size, DWORD* needed, DWORD* returned) {
        return ::EnumPortsA(nullptr, 1, data, size, needed, returned);
      },
      &count);
  for (DWORD i = 0; i < count; ++i) {
    lines.push_back(std::string("port ") +
                    reinterpret_cast<const PORT_INFO_1A*>(ports.data())[i].pName);
  }
  std::sort(lines.begin(), lines.end());
  for (const std::string& line : lines) text += line + "\n";

  const std::string driverFolder = DriverFolder();
  text += FolderListing(driverFolder) + FolderListing(driverFolder + "\\3");
  text += FolderListing(ProgramFilesFolder() + "\\KORVA\\Vigil3\\" + model);
  return text;
}

}  // namespace vgtest
