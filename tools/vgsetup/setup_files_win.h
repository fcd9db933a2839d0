#pragma once
// The file system steps of vgsetup. Each reports failure through its result and, where it
// says so, a message naming the file and the system's error.
#include <string>

namespace vgsetup {

// The system's folder for 32-bit programs, or "" when it cannot be found.
std::string ProgramFilesFolder();
// The folder of the running program.
std::string ProgramFolder();
// The absolute form of a path (relative to the current folder).
std::string FullPath(const std::string& path);

bool IsFile(const std::string& path);
bool IsFolder(const std::string& path);

// Creates the folder and every missing parent.
bool CreateFolderTree(const std::string& path, std::string* error);
// Copies over an existing (also read-only) target. Copying a file onto itself succeeds.
bool CopyFileOver(const std::string& source, const std::string& target, std::string* error);
// True when the file is gone afterwards (also when it was never there).
bool DeleteFileIfPresent(const std::string& path, std::string* error);
// True when the folder is gone afterwards; a folder that still holds anything stays.
bool RemoveFolderIfEmpty(const std::string& path);

// The whole file, or "" when it cannot be read.
std::string ReadWholeFile(const std::string& path);
bool WriteWholeFile(const std::string& path, const std::string& text, std::string* error);

// "text (error N: system message)" for the calling thread's last error.
std::string WithSystemError(const std::string& text, unsigned long code);

}  // namespace vgsetup
