#pragma once
// A target key's default settings and notification items, copied from the model's section
// of its profile INI. Used by the library's defaults export and by the monitor, which makes
// sure the items exist before it starts.
//
//   [<model>]
//   SoundNotifyEnable=1       always written (0 when absent), as are BeepBuzzerEnable,
//                             TrayIconEnable and TrayIconSelected
//   InkNearEndB=10            written only when present (and not -1), as are InkNearEndC,
//                             SizeUnitH, SlipMax, MaxCaset, MaxIC, PaperNearEnd
//   ITEMNUM=3                 how many items to take
//   ITEM001=1                 the "Notify" subkey's value "001" = 1, unless it exists already
#include "common/win.h"

// The section buffer of ChkNtfyReg, and the count that means the section did not fit.
constexpr DWORD kNotifySectionSize = 32767;
constexpr DWORD kNotifySectionOverflow = kNotifySectionSize - 2;

// Results of SetRegDefaultValue.
constexpr int kDefaultsWritten = 0;
constexpr int kDefaultsNoKey = 1;
constexpr int kDefaultsNoItems = 4;

// Writes the switches and limits of the section into the target key (opened, never
// created), then the notification items. kDefaultsNoItems leaves the settings written.
// An empty or missing INI path reads every key as absent.
int SetRegDefaultValue(HKEY root, const char* iniPath, const char* section, const char* keyPath);

// Copies the section's first "ITEMNUM" item lines into the key's "Notify" subkey, keeping
// every value that subkey already held. 1 success; 0 when the subkey path does not fit, the
// subkey cannot be created, "ITEMNUM" is missing or not above 0, or the section did not fit.
int ChkNtfyReg(HKEY root, const char* keyPath, const char* section, const char* iniPath);
