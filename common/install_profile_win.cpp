#include "common/install_profile_win.h"

#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "common/change_watch_win.h"
#include "common/language_table.h"
#include "common/profile_paths.h"
#include "common/registry_keys.h"
#include "common/registry_win.h"
#include "common/text_util.h"
#include "common/unique_handle.h"

namespace {

using vgreg::kDriverKeyPrefix;
using vgreg::kProfileKey;
// Both keys above lie under this one.
using vgreg::kProductKey;

bool IsEmpty(const char* text) { return text == nullptr || text[0] == '\0'; }

void Clear(char* out) {
  if (out) out[0] = '\0';
}

// A registry string into a path buffer; a value that does not fit is not read at all.
bool ReadPathValue(const Registry& key, const char* name, char* out) {
  std::string value;
  if (!key.QueryString(name, &value, kInstallPathSize) || value.size() >= kInstallPathSize) {
    return false;
  }
  vgtext::CopyBounded(out, kInstallPathSize, value);
  return true;
}

// One key of the profile INI into a path buffer, by the profile read limit.
bool ReadProfilePathString(const char* section, const char* key, const char* iniPath, char* out) {
  DWORD count = ::GetPrivateProfileStringA(section, key, "", out, kInstallPathSize, iniPath);
  if (vgprofile::IsUsableProfileRead(count)) return true;
  Clear(out);
  return false;
}

// The whole "Language" section as the private-profile call returns it. The call reports a
// section that did not fit as the buffer size minus 2, so it is read again, larger.
std::vector<char> ReadLanguageBlock(const char* iniPath) {
  constexpr DWORD kStep = 260;
  constexpr DWORD kLimit = 1024 * 1024;  // a profile INI is small; this only ends the loop
  for (DWORD size = kStep; size <= kLimit; size += kStep) {
    std::vector<char> buffer(size, '\0');
    DWORD count = ::GetPrivateProfileSectionA("Language", buffer.data(), size, iniPath);
    if (count == 0) return {};
    if (count != size - 2) {
      buffer.resize(count < size ? count : size);
      return buffer;
    }
  }
  return {};
}

// Whether the "ResDll" of a section names a file beside the profile INI. The file looked for
// is added to the watch: the choice holds while none of them comes or goes.
bool ResDllExists(std::string_view iniPath, const char* iniPathText, std::string_view section,
                  ChangeWatch* watch) {
  const std::string sectionName(section);
  char file[kInstallPathSize] = {};
  if (::GetPrivateProfileStringA(sectionName.c_str(), "ResDll", "", file, sizeof file,
                                 iniPathText) == 0) {
    return false;
  }
  char path[kInstallPathSize];
  if (!vgprofile::JoinBounded(path, sizeof path, vgprofile::FolderWithSeparatorOf(iniPath), file)) {
    return false;
  }
  watch->WatchFile(path);
  return FileExists(path) != 0;
}

// What the installation profile found lately, kept while it holds. Each kind of fact has its
// own small list behind one lock.
constexpr size_t kKeptEntries = 16;

template <typename Entry>
void KeepEntry(std::vector<std::unique_ptr<Entry>>* entries, std::unique_ptr<Entry> entry) {
  if (entries->size() >= kKeptEntries) entries->erase(entries->begin());
  entries->push_back(std::move(entry));
}

// GetProfilePath's facts live in the registry under software\KORVA\VGL3 (the Driver and
// Profile keys) and in whether the Driver key's "Profile" file exists.
struct ProfilePathEntry {
  std::string driver;
  std::string model;
  ChangeWatch file;
  int result = 0;
  std::string path;
};

struct ProfilePathCache {
  std::mutex lock;
  ChangeWatch registry;
  bool watched = false;
  std::vector<std::unique_ptr<ProfilePathEntry>> entries;
};

ProfilePathCache& ProfilePaths() {
  static ProfilePathCache cache;
  return cache;
}

// The language section chosen for a profile INI and a language: it holds while the INI and
// every resource library file that the choice looked for stay as they were.
struct LanguageEntry {
  std::string iniPath;
  LANGID langId = 0;
  ChangeWatch files;
  std::string name;
};

// A number of a profile INI section, kept while the file stays as it was.
struct ProfileIntEntry {
  std::string iniPath;
  std::string section;
  std::string key;
  int defaultValue = 0;
  ChangeWatch file;
  int value = 0;
};

// The uncached GetProfilePath; the Driver key's "Profile" file, whose existence decides, is
// added to the watch before it is looked for.
int FindProfilePath(char* out, const char* driverName, const char* modelId, ChangeWatch* file) {
  file->WatchFile(std::string());  // armed also when there is no such file to watch
  if (GetDriverValue(out, vgreg::kDriverProfile, driverName, modelId) && out[0] != '\0') {
    file->WatchFile(out);
    if (FileExists(out)) return 1;
  }
  Clear(out);
  Registry profileKey(HKEY_LOCAL_MACHINE, kProfileKey, false, KEY_READ);
  if (!profileKey.IsOpen()) return 0;
  // A model without a value still succeeds, with an empty path.
  ReadPathValue(profileKey, modelId, out);
  return 1;
}

// The library named by a key of the profile INI, after the installation folder.
int LibraryPath(char* out, const char* driverName, const char* modelId, bool resourceLibrary) {
  if (out == nullptr) return 0;
  Clear(out);
  char profile[kInstallPathSize] = {};
  if (!GetProfilePath(profile, driverName, modelId) || profile[0] == '\0') return 0;

  char file[kInstallPathSize] = {};
  if (resourceLibrary) {
    if (GetLangProfileString("ResDll", file, sizeof file, profile) != 0) return 0;
  } else if (!ReadProfilePathString(modelId, "PrnDll", profile, file)) {
    return 0;
  }

  char folder[kInstallPathSize] = {};
  // Without a known folder the file is taken from the current one.
  if (!GetInstallDir(folder, driverName, modelId))
    vgtext::CopyBounded(folder, sizeof folder, ".\\");
  return vgprofile::JoinBounded(out, kInstallPathSize, folder, file) ? 1 : 0;
}

}  // namespace

int FileExists(const char* path) {
  if (IsEmpty(path)) return 0;
  // A pattern would find some file, not this one.
  if (std::string_view(path).find_first_of("*?") != std::string_view::npos) return 0;
  WIN32_FIND_DATAA data;
  ScopedFindHandle find(::FindFirstFileA(path, &data));
  return find.IsValid() ? 1 : 0;
}

int GetDriverValue(char* out, const char* valueName, const char* driverName, const char* modelId) {
  if (out == nullptr) return 0;
  Clear(out);
  if (valueName == nullptr || IsEmpty(driverName) || IsEmpty(modelId)) return 0;
  const std::string keyPath = std::string(kDriverKeyPrefix) + driverName;
  Registry driverKey(HKEY_LOCAL_MACHINE, keyPath.c_str(), false, KEY_READ);
  if (!driverKey.IsOpen()) return 0;
  return ReadPathValue(driverKey, valueName, out) ? 1 : 0;
}

int GetProfilePath(char* out, const char* driverName, const char* modelId) {
  if (out == nullptr) return 0;
  Clear(out);
  if (IsEmpty(driverName) || IsEmpty(modelId)) return 0;

  ProfilePathCache& cache = ProfilePaths();
  std::lock_guard<std::mutex> guard(cache.lock);
  if (!cache.watched || !cache.registry.StillTrue()) {
    cache.entries.clear();
    cache.registry.Clear();
    cache.watched = cache.registry.WatchKey(HKEY_LOCAL_MACHINE, kProductKey, true);
  }
  for (const auto& entry : cache.entries) {
    if (entry->driver == driverName && entry->model == modelId && entry->file.StillTrue()) {
      vgtext::CopyBounded(out, kInstallPathSize, entry->path);
      return entry->result;
    }
  }
  auto entry = std::make_unique<ProfilePathEntry>();
  const int result = FindProfilePath(out, driverName, modelId, &entry->file);
  if (cache.watched) {
    entry->driver = driverName;
    entry->model = modelId;
    entry->result = result;
    entry->path = out;
    KeepEntry(&cache.entries, std::move(entry));
  }
  return result;
}

int GetInstallDir(char* out, const char* driverName, const char* modelId) {
  if (out == nullptr) return 0;
  Clear(out);
  if (IsEmpty(modelId)) return 0;

  char path[kInstallPathSize] = {};
  std::string_view folder;
  if (GetDriverValue(path, vgreg::kDriverInstallPath, driverName, modelId) && path[0] != '\0') {
    folder = vgprofile::StripOneTrailingBackslash(path);
  } else {
    if (!GetProfilePath(path, driverName, modelId) || path[0] == '\0') return 0;
    folder = vgprofile::FolderOf(path);
  }
  if (folder.empty()) return 0;

  char candidate[kInstallPathSize];
  if (!vgprofile::JoinBounded(candidate, sizeof candidate, folder, "") || !FileExists(candidate)) {
    return 0;
  }
  return vgprofile::JoinBounded(out, kInstallPathSize, folder, "\\") ? 1 : 0;
}

int GetProgramPath(char* out, const char* valueName, const char* defaultFileName,
                   const char* driverName, const char* modelId) {
  if (out == nullptr) return 0;
  if (GetDriverValue(out, valueName, driverName, modelId) && out[0] != '\0' && FileExists(out)) {
    return 1;
  }
  Clear(out);
  char folder[kInstallPathSize] = {};
  if (!GetInstallDir(folder, driverName, modelId) || folder[0] == '\0') return 0;
  if (!vgprofile::JoinBounded(out, kInstallPathSize, folder,
                              defaultFileName ? defaultFileName : "") ||
      !FileExists(out)) {
    Clear(out);
    return 0;
  }
  return 1;
}

int GetPopupProgramPath(char* out, const char* driverName, const char* modelId) {
  return GetProgramPath(out, "VG_RUN", "VGPOP1.EXE", driverName, modelId);
}

int GetIconProgramPath(char* out, const char* driverName, const char* modelId) {
  return GetProgramPath(out, "VG_ICN", "VGICON2.EXE", driverName, modelId);
}

int GetPrnDllPath(char* out, const char* driverName, const char* modelId) {
  return LibraryPath(out, driverName, modelId, false);
}

int GetResDllPath(char* out, const char* driverName, const char* modelId) {
  return LibraryPath(out, driverName, modelId, true);
}

int GetDriverName(const char* modelId, char* out) {
  if (out == nullptr) return 0;
  Clear(out);
  if (IsEmpty(modelId)) return 0;

  char profile[kInstallPathSize] = {};
  {
    Registry profileKey(HKEY_LOCAL_MACHINE, kProfileKey, false, KEY_READ);
    if (!profileKey.IsOpen() || !ReadPathValue(profileKey, modelId, profile) ||
        profile[0] == '\0') {
      return 0;
    }
  }
  if (!ReadProfilePathString("Install", "DRVNAME", profile, out)) {
    // A display name, not a path: cutting an overlong one is harmless.
    vgtext::CopyBounded(out, kInstallPathSize, std::string(vgprofile::kDriverNamePrefix) + modelId);
  }
  return 1;
}

int GetLanguageSection(char* out, DWORD* size, const char* iniPath) {
  return GetLanguageSectionFor(::GetUserDefaultLangID(), out, size, iniPath);
}

int GetLanguageSectionFor(LANGID langId, char* out, DWORD* size, const char* iniPath) {
  if (out == nullptr || size == nullptr) return kLangBadArgument;
  if (*size > 0) out[0] = '\0';
  if (IsEmpty(iniPath)) return kLangBadArgument;

  std::string name;
  try {
    static std::mutex lock;
    static std::vector<std::unique_ptr<LanguageEntry>> entries;
    std::lock_guard<std::mutex> guard(lock);
    const LanguageEntry* kept = nullptr;
    for (const auto& entry : entries) {
      if (entry->langId == langId && entry->iniPath == iniPath && entry->files.StillTrue()) {
        kept = entry.get();
        break;
      }
    }
    if (kept != nullptr) {
      name = kept->name;
    } else {
      auto entry = std::make_unique<LanguageEntry>();
      entry->iniPath = iniPath;
      entry->langId = langId;
      entry->files.WatchFile(iniPath);
      const std::vector<char> block = ReadLanguageBlock(iniPath);
      const auto lines = vglang::ParseLanguageSection(std::string_view(block.data(), block.size()));
      const std::string_view path(iniPath);
      ChangeWatch* files = &entry->files;
      name = std::string(vglang::ChooseLanguageSection(lines, langId, [&](std::string_view section) {
        return ResDllExists(path, iniPath, section, files);
      }));
      entry->name = name;
      for (auto it = entries.begin(); it != entries.end(); ++it) {
        if ((*it)->langId == langId && (*it)->iniPath == iniPath) {
          entries.erase(it);
          break;
        }
      }
      KeepEntry(&entries, std::move(entry));
    }
  } catch (const std::bad_alloc&) {
    return kLangNoMemory;
  }

  // The terminator needs room too: a buffer of exactly the name's length is too small.
  if (*size <= name.size()) {
    *size = static_cast<DWORD>(name.size() + 1);
    return kLangBufferTooSmall;
  }
  vgtext::CopyBounded(out, *size, name);
  return 0;
}

int GetLangProfileString(const char* key, char* out, DWORD size, const char* iniPath) {
  if (out == nullptr || size == 0) return -1;
  out[0] = '\0';
  if (key == nullptr || IsEmpty(iniPath)) return -1;
  char section[kInstallPathSize] = {};
  DWORD sectionSize = sizeof section;
  if (GetLanguageSection(section, &sectionSize, iniPath) != 0 || section[0] == '\0') return -1;
  if (::GetPrivateProfileStringA(section, key, "", out, size, iniPath) == 0) {
    out[0] = '\0';
    return -1;
  }
  return 0;
}

int GetLangProfileInt(const char* key, int defaultValue, const char* iniPath) {
  char section[kInstallPathSize] = {};
  DWORD sectionSize = sizeof section;
  if (GetLanguageSection(section, &sectionSize, iniPath) != 0) return -1;
  if (key == nullptr || section[0] == '\0') return defaultValue;
  return static_cast<int>(::GetPrivateProfileIntA(section, key, defaultValue, iniPath));
}

int GetProfileIntOf(const char* section, const char* key, int defaultValue, const char* iniPath) {
  if (section == nullptr || key == nullptr || IsEmpty(iniPath)) {
    return static_cast<int>(::GetPrivateProfileIntA(section, key, defaultValue, iniPath));
  }
  static std::mutex lock;
  static std::vector<std::unique_ptr<ProfileIntEntry>> entries;
  std::lock_guard<std::mutex> guard(lock);
  for (auto it = entries.begin(); it != entries.end(); ++it) {
    const ProfileIntEntry& entry = **it;
    if (entry.iniPath != iniPath || entry.section != section || entry.key != key ||
        entry.defaultValue != defaultValue) {
      continue;
    }
    if (entry.file.StillTrue()) return entry.value;
    entries.erase(it);
    break;
  }
  auto entry = std::make_unique<ProfileIntEntry>();
  entry->iniPath = iniPath;
  entry->section = section;
  entry->key = key;
  entry->defaultValue = defaultValue;
  entry->file.WatchFile(iniPath);
  entry->value = static_cast<int>(::GetPrivateProfileIntA(section, key, defaultValue, iniPath));
  const int value = entry->value;
  KeepEntry(&entries, std::move(entry));
  return value;
}
