#pragma once
// Sound and buzzer notification: whether a status is to be told with a sound or the
// imitated printer buzzer (from the printer's target key and the model's profile), and the
// players of both. The sounds are WAVE resources: the buzzer is 17000 of the resource
// library, the notification sounds come from the sound library that the profile's language
// section names under "WAVRES", or else from the resource library.
#include "common/registry_win.h"
#include "common/unique_handle.h"
#include "common/win.h"
#include "resources/vgres_ids.h"

constexpr int kBuzzerSoundId = IDW_BUZZER;

// The sound switch and the status's notification item. soundFlag = "SoundNotifyEnable" AND
// the "Notify" item named by the status number ("%03d"); itemFlag = that item. 0, or 1 when
// the printer has no target key (both flags 0) or its key or "Notify" subkey cannot be
// opened. The printer is found by its name, or by its port name when the name is empty.
int GetSoundNotify(const char* printerName, const char* portName, int statusNo, int* soundFlag,
                   int* itemFlag);

// Whether the buzzer sounds for the status: the registry "BeepBuzzerEnable" (the model's INI
// value when missing; anything but 0 or 1 counts as 0) AND the status's "Notify" item. 1
// when the buzzer does not apply: the resource library has no buzzer sound, the printer has
// no target key, the model's profile has no "BeepBuzzerEnable", or the "Notify" subkey
// cannot be opened (the flag then holds the switch alone).
int GetBeepBuzzer(const char* printerName, const char* portName, const char* modelId,
                  int statusNo, int* buzzerFlag);

// The "Notify" subkey of a printer's target key, opened on first use and then kept for the
// switches of one status: an item asked for twice is read once.
class NotifyItems {
 public:
  explicit NotifyItems(const Registry& target) : m_rTarget(target) {}
  NotifyItems(const NotifyItems&) = delete;
  NotifyItems& operator=(const NotifyItems&) = delete;

  bool IsOpen();
  // The item named by the status number ("%03d"), 0 when it is missing.
  DWORD Item(int statusNo);

 private:
  const Registry& m_rTarget;
  Registry m_cKey;
  bool m_bOpened = false;
  int m_nLastNo = 0;
  bool m_bHasLast = false;
  DWORD m_dwLastValue = 0;
};

// The same on the printer's target key as the caller found and opened it (OpenTargetKey) and
// its "Notify" subkey: a closed key counts as a key that cannot be opened.
int GetSoundNotify(const Registry& target, NotifyItems& notify, int statusNo, int* soundFlag,
                   int* itemFlag);
int GetBeepBuzzer(const Registry& target, NotifyItems& notify, const char* modelId, int statusNo,
                  int* buzzerFlag);

// Plays the buzzer sound of the application's resource library.
class CBeepBuzzer {
 public:
  CBeepBuzzer();
  virtual ~CBeepBuzzer();
  CBeepBuzzer(const CBeepBuzzer&) = delete;
  CBeepBuzzer& operator=(const CBeepBuzzer&) = delete;

  // Mode 1 loops until Stop; any other mode plays once. The PlaySoundA result, 0 when not
  // ready.
  BOOL Play(int mode);
  BOOL Stop();
  BOOL IsReady() const { return m_bReady; }
  HMODULE SoundModule() const { return m_hModule; }

 private:
  BOOL m_bReady = FALSE;
  HMODULE m_hModule = nullptr;  // the application's resource library, owned by its loader
};

// Plays the notification sounds of a model.
class CResSndNtfy {
 public:
  // The sound library of the model's profile (driver name of the current identity).
  explicit CResSndNtfy(const char* modelId);
  // A sound library loaded here is freed, after stopping the process's sound that may
  // still be playing from it.
  virtual ~CResSndNtfy();
  CResSndNtfy(const CResSndNtfy&) = delete;
  CResSndNtfy& operator=(const CResSndNtfy&) = delete;

  // Plays the WAVE resource once, replacing whatever plays; 0 when not ready.
  BOOL Play(int resourceId);
  // Stops every sound of the process.
  BOOL Stop();
  BOOL IsReady() const { return m_bReady; }
  HMODULE SoundModule() const { return m_hModule; }
  // Whether the module was loaded here (the sound library) rather than borrowed.
  bool OwnsSoundModule() const { return m_cOwnedModule.IsValid(); }

 private:
  char m_szProfilePath[MAX_PATH] = {};
  char m_szSection[MAX_PATH] = {};
  BOOL m_bReady = FALSE;
  // The module the sounds come from: the sound library loaded here (and owned below), or the
  // application's resource library, which its loader owns.
  HMODULE m_hModule = nullptr;
  char m_szInstallDir[MAX_PATH] = {};
  ScopedModule m_cOwnedModule;
};
