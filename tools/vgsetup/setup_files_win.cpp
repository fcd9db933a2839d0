#include "tools/vgsetup/setup_files_win.h"

#include <cstdio>
#include <vector>

#include "common/registry_win.h"
#include "common/text_util.h"
#include "common/unique_handle.h"
#include "common/win.h"
#include "tools/vgsetup/setup_plan.h"

namespace vgsetup {

std::string WithSystemError(const std::string& text, unsigned long code) {
  char message[512] = {};
  DWORD length = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, message, sizeof message, nullptr);
  while (length > 0 && (message[length - 1] == '\r' || message[length - 1] == '\n' ||
                        message[length - 1] == ' ' || message[length - 1] == '.')) {
    message[--length] = '\0';
  }
  char number[32];
  std::snprintf(number, sizeof number, "error %lu", code);
  std::string result = text + " (" + number;
  if (length > 0) result += std::string(": ") + message;
  return result + ")";
}

std::string ProgramFilesFolder() {
  // On 64-bit Windows a 32-bit process sees the folder for 32-bit programs here.
  char folder[MAX_PATH] = {};
  DWORD length = ::GetEnvironmentVariableA("ProgramFiles", folder, sizeof folder);
  if (length > 0 && length < sizeof folder) return folder;
  Registry key(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion");
  return key.GetString("ProgramFilesDir");
}

std::string ProgramFolder() {
  char path[MAX_PATH] = {};
  DWORD length = ::GetModuleFileNameA(nullptr, path, sizeof path);
  if (length == 0 || length >= sizeof path) return std::string();
  return std::string(DirectoryOf(path));
}

std::string FullPath(const std::string& path) {
  char full[MAX_PATH] = {};
  DWORD length = ::GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  if (length == 0 || length >= sizeof full) return path;
  std::string result = full;
  while (result.size() > 3 && result.back() == '\\') result.pop_back();
  return result;
}

bool IsFile(const std::string& path) {
  DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFolder(const std::string& path) {
  DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool CreateFolderTree(const std::string& path, std::string* error) {
  if (IsFolder(path)) return true;
  const std::string parent(DirectoryOf(path));
  // A drive root ("C:") or a share root ends the climb; it must exist already.
  if (!parent.empty() && parent.size() > 2 && !IsFolder(parent)) {
    if (!CreateFolderTree(parent, error)) return false;
  }
  if (::CreateDirectoryA(path.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS) {
    return true;
  }
  if (error) *error = WithSystemError("cannot create folder " + path, ::GetLastError());
  return false;
}

bool CopyFileOver(const std::string& source, const std::string& target, std::string* error) {
  if (vgtext::EqualsNoCase(FullPath(source), FullPath(target))) return true;
  if (IsFile(target)) ::SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (::CopyFileA(source.c_str(), target.c_str(), FALSE)) return true;
  if (error) *error = WithSystemError("cannot copy " + source + " to " + target, ::GetLastError());
  return false;
}

bool DeleteFileIfPresent(const std::string& path, std::string* error) {
  if (!IsFile(path)) return true;
  ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (::DeleteFileA(path.c_str()) || !IsFile(path)) return true;
  if (error) *error = WithSystemError("cannot delete " + path, ::GetLastError());
  return false;
}

bool RemoveFolderIfEmpty(const std::string& path) {
  if (!IsFolder(path)) return true;
  return ::RemoveDirectoryA(path.c_str()) != FALSE;
}

std::string ReadWholeFile(const std::string& path) {
  ScopedHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsValid()) return std::string();
  std::string text;
  char buffer[4096];
  DWORD read = 0;
  while (::ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0) {
    text.append(buffer, read);
  }
  return text;
}

bool WriteWholeFile(const std::string& path, const std::string& text, std::string* error) {
  ScopedHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  if (file.IsValid() &&
      ::WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
      written == text.size()) {
    return true;
  }
  if (error) *error = WithSystemError("cannot write " + path, ::GetLastError());
  return false;
}

}  // namespace vgsetup
