// The Windows side of the parameter block: parameter files in the temporary folder, the
// spooler and the Driver key.
#include <cstdio>
#include <cstring>
#include <string>

#include "common/process_start_win.h"
#include "common/registry_keys.h"
#include "common/spooler_printer_win.h"
#include "common/text_util.h"
#include "common/unique_handle.h"
#include "common/vgl_param.h"
#include "common/win.h"

namespace {

constexpr size_t kLineBufferSize = 1300;
constexpr DWORD kRunValueSize = 520;

// The system temporary folder with its trailing backslash, or ".\" when it cannot be had.
void SetSystemTempFolder(char (&folder)[kParamTextSize]) {
  char buffer[MAX_PATH + 1] = {};
  DWORD length = ::GetTempPathA(sizeof buffer, buffer);
  if (length == 0 || length >= kParamTextSize) {
    CopyParamText(folder, ".\\");
    return;
  }
  CopyParamText(folder, buffer);
}

bool FileExists(const std::string& path) {
  return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Creates a unique "VG_" file in the folder; returns its full name or "".
std::string CreateUniqueFile(const char* folder) {
  char full[MAX_PATH + 1] = {};
  if (::GetTempFileNameA(folder, "VG_", 0, full) == 0) return std::string();
  return full;
}

// The part of a full name behind the folder it was created in.
std::string_view RelativeTo(std::string_view full, std::string_view folder) {
  if (vgtext::StartsWithNoCase(full, folder)) return full.substr(folder.size());
  return full;
}

// Whether the name, as DeleteParamFile finds it (as given, else in the temporary folder),
// lies in the temporary folder.
bool IsTemporaryFile(const char* name) {
  char temp[MAX_PATH + 1] = {};
  char tempFull[MAX_PATH + 1] = {};
  const DWORD tempLength = ::GetTempPathA(sizeof temp, temp);
  if (tempLength == 0 || tempLength >= sizeof temp ||
      ::GetFullPathNameA(temp, sizeof tempFull, tempFull, nullptr) == 0) {
    return false;
  }
  const std::string path = FileExists(name) ? std::string(name) : std::string(temp) + name;
  char full[MAX_PATH + 1] = {};
  const DWORD length = ::GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  if (length == 0 || length >= sizeof full) return false;
  return IsInsideFolder(full, tempFull);
}

}  // namespace

CVglParam::CVglParam(const char* commandLine) : CVglParam() {
  SetText(commandLine ? commandLine : "");
  ApplyCommandLine();
  if (ParamFileName[0] != '\0') {
    CopyParamText(ParamFileToRead, ParamFileName);
    ParamFileName[0] = '\0';
    ReadParamFile();
  } else if (ParamFileToRead[0] != '\0') {
    ReadParamFile();
    // A /F file is handed over once: it goes whether or not it could be read, but only from
    // the temporary folder, where the files handed over are made.
    char toDelete[kParamTextSize];
    CopyParamText(toDelete, ParamFileToRead);
    if (IsTemporaryFile(toDelete)) DeleteParamFile(toDelete);
  }
  ApplyBeRule();
  FillFromSpooler();
  FillModelID();
}

int CVglParam::ReadParamFile() {
  if (ParamFileToRead[0] == '\0') return 0;
  FILE* file = std::fopen(ParamFileToRead, "r");
  if (file == nullptr) {
    SetSystemTempFolder(TempFolder);
    std::string path = std::string(TempFolder) + ParamFileToRead;
    file = std::fopen(path.c_str(), "r");
    if (file == nullptr) return 0;
  }
  std::string line(kLineBufferSize, '\0');
  for (;;) {
    std::memset(&line[0], 0, line.size());
    if (std::fgets(&line[0], static_cast<int>(line.size()), file) == nullptr) break;
    const size_t length = std::strlen(line.c_str());
    // A line longer than the buffer is cut; its rest is skipped, never read as a line.
    if (length == line.size() - 1 && line[length - 1] != '\n') {
      int c;
      while ((c = std::fgetc(file)) != EOF && c != '\n') {
      }
    }
    ApplyParamLine(std::string_view(line.c_str(), length));
  }
  std::fclose(file);
  return 1;
}

int CVglParam::WriteParamFile() {
  std::string path = std::string(TempFolder) + ParamFileName;
  FILE* file = std::fopen(path.c_str(), "w");
  if (file == nullptr) return 0;
  const std::string text = FormatParamFile();
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  const bool closed = std::fclose(file) == 0;
  return written && closed ? 1 : 0;
}

int CVglParam::CreateParamFile(const char* printer, const char* port, const char* model) {
  SetSystemTempFolder(TempFolder);
  const std::string full = CreateUniqueFile(TempFolder);
  if (full.empty()) {
    ParamFileName[0] = '\0';
    return 0;
  }
  CopyParamText(ParamFileName, RelativeTo(full, TempFolder));
  return FillAndWriteParamFile(printer, port, model);
}

int CVglParam::FillAndWriteParamFile(const char* printer, const char* port, const char* model) {
  CopyParamText(PrinterName, printer ? printer : "");
  CopyParamText(PortName, port ? port : "");
  CopyParamText(ModelID, model ? model : "");
  if (!WriteParamFile()) {
    char toDelete[kParamTextSize];
    CopyParamText(toDelete, ParamFileName);
    DeleteParamFile(toDelete);
    return 0;
  }
  return 1;
}

int CVglParam::CreateRunParamFile(const char* printer, const char* port, const char* model) {
  const char* valueName = (printer && printer[0]) ? printer : (port ? port : "");
  ScopedRegKey run;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, vgreg::kRunKey, 0, KEY_READ, run.Receive()) ==
      ERROR_SUCCESS) {
    // A registration's command line takes up to 520 bytes, its program path quoted.
    char value[kRunValueSize + 1] = {};
    DWORD size = kRunValueSize;
    if (::RegQueryValueExA(run.Get(), valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(value),
                           &size) == ERROR_SUCCESS) {
      // Only a parameter file of an earlier registration is removed, never another file.
      const std::string earlier =
          RunValueParamFile(std::string_view(value, strnlen(value, kRunValueSize)));
      if (IsOwnParamFileName(earlier)) ::DeleteFileA(earlier.c_str());
    }
  }

  SetSystemTempFolder(TempFolder);
  const size_t length = std::strlen(TempFolder);
  if (length > 0 && TempFolder[length - 1] == '\\') TempFolder[length - 1] = '\0';
  const std::string full = CreateUniqueFile(TempFolder);
  CopyParamText(ParamFileName, full.empty() ? std::string_view() : RelativeTo(full, TempFolder));
  if (ParamFileName[0] == '\0') return 0;
  return FillAndWriteParamFile(printer, port, model);
}

int CVglParam::DeleteParamFile(const char* name) {
  if (name == nullptr || name[0] == '\0') return 0;
  if (TempFolder[0] == '\0') SetSystemTempFolder(TempFolder);
  if (FileExists(name)) return ::DeleteFileA(name) ? 1 : 0;
  const std::string inTemp = std::string(TempFolder) + name;
  if (FileExists(inTemp)) return ::DeleteFileA(inTemp.c_str()) ? 1 : 0;
  return 0;
}

int CVglParam::FillFromSpooler() {
  if (PrinterName[0] == '\0') return 0;
  const SpoolerPrinter printer(PrinterName);
  const PRINTER_INFO_2A* info = printer.Info();
  if (info == nullptr) return 0;
  if (DriverName[0] == '\0' && info->pDriverName) CopyParamText(DriverName, info->pDriverName);
  if (PortName[0] == '\0' && info->pPortName) CopyParamText(PortName, info->pPortName);
  return 1;
}

int CVglParam::FillModelID() {
  if (DriverName[0] == '\0') return 0;
  if (ModelID[0] != '\0') return 1;
  const std::string keyPath = std::string(vgreg::kDriverKeyPrefix) + DriverName;
  ScopedRegKey key;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ, key.Receive()) !=
      ERROR_SUCCESS) {
    return 0;
  }
  char value[MAX_PATH + 1] = {};
  DWORD size = MAX_PATH;
  if (::RegQueryValueExA(key.Get(), vgreg::kDriverModelId, nullptr, nullptr,
                         reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS) {
    return 0;
  }
  CopyParamText(ModelID, std::string_view(value, strnlen(value, MAX_PATH)));
  return 1;
}

int RunCommandLine(const char* commandLine, const char* programPath) {
  if (commandLine == nullptr) return 0;
  // Nothing inherited, the caller's environment and folder, a start-up record of its size
  // alone; the process's handles are closed at once and it runs on by itself.
  ProcessStart start;
  start.commandLine = commandLine;
  if (programPath != nullptr) start.program = programPath;
  return StartedProcess().Start(start) ? 1 : 0;
}
