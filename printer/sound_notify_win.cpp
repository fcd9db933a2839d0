#include "printer/sound_notify_win.h"

#include <mmsystem.h>

#include <string>

#include "common/install_profile_win.h"
#include "common/notify_item_rules.h"
#include "common/profile_paths.h"
#include "common/registry_win.h"
#include "common/target_keys_win.h"
#include "common/text_util.h"
#include "printer/vgprn_app_win.h"

namespace {

constexpr char kNotifyKey[] = "Notify";
constexpr DWORD kPlayFlags = SND_RESOURCE | SND_NOWAIT | SND_NODEFAULT | SND_ASYNC;

bool HasValue(const Registry& key, const char* name) {
  return ::RegQueryValueExA(key.Key(), name, nullptr, nullptr, nullptr, nullptr) ==
         ERROR_SUCCESS;
}

bool HasBuzzerSound(HMODULE module) {
  return ::FindResourceA(module, MAKEINTRESOURCEA(kBuzzerSoundId), "WAVE") != nullptr;
}

}  // namespace

int GetSoundNotify(const char* printerName, const char* portName, int statusNo, int* soundFlag,
                   int* itemFlag) {
  int sound = 0;
  int item = 0;
  int result = 1;
  char keyPath[kTargetKeyPathSize] = {};
  HKEY root = HKEY_CURRENT_USER;
  if (FindTargetKey(printerName, portName, keyPath, &root) == kTargetFound) {
    Registry target(root, keyPath);
    if (target.IsOpen()) {
      sound = static_cast<int>(target.GetDWordValue("SoundNotifyEnable", 0));
      Registry notify(target.Key(), kNotifyKey);
      if (notify.IsOpen()) {
        item = static_cast<int>(
            notify.GetDWordValue(vgnotify::NotifyValueName(statusNo).c_str(), 0));
        sound &= item;
        result = 0;
      }
    }
  }
  if (soundFlag != nullptr) *soundFlag = sound;
  if (itemFlag != nullptr) *itemFlag = item;
  return result;
}

int GetBeepBuzzer(const char* printerName, const char* portName, const char* modelId,
                  int statusNo, int* buzzerFlag) {
  if (buzzerFlag != nullptr) *buzzerFlag = 0;
  const HMODULE resources = TheApp().ResourceModule();
  if (resources != nullptr && !HasBuzzerSound(resources)) return 1;

  char keyPath[kTargetKeyPathSize] = {};
  HKEY root = HKEY_CURRENT_USER;
  if (FindTargetKey(printerName, portName, keyPath, &root) != kTargetFound) return 1;
  Registry target(root, keyPath);
  if (!target.IsOpen()) return 1;

  char iniPath[kInstallPathSize] = {};
  if (modelId == nullptr ||
      !GetProfilePath(iniPath, TheApp().BaseInfo().DriverName(), modelId) ||
      iniPath[0] == '\0') {
    return 1;
  }
  const int modelBuzzer =
      static_cast<int>(::GetPrivateProfileIntA(modelId, "BeepBuzzerEnable", -1, iniPath));
  if (modelBuzzer < 0) return 1;  // the model has no buzzer

  int buzzer = HasValue(target, "BeepBuzzerEnable")
                   ? static_cast<int>(target.GetDWordValue("BeepBuzzerEnable", 0))
                   : modelBuzzer;
  if (buzzer != 0 && buzzer != 1) buzzer = 0;

  Registry notify(target.Key(), kNotifyKey);
  if (!notify.IsOpen()) {
    if (buzzerFlag != nullptr) *buzzerFlag = buzzer;
    return 1;
  }
  buzzer &= static_cast<int>(notify.GetDWordValue(vgnotify::NotifyValueName(statusNo).c_str(), 0));
  if (buzzerFlag != nullptr) *buzzerFlag = buzzer;
  return 0;
}

CBeepBuzzer::CBeepBuzzer() : m_hModule(TheApp().ResourceModule()) {
  m_bReady = m_hModule != nullptr;
}

CBeepBuzzer::~CBeepBuzzer() = default;

BOOL CBeepBuzzer::Play(int mode) {
  if (!m_bReady) return FALSE;
  const DWORD flags = kPlayFlags | (mode == 1 ? SND_LOOP : 0);
  return ::PlaySoundA(MAKEINTRESOURCEA(kBuzzerSoundId), m_hModule, flags);
}

BOOL CBeepBuzzer::Stop() { return ::PlaySoundA(nullptr, m_hModule, SND_PURGE); }

CResSndNtfy::CResSndNtfy(const char* modelId) {
  const char* driverName = TheApp().BaseInfo().DriverName();
  if (!GetProfilePath(m_szProfilePath, driverName, modelId) || m_szProfilePath[0] == '\0') {
    return;
  }
  DWORD size = sizeof m_szSection;
  if (GetLanguageSection(m_szSection, &size, m_szProfilePath) < 0) return;
  if (!GetInstallDir(m_szInstallDir, driverName, modelId) || m_szInstallDir[0] == '\0') return;

  char soundLibrary[MAX_PATH] = {};
  const DWORD count = ::GetPrivateProfileStringA(m_szSection, "WAVRES", "", soundLibrary,
                                                 sizeof soundLibrary, m_szProfilePath);
  if (count == 0 || !vgprofile::IsUsableProfileRead(count)) {
    // None named, or a name cut off at the buffer's end: the resource library's sounds.
    m_hModule = TheApp().ResourceModule();
  } else {
    char path[MAX_PATH] = {};
    if (vgprofile::JoinBounded(path, sizeof path, m_szInstallDir, soundLibrary)) {
      m_hModule = ::LoadLibraryA(path);
      m_bOwnsModule = m_hModule != nullptr;
    }
  }
  m_bReady = m_hModule != nullptr;
}

CResSndNtfy::~CResSndNtfy() {
  if (!m_bOwnsModule) return;
  // An asynchronous sound reads its WAVE data straight from the module: stop it (this
  // waits for the playing thread) before the module goes, or that thread reads freed memory.
  ::PlaySoundA(nullptr, nullptr, 0);
  ::FreeLibrary(m_hModule);
}

BOOL CResSndNtfy::Play(int resourceId) {
  if (!m_bReady) return FALSE;
  return ::PlaySoundA(MAKEINTRESOURCEA(resourceId), m_hModule, kPlayFlags);
}

BOOL CResSndNtfy::Stop() { return ::PlaySoundA(nullptr, nullptr, SND_PURGE); }
