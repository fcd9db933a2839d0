// vgsetup.exe installs a model and a printer the way the monitor and the printer status
// library then find them, and its uninstall leaves the machine as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "common/spooler_printer_win.h"
#include "support/process_output.h"
#include "support/program_streams.h"
#include "support/scoped_registry_value.h"
#include "support/system_snapshot.h"
#include "support/win_test_support.h"

namespace {

const char kDriverRoot[] = "software\\KORVA\\VGL3\\Driver\\";
const char kProfileKey[] = "software\\KORVA\\VGL3\\Profile";
const char kCommonKey[] = "software\\KORVA\\VGL3\\VGLCommon";
const char* const kCommonSwitches[] = {"RST_FREPLACE", "ERR_QVAPIINUSE", "ERR_OTHERS"};

std::string Quote(const std::string& text) { return vgtest::QuoteArgument(text); }

struct PrinterFacts {
  bool exists = false;
  std::string driver;
  std::string port;
  std::string libraryName;  // printer data "QVAPIB6Namex86"
  DWORD libraryType = 0;
  std::string dataFile;  // of the driver, information level 6
};

PrinterFacts ReadPrinter(const std::string& name) {
  PrinterFacts facts;
  const SpoolerPrinter spooler(name.c_str(), PRINTER_ACCESS_USE);
  if (!spooler.IsOpen()) return facts;
  facts.exists = true;
  HANDLE printer = spooler.Handle();
  DWORD count = 0;
  if (spooler.Info() != nullptr) {
    facts.driver = spooler.DriverName();
    facts.port = spooler.PortName();
  }
  char value[MAX_PATH] = {};
  DWORD needed = 0;
  if (::GetPrinterDataA(printer, const_cast<char*>("QVAPIB6Namex86"), &facts.libraryType,
                        reinterpret_cast<BYTE*>(value), sizeof value - 1,
                        &needed) == ERROR_SUCCESS) {
    facts.libraryName = value;
  }
  std::vector<BYTE> driver = vgtest::Listing(
      [printer](BYTE* data, DWORD size, DWORD* needed, DWORD* returned) {
        *returned = 1;
        return ::GetPrinterDriverA(printer, nullptr, 6, data, size, needed);
      },
      &count);
  if (count == 1)
    facts.dataFile = reinterpret_cast<const DRIVER_INFO_6A*>(driver.data())->pDataFile;
  return facts;
}

std::string FolderOf(const std::string& path) { return path.substr(0, path.find_last_of('\\')); }

bool PortKnown(const std::string& port) {
  DWORD count = 0;
  std::vector<BYTE> ports = vgtest::Listing(
      [](BYTE* data, DWORD size, DWORD* needed, DWORD* returned) {
        return ::EnumPortsA(nullptr, 1, data, size, needed, returned);
      },
      &count);
  for (DWORD i = 0; i < count; ++i) {
    if (port == reinterpret_cast<const PORT_INFO_1A*>(ports.data())[i].pName) return true;
  }
  return false;
}

class VgSetupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    model_ = vgtest::UniqueName("VT");
    printer_ = vgtest::UniqueName("VG Printer");
    driver_ = vgtest::UniqueName("VG Driver");
    kit_ = vgtest::MakeTempDir("vgkit");
    const std::string bin = vgtest::BinDir();
    for (const char* file :
         {"vgprn.dll", "vgres.dll", "vgres_de.dll", "vp100b.bmp", "vp100r.bmp", "vp100y.bmp"}) {
      ASSERT_TRUE(::CopyFileA((bin + "\\" + file).c_str(), (kit_ + "\\" + file).c_str(), FALSE));
    }
    // The simulated printer's library when it is built; otherwise any DLL stands in for it,
    // since installing only places the file and names it.
    std::string library = bin + "\\qvsim.dll";
    if (!vgtest::FileExists(library)) library = bin + "\\vgres.dll";
    ASSERT_TRUE(::CopyFileA(library.c_str(), (kit_ + "\\qvsim.dll").c_str(), FALSE));
    // A stand-in pop-up program: vgsetup copies it and names it under "VG_RUN".
    vgtest::WriteFile(kit_ + "\\vgpop.exe", "MZ pop-up stand-in");

    // The example profile, under this test's own model id.
    std::string profile = vgtest::ReadFile(bin + "\\profiles\\VP-100.ini");
    const size_t section = profile.find("[VP-100]");
    ASSERT_NE(section, std::string::npos);
    profile.replace(section, 8, "[" + model_ + "]");
    vgtest::WriteFile(kit_ + "\\" + model_ + ".ini", profile);

    char programFiles[MAX_PATH] = {};
    ::GetEnvironmentVariableA("ProgramFiles", programFiles, sizeof programFiles);
    installDir_ = std::string(programFiles) + "\\KORVA\\Vigil3\\" + model_;
  }

  void TearDown() override {
    for (const std::string& printer : extraPrinters_) Uninstall(printer);
    Uninstall(printer_);
    vgtest::RemoveTree(kit_);
  }

  vgtest::StreamsRun Install(const std::string& printer, const std::string& port,
                             const std::string& extra = "") {
    return vgtest::RunWithStreams("vgsetup.exe", "install --printer " + Quote(printer) +
                                                     " --port " + Quote(port) + " --model " +
                                                     model_ + " --driver " + Quote(driver_) +
                                                     " --from " + Quote(kit_) + extra);
  }

  vgtest::StreamsRun Uninstall(const std::string& printer) {
    return vgtest::RunWithStreams("vgsetup.exe", "uninstall --printer " + Quote(printer));
  }

  std::string DriverValue(const char* name) {
    return vgtest::GetString(HKEY_LOCAL_MACHINE, kDriverRoot + driver_, name);
  }

  std::string Snap() { return vgtest::InstallationSnapshot(printer_, driver_, model_); }

  std::string model_;
  std::string printer_;
  std::string driver_;
  std::string kit_;
  std::string installDir_;
  std::vector<std::string> extraPrinters_;
};

TEST_F(VgSetupTest, InstallPlacesWhatTheSystemLooksUpAndUninstallRestoresTheMachine) {
  const std::string before = Snap();

  vgtest::StreamsRun install = Install(printer_, "LPT1:");
  ASSERT_EQ(install.process.exitCode, 0u) << install.out << install.err;
  EXPECT_NE(install.out.find("[ok] copied vgprn.dll"), std::string::npos) << install.out;
  EXPECT_NE(install.out.find("[skip] vgicon.exe"), std::string::npos) << install.out;
  EXPECT_EQ(install.err, "");
  EXPECT_NE(Snap(), before);  // the snapshot sees the installation

  // The Driver key.
  const std::string profile = installDir_ + "\\" + model_ + ".ini";
  EXPECT_EQ(DriverValue("Profile"), profile);
  EXPECT_EQ(DriverValue("InstallPath"), installDir_);
  EXPECT_EQ(DriverValue("ModelID"), model_);
  EXPECT_EQ(DriverValue("Type"), "QOLT");
  EXPECT_EQ(DriverValue("QVAPI32"), "qvsim.dll");
  EXPECT_EQ(DriverValue("LocalMonitoringTimer"), "10");
  EXPECT_EQ(DriverValue("NetworkMonitoringTimer"), "30");
  EXPECT_EQ(DriverValue("VG_RUN"), installDir_ + "\\vgpop.exe");
  EXPECT_EQ(DriverValue("VG_ICN"), "");  // not in the kit, so not named
  EXPECT_EQ(vgtest::GetString(HKEY_LOCAL_MACHINE, kProfileKey, model_.c_str()), profile);

  // The installed files, and the profile readable under the model's section.
  for (const char* file : {"vgprn.dll", "vgres.dll", "qvsim.dll", "vgpop.exe"}) {
    EXPECT_TRUE(vgtest::FileExists(installDir_ + "\\" + file)) << file;
  }
  // The printer's pictures, which the status window reads from the installation folder.
  for (const char* key : {"BMPBlue", "BMPRed", "BMPYellow"}) {
    char name[MAX_PATH] = {};
    ::GetPrivateProfileStringA(model_.c_str(), key, "", name, sizeof name, profile.c_str());
    ASSERT_NE(name[0], '\0') << key;
    EXPECT_NE(install.out.find(std::string("[ok] copied ") + name), std::string::npos) << key;
    const std::string picture = vgtest::ReadFile(installDir_ + "\\" + name);
    EXPECT_EQ(picture.compare(0, 2, "BM"), 0) << key;
    EXPECT_EQ(picture, vgtest::ReadFile(kit_ + "\\" + name)) << key;
  }
  char prnDll[MAX_PATH] = {};
  ::GetPrivateProfileStringA(model_.c_str(), "PrnDll", "", prnDll, sizeof prnDll, profile.c_str());
  EXPECT_STREQ(prnDll, "vgprn.dll");

  // The spooler's printer, its printer data, and the library beside the driver's data file.
  PrinterFacts facts = ReadPrinter(printer_);
  ASSERT_TRUE(facts.exists);
  EXPECT_EQ(facts.driver, driver_);
  EXPECT_EQ(facts.port, "LPT1:");
  EXPECT_EQ(facts.libraryName, "qvsim.dll");
  EXPECT_EQ(facts.libraryType, static_cast<DWORD>(REG_SZ));
  ASSERT_NE(facts.dataFile.find('\\'), std::string::npos) << facts.dataFile;
  const std::string placed = FolderOf(facts.dataFile) + "\\qvsim.dll";
  EXPECT_EQ(vgtest::ReadFile(placed), vgtest::ReadFile(kit_ + "\\qvsim.dll"));

  vgtest::StreamsRun uninstall = Uninstall(printer_);
  ASSERT_EQ(uninstall.process.exitCode, 0u) << uninstall.out << uninstall.err;
  EXPECT_FALSE(ReadPrinter(printer_).exists);
  EXPECT_FALSE(vgtest::FileExists(installDir_));
  EXPECT_EQ(Snap(), before);

  vgtest::StreamsRun again = Uninstall(printer_);
  EXPECT_EQ(again.process.exitCode, 0u) << again.err;
  EXPECT_NE(again.out.find("nothing to remove"), std::string::npos) << again.out;
  EXPECT_EQ(Snap(), before);
}

// The monitor stops unless every common error switch is present and 0: install writes the
// missing ones, never changes present ones, and they go with the last installation.
TEST_F(VgSetupTest, CommonErrorSwitchesAreAddedWhenMissingAndGoWithTheLastInstallation) {
  // "The last installation" needs a prefix without others (a test run that was killed can
  // leave one behind in a developer's prefix; CI starts from a fresh one).
  HKEY setup = nullptr;
  DWORD recorded = 0;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "software\\KORVA\\VGL3\\Setup", 0, KEY_READ, &setup) ==
      ERROR_SUCCESS) {
    ::RegQueryInfoKeyA(setup, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &recorded,
                       nullptr, nullptr, nullptr, nullptr);
    ::RegCloseKey(setup);
  }
  if (recorded > 0) GTEST_SKIP() << recorded << " other installations are recorded here";
  std::vector<std::unique_ptr<vgtest::ScopedRegistryValue>> saved;
  for (const char* name : kCommonSwitches) {
    saved.push_back(std::make_unique<vgtest::ScopedRegistryValue>(HKEY_LOCAL_MACHINE, kCommonKey,
                                                                  name));
    saved.back()->Remove();
  }
  vgtest::SetDword(HKEY_LOCAL_MACHINE, kCommonKey, "ERR_OTHERS", 1);  // a raised switch
  const std::string second = vgtest::UniqueName("VG Second");
  extraPrinters_.push_back(second);
  const std::string before = Snap();
  auto value = [](const char* name) {
    return vgtest::GetDword(HKEY_LOCAL_MACHINE, kCommonKey, name, 0xFFFFFFFF);
  };

  vgtest::StreamsRun install = Install(printer_, "LPT1:");
  ASSERT_EQ(install.process.exitCode, 0u) << install.out << install.err;
  EXPECT_NE(install.out.find("RST_FREPLACE = 0"), std::string::npos) << install.out;
  EXPECT_EQ(value("RST_FREPLACE"), 0u);
  EXPECT_EQ(value("ERR_QVAPIINUSE"), 0u);
  EXPECT_EQ(value("ERR_OTHERS"), 1u) << "a present switch is never overwritten";
  // A second run of the same installation and another printer's installation find them.
  ASSERT_EQ(Install(printer_, "LPT1:").process.exitCode, 0u);
  ASSERT_EQ(Install(second, "LPT2:").process.exitCode, 0u);

  vgtest::StreamsRun first = Uninstall(printer_);
  ASSERT_EQ(first.process.exitCode, 0u) << first.out << first.err;
  EXPECT_NE(first.out.find("takes them over"), std::string::npos) << first.out;
  EXPECT_EQ(value("RST_FREPLACE"), 0u) << "another installation remains";
  EXPECT_EQ(value("ERR_QVAPIINUSE"), 0u);

  ASSERT_EQ(Uninstall(second).process.exitCode, 0u);
  EXPECT_EQ(value("RST_FREPLACE"), 0xFFFFFFFFu);
  EXPECT_EQ(value("ERR_QVAPIINUSE"), 0xFFFFFFFFu);
  EXPECT_EQ(value("ERR_OTHERS"), 1u);
  EXPECT_EQ(Snap(), before);
}

TEST_F(VgSetupTest, ASecondRunRepairsAHalfDoneInstallation) {
  const std::string before = Snap();
  ASSERT_EQ(Install(printer_, "LPT1:").process.exitCode, 0u);

  // Break it the way an interrupted run or a careless user would.
  HANDLE printer = nullptr;
  PRINTER_DEFAULTSA defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
  ASSERT_TRUE(::OpenPrinterA(const_cast<char*>(printer_.c_str()), &printer, &defaults));
  ASSERT_TRUE(::DeletePrinter(printer));
  ::ClosePrinter(printer);
  HKEY key = nullptr;
  ASSERT_EQ(
      ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, (kDriverRoot + driver_).c_str(), 0, KEY_ALL_ACCESS, &key),
      ERROR_SUCCESS);
  ::RegDeleteValueA(key, "QVAPI32");
  ::RegCloseKey(key);
  ASSERT_TRUE(::DeleteFileA((installDir_ + "\\vgprn.dll").c_str()));

  vgtest::StreamsRun repair = Install(printer_, "LPT1:");
  ASSERT_EQ(repair.process.exitCode, 0u) << repair.out << repair.err;
  EXPECT_TRUE(ReadPrinter(printer_).exists);
  EXPECT_EQ(ReadPrinter(printer_).libraryName, "qvsim.dll");
  EXPECT_EQ(DriverValue("QVAPI32"), "qvsim.dll");
  EXPECT_TRUE(vgtest::FileExists(installDir_ + "\\vgprn.dll"));

  // An uninstall that finds the printer gone already still removes the rest.
  ASSERT_TRUE(::OpenPrinterA(const_cast<char*>(printer_.c_str()), &printer, &defaults));
  ASSERT_TRUE(::DeletePrinter(printer));
  ::ClosePrinter(printer);
  vgtest::StreamsRun uninstall = Uninstall(printer_);
  ASSERT_EQ(uninstall.process.exitCode, 0u) << uninstall.out << uninstall.err;
  EXPECT_EQ(Snap(), before);
}

TEST_F(VgSetupTest, APortTheSpoolerLacksIsAddedAndRemovedAgain) {
  const std::string port = vgtest::UniqueName("USB");
  const std::string before = Snap();
  ASSERT_FALSE(PortKnown(port));

  vgtest::StreamsRun install = Install(printer_, port);
  ASSERT_EQ(install.process.exitCode, 0u) << install.out << install.err;
  EXPECT_TRUE(PortKnown(port));
  EXPECT_EQ(ReadPrinter(printer_).port, port);

  // Moving the printer back to a standard port gives up the added one.
  ASSERT_EQ(Install(printer_, "LPT2:").process.exitCode, 0u);
  EXPECT_EQ(ReadPrinter(printer_).port, "LPT2:");
  EXPECT_FALSE(PortKnown(port));
  EXPECT_TRUE(PortKnown("LPT2:"));

  ASSERT_EQ(Install(printer_, port).process.exitCode, 0u);
  ASSERT_EQ(Uninstall(printer_).process.exitCode, 0u);
  EXPECT_FALSE(PortKnown(port));
  EXPECT_EQ(Snap(), before);
}

TEST_F(VgSetupTest, ASharedDriverStaysUntilItsLastPrinterGoes) {
  const std::string second = vgtest::UniqueName("VG Second");
  extraPrinters_.push_back(second);
  const std::string before = Snap();
  ASSERT_EQ(Install(printer_, "LPT1:").process.exitCode, 0u);
  ASSERT_EQ(Install(second, "LPT2:").process.exitCode, 0u);

  vgtest::StreamsRun first = Uninstall(printer_);
  ASSERT_EQ(first.process.exitCode, 0u) << first.err;
  EXPECT_NE(first.out.find("kept"), std::string::npos) << first.out;
  PrinterFacts other = ReadPrinter(second);
  ASSERT_TRUE(other.exists);
  EXPECT_EQ(other.libraryName, "qvsim.dll");
  EXPECT_TRUE(vgtest::FileExists(FolderOf(other.dataFile) + "\\qvsim.dll"));
  EXPECT_EQ(DriverValue("ModelID"), model_);
  EXPECT_TRUE(vgtest::FileExists(installDir_ + "\\vgprn.dll"));

  ASSERT_EQ(Uninstall(second).process.exitCode, 0u);
  EXPECT_EQ(Snap(), before);
}

// Two printers of one model installed into two folders, removed in either order: the printer
// that stays keeps a whole installation, and the last removal leaves neither folder behind.
TEST_F(VgSetupTest, AModelInstalledIntoTwoFoldersLeavesNeitherBehind) {
  const auto isFolder = [](const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  };
  const std::string second = vgtest::UniqueName("VG Second");
  extraPrinters_.push_back(second);
  const std::string parent = vgtest::MakeTempDir("vgelsewhere");
  const std::string elsewhere = parent + "\\" + model_;
  const std::string before = Snap();
  for (const bool laterFirst : {true, false}) {
    SCOPED_TRACE(laterFirst ? "the later installation removed first"
                            : "the earlier installation removed first");
    ASSERT_EQ(Install(printer_, "LPT1:").process.exitCode, 0u);
    ASSERT_EQ(Install(second, "LPT2:", " --install-dir " + Quote(elsewhere)).process.exitCode, 0u);
    ASSERT_EQ(DriverValue("InstallPath"), elsewhere) << "the later installation serves the driver";

    vgtest::StreamsRun first = Uninstall(laterFirst ? second : printer_);
    ASSERT_EQ(first.process.exitCode, 0u) << first.out << first.err;
    // The printer that stays finds its library, its profile and its resources.
    const std::string folder = DriverValue("InstallPath");
    for (const char* file : {"vgprn.dll", "vgres.dll", "qvsim.dll"}) {
      EXPECT_TRUE(vgtest::FileExists(folder + "\\" + file)) << folder << "\\" << file;
    }
    EXPECT_TRUE(vgtest::FileExists(DriverValue("Profile")));
    EXPECT_TRUE(vgtest::FileExists(
        vgtest::GetString(HKEY_LOCAL_MACHINE, kProfileKey, model_.c_str())));

    vgtest::StreamsRun last = Uninstall(laterFirst ? printer_ : second);
    ASSERT_EQ(last.process.exitCode, 0u) << last.out << last.err;
    EXPECT_EQ(Snap(), before);
    EXPECT_FALSE(isFolder(installDir_)) << last.out;
    EXPECT_FALSE(isFolder(elsewhere)) << first.out << last.out;
  }
  vgtest::RemoveTree(parent);
}

TEST_F(VgSetupTest, FailuresAreReportedAndChangeNothing) {
  const std::string before = Snap();

  vgtest::StreamsRun unknown = vgtest::RunWithStreams("vgsetup.exe", "install --colour red");
  EXPECT_EQ(unknown.process.exitCode, 2u);
  EXPECT_NE(unknown.err.find("usage:"), std::string::npos) << unknown.err;

  vgtest::StreamsRun none = vgtest::RunWithStreams("vgsetup.exe", "");
  EXPECT_EQ(none.process.exitCode, 2u);

  ASSERT_TRUE(::DeleteFileA((kit_ + "\\vgprn.dll").c_str()));
  vgtest::StreamsRun missing = Install(printer_, "LPT1:");
  EXPECT_EQ(missing.process.exitCode, 1u);
  EXPECT_NE(missing.err.find("vgprn.dll"), std::string::npos) << missing.err;

  vgtest::StreamsRun noModel = vgtest::RunWithStreams(
      "vgsetup.exe", "install --printer " + Quote(printer_) + " --port LPT1: --model NoSuchModel" +
                         " --from " + Quote(kit_));
  EXPECT_EQ(noModel.process.exitCode, 1u);
  EXPECT_NE(noModel.err.find("NoSuchModel.ini"), std::string::npos) << noModel.err;

  vgtest::StreamsRun absent = Uninstall(vgtest::UniqueName("No Such Printer"));
  EXPECT_EQ(absent.process.exitCode, 0u);
  EXPECT_EQ(Snap(), before);
}

TEST_F(VgSetupTest, AnotherInstallationsPrinterIsNotTakenOver) {
  ASSERT_EQ(Install(printer_, "LPT1:").process.exitCode, 0u);
  const std::string installed = Snap();
  const std::string otherDriver = vgtest::UniqueName("VG Other");

  vgtest::StreamsRun takeOver = vgtest::RunWithStreams(
      "vgsetup.exe", "install --printer " + Quote(printer_) + " --port LPT1: --model " + model_ +
                         " --driver " + Quote(otherDriver) + " --from " + Quote(kit_));
  EXPECT_EQ(takeOver.process.exitCode, 1u);
  EXPECT_NE(takeOver.err.find(driver_), std::string::npos) << takeOver.err;
  EXPECT_EQ(Snap(), installed);
  EXPECT_FALSE(vgtest::KeyExists(HKEY_LOCAL_MACHINE, kDriverRoot + otherDriver));
}

TEST_F(VgSetupTest, APrinterOfAnotherSystemIsNotRemoved) {
  // A printer with a driver that has no Driver key, added straight through the spooler.
  const std::string folder = vgtest::DriverFolder();
  const std::string dataFile = vgtest::UniqueName("foreign") + ".ini";
  vgtest::WriteFile(folder + "\\" + dataFile, "[foreign]\r\n");
  const std::string driver = vgtest::UniqueName("VG Foreign");
  DRIVER_INFO_3A info = {};
  info.cVersion = 3;
  info.pName = const_cast<char*>(driver.c_str());
  info.pDriverPath = const_cast<char*>("wineps.drv");
  info.pConfigFile = const_cast<char*>("wineps.drv");
  info.pDataFile = const_cast<char*>(dataFile.c_str());
  ASSERT_TRUE(
      ::AddPrinterDriverExA(nullptr, 3, reinterpret_cast<BYTE*>(&info), APD_COPY_NEW_FILES));
  ::DeleteFileA((folder + "\\" + dataFile).c_str());
  PRINTER_INFO_2A printer = {};
  printer.pPrinterName = const_cast<char*>(printer_.c_str());
  printer.pPortName = const_cast<char*>("LPT3:");
  printer.pDriverName = const_cast<char*>(driver.c_str());
  printer.pPrintProcessor = const_cast<char*>("WinPrint");
  printer.pDatatype = const_cast<char*>("RAW");
  printer.Attributes = PRINTER_ATTRIBUTE_LOCAL;
  HANDLE added = ::AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&printer));
  ASSERT_NE(added, nullptr);
  ::ClosePrinter(added);

  vgtest::StreamsRun uninstall = Uninstall(printer_);
  EXPECT_EQ(uninstall.process.exitCode, 1u);
  EXPECT_NE(uninstall.err.find("not installed for this system"), std::string::npos)
      << uninstall.err;
  EXPECT_TRUE(ReadPrinter(printer_).exists);

  vgtest::StreamsRun install = Install(printer_, "LPT1:");
  EXPECT_EQ(install.process.exitCode, 1u);
  EXPECT_EQ(ReadPrinter(printer_).driver, driver);

  HANDLE handle = nullptr;
  PRINTER_DEFAULTSA defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
  ASSERT_TRUE(::OpenPrinterA(const_cast<char*>(printer_.c_str()), &handle, &defaults));
  ::DeletePrinter(handle);
  ::ClosePrinter(handle);
  ::DeletePrinterDriverExA(nullptr, nullptr, const_cast<char*>(driver.c_str()), 0, 0);
  ::DeleteFileA((folder + "\\3\\" + dataFile).c_str());
}

}  // namespace
