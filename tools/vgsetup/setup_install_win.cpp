#include "tools/vgsetup/setup_install_win.h"

#include <cstdio>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "common/registry_keys.h"
#include "common/text_util.h"
#include "common/win.h"
#include "tools/vgsetup/setup_files_win.h"
#include "tools/vgsetup/setup_plan.h"
#include "tools/vgsetup/setup_registry_win.h"
#include "tools/vgsetup/setup_spooler_win.h"

namespace vgsetup {
namespace {

void Ok(const std::string& text) { std::printf("[ok] %s\n", text.c_str()); }
void Skip(const std::string& text) { std::printf("[skip] %s\n", text.c_str()); }
void Warn(const std::string& text) { std::printf("[warn] %s\n", text.c_str()); }

int Fail(const std::string& text) {
  std::fflush(stdout);
  std::fprintf(stderr, "vgsetup: error: %s\n", text.c_str());
  return 1;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// Reads with a buffer well above the system's 260 bytes, so that an over-long name shows as
// such instead of being cut to something that looks valid.
std::string ProfileString(const std::string& ini, const std::string& section, const char* key) {
  char value[1024] = {};
  ::GetPrivateProfileStringA(section.c_str(), key, "", value, sizeof value, ini.c_str());
  return value;
}

std::vector<std::string> SectionLines(const std::string& ini, const char* section) {
  std::vector<char> buffer(32767, '\0');
  const DWORD length = ::GetPrivateProfileSectionA(section, buffer.data(),
                                                   static_cast<DWORD>(buffer.size()), ini.c_str());
  std::vector<std::string> lines;
  for (DWORD pos = 0; pos < length && buffer[pos] != '\0';) {
    const std::string_view line = vgtext::BoundedView(&buffer[pos], length - pos);
    if (line.front() != ';') lines.emplace_back(line);
    pos += static_cast<DWORD>(line.size()) + 1;
  }
  return lines;
}

ProfileValues ReadProfile(const std::string& ini, const std::string& model) {
  ProfileValues values;
  values.driverName = ProfileString(ini, "Install", "DRVNAME");
  values.type = ProfileString(ini, "Install", "Type");
  values.library = ProfileString(ini, "Install", "QVAPI32");
  values.localTimer = ProfileString(ini, "Install", "LocalMonitoringTimer");
  values.networkTimer = ProfileString(ini, "Install", "NetworkMonitoringTimer");
  values.popupProgram = ProfileString(ini, "Install", "VG_RUN");
  values.iconProgram = ProfileString(ini, "Install", "VG_ICN");
  values.agentProgram = ProfileString(ini, "Install", "VG_RCV");
  values.extraFiles = ProfileString(ini, "Install", "Files");

  values.hasModelSection = !SectionLines(ini, model.c_str()).empty();
  values.prnDll = ProfileString(ini, model, "PrnDll");
  for (const char* key : {"BMPBlue", "BMPRed", "BMPYellow"}) {
    std::string picture = ProfileString(ini, model, key);
    if (!picture.empty()) values.pictures.push_back(std::move(picture));
  }

  for (const std::string& line : SectionLines(ini, "Language")) {
    const std::string section(vgtext::BoundedView(line.c_str(), line.find('=')));
    if (section.empty()) continue;
    std::string resDll = ProfileString(ini, section, "ResDll");
    std::string sounds = ProfileString(ini, section, "WAVRES");
    std::string help = ProfileString(ini, section, "HelpFile");
    if (!resDll.empty()) values.resDlls.push_back(std::move(resDll));
    if (!sounds.empty()) values.soundLibraries.push_back(std::move(sounds));
    if (!help.empty()) values.helpFiles.push_back(std::move(help));
  }
  return values;
}

std::string FindProfile(const std::string& from, const std::string& model) {
  const std::string name = model + ".ini";
  for (const std::string& path :
       {JoinPath(from, name), JoinPath(JoinPath(from, "profiles"), name)}) {
    if (IsFile(path)) return path;
  }
  return std::string();
}

// The default layout puts each model below <Program Files>\KORVA\Vigil3; those two parents
// go with the last model.
void RemoveDefaultParents(const std::string& installDir, const std::string& model) {
  const std::string programFiles = ProgramFilesFolder();
  if (programFiles.empty()) return;
  const std::string vigil = JoinPath(programFiles, "KORVA\\Vigil3");
  if (!vgtext::EqualsNoCase(installDir, JoinPath(vigil, model))) return;
  if (RemoveFolderIfEmpty(vigil)) RemoveFolderIfEmpty(JoinPath(programFiles, "KORVA"));
}

// Everything install needs to know, gathered and checked before anything is changed.
struct InstallJob {
  SetupOptions options;
  std::string from;
  std::string profileSource;
  std::string librarySource;
  std::string driverSourceFolder;  // where the printer driver file lies now
  InstallSettings settings;
  std::vector<InstallFile> files;
};

int PrepareInstall(const SetupOptions& options, InstallJob* job) {
  job->options = options;
  job->from = options.from.empty() ? ProgramFolder() : FullPath(options.from);
  if (!IsFolder(job->from)) return Fail("source folder " + job->from + " does not exist");

  job->profileSource = FindProfile(job->from, options.model);
  if (job->profileSource.empty()) {
    return Fail("no profile " + options.model + ".ini in " + job->from + " or its profiles folder");
  }
  const ProfileValues profile = ReadProfile(job->profileSource, options.model);
  SettingsOutcome settings = ResolveSettings(options, profile, ProgramFilesFolder());
  if (!settings.ok) return Fail(settings.error);
  job->settings = std::move(settings.settings);
  job->settings.installDir = FullPath(job->settings.installDir);

  FileListOutcome files = ListInstallFiles(profile);
  if (!files.ok) return Fail(job->profileSource + ": " + files.error);
  job->files = std::move(files.files);
  for (const InstallFile& file : job->files) {
    if (file.required && !IsFile(JoinPath(job->from, file.name))) {
      return Fail("required file " + file.name + " is not in " + job->from);
    }
  }

  job->librarySource = job->settings.librarySource.empty()
                           ? JoinPath(job->from, job->settings.libraryName)
                           : FullPath(job->settings.librarySource);
  if (!IsFile(job->librarySource)) {
    return Fail("bidirectional library " + job->librarySource + " not found");
  }

  const std::string driverFolder = PrinterDriverFolder();
  if (driverFolder.empty()) return Fail("the spooler names no printer driver folder");
  for (const std::string& folder : {driverFolder, VersionedDriverFolder()}) {
    if (IsFile(JoinPath(folder, job->settings.driverFile))) {
      job->driverSourceFolder = folder;
      break;
    }
  }
  if (job->driverSourceFolder.empty()) {
    return Fail("printer driver file " + job->settings.driverFile + " is not in " + driverFolder +
                "; name one that is with --driver-file");
  }

  // Refuse to take over what another installation owns.
  PrinterEntry printer;
  if (FindPrinter(options.printer, &printer) &&
      !vgtext::EqualsNoCase(printer.driver, job->settings.driverName)) {
    return Fail("printer " + Quoted(options.printer) + " exists with driver " +
                Quoted(printer.driver) + "; remove it or choose another printer name");
  }
  if (FindDriver(job->settings.driverName, nullptr) &&
      !KeyExists(DriverKeyPath(job->settings.driverName))) {
    return Fail("the spooler holds a driver " + Quoted(job->settings.driverName) +
                " that this system did not install; choose another name with --driver");
  }
  InstallRecord old;
  if (ReadRecord(options.printer, &old) &&
      (!vgtext::EqualsNoCase(old.driver, job->settings.driverName) ||
       !vgtext::EqualsNoCase(old.model, options.model))) {
    return Fail("printer " + Quoted(options.printer) + " is installed for driver " +
                Quoted(old.driver) + " and model " + old.model + "; uninstall it first");
  }
  return 0;
}

int CopyInstallFiles(const InstallJob& job,
                     std::vector<std::pair<std::string, std::string>>* programs) {
  const std::string& dir = job.settings.installDir;
  std::string error;
  if (!CreateFolderTree(dir, &error)) return Fail(error);
  Ok("installation folder " + dir);

  std::vector<std::string> installed;
  for (const InstallFile& file : job.files) {
    const std::string source = JoinPath(job.from, file.name);
    const std::string target = JoinPath(dir, file.name);
    if (!file.required && !IsFile(source)) {
      Skip(file.name + " is not in " + job.from);
      if (!file.driverValue.empty()) programs->emplace_back(file.driverValue, std::string());
      continue;
    }
    if (!CopyFileOver(source, target, &error)) return Fail(error);
    Ok("copied " + file.name);
    installed.push_back(file.name);
    if (!file.driverValue.empty()) programs->emplace_back(file.driverValue, target);
  }

  const std::string profileTarget = JoinPath(dir, job.settings.profileName);
  if (!CopyFileOver(job.profileSource, profileTarget, &error)) return Fail(error);
  Ok("copied profile " + job.settings.profileName);
  installed.push_back(job.settings.profileName);

  if (!CopyFileOver(job.librarySource, JoinPath(dir, job.settings.libraryName), &error)) {
    return Fail(error);
  }
  Ok("copied bidirectional library " + job.settings.libraryName);
  installed.push_back(job.settings.libraryName);

  // Merge with an earlier run's list: a file installed then is still ours to remove.
  const std::string manifest = JoinPath(dir, kManifestName);
  const std::vector<std::string> names =
      MergeNames(DecodeManifest(ReadWholeFile(manifest)), installed);
  if (!WriteWholeFile(manifest, EncodeManifest(names), &error)) return Fail(error);
  return 0;
}

int WriteKeys(const InstallJob& job,
              const std::vector<std::pair<std::string, std::string>>& programs) {
  const InstallSettings& s = job.settings;
  const std::string driverKey = DriverKeyPath(s.driverName);
  const std::string profilePath = JoinPath(s.installDir, s.profileName);
  std::vector<std::pair<std::string, std::string>> values = {
      {vgreg::kDriverProfile, profilePath},         {vgreg::kDriverInstallPath, s.installDir},
      {vgreg::kDriverModelId, job.options.model},   {vgreg::kDriverType, s.type},
      {vgreg::kDriverQvapi32, s.libraryName},       {vgreg::kDriverLocalTimer, s.localTimer},
      {vgreg::kDriverNetworkTimer, s.networkTimer},
  };
  std::string error;
  for (const auto& [name, path] : programs) {
    if (!path.empty()) {
      values.emplace_back(name, path);
    } else if (!DeleteValueIfPresent(driverKey, name, &error)) {
      return Fail(error);  // a value left from an earlier run would name a missing program
    }
  }
  if (!WriteStrings(driverKey, values, &error)) return Fail(error);
  Ok("Driver key HKLM\\" + driverKey + " written");
  if (!WriteStrings(kProfileKey, {{job.options.model, profilePath}}, &error)) return Fail(error);
  Ok("Profile key value " + job.options.model + " = " + profilePath);
  // The library's set-up program, when the model brings one, is found through this value.
  if (IsFile(JoinPath(s.installDir, kSetupProgramName))) {
    if (!WriteStrings(kQvapiInfoKey, {{"InstallDir", s.installDir}}, &error)) return Fail(error);
    Ok(std::string("HKLM\\") + kQvapiInfoKey + " InstallDir = " + s.installDir);
  }
  return 0;
}

// The monitor stops at once unless every common error switch is present and 0: write the
// missing ones, and note them in the record first so that an uninstall takes them away again.
int WriteCommonSwitches(const std::string& printer, InstallRecord* record) {
  std::vector<std::string> existing;
  for (std::string_view name : kCommonSwitches) {
    if (ValueExists(kCommonKey, std::string(name))) existing.emplace_back(name);
  }
  const std::vector<std::string> missing = SwitchesToCreate(existing);
  std::string error;
  if (!missing.empty()) {
    record->createdSwitches = MergeNames(record->createdSwitches, missing);
    if (!WriteRecord(printer, *record, &error)) return Fail(error);
  }
  for (const std::string& name : missing) {
    if (!WriteDword(kCommonKey, name, 0, &error)) return Fail(error);
    Ok("common error switch HKLM\\" + std::string(kCommonKey) + "\\" + name + " = 0");
  }
  if (missing.size() < std::size(kCommonSwitches)) {
    Ok("common error switches present before are kept as they are");
  }
  return 0;
}

int InstallDriver(const InstallJob& job) {
  const InstallSettings& s = job.settings;
  const std::string stage = PrinterDriverFolder();
  // The spooler takes a new driver's files from its driver folder: put them there for the
  // call and take them away again. The generic driver file usually lies in the version
  // folder only; it is lent the same way when the driver folder lacks it.
  struct Staged {
    std::string source;
    std::string target;
    bool always;
  };
  const std::vector<Staged> staged = {
      {job.profileSource, JoinPath(stage, s.dataFileName), true},
      {job.librarySource, JoinPath(stage, s.libraryName), true},
      {JoinPath(job.driverSourceFolder, s.driverFile), JoinPath(stage, s.driverFile), false},
  };
  std::vector<std::string> lent;
  std::string error;
  int result = 0;
  for (const Staged& file : staged) {
    if (!file.always && IsFile(file.target)) continue;
    if (!CopyFileOver(file.source, file.target, &error)) {
      result = Fail(error);
      break;
    }
    lent.push_back(file.target);
  }
  if (result == 0 &&
      !AddDriver(s.driverName, s.driverFile, s.dataFileName, {s.libraryName}, &error)) {
    result = Fail(error);
  }
  for (const std::string& file : lent) DeleteFileIfPresent(file, nullptr);
  if (result != 0) return result;

  DriverEntry driver;
  if (!FindDriver(s.driverName, &driver) || !IsFile(driver.dataFile)) {
    return Fail("the spooler did not install the data file of driver " + Quoted(s.driverName));
  }
  Ok("spooler driver " + Quoted(s.driverName) + " added (data file " + driver.dataFile + ")");
  return 0;
}

int InstallPrinter(const InstallJob& job, InstallRecord* record) {
  const SetupOptions& o = job.options;
  std::string error;
  if (PortExists(o.port)) {
    Ok("port " + o.port + " exists");
  } else if (AddLocalPort(o.port, &error)) {
    record->addedPorts = MergeNames(record->addedPorts, {o.port});
    if (!WriteRecord(o.printer, *record, &error)) return Fail(error);
    Ok("port " + o.port + " added");
  } else {
    // Some spoolers take a printer on any port name; the attempt below tells.
    Warn("port " + o.port + " is unknown to the spooler and could not be added: " + error);
  }

  PrinterEntry printer;
  if (!FindPrinter(o.printer, &printer)) {
    if (!AddPrinterOnPort(o.printer, job.settings.driverName, o.port, &error)) return Fail(error);
    Ok("printer " + Quoted(o.printer) + " added on " + o.port + " with driver " +
       Quoted(job.settings.driverName));
  } else if (!vgtext::EqualsNoCase(printer.port, o.port)) {
    if (!SetPrinterPort(o.printer, o.port, &error)) return Fail(error);
    Ok("printer " + Quoted(o.printer) + " moved from " + printer.port + " to " + o.port);
  } else {
    Ok("printer " + Quoted(o.printer) + " exists on " + o.port);
  }

  const std::string& library = job.settings.libraryName;
  if (!SetPrinterString(o.printer, vgreg::kQvapiLibraryDataName, library, &error))
    return Fail(error);
  Ok(std::string("printer data ") + vgreg::kQvapiLibraryDataName + " = " + library);

  // The status library looks for the bidirectional library beside the driver's data file.
  std::string dataFile;
  if (!GetDriverDataFile(o.printer, &dataFile, &error)) return Fail(error);
  const std::string folder(DirectoryOf(dataFile));
  if (folder.empty()) return Fail("the driver's data file " + dataFile + " names no folder");
  const std::string placed = JoinPath(folder, library);
  if (!IsFile(placed) && !CopyFileOver(job.librarySource, placed, &error)) return Fail(error);
  Ok("bidirectional library " + library + " lies beside the driver's data file in " + folder);
  return 0;
}

}  // namespace

int RunInstall(const SetupOptions& options) {
  InstallJob job;
  if (int failed = PrepareInstall(options, &job)) return failed;

  InstallRecord old;
  const bool hadRecord = ReadRecord(options.printer, &old);
  InstallRecord record;
  record.driver = job.settings.driverName;
  record.model = options.model;
  record.port = options.port;
  record.installDir = job.settings.installDir;
  // Ports that an earlier run added, and switches it created, stay ours.
  if (hadRecord) {
    record.addedPorts = old.addedPorts;
    record.createdSwitches = old.createdSwitches;
  }
  std::string error;
  if (!WriteRecord(options.printer, record, &error)) return Fail(error);
  Ok("installation record of " + Quoted(options.printer) + " written (HKLM\\" + kSetupKey + ")");

  std::vector<std::pair<std::string, std::string>> programs;
  if (int failed = CopyInstallFiles(job, &programs)) return failed;
  if (int failed = WriteKeys(job, programs)) return failed;
  if (int failed = WriteCommonSwitches(options.printer, &record)) return failed;
  if (int failed = InstallDriver(job)) return failed;
  if (int failed = InstallPrinter(job, &record)) return failed;

  // Ports that an earlier run added and that the printer has left.
  for (const std::string& port :
       PortsToRemove(record.addedPorts, options.port, ListPrinters(), "")) {
    if (!DeleteLocalPort(port, &error)) return Fail(error);
    Ok("port " + port + " removed");
    std::vector<std::string> kept;
    for (const std::string& added : record.addedPorts) {
      if (!vgtext::EqualsNoCase(added, port)) kept.push_back(added);
    }
    record.addedPorts = kept;
    if (!WriteRecord(options.printer, record, &error)) return Fail(error);
  }

  std::printf("vgsetup: printer \"%s\" installed for model %s\n", options.printer.c_str(),
              options.model.c_str());
  return 0;
}

int RunUninstall(const SetupOptions& options) {
  const std::string& name = options.printer;
  InstallRecord record;
  const bool hasRecord = ReadRecord(name, &record);
  PrinterEntry printer;
  const bool hasPrinter = FindPrinter(name, &printer);
  if (!hasRecord) {
    if (!hasPrinter) {
      Ok("nothing to remove: no printer " + Quoted(name) + " and no installation record");
      return 0;
    }
    // A printer of this system installed without a record: its Driver key tells the rest.
    const std::string driverKey = DriverKeyPath(printer.driver);
    if (printer.driver.empty() || !KeyExists(driverKey)) {
      return Fail("printer " + Quoted(name) + " was not installed for this system (driver " +
                  Quoted(printer.driver) + " has no Driver key); nothing removed");
    }
    record.driver = printer.driver;
    record.model = ReadString(driverKey, vgreg::kDriverModelId);
    record.port = printer.port;
  }
  if (record.installDir.empty()) {
    record.installDir = ReadString(DriverKeyPath(record.driver), vgreg::kDriverInstallPath);
  }

  std::string error;
  if (hasPrinter) {
    if (!DeletePrinterNamed(name, &error)) return Fail(error);
    Ok("printer " + Quoted(name) + " removed");
  } else {
    Ok("printer " + Quoted(name) + " is already gone");
  }

  RemovalInputs inputs;
  inputs.record = record;
  inputs.printer = name;
  inputs.printers = ListPrinters();
  inputs.otherModels = OtherDriverKeyValues(record.driver, vgreg::kDriverModelId);
  inputs.driverFolder = ReadString(DriverKeyPath(record.driver), vgreg::kDriverInstallPath);
  const std::string profile = record.model.empty() ? "" : ReadString(kProfileKey, record.model);
  inputs.profileFolder = profile.substr(0, profile.find_last_of('\\') + 1);
  for (const std::string& other : RecordedPrinters()) {
    InstallRecord otherRecord;
    if (vgtext::EqualsNoCase(other, name) || !ReadRecord(other, &otherRecord)) continue;
    inputs.otherRecordFolders.push_back(
        otherRecord.installDir.empty()
            ? ReadString(DriverKeyPath(otherRecord.driver), vgreg::kDriverInstallPath)
            : otherRecord.installDir);
  }
  inputs.otherDriverFolders = OtherDriverKeyValues(record.driver, vgreg::kDriverInstallPath);
  const RemovalPlan plan = PlanRemoval(inputs);

  for (const std::string& port : plan.ports) {
    if (!DeleteLocalPort(port, &error)) return Fail(error);
    Ok("port " + port + " removed");
  }

  if (plan.removeDriver) {
    DriverEntry driver;
    std::vector<std::string> ourFiles;
    if (FindDriver(record.driver, &driver)) {
      // The driver file itself is the system's generic driver and stays.
      ourFiles = driver.dependentFiles;
      ourFiles.push_back(driver.dataFile);
      if (!DeleteDriver(record.driver, &error)) return Fail(error);
      Ok("spooler driver " + Quoted(record.driver) + " removed");
    }
    std::vector<std::string> remaining;
    for (const DriverEntry& other : ListDrivers()) {
      remaining.push_back(other.driverFile);
      remaining.push_back(other.dataFile);
      remaining.push_back(other.configFile);
      remaining.insert(remaining.end(), other.dependentFiles.begin(), other.dependentFiles.end());
    }
    for (const std::string& file : UnsharedFiles(ourFiles, remaining)) {
      if (!IsFile(file)) continue;
      if (!DeleteFileIfPresent(file, &error)) return Fail(error);
      Ok("removed driver file " + file);
    }
    if (KeyExists(DriverKeyPath(record.driver))) {
      if (!DeleteKeyTree(DriverKeyPath(record.driver), &error)) return Fail(error);
      Ok("Driver key HKLM\\" + DriverKeyPath(record.driver) + " removed");
    }
  } else {
    Ok("spooler driver " + Quoted(record.driver) + " kept: printer " + Quoted(plan.driverKeptFor) +
       " still uses it");
  }

  if (plan.removeModel && !record.model.empty()) {
    if (!DeleteValueIfPresent(kProfileKey, record.model, &error)) return Fail(error);
    Ok("Profile key value " + record.model + " removed");
  }
  for (const std::string& dir : plan.folders) {
    if (vgtext::EqualsNoCase(ReadString(kQvapiInfoKey, "InstallDir"), dir)) {
      if (!DeleteValueIfPresent(kQvapiInfoKey, "InstallDir", &error)) return Fail(error);
      DeleteKeyIfEmpty(kQvapiInfoKey);
      Ok(std::string("HKLM\\") + kQvapiInfoKey + " InstallDir removed");
    }
    if (!IsFolder(dir)) continue;
    const std::string manifest = JoinPath(dir, kManifestName);
    for (const std::string& file : DecodeManifest(ReadWholeFile(manifest))) {
      if (!DeleteFileIfPresent(JoinPath(dir, file), &error)) return Fail(error);
    }
    if (!DeleteFileIfPresent(manifest, &error)) return Fail(error);
    if (RemoveFolderIfEmpty(dir)) {
      Ok("installation folder " + dir + " removed");
      RemoveDefaultParents(dir, record.model);
    } else {
      Warn("installation folder " + dir + " kept: it holds files that vgsetup did not install");
    }
  }

  // The common error switches serve every installation: they go with the last one.
  const SwitchRemoval switches =
      PlanSwitchRemoval(record.createdSwitches, name, RecordedPrinters());
  if (!switches.heir.empty()) {
    InstallRecord heir;
    if (!ReadRecord(switches.heir, &heir)) {
      Warn("common error switches kept for the installation of " + Quoted(switches.heir) +
           ", whose record cannot be read");
    } else {
      heir.createdSwitches = MergeNames(heir.createdSwitches, switches.switches);
      if (!WriteRecord(switches.heir, heir, &error)) return Fail(error);
      Ok("common error switches kept: the installation of " + Quoted(switches.heir) +
         " takes them over");
    }
  } else {
    for (const std::string& value : switches.switches) {
      if (!DeleteValueIfPresent(kCommonKey, value, &error)) return Fail(error);
      Ok("common error switch " + value + " removed");
    }
  }

  if (!DeleteRecord(name, &error)) return Fail(error);
  RemoveEmptyProductKeys();
  Ok("installation record of " + Quoted(name) + " removed");
  std::printf("vgsetup: printer \"%s\" uninstalled\n", name.c_str());
  return 0;
}

}  // namespace vgsetup
