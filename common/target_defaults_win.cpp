#include "common/target_defaults_win.h"

#include <cstdint>
#include <string>
#include <vector>

#include "common/debug_log_win.h"
#include "common/notify_item_rules.h"
#include "common/registry_win.h"
#include "common/target_key_rules.h"

namespace {

constexpr char kNotifyKey[] = "Notify";
constexpr int kAbsentLimit = -1;

// Written whatever the INI says (0 when absent), in this order.
const char* const kSwitches[] = {"SoundNotifyEnable", "BeepBuzzerEnable", "TrayIconEnable",
                                 "TrayIconSelected"};
// Written only when the INI gives them.
const char* const kLimits[] = {"InkNearEndB", "InkNearEndC", "SizeUnitH", "SlipMax",
                               "MaxCaset",    "MaxIC",       "PaperNearEnd"};

const char* Safe(const char* text) { return text ? text : ""; }

unsigned LogRoot(HKEY root) {
  return static_cast<unsigned>(reinterpret_cast<uintptr_t>(root));
}

// Without a file every key reads as absent; an empty name would send the profile calls to
// the Windows folder's own INI.
int ReadIniInt(const char* iniPath, const char* section, const char* key, int defaultValue) {
  if (iniPath == nullptr || iniPath[0] == '\0') return defaultValue;
  return static_cast<int>(::GetPrivateProfileIntA(Safe(section), key, defaultValue, iniPath));
}

bool HasValue(const Registry& key, const char* name) {
  return ::RegQueryValueExA(key.Key(), name, nullptr, nullptr, nullptr, nullptr) ==
         ERROR_SUCCESS;
}

}  // namespace

int SetRegDefaultValue(HKEY root, const char* iniPath, const char* section,
                       const char* keyPath) {
  VgTrace("SetRegDefaultValue()\n");
  VgTrace("0x%08x - subkey = %s\n", LogRoot(root), Safe(keyPath));
  if (keyPath == nullptr || keyPath[0] == '\0') return kDefaultsNoKey;
  {
    Registry key(root, keyPath, false, KEY_ALL_ACCESS);
    if (!key.IsOpen()) return kDefaultsNoKey;
    for (const char* name : kSwitches) {
      key.SetDWord(name, static_cast<DWORD>(ReadIniInt(iniPath, section, name, 0)));
    }
    for (const char* name : kLimits) {
      const int value = ReadIniInt(iniPath, section, name, kAbsentLimit);
      if (value != kAbsentLimit) key.SetDWord(name, static_cast<DWORD>(value));
    }
  }
  return ChkNtfyReg(root, keyPath, section, iniPath) ? kDefaultsWritten : kDefaultsNoItems;
}

int ChkNtfyReg(HKEY root, const char* keyPath, const char* section, const char* iniPath) {
  char notifyPath[vgtarget::kKeyPathSize];
  if (keyPath == nullptr || !vgtarget::JoinKeyPath(notifyPath, sizeof notifyPath, keyPath,
                                                   kNotifyKey)) {
    return 0;
  }
  VgTrace("ChkNtfyReg()\n");
  VgTrace("0x%08x / notify key = %s\n", LogRoot(root), notifyPath);
  Registry notify;
  const bool existed = notify.Create(root, notifyPath, nullptr, KEY_ALL_ACCESS) == 0;
  if (!notify.IsOpen()) return 0;

  const int itemCount = ReadIniInt(iniPath, section, "ITEMNUM", 0);
  if (itemCount <= 0) return 0;

  std::vector<char> buffer(kNotifySectionSize, '\0');
  const DWORD length = ::GetPrivateProfileSectionA(Safe(section), buffer.data(),
                                                   kNotifySectionSize, iniPath);
  if (length == kNotifySectionOverflow) return 0;

  const auto lines = vgnotify::SectionLines(buffer.data(), length);
  for (const vgnotify::NotifyItem& item : vgnotify::CollectItems(lines, itemCount)) {
    if (existed && HasValue(notify, item.name.c_str())) continue;
    notify.SetDWord(item.name.c_str(), static_cast<DWORD>(item.value));
  }
  return 1;
}
