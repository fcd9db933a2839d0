#include "tools/vgsetup/setup_plan.h"

#include <cstddef>
#include <utility>

#include "common/text_util.h"

namespace vgsetup {
namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view Trim(std::string_view text) {
  const size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return std::string_view();
  const size_t last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

std::string_view FirstOf(std::string_view value, std::string_view fallback) {
  return value.empty() ? fallback : value;
}

// The monitor reads a timer as the decimal number before the first comma; 0 means none.
bool IsTimerText(std::string_view text) {
  const std::string_view number = text.substr(0, text.find(','));
  if (number.empty() || number.size() > 5) return false;
  bool nonZero = false;
  for (char c : number) {
    if (c < '0' || c > '9') return false;
    if (c != '0') nonZero = true;
  }
  return nonZero;
}

bool ContainsNoCase(const std::vector<std::string>& names, std::string_view name) {
  for (const std::string& existing : names) {
    if (vgtext::EqualsNoCase(existing, name)) return true;
  }
  return false;
}

}  // namespace

std::string JoinPath(std::string_view dir, std::string_view name) {
  std::string path(dir);
  if (!path.empty() && path.back() != '\\') path += '\\';
  path += name;
  return path;
}

std::string_view DirectoryOf(std::string_view path) {
  const size_t slash = path.find_last_of('\\');
  return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
}

std::string_view FileNameOf(std::string_view path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::vector<std::string> SplitList(std::string_view text) {
  std::vector<std::string> items;
  while (!text.empty()) {
    const size_t comma = text.find(',');
    const std::string_view item = Trim(text.substr(0, comma));
    if (!item.empty()) items.emplace_back(item);
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  return items;
}

SettingsOutcome ResolveSettings(const SetupOptions& options, const ProfileValues& profile,
                                std::string_view programFiles) {
  SettingsOutcome outcome;
  InstallSettings& s = outcome.settings;

  s.driverName = options.driver;
  if (s.driverName.empty()) s.driverName = profile.driverName;
  // The same fall-back the system uses when a profile names no driver.
  if (s.driverName.empty()) s.driverName = "KORVA " + options.model;
  if (!IsValidDriverName(s.driverName)) {
    outcome.error = "invalid driver name \"" + s.driverName + "\"";
    return outcome;
  }

  s.type = FirstOf(profile.type, kDefaultType);

  if (!options.library.empty()) {
    s.librarySource = options.library;
    s.libraryName = FileNameOf(options.library);
  } else {
    s.libraryName = FirstOf(profile.library, kDefaultLibrary);
  }
  if (!IsPlainFileName(s.libraryName)) {
    outcome.error = "invalid bidirectional library name \"" + s.libraryName + "\"";
    return outcome;
  }

  s.localTimer = FirstOf(profile.localTimer, kDefaultLocalTimer);
  s.networkTimer = FirstOf(profile.networkTimer, kDefaultNetworkTimer);
  if (!IsTimerText(s.localTimer) || !IsTimerText(s.networkTimer)) {
    outcome.error = "the monitoring timers must be numbers of seconds";
    return outcome;
  }

  s.driverFile = FirstOf(options.driverFile, kDefaultDriverFile);

  if (!options.installDir.empty()) {
    s.installDir = options.installDir;
  } else if (!programFiles.empty()) {
    s.installDir = JoinPath(programFiles, "KORVA\\Vigil3\\" + options.model);
  } else {
    outcome.error = "the program folder is unknown; give --install-dir";
    return outcome;
  }
  while (s.installDir.size() > 3 && s.installDir.back() == '\\') s.installDir.pop_back();

  s.profileName = options.model + ".ini";
  s.dataFileName = "vg3_" + options.model + ".ini";
  outcome.ok = true;
  return outcome;
}

FileListOutcome ListInstallFiles(const ProfileValues& profile) {
  FileListOutcome outcome;
  if (!profile.hasModelSection || profile.prnDll.empty()) {
    outcome.error = "the profile's model section names no PrnDll";
    return outcome;
  }
  if (profile.resDlls.empty()) {
    outcome.error = "no language section of the profile names a ResDll";
    return outcome;
  }

  std::vector<InstallFile>& files = outcome.files;
  auto add = [&files, &outcome](const std::string& name, bool required,
                                std::string_view driverValue) {
    if (name.empty()) return true;
    if (!IsPlainFileName(name)) {
      outcome.error = "the profile names \"" + name + "\", which is not a plain file name";
      return false;
    }
    for (InstallFile& file : files) {
      if (vgtext::EqualsNoCase(file.name, name)) {
        file.required = file.required || required;
        if (file.driverValue.empty()) file.driverValue = std::string(driverValue);
        return true;
      }
    }
    files.push_back({name, required, std::string(driverValue)});
    return true;
  };

  bool ok = add(profile.prnDll, true, "");
  for (const std::string& name : profile.resDlls) ok = ok && add(name, true, "");
  for (const std::string& name : profile.soundLibraries) ok = ok && add(name, true, "");
  ok = ok && add(profile.popupProgram, false, "VG_RUN");
  ok = ok && add(profile.iconProgram, false, "VG_ICN");
  ok = ok && add(profile.agentProgram, false, "VG_RCV");
  for (const std::string& name : SplitList(profile.extraFiles)) ok = ok && add(name, false, "");
  for (const std::string& name : profile.pictures) ok = ok && add(name, false, "");
  for (const std::string& name : profile.helpFiles) ok = ok && add(name, false, "");
  if (!ok) {
    files.clear();
    return outcome;
  }
  outcome.ok = true;
  return outcome;
}

std::string EncodeRecord(const InstallRecord& record) {
  std::string data;
  auto item = [&data](std::string_view name, std::string_view value) {
    data.append(name);
    data += '=';
    data.append(value);
    data += '\0';
  };
  item("Driver", record.driver);
  item("Model", record.model);
  item("Port", record.port);
  item("InstallDir", record.installDir);
  std::string ports;
  for (const std::string& port : record.addedPorts) {
    if (!ports.empty()) ports += ',';
    ports += port;
  }
  item("AddedPorts", ports);
  std::string switches;
  for (const std::string& name : record.createdSwitches) {
    if (!switches.empty()) switches += ',';
    switches += name;
  }
  item("CreatedSwitches", switches);
  data += '\0';
  return data;
}

bool DecodeRecord(std::string_view data, InstallRecord* record) {
  if (record == nullptr) return false;
  InstallRecord decoded;
  while (!data.empty()) {
    const size_t end = data.find('\0');
    const std::string_view item = data.substr(0, end);
    if (item.empty()) break;  // the closing empty string
    const size_t equals = item.find('=');
    const std::string_view name = item.substr(0, equals);
    const std::string_view value =
        equals == std::string_view::npos ? std::string_view() : item.substr(equals + 1);
    if (vgtext::EqualsNoCase(name, "Driver")) {
      decoded.driver = std::string(value);
    } else if (vgtext::EqualsNoCase(name, "Model")) {
      decoded.model = std::string(value);
    } else if (vgtext::EqualsNoCase(name, "Port")) {
      decoded.port = std::string(value);
    } else if (vgtext::EqualsNoCase(name, "InstallDir")) {
      decoded.installDir = std::string(value);
    } else if (vgtext::EqualsNoCase(name, "AddedPorts")) {
      decoded.addedPorts = SplitList(value);
    } else if (vgtext::EqualsNoCase(name, "CreatedSwitches")) {
      decoded.createdSwitches = SplitList(value);
    }
    if (end == std::string_view::npos) break;
    data.remove_prefix(end + 1);
  }
  if (decoded.driver.empty() || decoded.model.empty()) return false;
  *record = std::move(decoded);
  return true;
}

std::string EncodeManifest(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) {
    text += name;
    text += "\r\n";
  }
  return text;
}

std::vector<std::string> DecodeManifest(std::string_view text) {
  std::vector<std::string> names;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    line = Trim(line);
    if (IsPlainFileName(line) && !ContainsNoCase(names, line)) names.emplace_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return names;
}

std::vector<std::string> MergeNames(const std::vector<std::string>& first,
                                    const std::vector<std::string>& second) {
  std::vector<std::string> merged;
  for (const auto* list : {&first, &second}) {
    for (const std::string& name : *list) {
      if (!ContainsNoCase(merged, name)) merged.push_back(name);
    }
  }
  return merged;
}

std::vector<std::string> SwitchesToCreate(const std::vector<std::string>& existing) {
  std::vector<std::string> missing;
  for (std::string_view name : kCommonSwitches) {
    if (!ContainsNoCase(existing, name)) missing.emplace_back(name);
  }
  return missing;
}

SwitchRemoval PlanSwitchRemoval(const std::vector<std::string>& createdSwitches,
                                std::string_view printer,
                                const std::vector<std::string>& recordedPrinters) {
  SwitchRemoval plan;
  for (std::string_view name : kCommonSwitches) {
    if (ContainsNoCase(createdSwitches, name)) plan.switches.emplace_back(name);
  }
  if (plan.switches.empty()) return plan;
  for (const std::string& other : recordedPrinters) {
    if (!other.empty() && !vgtext::EqualsNoCase(other, printer)) {
      plan.heir = other;
      break;
    }
  }
  return plan;
}

std::string OtherPrinterWithDriver(const std::vector<PrinterEntry>& printers,
                                   std::string_view excludedPrinter, std::string_view driver) {
  for (const PrinterEntry& printer : printers) {
    if (!vgtext::EqualsNoCase(printer.name, excludedPrinter) &&
        vgtext::EqualsNoCase(printer.driver, driver)) {
      return printer.name;
    }
  }
  return std::string();
}

std::string OtherPrinterWithPort(const std::vector<PrinterEntry>& printers,
                                 std::string_view excludedPrinter, std::string_view port) {
  for (const PrinterEntry& printer : printers) {
    if (!vgtext::EqualsNoCase(printer.name, excludedPrinter) &&
        vgtext::EqualsNoCase(printer.port, port)) {
      return printer.name;
    }
  }
  return std::string();
}

RemovalPlan PlanRemoval(const RemovalInputs& inputs) {
  RemovalPlan plan;
  const InstallRecord& record = inputs.record;
  plan.driverKeptFor = OtherPrinterWithDriver(inputs.printers, inputs.printer, record.driver);
  plan.removeDriver = plan.driverKeptFor.empty();
  plan.ports = PortsToRemove(record.addedPorts, "", inputs.printers, inputs.printer);
  // The profile serves every driver of the model.
  plan.removeModel = plan.removeDriver && !ContainsNoCase(inputs.otherModels, record.model);

  // Folders compared without regard to case or a closing backslash.
  const auto folder = [](std::string path) {
    while (!path.empty() && (path.back() == '\\' || path.back() == '/')) path.pop_back();
    return path;
  };
  std::vector<std::string> named;
  for (const auto* list : {&inputs.otherRecordFolders, &inputs.otherDriverFolders}) {
    for (const std::string& path : *list) named.push_back(folder(path));
  }
  if (!plan.removeDriver) named.push_back(folder(inputs.driverFolder));
  if (!plan.removeModel) named.push_back(folder(inputs.profileFolder));
  std::vector<std::string> candidates = {folder(record.installDir)};
  if (plan.removeDriver) candidates.push_back(folder(inputs.driverFolder));
  if (plan.removeModel) candidates.push_back(folder(inputs.profileFolder));
  for (const std::string& path : candidates) {
    if (path.empty() || ContainsNoCase(named, path) || ContainsNoCase(plan.folders, path)) continue;
    plan.folders.push_back(path);
  }
  return plan;
}

std::vector<std::string> PortsToRemove(const std::vector<std::string>& addedPorts,
                                       std::string_view keptPort,
                                       const std::vector<PrinterEntry>& printers,
                                       std::string_view excludedPrinter) {
  std::vector<std::string> ports;
  for (const std::string& port : addedPorts) {
    if (port.empty() || vgtext::EqualsNoCase(port, keptPort) || ContainsNoCase(ports, port)) {
      continue;
    }
    if (OtherPrinterWithPort(printers, excludedPrinter, port).empty()) ports.push_back(port);
  }
  return ports;
}

std::vector<std::string> UnsharedFiles(const std::vector<std::string>& candidates,
                                       const std::vector<std::string>& remainingFiles) {
  std::vector<std::string> unshared;
  for (const std::string& file : candidates) {
    if (file.empty() || ContainsNoCase(remainingFiles, file) || ContainsNoCase(unshared, file)) {
      continue;
    }
    unshared.push_back(file);
  }
  return unshared;
}

}  // namespace vgsetup
