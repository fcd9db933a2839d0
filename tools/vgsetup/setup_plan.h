#pragma once
// The decisions of vgsetup, apart from the system calls: which settings a model gets, which
// files it installs, how an installation is recorded, and what an uninstall may remove
// without taking anything from another printer or model.
#include <string>
#include <string_view>
#include <vector>

#include "common/registry_keys.h"
#include "tools/vgsetup/setup_options.h"

namespace vgsetup {

// Windows paths. JoinPath puts exactly one backslash between a non-empty folder and a name.
std::string JoinPath(std::string_view dir, std::string_view name);
// The folder part of a path without its last backslash; empty when there is none.
std::string_view DirectoryOf(std::string_view path);
std::string_view FileNameOf(std::string_view path);
// A comma-separated list: items trimmed of blanks, empty items dropped.
std::vector<std::string> SplitList(std::string_view text);

// What the model's profile says, as read from its INI file by the shell.
struct ProfileValues {
  // Section "Install".
  std::string driverName;  // "DRVNAME"
  std::string type;        // "Type"
  std::string library;     // "QVAPI32"
  std::string localTimer;  // "LocalMonitoringTimer"
  std::string networkTimer;
  std::string popupProgram;  // "VG_RUN"
  std::string iconProgram;   // "VG_ICN"
  std::string agentProgram;  // "VG_RCV"
  std::string extraFiles;    // "Files", a comma list
  // The model's section.
  bool hasModelSection = false;
  std::string prnDll;                 // "PrnDll"
  std::vector<std::string> pictures;  // "BMPBlue", "BMPRed", "BMPYellow"
  // Every language section.
  std::vector<std::string> resDlls;         // "ResDll"
  std::vector<std::string> soundLibraries;  // "WAVRES"
  std::vector<std::string> helpFiles;       // "HelpFile"
};

constexpr std::string_view kDefaultType = vgreg::kDriverTypeLine;
constexpr std::string_view kDefaultLibrary = "qvsim.dll";
constexpr std::string_view kDefaultLocalTimer = "10";
constexpr std::string_view kDefaultNetworkTimer = "30";
constexpr std::string_view kDefaultDriverFile = "wineps.drv";

struct InstallSettings {
  std::string driverName;
  std::string type;
  std::string libraryName;    // file name: printer data, Driver key "QVAPI32"
  std::string librarySource;  // a path from --library, or empty: the source folder's file
  std::string localTimer;
  std::string networkTimer;
  std::string driverFile;
  std::string installDir;    // without a trailing backslash
  std::string profileName;   // <model>.ini in the installation folder
  std::string dataFileName;  // the spooler driver's data file: a copy of the profile
};

struct SettingsOutcome {
  bool ok = false;
  std::string error;
  InstallSettings settings;
};

// Options win over the profile, the profile over the defaults. programFiles is the system's
// program folder, used when no installation folder is given.
SettingsOutcome ResolveSettings(const SetupOptions& options, const ProfileValues& profile,
                                std::string_view programFiles);

// One file of the installation folder. driverValue names the Driver key value that receives
// the file's full path once it is installed ("VG_RUN", "VG_ICN", "VG_RCV"), if any.
struct InstallFile {
  std::string name;
  bool required = false;
  std::string driverValue;
};

struct FileListOutcome {
  bool ok = false;
  std::string error;
  std::vector<InstallFile> files;
};

// The libraries the profile names are required; programs, pictures, help files and the
// "Files" list are installed when present. Each name appears once (compared without regard
// to case); a name that is required anywhere is required.
FileListOutcome ListInstallFiles(const ProfileValues& profile);

// What one installation added, kept so that an uninstall (also of a half-done install)
// knows what to remove. Stored as a multi-string: "Name=value" items, then an empty one.
struct InstallRecord {
  std::string driver;
  std::string model;
  std::string port;
  std::string installDir;
  // Ports that did not exist and that an installation of the printer created; each goes
  // again once no printer uses it. Port names hold no commas.
  std::vector<std::string> addedPorts;
  // Common error switches that were missing and that this installation created (or took
  // over from a removed one); they go with the last installation.
  std::vector<std::string> createdSwitches;
};

std::string EncodeRecord(const InstallRecord& record);
// False when the data holds no driver or no model.
bool DecodeRecord(std::string_view data, InstallRecord* record);

// The list of files that the installation put into its folder: one plain file name a line.
// Decoding drops every line that is not a plain file name, so that an edited list can never
// make an uninstall delete outside the folder.
std::string EncodeManifest(const std::vector<std::string>& names);
std::vector<std::string> DecodeManifest(std::string_view text);
// Union without regard to case, order of first appearance.
std::vector<std::string> MergeNames(const std::vector<std::string>& first,
                                    const std::vector<std::string>& second);

// The machine-wide switches of common errors (REG_DWORD values under HKLM
// "software\KORVA\VGL3\VGLCommon"). The monitor stops at once unless every one is present
// and 0, so an installation writes the missing ones as 0 and never touches present ones.
inline constexpr std::string_view kCommonSwitches[] = {
    vgreg::kCommonFileReplaced, vgreg::kCommonQvapiInUse, vgreg::kCommonOtherError};

// The switches that are not among the existing values, in their order above.
std::vector<std::string> SwitchesToCreate(const std::vector<std::string>& existing);

struct SwitchRemoval {
  std::vector<std::string> switches;  // the removed installation's switches
  std::string heir;  // the installation whose record takes them over; "" = delete them
};

// What becomes of the switches that the removed printer's installation created: while
// another installation is recorded, its record takes them over (they stay); with the last
// one they are deleted. Names that are no common switch are dropped, so that a damaged
// record cannot make an uninstall delete another value.
SwitchRemoval PlanSwitchRemoval(const std::vector<std::string>& createdSwitches,
                                std::string_view printer,
                                const std::vector<std::string>& recordedPrinters);

// A printer as the spooler lists it.
struct PrinterEntry {
  std::string name;
  std::string driver;
  std::string port;
};

// The name of another printer than the excluded one that uses the driver (or the port),
// or empty when none does.
std::string OtherPrinterWithDriver(const std::vector<PrinterEntry>& printers,
                                   std::string_view excludedPrinter, std::string_view driver);
std::string OtherPrinterWithPort(const std::vector<PrinterEntry>& printers,
                                 std::string_view excludedPrinter, std::string_view port);

struct RemovalInputs {
  InstallRecord record;
  std::string printer;                 // the printer being removed
  std::vector<PrinterEntry> printers;  // the spooler's printers (the removed one may be among them)
  std::vector<std::string> otherModels;  // "ModelID" of every other driver's Driver key
  // Folders that name installations: the removed driver's Driver key "InstallPath", the folder
  // of the model's Profile key value, the folders of every other installation record and the
  // "InstallPath" of every other Driver key.
  std::string driverFolder;
  std::string profileFolder;
  std::vector<std::string> otherRecordFolders;
  std::vector<std::string> otherDriverFolders;
};

struct RemovalPlan {
  bool removeDriver = false;       // spooler driver, its files and its Driver key
  std::vector<std::string> ports;  // added ports that nothing uses any more
  bool removeModel = false;        // the model's Profile key value
  std::string driverKeptFor;       // a printer that still uses the driver
  // Installation folders that nothing will name any more: the removed record's, and, with the
  // driver or the model, the folders their keys named (a later installation of the model into
  // another folder moves those keys there). A folder that another record or a kept key names
  // stays, so that every printer left keeps a whole installation.
  std::vector<std::string> folders;
};

RemovalPlan PlanRemoval(const RemovalInputs& inputs);

// The added ports, other than keptPort, that no printer except the excluded one uses.
std::vector<std::string> PortsToRemove(const std::vector<std::string>& addedPorts,
                                       std::string_view keptPort,
                                       const std::vector<PrinterEntry>& printers,
                                       std::string_view excludedPrinter);

// The files of a removed driver that no remaining driver lists: candidates minus the
// remaining files, compared by full path without regard to case.
std::vector<std::string> UnsharedFiles(const std::vector<std::string>& candidates,
                                       const std::vector<std::string>& remainingFiles);

}  // namespace vgsetup
