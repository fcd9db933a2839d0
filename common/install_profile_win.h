#pragma once
// The installation profile: from a driver name and a model identifier, the profile INI, the
// installation folder, the printer and resource libraries, the sibling programs, the
// driver's display name and the language section of the profile INI.
//
// Free functions. Every out buffer holds kInstallPathSize bytes unless a size is passed; on
// failure it holds the empty string. Results: 1 (or 0 and a string for the language calls)
// for success, 0 (or a negative code) for failure.
//
// What the monitor asks on every poll is kept while it holds (thread-safe, a few entries
// each): GetProfilePath while nothing under software\KORVA\VGL3 changes and the Driver
// key's "Profile" file neither comes nor goes; the language section while the profile INI
// and the resource library files that the choice looked for stay as they were; and
// GetProfileIntOf's numbers while their INI stays as it was (last-write time and size).
//
// Registry (HKEY_LOCAL_MACHINE, read only):
//   software\KORVA\VGL3\Driver\<driver>  "Profile", "InstallPath", "VG_RUN", "VG_ICN", ...
//   software\KORVA\VGL3\Profile          one value per model: the path of its profile INI
#include "common/win.h"

constexpr DWORD kInstallPathSize = MAX_PATH;  // 260

// GetLanguageSection's failures.
constexpr int kLangBadArgument = -1;
constexpr int kLangNoMemory = -3;
constexpr int kLangBufferTooSmall = -4;

// 1 when the path names an existing file, or a folder written without a trailing
// backslash; 0 for an empty path or one with wildcards.
int FileExists(const char* path);

// 1 and the string value of the driver's Driver key; 0 when an argument is missing or
// empty, the key or value is missing, or the value does not fit 259 characters.
int GetDriverValue(char* out, const char* valueName, const char* driverName, const char* modelId);

// The model's profile INI: the Driver key's "Profile" when that file exists, else the
// Profile key's value for the model. 1 also when that value is missing (out is then empty);
// 0 when an argument is missing or the Profile key cannot be opened.
int GetProfilePath(char* out, const char* driverName, const char* modelId);

// The installation folder ending in one backslash: the Driver key's "InstallPath", else the
// folder of the profile INI. 0 when it is unknown or does not exist.
int GetInstallDir(char* out, const char* driverName, const char* modelId);

// A sibling program: the Driver key's valueName when that file exists, else the
// installation folder followed by defaultFileName when that file exists.
int GetProgramPath(char* out, const char* valueName, const char* defaultFileName,
                   const char* driverName, const char* modelId);
// The pop-up program ("VG_RUN", "VGPOP1.EXE") and the icon program ("VG_ICN", "VGICON2.EXE").
int GetPopupProgramPath(char* out, const char* driverName, const char* modelId);
int GetIconProgramPath(char* out, const char* driverName, const char* modelId);

// The printer status library: "PrnDll" of the model's section in the profile INI, after the
// installation folder (".\" when that is unknown). The file itself is not looked for.
int GetPrnDllPath(char* out, const char* driverName, const char* modelId);
// The resource library: "ResDll" of the language section, after the installation folder.
int GetResDllPath(char* out, const char* driverName, const char* modelId);

// The driver's display name: "DRVNAME" of section "Install" of the model's profile INI (found
// through the Profile key), else "KORVA " and the model identifier. 0 when the model has no
// profile INI path.
int GetDriverName(const char* modelId, char* out);

// The language section of a profile INI for the user's language (see language_table.h):
// 0 and the name (empty when the INI has no usable one); kLangBadArgument for a missing
// argument or an empty path; kLangBufferTooSmall when *size cannot hold the name and its
// terminator, with *size set to the bytes needed; kLangNoMemory.
int GetLanguageSection(char* out, DWORD* size, const char* iniPath);
// The same for a given language identifier instead of the user's.
int GetLanguageSectionFor(LANGID langId, char* out, DWORD* size, const char* iniPath);

// A string of the language section into out[size]: 0 and the value, or -1 when an argument
// is missing, there is no language section, or the key reads as nothing.
int GetLangProfileString(const char* key, char* out, DWORD size, const char* iniPath);
// A number of the language section, or defaultValue; -1 when the section lookup fails.
int GetLangProfileInt(const char* key, int defaultValue, const char* iniPath);

// GetPrivateProfileIntA, kept while the INI file is unchanged (its last-write time and size;
// a value mapped into the registry by IniFileMapping is not watched).
int GetProfileIntOf(const char* section, const char* key, int defaultValue, const char* iniPath);
