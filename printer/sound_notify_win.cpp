#include "printer/sound_notify_win.h"

#include <mmsystem.h>

#include <string>

#include "common/install_profile_win.h"
#include "common/notify_item_rules.h"
#include "common/profile_paths.h"
#include "common/registry_win.h"
#include "common/target_keys_win.h"
#include "common/text_util.h"
#include "printer/play_sound_win.h"
#include "printer/vgprn_app_win.h"

namespace {

constexpr char kNotifyKey[] = "Notify";
constexpr DWORD kPlayFlags = SND_RESOURCE | SND_NOWAIT | SND_NODEFAULT | SND_ASYNC;

bool HasBuzzerSound(HMODULE module) {
  return ::FindResourceA(module, MAKEINTRESOURCEA(kBuzzerSoundId), "WAVE") != nullptr;
}

}  // namespace

bool NotifyItems::IsOpen() {
  if (!m_bOpened) {
    if (m_rTarget.IsOpen()) m_cKey.Open(m_rTarget.Key(), kNotifyKey);
    m_bOpened = true;
  }
  return m_cKey.IsOpen();
}

DWORD NotifyItems::Item(int statusNo) {
  if (!IsOpen()) return 0;
  if (!m_bHasLast || m_nLastNo != statusNo) {
    m_dwLastValue = m_cKey.GetDWordValue(vgnotify::NotifyValueName(statusNo).c_str(), 0);
    m_nLastNo = statusNo;
    m_bHasLast = true;
  }
  return m_dwLastValue;
}

int GetSoundNotify(const Registry& target, NotifyItems& notify, int statusNo, int* soundFlag,
                   int* itemFlag) {
  int sound = 0;
  int item = 0;
  int result = 1;
  if (target.IsOpen()) {
    sound = static_cast<int>(target.GetDWordValue("SoundNotifyEnable", 0));
    if (notify.IsOpen()) {
      item = static_cast<int>(notify.Item(statusNo));
      sound &= item;
      result = 0;
    }
  }
  if (soundFlag != nullptr) *soundFlag = sound;
  if (itemFlag != nullptr) *itemFlag = item;
  return result;
}

int GetSoundNotify(const char* printerName, const char* portName, int statusNo, int* soundFlag,
                   int* itemFlag) {
  Registry target;
  OpenTargetKey(printerName, portName, KEY_READ, &target);
  NotifyItems notify(target);
  return GetSoundNotify(target, notify, statusNo, soundFlag, itemFlag);
}

int GetBeepBuzzer(const Registry& target, NotifyItems& notify, const char* modelId, int statusNo,
                  int* buzzerFlag) {
  if (buzzerFlag != nullptr) *buzzerFlag = 0;
  const HMODULE resources = TheApp().ResourceModule();
  if (resources != nullptr && !HasBuzzerSound(resources)) return 1;
  if (!target.IsOpen()) return 1;

  char iniPath[kInstallPathSize] = {};
  if (modelId == nullptr ||
      !GetProfilePath(iniPath, TheApp().BaseInfo().DriverName(), modelId) ||
      iniPath[0] == '\0') {
    return 1;
  }
  const int modelBuzzer = GetProfileIntOf(modelId, "BeepBuzzerEnable", -1, iniPath);
  if (modelBuzzer < 0) return 1;  // the model has no buzzer

  // One read tells whether the value is there and what it holds.
  DWORD stored = 0;
  int buzzer = target.QueryDWord("BeepBuzzerEnable", 0, &stored) ? static_cast<int>(stored)
                                                                   : modelBuzzer;
  if (buzzer != 0 && buzzer != 1) buzzer = 0;

  if (!notify.IsOpen()) {
    if (buzzerFlag != nullptr) *buzzerFlag = buzzer;
    return 1;
  }
  buzzer &= static_cast<int>(notify.Item(statusNo));
  if (buzzerFlag != nullptr) *buzzerFlag = buzzer;
  return 0;
}

int GetBeepBuzzer(const char* printerName, const char* portName, const char* modelId,
                  int statusNo, int* buzzerFlag) {
  if (buzzerFlag != nullptr) *buzzerFlag = 0;
  const HMODULE resources = TheApp().ResourceModule();
  if (resources != nullptr && !HasBuzzerSound(resources)) return 1;
  Registry target;
  OpenTargetKey(printerName, portName, KEY_READ, &target);
  NotifyItems notify(target);
  return GetBeepBuzzer(target, notify, modelId, statusNo, buzzerFlag);
}

CBeepBuzzer::CBeepBuzzer() : m_hModule(TheApp().ResourceModule()) {
  m_bReady = m_hModule != nullptr;
}

CBeepBuzzer::~CBeepBuzzer() = default;

BOOL CBeepBuzzer::Play(int mode) {
  if (!m_bReady) return FALSE;
  const DWORD flags = kPlayFlags | (mode == 1 ? SND_LOOP : 0);
  return PlaySoundOnDemand(MAKEINTRESOURCEA(kBuzzerSoundId), m_hModule, flags);
}

BOOL CBeepBuzzer::Stop() { return PlaySoundOnDemand(nullptr, m_hModule, SND_PURGE); }

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
      m_cOwnedModule.Reset(::LoadLibraryA(path));
      m_hModule = m_cOwnedModule.Get();
    }
  }
  m_bReady = m_hModule != nullptr;
}

CResSndNtfy::~CResSndNtfy() {
  if (!m_cOwnedModule.IsValid()) return;
  // An asynchronous sound reads its WAVE data straight from the module: stop it (this
  // waits for the playing thread) before the module goes with the owner, or that thread reads
  // freed memory.
  if (IsSoundLibraryLoaded()) PlaySoundOnDemand(nullptr, nullptr, 0);
}

BOOL CResSndNtfy::Play(int resourceId) {
  if (!m_bReady) return FALSE;
  return PlaySoundOnDemand(MAKEINTRESOURCEA(resourceId), m_hModule, kPlayFlags);
}

BOOL CResSndNtfy::Stop() { return PlaySoundOnDemand(nullptr, nullptr, SND_PURGE); }
