#include "common/target_keys_win.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "common/change_watch_win.h"
#include "common/debug_log_win.h"
#include "common/install_profile_win.h"
#include "common/logon_user_win.h"
#include "common/named_lock_win.h"
#include "common/registry_keys.h"
#include "common/registry_win.h"
#include "common/spooler_printer_win.h"
#include "common/system_library_win.h"
#include "common/text_util.h"
#include "common/unique_handle.h"
#include "common/vgprn_exports.h"
#include "common/windows_version_win.h"

namespace {

using vgreg::kProfileListKey;
constexpr DWORD kNameValueSize = MAX_PATH;
constexpr DWORD kSettingUnused = 255;
constexpr DWORD kFirstTimerValue = 10;

// Making a target key, and removing one for want of a name, is done by one process of the
// session at a time: two processes that find no key for a printer at once (a monitor starting
// while a user opens the printer's status window) would otherwise both make one and each go
// on with its own; and a clean-up would take a key that another process has made but not yet
// named for a stale one. The lock is held only for the look-up, the making and the naming,
// never while the spooler is asked or a library is loaded.
const char kTargetKeyLockName[] = "VglV3TargetKeyLock";
// A holder that takes longer than this is taken to hang, and the waiter goes on without the
// lock (no worse than having none).
constexpr DWORD kTargetKeyLockWaitMs = 10000;

const char* Safe(const char* text) { return text ? text : ""; }

// Registry roots are logged as the 32-bit numbers they are.
unsigned LogRoot(HKEY root) {
  return static_cast<unsigned>(reinterpret_cast<uintptr_t>(root));
}

// The profile-list entry whose "Sid" is the account of the user and domain: its key name
// (the user's SID text), or "" when none is.
std::string FindProfileOf(const char* user, const char* domain) {
  Registry list(HKEY_LOCAL_MACHINE, kProfileListKey);
  for (DWORD index = 0;; ++index) {
    const std::string entryName = list.EnumKey(index);
    if (entryName.empty()) break;
    Registry entry(list.Key(), entryName.c_str());
    std::vector<BYTE> sid = entry.GetBinary("Sid");
    if (!vgtarget::IsWholeSid(sid.data(), sid.size())) continue;
    char account[kLogonNameSize] = {};
    char accountDomain[kLogonNameSize] = {};
    DWORD accountSize = sizeof account;
    DWORD domainSize = sizeof accountDomain;
    SID_NAME_USE use;
    if (!::LookupAccountSidA(nullptr, sid.data(), account, &accountSize, accountDomain,
                             &domainSize, &use)) {
      continue;
    }
    if (vgtext::EqualsNoCase(account, user) && vgtext::EqualsNoCase(accountDomain, domain)) {
      return entryName;
    }
  }
  return std::string();
}

// FindProfileOf for the logon user, kept while the user stays the same and the profile list
// does not change. Thread-safe.
std::string ProfileOfLogonUser(const LogonUserFacts& logon) {
  static std::mutex lock;
  static ChangeWatch watch;
  static unsigned long generation = 0;
  static std::string profile;
  std::lock_guard<std::mutex> guard(lock);
  if (generation == logon.generation && watch.StillTrue()) return profile;
  watch.Clear();
  const bool watched = watch.WatchKey(HKEY_LOCAL_MACHINE, kProfileListKey, true);
  profile = FindProfileOf(logon.user, logon.domain);
  generation = watched ? logon.generation : 0;
  return profile;
}

// Root and base path of the kind's keys for this process.
void ChooseHive(std::string_view baseKey, TargetHive hive, char* path, HKEY* root) {
  *root = HKEY_CURRENT_USER;
  vgtext::CopyBounded(path, kTargetKeyPathSize, baseKey);
  if (hive != TargetHive::kLogonUser || !IsNtPlatform()) return;

  const LogonUserFacts logon = GetLogonUserFacts();
  if (logon.user[0] == '\0' || logon.sameUser) return;
  const std::string profile = ProfileOfLogonUser(logon);
  if (profile.empty()) return;
  char userPath[kTargetKeyPathSize];
  if (!vgtarget::JoinKeyPath(userPath, sizeof userPath, profile, baseKey)) return;
  vgtext::CopyBounded(path, kTargetKeyPathSize, userPath);
  *root = HKEY_USERS;
}

// The names of every subkey, taken before any is removed, so that each is visited once
// whatever the removals do to the enumeration order.
std::vector<std::string> SubkeyNames(const Registry& key) {
  std::vector<std::string> names;
  for (DWORD index = 0;; ++index) {
    std::string name = key.EnumKey(index);
    if (name.empty()) break;
    names.push_back(std::move(name));
  }
  return names;
}

// Whether the spooler knows the printer and it has a driver and a print processor.
enum class PrinterCheck { kUsable, kCannotOpen, kNoDriver };

PrinterCheck CheckPrinter(const char* name) {
  const SpoolerPrinter printer(name);
  if (!printer.IsOpen()) return PrinterCheck::kCannotOpen;
  // A printer whose record cannot be read is not taken for gone.
  const PRINTER_INFO_2A* info = printer.Info();
  if (info == nullptr) return PrinterCheck::kUsable;
  if (info->pDriverName == nullptr || info->pPrintProcessor == nullptr) {
    return PrinterCheck::kNoDriver;
  }
  return PrinterCheck::kUsable;
}

}  // namespace

namespace {

// The keys found lately, by root, base path and name: the path is taken again only after the
// key at it has shown the name it was found by (a key that was removed, or rebuilt for another
// printer, sends the look-up back to the base key's subkeys). Thread-safe; a few entries.
class TargetPathCache {
 public:
  bool Find(HKEY root, const char* basePath, std::string_view name, std::string* path) {
    std::lock_guard<std::mutex> guard(lock_);
    for (const Entry& entry : entries_) {
      if (entry.root == root && entry.basePath == basePath && vgtext::EqualsNoCase(entry.name, name)) {
        *path = entry.path;
        return true;
      }
    }
    return false;
  }
  void Keep(HKEY root, const char* basePath, std::string_view name, const std::string& path) {
    std::lock_guard<std::mutex> guard(lock_);
    Drop(root, basePath, name);
    if (entries_.size() >= kEntries) entries_.erase(entries_.begin());
    entries_.push_back({root, basePath, std::string(name), path});
  }
  void Forget(HKEY root, const char* basePath, std::string_view name) {
    std::lock_guard<std::mutex> guard(lock_);
    Drop(root, basePath, name);
  }

 private:
  static constexpr size_t kEntries = 8;
  struct Entry {
    HKEY root;
    std::string basePath;
    std::string name;
    std::string path;
  };
  void Drop(HKEY root, const char* basePath, std::string_view name) {
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
      if (it->root == root && it->basePath == basePath && vgtext::EqualsNoCase(it->name, name)) {
        entries_.erase(it);
        return;
      }
    }
  }
  std::mutex lock_;
  std::vector<Entry> entries_;
};

TargetPathCache& TargetPaths() {
  static TargetPathCache cache;
  return cache;
}

// Whether the open key carries the name it was found by.
bool HasName(const Registry& key, std::string_view name) {
  const std::string stored = key.GetString(vgreg::kTargetName, "", kNameValueSize);
  return !stored.empty() && vgtext::EqualsNoCase(stored, name);
}

// The subkeys of the base path in index order: the first whose "Name" is the name.
int SearchBase(HKEY root, char* keyPath, std::string_view wanted) {
  Registry base(root, keyPath);
  if (!base.IsOpen()) return kTargetNoBaseKey;
  for (DWORD index = 0;; ++index) {
    const std::string subkey = base.EnumKey(index);
    if (subkey.empty()) break;
    Registry target(base.Key(), subkey.c_str());
    if (!HasName(target, wanted)) continue;
    char found[kTargetKeyPathSize];
    if (!vgtarget::JoinKeyPath(found, sizeof found, keyPath, subkey)) continue;
    vgtext::CopyBounded(keyPath, kTargetKeyPathSize, found);
    return kTargetFound;
  }
  return kTargetNotFound;
}

// The look-up behind GetCurrentTargetPrnKey and OpenTargetKey. With a key to open, the key is
// opened with that access (a key found that does not open stays closed) and, when the path
// came from the cache, shows its name through that same handle.
int LookUpTargetKey(const char* name, int kind, char* keyPath, HKEY* root, TargetHive hive,
                    Registry* open, REGSAM access) {
  const std::string_view baseKey = vgtarget::BaseKeyOf(kind);
  if (baseKey.empty() || keyPath == nullptr || root == nullptr) return kTargetBadArgument;
  ChooseHive(baseKey, hive, keyPath, root);
  const std::string_view wanted = Safe(name);
  const std::string basePath = keyPath;

  std::string cached;
  if (!wanted.empty() && TargetPaths().Find(*root, basePath.c_str(), wanted, &cached)) {
    Registry check;
    Registry& key = open != nullptr ? *open : check;
    if (key.Open(*root, cached.c_str(), open != nullptr ? access : KEY_READ) &&
        HasName(key, wanted)) {
      vgtext::CopyBounded(keyPath, kTargetKeyPathSize, cached);
      return kTargetFound;
    }
    // Read access may be all the key allows: the name decides whether the path still holds.
    if (open != nullptr && !key.IsOpen()) {
      Registry reader(*root, cached.c_str());
      if (HasName(reader, wanted)) {
        vgtext::CopyBounded(keyPath, kTargetKeyPathSize, cached);
        return kTargetFound;
      }
    }
    key.Close();
    TargetPaths().Forget(*root, basePath.c_str(), wanted);
  }

  const int result = SearchBase(*root, keyPath, wanted);
  if (result != kTargetFound) return result;
  TargetPaths().Keep(*root, basePath.c_str(), wanted, keyPath);
  if (open != nullptr) open->Open(*root, keyPath, access);
  return result;
}

}  // namespace

int GetCurrentTargetPrnKey(const char* name, int kind, char* keyPath, HKEY* root,
                           TargetHive hive) {
  return LookUpTargetKey(name, kind, keyPath, root, hive, nullptr, 0);
}

int OpenTargetKey(const char* printerName, const char* portName, REGSAM access, Registry* key,
                  char* keyPath, HKEY* root) {
  if (key == nullptr) return kTargetBadArgument;
  key->Close();
  const vgtarget::TargetName target = vgtarget::ChooseTargetName(Safe(printerName), Safe(portName));
  const std::string name(target.name);
  char path[kTargetKeyPathSize] = {};
  HKEY targetRoot = HKEY_CURRENT_USER;
  const int result = LookUpTargetKey(name.c_str(), target.kind, path, &targetRoot,
                                     TargetHive::kLogonUser, key, access);
  if (keyPath != nullptr) vgtext::CopyBounded(keyPath, kTargetKeyPathSize, path);
  if (root != nullptr) *root = targetRoot;
  return result;
}

int CreateTargetPrnKey(HKEY root, const char* name, char* basePath) {
  if (basePath == nullptr) return 4;
  {
    Registry base(root, basePath, true);
    if (!base.IsOpen()) {
      VgTrace("can't create Key : 0x%08x %s\n", LogRoot(root), basePath);
      return 4;
    }
  }

  Registry target;
  char path[kTargetKeyPathSize] = {};
  bool created = false;
  for (long number = 0; number < vgtarget::kTargetNumberLimit && !created; ++number) {
    if (!vgtarget::FormatTargetKeyPath(path, sizeof path, basePath, number)) {
      VgTrace("can't open TopKey : 0x%08x %s\n", LogRoot(root), basePath);
      return 3;
    }
    created = target.Create(root, path) == 1;
    if (!target.IsOpen()) {
      VgTrace("can't open TopKey : 0x%08x %s\n", LogRoot(root), path);
      return 3;
    }
    if (!created) target.Close();
  }
  if (!created) return 1;

  if (!target.SetString(vgreg::kTargetName, Safe(name))) {
    VgTrace("can't setting printername, TopKey : 0x%08x %s\n", LogRoot(root), Safe(name));
    return 2;
  }
  vgtext::CopyBounded(basePath, kTargetKeyPathSize, path);
  target.SetDWord(vgreg::kTargetSetting, 0);
  target.SetDWord(vgreg::kTargetTimer, kFirstTimerValue);
  return target.GetDWordValue(vgreg::kTargetSetting, 1) == 0 ? 0 : 1;
}

namespace {

// The removal behind DeleteTargetKey: false when a key cannot be opened or removed.
bool DeleteTree(HKEY root, const std::string& keyPath) {
  std::vector<std::string> children;
  {
    Registry key(root, keyPath.c_str(), false, KEY_ALL_ACCESS);
    if (!key.IsOpen()) {
      VgTrace("can't open 0x%08x %s\n", LogRoot(root), keyPath.c_str());
      return false;
    }
    children = SubkeyNames(key);
  }
  for (const std::string& child : children) {
    if (!DeleteTree(root, keyPath + "\\" + child)) return false;
  }
  return ::RegDeleteKeyA(root, keyPath.c_str()) == ERROR_SUCCESS;
}

}  // namespace

int DeleteTargetKey(HKEY root, const char* keyPath) {
  if (keyPath == nullptr || keyPath[0] == '\0') return -1;  // never the root itself
  return DeleteTree(root, keyPath) ? 0 : -1;
}

int DeleteUnusedKey(HKEY root, const char* keyPath) {
  if (keyPath == nullptr || keyPath[0] == '\0') return -1;
  {
    Registry key(root, keyPath, false, KEY_ALL_ACCESS);
    if (!key.IsOpen()) {
      VgTrace("can't open 0x%08x %s\n", LogRoot(root), keyPath);
      return -1;
    }
    key.SetDWord(vgreg::kTargetSetting, kSettingUnused);
  }
  DeleteTargetKey(root, keyPath);
  return 0;
}

namespace {

// Whether the key, read again under the target-key lock, still has no name: a key that another
// process has just made is named before that process lets the lock go.
bool StillNameless(HKEY root, const std::string& keyPath) {
  Registry key(root, keyPath.c_str());
  return key.IsOpen() && key.GetString(vgreg::kTargetName, "", kNameValueSize).empty();
}

}  // namespace

int DeleteNoneReg(HKEY root, const char* basePath) {
  if (basePath == nullptr) return -1;
  VgTrace("0x%08x subkey = %s\n", LogRoot(root), basePath);
  std::vector<std::string> subkeys;
  {
    Registry base(root, basePath, false, KEY_ALL_ACCESS);
    if (!base.IsOpen()) {
      VgTrace("can't open TopKey : 0x%08x %s\n", LogRoot(root), basePath);
      return -1;
    }
    subkeys = SubkeyNames(base);
  }

  // Port names are no printer names: the spooler test would take every port's key. Keys
  // under a port-name base go only for want of a name, in the pass below.
  if (!vgtarget::IsPortBase(basePath)) {
    for (const std::string& subkey : subkeys) {
      VgTrace("RegEnumKeyEx : %s\n", subkey.c_str());
      const std::string keyPath = std::string(basePath) + "\\" + subkey;
      std::string name;
      {
        Registry key(root, keyPath.c_str());
        if (!key.IsOpen()) {
          VgTrace("can't open %s\n", subkey.c_str());
          continue;
        }
        name = key.GetString(vgreg::kTargetName, "", kNameValueSize);
      }
      VgTrace("RegQueryValueEx %s\n", name.c_str());
      if (name.empty()) {
        NamedLock lock(kTargetKeyLockName, kTargetKeyLockWaitMs);
        if (!StillNameless(root, keyPath)) continue;
        VgTrace("This key is delete. #1 (%s)\n", subkey.c_str());
        DeleteUnusedKey(root, keyPath.c_str());
        continue;
      }
      const PrinterCheck check = CheckPrinter(name.c_str());
      if (check == PrinterCheck::kCannotOpen) {
        VgTrace("This key is delete. #2 (%s)\n", name.c_str());
      }
      if (check != PrinterCheck::kUsable) DeleteUnusedKey(root, keyPath.c_str());
    }
  }

  const std::string portBase = vgtarget::PortBaseBeside(basePath);
  std::vector<std::string> portKeys;
  {
    Registry base(root, portBase.c_str(), false, KEY_ALL_ACCESS);
    if (!base.IsOpen()) return -1;
    portKeys = SubkeyNames(base);
  }
  for (const std::string& subkey : portKeys) {
    const std::string keyPath = portBase + "\\" + subkey;
    if (!StillNameless(root, keyPath)) continue;
    NamedLock lock(kTargetKeyLockName, kTargetKeyLockWaitMs);
    if (StillNameless(root, keyPath)) DeleteTargetKey(root, keyPath.c_str());
  }
  return 0;
}

int RebuildTargetKey(HKEY root, const char* printerName, const char* portName,
                     const char* modelId, int kind, char* basePath) {
  if (basePath == nullptr) return kRebuildCreateFailed;
  VgTrace("TopKey : 0x%08x, SubKey : %s\n", LogRoot(root), basePath);
  DeleteNoneReg(root, basePath);

  const char* name = kind == vgtarget::kKindPort ? portName : printerName;
  {
    NamedLock lock(kTargetKeyLockName, kTargetKeyLockWaitMs);
    // Another process may have made the printer's key since it was looked for: it is taken.
    char found[kTargetKeyPathSize];
    vgtext::CopyBounded(found, sizeof found, basePath);
    if (SearchBase(root, found, Safe(name)) == kTargetFound) {
      vgtext::CopyBounded(basePath, kTargetKeyPathSize, found);
      return 0;
    }
    if (CreateTargetPrnKey(root, Safe(name), basePath) != 0) return kRebuildCreateFailed;
  }

  char driverName[kInstallPathSize] = {};
  char libraryPath[kInstallPathSize] = {};
  GetDriverName(modelId, driverName);
  if (!GetPrnDllPath(libraryPath, driverName, modelId)) return kRebuildNoLibrary;
  ScopedModule library(::LoadLibraryA(libraryPath));
  if (!library.IsValid()) return kRebuildNoLibrary;
  auto setDefaults = GetProcAs<PFN_PrSetRegDefaultValue>(library.Get(), "PrSetRegDefaultValue");
  if (setDefaults == nullptr) return kRebuildNoExport;
  return setDefaults(Safe(printerName), driverName, Safe(portName), Safe(modelId), nullptr);
}

int CheckTargetRegKey(const char* printerName, const char* portName, const char* modelId,
                      int* kind, char* keyPath, HKEY* root, TargetHive hive) {
  const vgtarget::TargetName target = vgtarget::ChooseTargetName(Safe(printerName), Safe(portName));
  if (kind != nullptr) *kind = target.kind;
  const std::string name(target.name);
  char path[kTargetKeyPathSize] = {};
  HKEY targetRoot = HKEY_CURRENT_USER;
  int result = GetCurrentTargetPrnKey(name.c_str(), target.kind, path, &targetRoot, hive);
  if (result != kTargetFound) {
    result = RebuildTargetKey(targetRoot, printerName, portName, modelId, target.kind, path);
  }
  if (root != nullptr) *root = targetRoot;
  if (keyPath != nullptr && path[0] != '\0') vgtext::CopyBounded(keyPath, kTargetKeyPathSize, path);
  return result;
}

int FindTargetKey(const char* printerName, const char* portName, char* keyPath, HKEY* root) {
  const vgtarget::TargetName target = vgtarget::ChooseTargetName(Safe(printerName), Safe(portName));
  const std::string name(target.name);
  return GetCurrentTargetPrnKey(name.c_str(), target.kind, keyPath, root);
}

int OpenTargetKeyToWrite(const char* printerName, const char* portName, Registry* key) {
  const int result = OpenTargetKey(printerName, portName, KEY_ALL_ACCESS, key);
  // A key that cannot be written may still be read: its switches still count.
  if (result == kTargetFound && !key->IsOpen()) {
    OpenTargetKey(printerName, portName, KEY_READ, key);
  }
  return result;
}

int SetTargetStatus(Registry& target, const BYTE* reply, DWORD length, DWORD channel) {
  if (!target.IsOpen()) return 2;
  if (reply == nullptr) length = 0;
  if (!target.SetBinary(vgreg::kTargetStatus, reply, length) ||
      !target.SetDWord(vgreg::kTargetChannel, channel)) {
    return 2;
  }
  return 0;
}

int SetComStatus(Registry& target, DWORD value) {
  if (!target.IsOpen() || !target.SetDWord(vgreg::kTargetComStatus, value)) return 2;
  return 0;
}

int GetComStatus(const Registry& target) {
  return static_cast<int>(target.GetDWordValue(vgreg::kTargetComStatus, kComStatusDefault));
}

int SetTargetStatus(const char* printerName, const char* portName, const BYTE* reply,
                    DWORD length, DWORD channel) {
  Registry key;
  if (OpenTargetKey(printerName, portName, KEY_ALL_ACCESS, &key) != kTargetFound) return 1;
  return SetTargetStatus(key, reply, length, channel);
}

int SetComStatus(const char* printerName, const char* portName, DWORD value) {
  Registry key;
  if (OpenTargetKey(printerName, portName, KEY_ALL_ACCESS, &key) != kTargetFound) return 1;
  return SetComStatus(key, value);
}

int GetComStatus(const char* printerName, const char* portName) {
  Registry key;
  if (OpenTargetKey(printerName, portName, KEY_READ, &key) != kTargetFound) return kComStatusDefault;
  return GetComStatus(key);
}
