#include "tools/vgsetup/setup_options.h"

#include <cstddef>
#include <utility>

namespace vgsetup {
namespace {

constexpr size_t kMaxName = 259;  // the system keeps every name in a 260-byte buffer

struct OptionInfo {
  std::string_view name;
  std::string SetupOptions::*field;
  bool installOnly;
};

const OptionInfo kOptions[] = {
    {"printer", &SetupOptions::printer, false}, {"port", &SetupOptions::port, true},
    {"model", &SetupOptions::model, true},      {"driver", &SetupOptions::driver, true},
    {"from", &SetupOptions::from, true},        {"install-dir", &SetupOptions::installDir, true},
    {"library", &SetupOptions::library, true},  {"driver-file", &SetupOptions::driverFile, true},
};

const OptionInfo* FindOption(std::string_view name) {
  for (const OptionInfo& option : kOptions) {
    if (option.name == name) return &option;
  }
  return nullptr;
}

bool HasControlCharacter(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) < 0x20) return true;
  }
  return false;
}

bool ContainsAny(std::string_view text, std::string_view characters) {
  return text.find_first_of(characters) != std::string_view::npos;
}

bool IsSaneName(std::string_view name) {
  return !name.empty() && name.size() <= kMaxName && !HasControlCharacter(name) &&
         name.front() != ' ' && name.back() != ' ';
}

ParseOutcome Fail(std::string error) {
  ParseOutcome outcome;
  outcome.error = std::move(error);
  return outcome;
}

}  // namespace

bool IsValidModelId(std::string_view model) {
  // The model id names the profile file, its INI section and a registry value.
  if (!IsSaneName(model) || ContainsAny(model, "\\/:*?\"<>|[]=;,")) return false;
  return model.find_first_not_of('.') != std::string_view::npos;
}

bool IsValidPrinterName(std::string_view name) {
  // The spooler refuses commas and backslashes in the name of a local printer.
  return IsSaneName(name) && !ContainsAny(name, ",\\");
}

bool IsValidDriverName(std::string_view name) {
  // The name becomes a registry key name (at most 255 characters); a backslash would nest
  // the Driver key one level deeper.
  return IsSaneName(name) && name.size() <= 255 && !ContainsAny(name, ",\\");
}

bool IsValidPortName(std::string_view name) { return IsSaneName(name) && !ContainsAny(name, ","); }

bool IsPlainFileName(std::string_view name) {
  if (!IsSaneName(name) || ContainsAny(name, "\\/:*?\"<>|")) return false;
  return name.find_first_not_of('.') != std::string_view::npos;
}

std::string_view UsageText() {
  return "usage:\n"
         "  vgsetup install --printer NAME --port PORT --model MODELID [--driver NAME]\n"
         "                  [--from DIR] [--install-dir DIR] [--library FILE]\n"
         "                  [--driver-file FILE]\n"
         "  vgsetup uninstall --printer NAME\n"
         "\n"
         "  --printer      name of the spooler printer to add or remove\n"
         "  --port         port of the printer, for example LPT1: or USB001\n"
         "  --model        model id; its profile <MODELID>.ini lies in DIR or DIR\\profiles\n"
         "  --driver       spooler driver name (default: the profile's DRVNAME)\n"
         "  --from         folder holding the files to install (default: vgsetup's folder)\n"
         "  --install-dir  installation folder (default: <Program Files>\\KORVA\\Vigil3\\<model>)\n"
         "  --library      bidirectional library to use (default: the profile's QVAPI32 in DIR)\n"
         "  --driver-file  printer driver file the spooler holds (default: wineps.drv)\n";
}

ParseOutcome ParseSetupArgs(const std::vector<std::string_view>& args) {
  if (args.empty()) return Fail("no command given");

  SetupOptions options;
  const std::string_view command = args[0];
  if (command == "help" || command == "--help" || command == "-h" || command == "/?") {
    if (args.size() > 1) return Fail("help takes no options");
    ParseOutcome outcome;
    outcome.ok = true;
    outcome.options = options;
    return outcome;
  }
  if (command == "install") {
    options.command = Command::kInstall;
  } else if (command == "uninstall") {
    options.command = Command::kUninstall;
  } else {
    return Fail("unknown command \"" + std::string(command) + "\"");
  }

  std::vector<const OptionInfo*> seen;
  for (size_t i = 1; i < args.size(); ++i) {
    std::string_view word = args[i];
    if (word.size() < 3 || word.substr(0, 2) != "--") {
      return Fail("unexpected argument \"" + std::string(word) + "\"");
    }
    word.remove_prefix(2);
    std::string_view value;
    bool hasValue = false;
    const size_t equals = word.find('=');
    if (equals != std::string_view::npos) {
      value = word.substr(equals + 1);
      word = word.substr(0, equals);
      hasValue = true;
    }
    const OptionInfo* option = FindOption(word);
    if (option == nullptr) return Fail("unknown option --" + std::string(word));
    if (option->installOnly && options.command != Command::kInstall) {
      return Fail("option --" + std::string(word) + " belongs to install only");
    }
    for (const OptionInfo* other : seen) {
      if (other == option) return Fail("option --" + std::string(word) + " given twice");
    }
    seen.push_back(option);
    if (!hasValue) {
      if (i + 1 >= args.size()) return Fail("option --" + std::string(word) + " needs a value");
      value = args[++i];
    }
    if (value.empty()) return Fail("option --" + std::string(word) + " needs a value");
    options.*(option->field) = std::string(value);
  }

  if (options.printer.empty()) return Fail("--printer is required");
  if (!IsValidPrinterName(options.printer)) return Fail("invalid printer name");
  if (options.command == Command::kInstall) {
    if (options.port.empty()) return Fail("--port is required");
    if (options.model.empty()) return Fail("--model is required");
    if (!IsValidPortName(options.port)) return Fail("invalid port name");
    if (!IsValidModelId(options.model)) return Fail("invalid model id");
    if (!options.driver.empty() && !IsValidDriverName(options.driver)) {
      return Fail("invalid driver name");
    }
    if (!options.driverFile.empty() && !IsPlainFileName(options.driverFile)) {
      return Fail("--driver-file takes a file name of the printer driver folder");
    }
  }

  ParseOutcome outcome;
  outcome.ok = true;
  outcome.options = std::move(options);
  return outcome;
}

}  // namespace vgsetup
