#pragma once
// The machine-wide keys that vgsetup writes under HKEY_LOCAL_MACHINE: a Driver key per driver,
// the Profile key's value per model, and the installation record per printer.
#include <string>
#include <utility>
#include <vector>

#include "common/registry_keys.h"
#include "tools/vgsetup/setup_plan.h"

namespace vgsetup {

using vgreg::kDriverRootKey;
using vgreg::kProductKey;
using vgreg::kProfileKey;
// One value per installed printer, named by the printer, holding its InstallRecord.
constexpr char kSetupKey[] = "software\\KORVA\\VGL3\\Setup";
// The machine-wide switches of common errors (kCommonSwitches).
using vgreg::kCommonKey;

// The bidirectional library's installation: "InstallDir" names the folder of its set-up
// program, which the preferences start to switch the network agent.
constexpr char kQvapiInfoKey[] = "Software\\KORVA\\QVAPIInfo";
constexpr char kSetupProgramName[] = "qvapiset.exe";

std::string DriverKeyPath(const std::string& driver);

bool KeyExists(const std::string& path);
// The string value, or "" when the key or value is missing.
std::string ReadString(const std::string& path, const std::string& name);
// Creates the key when needed and writes each pair as a REG_SZ value.
bool WriteStrings(const std::string& path,
                  const std::vector<std::pair<std::string, std::string>>& values,
                  std::string* error);
bool ValueExists(const std::string& path, const std::string& name);
// Creates the key when needed and writes a REG_DWORD value.
bool WriteDword(const std::string& path, const std::string& name, unsigned long value,
                std::string* error);
// True when the value is gone afterwards (also when it or its key never existed).
bool DeleteValueIfPresent(const std::string& path, const std::string& name, std::string* error);
// Removes the key with all its subkeys; true when it is gone afterwards.
bool DeleteKeyTree(const std::string& path, std::string* error);
// Removes the key when it holds neither values nor subkeys.
void DeleteKeyIfEmpty(const std::string& path);

bool ReadRecord(const std::string& printer, InstallRecord* record);
bool WriteRecord(const std::string& printer, const InstallRecord& record, std::string* error);
bool DeleteRecord(const std::string& printer, std::string* error);
// The printers that have a readable installation record.
std::vector<std::string> RecordedPrinters();

// A value ("ModelID", "InstallPath") of every Driver key except the named driver's; empty
// values are left out.
std::vector<std::string> OtherDriverKeyValues(const std::string& excludedDriver,
                                              const char* valueName);

// After an uninstall: removes the product's keys that were left empty, deepest first.
void RemoveEmptyProductKeys();

}  // namespace vgsetup
