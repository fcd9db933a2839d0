#pragma once
// The fixed registry key paths and value names that several modules share: the writers
// (vgsetup, the printer library, the monitor) and the readers (the monitor, the status window,
// the tools and the tests) take them from this one list. Plain character arrays, so that they
// serve the system's calls and std::string_view alike.
namespace vgreg {

// Machine-wide keys under HKEY_LOCAL_MACHINE.
constexpr char kProductKey[] = "software\\KORVA\\VGL3";
// The Driver key of a driver is this prefix followed by the driver's name.
constexpr char kDriverKeyPrefix[] = "software\\KORVA\\VGL3\\Driver\\";
constexpr char kDriverRootKey[] = "software\\KORVA\\VGL3\\Driver";
// One value per model, named by the model identifier: the full path of its profile INI.
constexpr char kProfileKey[] = "software\\KORVA\\VGL3\\Profile";
// The machine-wide switches of common errors (values below).
constexpr char kCommonKey[] = "software\\KORVA\\VGL3\\VGLCommon";
// The pending state of the network agent that other programs leave.
constexpr char kQoltCommonKey[] = "software\\KORVA\\VGL3\\QOLTCommon";
// What the bidirectional library's installation tells about itself.
constexpr char kQvapiInfoKey[] = "software\\KORVA\\QVAPIInfo";

// Values of a Driver key.
constexpr char kDriverModelId[] = "ModelID";
constexpr char kDriverType[] = "Type";
constexpr char kDriverTypeLine[] = "QOLT";  // the "Type" of the printers of the line
constexpr char kDriverInstallPath[] = "InstallPath";
constexpr char kDriverProfile[] = "Profile";  // full path of the model's profile INI
constexpr char kDriverQvapi32[] = "QVAPI32";  // file name of the bidirectional library
// The status window's poll intervals in seconds, as decimal text.
constexpr char kDriverLocalTimer[] = "LocalMonitoringTimer";
constexpr char kDriverNetworkTimer[] = "NetworkMonitoringTimer";

// Values of the common-error key, each 1 when the error stands.
constexpr char kCommonFileReplaced[] = "RST_FREPLACE";
constexpr char kCommonQvapiInUse[] = "ERR_QVAPIINUSE";
constexpr char kCommonOtherError[] = "ERR_OTHERS";

// The debug log switches (32-bit values, 1 = on): the monitor's and the printer library's.
constexpr char kMonitorLogSwitchKey[] = "SOFTWARE\\KORVA\\VGL3\\Debug";
constexpr char kMonitorLogSwitch[] = "VG_MT";
constexpr char kLibraryLogSwitchKey[] = "Software\\Korva\\VGL3";
constexpr char kLibraryLogSwitch[] = "log";

// The bases of the per-printer target keys, in the logon user's hive: by printer name, and
// by port name for a printer without a name.
constexpr char kPrinterTargetBaseKey[] = "software\\KORVA\\VGL3\\VGLData\\KVLTarget";
constexpr char kPortTargetBaseKey[] = "software\\KORVA\\VGL3\\VGLData\\KVNTarget";

// Values of a target key.
constexpr char kTargetName[] = "Name";        // the printer or port name the key belongs to
constexpr char kTargetSetting[] = "Setting";  // 0 in use, 255 about to be removed
constexpr char kTargetTimer[] = "Timer";      // the poll interval in seconds
// The latest status between the monitor and a status window: the raw reply, the channel it
// came from, and the communication state.
constexpr char kTargetStatus[] = "Status";
constexpr char kTargetChannel[] = "Channel";
constexpr char kTargetComStatus[] = "ComStatus";

// The printer data value (through the spooler) that names the bidirectional library's file.
constexpr char kQvapiLibraryDataName[] = "QVAPIB6Namex86";

// Keys of the system.
constexpr char kRunKey[] = "software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kWinlogonKey[] = "software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
constexpr char kProfileListKey[] = "software\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
constexpr char kProductOptionsKey[] = "System\\CurrentControlSet\\Control\\ProductOptions";

}  // namespace vgreg
