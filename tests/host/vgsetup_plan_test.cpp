// vgsetup's command line and its decisions: settings, files, the installation record and
// what an uninstall may remove.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "tools/vgsetup/setup_options.h"
#include "tools/vgsetup/setup_plan.h"

namespace {

using namespace vgsetup;

ParseOutcome Parse(std::vector<std::string_view> args) { return ParseSetupArgs(args); }

TEST(SetupOptions, InstallTakesSpacedAndJoinedValues) {
  ParseOutcome outcome =
      Parse({"install", "--printer", "VP-100 Demo", "--port=LPT1:", "--model", "VP-100",
             "--driver=KORVA Test", "--from", "C:\\kit", "--install-dir=D:\\vg", "--library",
             "C:\\libs\\qv.dll", "--driver-file", "my.drv"});
  ASSERT_TRUE(outcome.ok) << outcome.error;
  const SetupOptions& o = outcome.options;
  EXPECT_EQ(o.command, Command::kInstall);
  EXPECT_EQ(o.printer, "VP-100 Demo");
  EXPECT_EQ(o.port, "LPT1:");
  EXPECT_EQ(o.model, "VP-100");
  EXPECT_EQ(o.driver, "KORVA Test");
  EXPECT_EQ(o.from, "C:\\kit");
  EXPECT_EQ(o.installDir, "D:\\vg");
  EXPECT_EQ(o.library, "C:\\libs\\qv.dll");
  EXPECT_EQ(o.driverFile, "my.drv");
}

TEST(SetupOptions, UninstallNeedsOnlyThePrinterAndRefusesInstallOptions) {
  ParseOutcome outcome = Parse({"uninstall", "--printer", "P1"});
  ASSERT_TRUE(outcome.ok) << outcome.error;
  EXPECT_EQ(outcome.options.command, Command::kUninstall);
  EXPECT_EQ(outcome.options.printer, "P1");

  EXPECT_FALSE(Parse({"uninstall", "--printer", "P1", "--port", "LPT1:"}).ok);
  EXPECT_FALSE(Parse({"uninstall"}).ok);
}

TEST(SetupOptions, HelpIsACommandOfItsOwn) {
  for (std::string_view word : {"help", "--help", "-h", "/?"}) {
    ParseOutcome outcome = Parse({word});
    ASSERT_TRUE(outcome.ok) << word;
    EXPECT_EQ(outcome.options.command, Command::kHelp);
  }
  EXPECT_FALSE(Parse({"help", "--printer", "x"}).ok);
}

TEST(SetupOptions, MalformedCommandLinesAreRefusedWithAReason) {
  const std::vector<std::vector<std::string_view>> bad = {
      {},
      {"instal", "--printer", "P"},
      {"install", "--printer", "P", "--port", "LPT1:", "--model"},  // value missing
      {"install", "--printer", "P", "--port=", "--model", "M"},     // empty value
      {"install", "--printer", "P", "--port", "LPT1:", "--model", "M", "--colour", "red"},
      {"install", "--printer", "P", "--printer", "Q", "--port", "L", "--model", "M"},
      {"install", "--printer", "P", "--port", "LPT1:", "--model", "M", "extra"},
      {"install", "-printer", "P", "--port", "LPT1:", "--model", "M"},
      {"install", "--port", "LPT1:", "--model", "M"},    // no printer
      {"install", "--printer", "P", "--model", "M"},     // no port
      {"install", "--printer", "P", "--port", "LPT1:"},  // no model
  };
  for (const auto& args : bad) {
    ParseOutcome outcome = Parse(args);
    EXPECT_FALSE(outcome.ok) << (args.empty() ? "(nothing)" : args.back());
    EXPECT_FALSE(outcome.error.empty());
  }
}

TEST(SetupOptions, NamesThatWouldBreakAPathOrAKeyAreRefused) {
  auto install = [](std::string_view printer, std::string_view port, std::string_view model,
                    std::string_view driver) {
    std::vector<std::string_view> args = {"install", "--printer", printer, "--port",
                                          port,      "--model",   model};
    if (!driver.empty()) {
      args.push_back("--driver");
      args.push_back(driver);
    }
    return ParseSetupArgs(args).ok;
  };
  EXPECT_TRUE(install("P", "\\\\server\\share", "VP-100", "KORVA VP-100"));
  EXPECT_FALSE(install("P,1", "LPT1:", "VP-100", ""));
  EXPECT_FALSE(install("P\\1", "LPT1:", "VP-100", ""));
  EXPECT_FALSE(install(" P", "LPT1:", "VP-100", ""));
  EXPECT_FALSE(install("P", "LPT1:", "VP\\100", ""));
  EXPECT_FALSE(install("P", "LPT1:", "[VP]", ""));
  EXPECT_FALSE(install("P", "LPT1:", "..", ""));
  EXPECT_FALSE(install("P", "LPT1:", "VP-100", "Driver\\Sub"));
  EXPECT_FALSE(install("P", "LPT1:", std::string(260, 'M'), ""));
  EXPECT_TRUE(install("P", "LPT1:", std::string(259, 'M'), ""));
  EXPECT_FALSE(install("P", "LPT\t1:", "VP-100", ""));
}

TEST(SetupPaths, JoinAndSplitWindowsPaths) {
  EXPECT_EQ(JoinPath("C:\\dir", "a.dll"), "C:\\dir\\a.dll");
  EXPECT_EQ(JoinPath("C:\\", "a.dll"), "C:\\a.dll");
  EXPECT_EQ(JoinPath("", "a.dll"), "a.dll");
  EXPECT_EQ(DirectoryOf("C:\\spool\\3\\data.ini"), "C:\\spool\\3");
  EXPECT_EQ(DirectoryOf("data.ini"), "");
  EXPECT_EQ(FileNameOf("C:\\spool\\3\\data.ini"), "data.ini");
  EXPECT_EQ(FileNameOf("Z:/tmp/qv.dll"), "qv.dll");
  EXPECT_EQ(FileNameOf("qv.dll"), "qv.dll");
  EXPECT_EQ(SplitList(" vgmon.exe, ,qvsimctl.exe ,"),
            (std::vector<std::string>{"vgmon.exe", "qvsimctl.exe"}));
  EXPECT_TRUE(SplitList("").empty());
}

SetupOptions InstallOptions() {
  SetupOptions options;
  options.command = Command::kInstall;
  options.printer = "P";
  options.port = "LPT1:";
  options.model = "VP-100";
  return options;
}

TEST(SetupSettings, DefaultsFillWhatTheProfileLeavesOpen) {
  SettingsOutcome outcome = ResolveSettings(InstallOptions(), ProfileValues(), "C:\\Program Files");
  ASSERT_TRUE(outcome.ok) << outcome.error;
  const InstallSettings& s = outcome.settings;
  EXPECT_EQ(s.driverName, "KORVA VP-100");
  EXPECT_EQ(s.type, "QOLT");
  EXPECT_EQ(s.libraryName, "qvsim.dll");
  EXPECT_EQ(s.librarySource, "");
  EXPECT_EQ(s.localTimer, "10");
  EXPECT_EQ(s.networkTimer, "30");
  EXPECT_EQ(s.driverFile, "wineps.drv");
  EXPECT_EQ(s.installDir, "C:\\Program Files\\KORVA\\Vigil3\\VP-100");
  EXPECT_EQ(s.profileName, "VP-100.ini");
  EXPECT_EQ(s.dataFileName, "vg3_VP-100.ini");
}

TEST(SetupSettings, OptionsWinOverTheProfile) {
  ProfileValues profile;
  profile.driverName = "KORVA VP-100 Series";
  profile.type = "QOLT2";
  profile.library = "vendor.dll";
  profile.localTimer = "5,20";
  profile.networkTimer = "45";
  SettingsOutcome fromProfile = ResolveSettings(InstallOptions(), profile, "C:\\PF");
  ASSERT_TRUE(fromProfile.ok) << fromProfile.error;
  EXPECT_EQ(fromProfile.settings.driverName, "KORVA VP-100 Series");
  EXPECT_EQ(fromProfile.settings.type, "QOLT2");
  EXPECT_EQ(fromProfile.settings.libraryName, "vendor.dll");
  EXPECT_EQ(fromProfile.settings.localTimer, "5,20");
  EXPECT_EQ(fromProfile.settings.networkTimer, "45");

  SetupOptions options = InstallOptions();
  options.driver = "Mine";
  options.library = "Z:\\build\\bin\\qvsim.dll";
  options.installDir = "D:\\Vigil\\";
  options.driverFile = "UNIDRV.DLL";
  SettingsOutcome fromOptions = ResolveSettings(options, profile, "C:\\PF");
  ASSERT_TRUE(fromOptions.ok) << fromOptions.error;
  EXPECT_EQ(fromOptions.settings.driverName, "Mine");
  EXPECT_EQ(fromOptions.settings.libraryName, "qvsim.dll");
  EXPECT_EQ(fromOptions.settings.librarySource, "Z:\\build\\bin\\qvsim.dll");
  EXPECT_EQ(fromOptions.settings.installDir, "D:\\Vigil");
  EXPECT_EQ(fromOptions.settings.driverFile, "UNIDRV.DLL");
}

TEST(SetupSettings, ValuesTheSystemCouldNotUseAreRefused) {
  ProfileValues profile;
  profile.localTimer = "0";
  EXPECT_FALSE(ResolveSettings(InstallOptions(), profile, "C:\\PF").ok);
  profile.localTimer = "ten";
  EXPECT_FALSE(ResolveSettings(InstallOptions(), profile, "C:\\PF").ok);
  profile.localTimer = "10";
  profile.library = "libs\\qv.dll";
  EXPECT_FALSE(ResolveSettings(InstallOptions(), profile, "C:\\PF").ok);
  profile.library = "";
  profile.driverName = "Bad\\Driver";
  EXPECT_FALSE(ResolveSettings(InstallOptions(), profile, "C:\\PF").ok);
  profile.driverName = "";
  EXPECT_FALSE(ResolveSettings(InstallOptions(), profile, "").ok);  // no folder known
}

ProfileValues ExampleProfile() {
  ProfileValues profile;
  profile.hasModelSection = true;
  profile.prnDll = "vgprn.dll";
  profile.resDlls = {"vgres.dll"};
  profile.soundLibraries = {"VGRES.DLL"};
  profile.popupProgram = "vgpop.exe";
  profile.iconProgram = "vgicon.exe";
  profile.extraFiles = "vgmon.exe, vgprn.dll";
  profile.pictures = {"b.bmp", "r.bmp", "b.bmp"};
  profile.helpFiles = {"vghelp.chm"};
  return profile;
}

TEST(SetupFiles, EachFileOnceAndRequiredWhereverALibraryNeedsIt) {
  FileListOutcome outcome = ListInstallFiles(ExampleProfile());
  ASSERT_TRUE(outcome.ok) << outcome.error;
  std::vector<std::string> names;
  for (const InstallFile& file : outcome.files) names.push_back(file.name);
  EXPECT_EQ(names, (std::vector<std::string>{"vgprn.dll", "vgres.dll", "vgpop.exe", "vgicon.exe",
                                             "vgmon.exe", "b.bmp", "r.bmp", "vghelp.chm"}));
  auto find = [&outcome](std::string_view name) {
    for (const InstallFile& file : outcome.files) {
      if (file.name == name) return file;
    }
    return InstallFile();
  };
  EXPECT_TRUE(find("vgprn.dll").required);  // listed under "Files" too: still required
  EXPECT_TRUE(find("vgres.dll").required);
  EXPECT_FALSE(find("vgpop.exe").required);
  EXPECT_EQ(find("vgpop.exe").driverValue, "VG_RUN");
  EXPECT_EQ(find("vgicon.exe").driverValue, "VG_ICN");
  EXPECT_EQ(find("vgmon.exe").driverValue, "");
}

TEST(SetupFiles, AProfileWithoutLibrariesOrWithPathsIsRefused) {
  ProfileValues profile = ExampleProfile();
  profile.prnDll = "";
  EXPECT_FALSE(ListInstallFiles(profile).ok);

  profile = ExampleProfile();
  profile.hasModelSection = false;
  EXPECT_FALSE(ListInstallFiles(profile).ok);

  profile = ExampleProfile();
  profile.resDlls.clear();
  EXPECT_FALSE(ListInstallFiles(profile).ok);

  profile = ExampleProfile();
  profile.pictures = {"..\\..\\windows\\win.ini"};
  FileListOutcome outcome = ListInstallFiles(profile);
  EXPECT_FALSE(outcome.ok);
  EXPECT_TRUE(outcome.files.empty());
  EXPECT_NE(outcome.error.find("win.ini"), std::string::npos);
}

// The status window falls back to the resource library's pictures, so a kit without the
// model's pictures still installs; those it does install are listed for the uninstall.
TEST(SetupFiles, PicturesAreOptionalAndListedForTheUninstall) {
  ProfileValues profile = ExampleProfile();
  profile.pictures = {"vp100b.bmp", "vp100r.bmp", "vp100y.bmp"};
  FileListOutcome outcome = ListInstallFiles(profile);
  ASSERT_TRUE(outcome.ok) << outcome.error;
  std::vector<std::string> pictures;
  for (const InstallFile& file : outcome.files) {
    if (file.name.size() > 4 && file.name.compare(file.name.size() - 4, 4, ".bmp") == 0) {
      EXPECT_FALSE(file.required) << file.name;
      EXPECT_EQ(file.driverValue, "") << file.name;
      pictures.push_back(file.name);
    }
  }
  EXPECT_EQ(pictures, profile.pictures);
  EXPECT_EQ(DecodeManifest(EncodeManifest(MergeNames({"vgprn.dll"}, pictures))),
            (std::vector<std::string>{"vgprn.dll", "vp100b.bmp", "vp100r.bmp", "vp100y.bmp"}));
}

TEST(SetupRecord, RoundTripKeepsEveryField) {
  InstallRecord record;
  record.driver = "KORVA VP-100";
  record.model = "VP-100";
  record.port = "\\\\server\\share=1";
  record.installDir = "C:\\Program Files\\KORVA\\Vigil3\\VP-100";
  record.addedPorts = {"USB001", "LPT4:"};
  record.createdSwitches = {"RST_FREPLACE", "ERR_OTHERS"};
  const std::string data = EncodeRecord(record);
  ASSERT_GE(data.size(), 2u);
  EXPECT_EQ(data.substr(data.size() - 2), std::string("\0\0", 2));

  InstallRecord decoded;
  ASSERT_TRUE(DecodeRecord(data, &decoded));
  EXPECT_EQ(decoded.driver, record.driver);
  EXPECT_EQ(decoded.model, record.model);
  EXPECT_EQ(decoded.port, record.port);
  EXPECT_EQ(decoded.installDir, record.installDir);
  EXPECT_EQ(decoded.addedPorts, (std::vector<std::string>{"USB001", "LPT4:"}));
  EXPECT_EQ(decoded.createdSwitches, (std::vector<std::string>{"RST_FREPLACE", "ERR_OTHERS"}));
}

TEST(SetupRecord, DamagedDataDecodesSafely) {
  InstallRecord record;
  // No closing zeros (a value cut short), unknown items and a lower-case name.
  ASSERT_TRUE(DecodeRecord(std::string("Future=x\0driver=D\0Model=M", 25), &record));
  EXPECT_EQ(record.driver, "D");
  EXPECT_EQ(record.model, "M");
  EXPECT_TRUE(record.addedPorts.empty());

  InstallRecord untouched;
  untouched.driver = "keep";
  EXPECT_FALSE(DecodeRecord(std::string("Driver=D\0\0", 10), &untouched));  // no model
  EXPECT_EQ(untouched.driver, "keep");
  EXPECT_FALSE(DecodeRecord(std::string(), &untouched));
  EXPECT_FALSE(DecodeRecord("Driver=D", nullptr));
}

TEST(SetupManifest, OnlyPlainFileNamesSurviveDecoding) {
  const std::vector<std::string> names = {"vgprn.dll", "vgres.dll", "VP-100.ini"};
  EXPECT_EQ(DecodeManifest(EncodeManifest(names)), names);
  EXPECT_EQ(DecodeManifest("a.dll\n\n ..\\evil.dll\nC:\\x.dll\nsub/b.dll\nA.DLL\n..\r\nb.exe"),
            (std::vector<std::string>{"a.dll", "b.exe"}));
  EXPECT_EQ(MergeNames({"a.dll", "b.exe"}, {"B.EXE", "c.ini"}),
            (std::vector<std::string>{"a.dll", "b.exe", "c.ini"}));
}

RemovalInputs OnePrinter() {
  RemovalInputs inputs;
  inputs.record.driver = "KORVA VP-100";
  inputs.record.model = "VP-100";
  inputs.record.port = "USB001";
  inputs.record.addedPorts = {"USB001"};
  inputs.printer = "Demo";
  inputs.printers = {{"Demo", "KORVA VP-100", "USB001"}, {"Office", "Other", "LPT1:"}};
  return inputs;
}

TEST(SetupRemoval, ALastPrinterTakesItsDriverPortAndModelWithIt) {
  RemovalPlan plan = PlanRemoval(OnePrinter());
  EXPECT_TRUE(plan.removeDriver);
  EXPECT_EQ(plan.ports, (std::vector<std::string>{"USB001"}));
  EXPECT_TRUE(plan.removeModel);
  EXPECT_EQ(plan.driverKeptFor, "");
}

TEST(SetupRemoval, WhatOthersStillUseStays) {
  RemovalInputs inputs = OnePrinter();
  inputs.printers.push_back({"Second", "korva vp-100", "usb001"});
  RemovalPlan shared = PlanRemoval(inputs);
  EXPECT_FALSE(shared.removeDriver);
  EXPECT_EQ(shared.driverKeptFor, "Second");
  EXPECT_TRUE(shared.ports.empty());
  EXPECT_FALSE(shared.removeModel);  // the model serves the kept driver

  inputs = OnePrinter();
  inputs.otherModels = {"VP-200", "vp-100"};  // another driver of the same model
  RemovalPlan model = PlanRemoval(inputs);
  EXPECT_TRUE(model.removeDriver);
  EXPECT_FALSE(model.removeModel);

  inputs = OnePrinter();
  inputs.record.addedPorts.clear();  // the port was there before the installation
  EXPECT_TRUE(PlanRemoval(inputs).ports.empty());

  inputs = OnePrinter();
  inputs.printers.clear();  // the printer is gone already: a second uninstall run
  RemovalPlan rerun = PlanRemoval(inputs);
  EXPECT_TRUE(rerun.removeDriver);
  EXPECT_EQ(rerun.ports, (std::vector<std::string>{"USB001"}));
}

// Two installations of one model into two folders: whichever goes first, a folder goes only
// when no record or kept key names it, and the last removal takes every folder the keys named.
TEST(SetupRemoval, AFolderGoesWhenNothingNamesItAnyMore) {
  RemovalInputs alone = OnePrinter();
  alone.record.installDir = "C:\\VG";
  alone.driverFolder = "c:\\vg\\";
  alone.profileFolder = "C:\\VG\\";
  EXPECT_EQ(PlanRemoval(alone).folders, (std::vector<std::string>{"C:\\VG"}));

  // The earlier installation (C:\VG) goes first; the later one (D:\VG) moved the keys there.
  RemovalInputs earlier = OnePrinter();
  earlier.printers.push_back({"Second", "KORVA VP-100", "LPT1:"});
  earlier.record.installDir = "C:\\VG";
  earlier.driverFolder = "D:\\VG";
  earlier.profileFolder = "D:\\VG\\";
  earlier.otherRecordFolders = {"D:\\VG"};
  EXPECT_EQ(PlanRemoval(earlier).folders, (std::vector<std::string>{"C:\\VG"}));
  earlier.otherRecordFolders = {"c:\\vg\\"};  // the other printer shares the folder
  EXPECT_TRUE(PlanRemoval(earlier).folders.empty());

  // The later installation goes first: its folder serves the driver that stays.
  RemovalInputs later = earlier;
  later.record.installDir = "D:\\VG";
  later.otherRecordFolders = {"C:\\VG"};
  EXPECT_TRUE(PlanRemoval(later).folders.empty());
  // Then the earlier one, the last: both folders go.
  RemovalInputs last = OnePrinter();
  last.record.installDir = "C:\\VG";
  last.driverFolder = "D:\\VG";
  last.profileFolder = "D:\\VG\\";
  EXPECT_EQ(PlanRemoval(last).folders, (std::vector<std::string>{"C:\\VG", "D:\\VG"}));
  // Another driver's key names one of them: that one stays.
  last.otherDriverFolders = {"d:\\vg"};
  EXPECT_EQ(PlanRemoval(last).folders, (std::vector<std::string>{"C:\\VG"}));
  // Another driver of the model keeps the Profile key value, and with it the folder it names.
  last.otherDriverFolders.clear();
  last.otherModels = {"VP-100"};
  EXPECT_EQ(PlanRemoval(last).folders, (std::vector<std::string>{"C:\\VG"}));
}

TEST(SetupRemoval, PortsAnEarlierRunAddedGoWhenNothingUsesThem) {
  const std::vector<PrinterEntry> printers = {{"Demo", "D", "LPT4:"}, {"Other", "X", "USB002"}};
  // The printer moved from USB001 to LPT4: (added too); USB002 now serves another printer.
  EXPECT_EQ(PortsToRemove({"USB001", "lpt4:", "USB002", "usb001"}, "LPT4:", printers, ""),
            (std::vector<std::string>{"USB001"}));
  // Uninstalling the printer frees LPT4: as well.
  EXPECT_EQ(PortsToRemove({"USB001", "LPT4:", "USB002"}, "", printers, "demo"),
            (std::vector<std::string>{"USB001", "LPT4:"}));
}

TEST(SetupRemoval, SharedDriverFilesAreKept) {
  const std::vector<std::string> ours = {"C:\\spool\\3\\vg3_VP-100.ini", "C:\\spool\\3\\qvsim.dll",
                                         "", "C:\\spool\\3\\QVSIM.DLL"};
  const std::vector<std::string> remaining = {"C:\\spool\\3\\wineps.drv",
                                              "c:\\spool\\3\\qvsim.dll"};
  EXPECT_EQ(UnsharedFiles(ours, remaining),
            (std::vector<std::string>{"C:\\spool\\3\\vg3_VP-100.ini"}));
  EXPECT_EQ(UnsharedFiles(ours, {}),
            (std::vector<std::string>{"C:\\spool\\3\\vg3_VP-100.ini", "C:\\spool\\3\\qvsim.dll"}));
}

TEST(SetupSwitches, OnlyMissingSwitchesAreCreated) {
  EXPECT_EQ(SwitchesToCreate({}),
            (std::vector<std::string>{"RST_FREPLACE", "ERR_QVAPIINUSE", "ERR_OTHERS"}));
  EXPECT_EQ(SwitchesToCreate({"err_others", "Unrelated"}),
            (std::vector<std::string>{"RST_FREPLACE", "ERR_QVAPIINUSE"}));
  EXPECT_TRUE(SwitchesToCreate({"ERR_OTHERS", "RST_FREPLACE", "ERR_QVAPIINUSE"}).empty());
}

TEST(SetupSwitches, CreatedSwitchesGoWithTheLastInstallation) {
  const std::vector<std::string> created = {"ERR_OTHERS", "RST_FREPLACE"};
  // The printer's own record is among the recorded ones while it is removed.
  SwitchRemoval last = PlanSwitchRemoval(created, "Demo", {"demo"});
  EXPECT_EQ(last.heir, "");
  EXPECT_EQ(last.switches, (std::vector<std::string>{"RST_FREPLACE", "ERR_OTHERS"}));

  SwitchRemoval shared = PlanSwitchRemoval(created, "Demo", {"Demo", "Office", "Lab"});
  EXPECT_EQ(shared.heir, "Office");
  EXPECT_EQ(shared.switches, (std::vector<std::string>{"RST_FREPLACE", "ERR_OTHERS"}));

  // Switches it found in place are no installation's to remove.
  EXPECT_TRUE(PlanSwitchRemoval({}, "Demo", {}).switches.empty());
  // A damaged record names nothing else to delete.
  SwitchRemoval damaged = PlanSwitchRemoval({"Version", "..\\x", "err_qvapiinuse"}, "Demo", {});
  EXPECT_EQ(damaged.switches, (std::vector<std::string>{"ERR_QVAPIINUSE"}));
}

}  // namespace
