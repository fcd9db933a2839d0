#pragma once
// The command line of vgsetup: two commands with "--name value" (or "--name=value") options.
//   vgsetup install --printer NAME --port PORT --model MODELID [--driver NAME] [--from DIR]
//                   [--install-dir DIR] [--library FILE] [--driver-file FILE]
//   vgsetup uninstall --printer NAME
#include <string>
#include <string_view>
#include <vector>

namespace vgsetup {

enum class Command { kHelp, kInstall, kUninstall };

struct SetupOptions {
  Command command = Command::kHelp;
  std::string printer;
  std::string port;
  std::string model;
  std::string driver;      // empty: the profile's "DRVNAME"
  std::string from;        // empty: the folder of vgsetup.exe
  std::string installDir;  // empty: <Program Files>\KORVA\Vigil3\<model>
  std::string library;     // empty: the profile's "QVAPI32" from the source folder
  std::string driverFile;  // empty: the generic driver the spooler already holds
};

struct ParseOutcome {
  bool ok = false;
  std::string error;  // what was wrong, for the usage message
  SetupOptions options;
};

// args are the words after the program name.
ParseOutcome ParseSetupArgs(const std::vector<std::string_view>& args);

std::string_view UsageText();

// Names end up in registry paths, INI sections, file names and spooler calls: each must be
// non-empty, at most 259 characters, and free of the characters that would break one of them.
bool IsValidModelId(std::string_view model);
bool IsValidPrinterName(std::string_view name);
bool IsValidDriverName(std::string_view name);
bool IsValidPortName(std::string_view name);
// A file name without any folder part.
bool IsPlainFileName(std::string_view name);

}  // namespace vgsetup
