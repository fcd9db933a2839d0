// vg3setup.exe, the Windows installer, in silent mode as an administrator runs it: it installs
// the example model for a printer through vgsetup and registers an uninstaller, and that
// uninstaller leaves the machine as the installer found it.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/registry_keys.h"
#include "support/installer_window.h"
#include "support/job_run.h"
#include "support/process_output.h"
#include "support/system_snapshot.h"
#include "support/win_test_support.h"

namespace {

const char kUninstallKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KORVA Vigil 3";
const char kDriver[] = "KORVA VP-100";  // the example profile's "DRVNAME"
const char kModel[] = "VP-100";
const DWORD kInstallTimeoutMs = 120000;
// Where Windows keeps the files it is to delete at its next start.
const char kSessionManagerKey[] = "System\\CurrentControlSet\\Control\\Session Manager";
const char kPendingValue[] = "PendingFileRenameOperations";

// The value that lists the files Windows is to delete or rename at its next start, as its
// bytes ("" when it is missing): names as written ("\\??\\C:\\..."), each ending in a zero.
std::string PendingOperations() {
  std::string data;
  HKEY key = nullptr;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManagerKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return data;
  }
  DWORD size = 0;
  if (::RegQueryValueExA(key, kPendingValue, nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS) {
    data.assign(size, '\0');
    if (size > 0 && ::RegQueryValueExA(key, kPendingValue, nullptr, nullptr,
                                       reinterpret_cast<BYTE*>(&data[0]), &size) != ERROR_SUCCESS) {
      data.clear();
    }
  }
  ::RegCloseKey(key);
  return data;
}

// The names in that value (the empty second names of deletions left out).
std::vector<std::string> PendingNames(const std::string& data) {
  std::vector<std::string> names;
  size_t at = 0;
  while (at < data.size()) {
    size_t end = data.find('\0', at);
    if (end == std::string::npos) end = data.size();
    if (end > at) names.push_back(data.substr(at, end - at));
    at = end + 1;
  }
  return names;
}

const std::string kDriverKey = std::string(vgreg::kDriverKeyPrefix) + kDriver;

class InstallerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    printer_ = vgtest::UniqueName("VG Installer");
    programFolder_ = vgtest::ProgramFilesFolder() + "\\KORVA\\Vigil3";
    modelFolder_ = programFolder_ + "\\" + kModel;
    ASSERT_TRUE(vgtest::FileExists(Installer())) << "vg3setup.exe was not built";
    pendingBefore_ = PendingOperations();
    ASSERT_FALSE(vgtest::KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey))
        << "an earlier installation of the product is still registered";
    // vgsetup keeps a model's folder while another installation of the model is left.
    ASSERT_EQ(vgtest::GetString(HKEY_LOCAL_MACHINE, vgreg::kProfileKey, kModel), "")
        << "another installation of the model " << kModel << " is left on this machine";
  }

  void TearDown() override {
    // After a failed test: what the installer may have left, so that later tests find the
    // machine clean.
    const std::string uninstaller = programFolder_ + "\\vg3uninst.exe";
    if (vgtest::FileExists(uninstaller)) vgtest::RunInJob(Quoted(uninstaller) + " /S", 60000);
    vgtest::RunCaptured("vgsetup.exe", "uninstall --printer " + Quoted(printer_));
    // The uninstaller's copy of itself, which Windows would delete at its next start: the
    // test prefix never restarts, so the test deletes it and takes the entries back.
    const std::vector<std::string> pending = PendingNames(PendingOperations());
    for (bool folders : {false, true}) {  // the files first, then their folders
      for (const std::string& name : pending) {
        if (name.find("\\~nsu") == std::string::npos || name.compare(0, 4, "\\??\\") != 0) continue;
        const std::string path = name.substr(4);
        if (folders) {
          ::RemoveDirectoryA(path.c_str());
        } else {
          ::DeleteFileA(path.c_str());
        }
      }
    }
    if (pendingBefore_.empty()) {
      ::RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kSessionManagerKey, kPendingValue);
    } else {
      ::RegSetKeyValueA(HKEY_LOCAL_MACHINE, kSessionManagerKey, kPendingValue, REG_MULTI_SZ,
                        pendingBefore_.data(), static_cast<DWORD>(pendingBefore_.size()));
    }
  }

  static std::string Installer() { return vgtest::BinDir() + "\\vg3setup.exe"; }
  static std::string Quoted(const std::string& text) { return vgtest::QuoteArgument(text); }

  // Everything the installer and its uninstaller can touch.
  std::string Snapshot() const {
    std::string text = vgtest::InstallationSnapshot(printer_, kDriver, kModel);
    vgtest::DumpKey(HKEY_LOCAL_MACHINE, kUninstallKey, &text);
    vgtest::DumpKey(HKEY_LOCAL_MACHINE, "software\\KORVA", &text);  // the maker's key
    const std::string programs = vgtest::ProgramFilesFolder();
    text += vgtest::FolderListing(programs);
    text += vgtest::FolderListing(programs + "\\KORVA");
    text += vgtest::FolderListing(programFolder_);
    return text;
  }

  vgtest::JobRun Install(const std::string& options) {
    return vgtest::RunInJob(Quoted(Installer()) + " " + options, kInstallTimeoutMs);
  }

  std::string printer_;
  std::string programFolder_;
  std::string modelFolder_;
  std::string pendingBefore_;
};

TEST_F(InstallerTest, SilentInstallAndUninstallLeaveTheMachineAsTheyFoundIt) {
  const std::string before = Snapshot();

  const vgtest::JobRun install = Install("/S /PRINTER=\"" + printer_ + "\" /PORT=LPT1:");
  ASSERT_TRUE(install.started);
  ASSERT_TRUE(install.allEnded) << "the installer did not finish";
  ASSERT_EQ(install.exitCode, 0u);
  EXPECT_GE(install.processCount, 2u) << "the installer runs vgsetup";

  // The model's files where the Driver key says, and the installer's own beside them.
  EXPECT_EQ(vgtest::GetString(HKEY_LOCAL_MACHINE, kDriverKey, "InstallPath"), modelFolder_);
  EXPECT_EQ(vgtest::GetString(HKEY_LOCAL_MACHINE, kDriverKey, "Profile"),
            modelFolder_ + "\\VP-100.ini");
  EXPECT_EQ(vgtest::GetString(HKEY_LOCAL_MACHINE, kDriverKey, "VG_RUN"),
            modelFolder_ + "\\vgpop.exe");
  EXPECT_EQ(vgtest::GetString(HKEY_LOCAL_MACHINE, vgreg::kProfileKey, kModel),
            modelFolder_ + "\\VP-100.ini");
  for (const char* file : {"vgprn.dll", "vgres.dll", "vgres_de.dll", "vgmon.exe", "vgpop.exe",
                           "vgagent.exe", "qvsim.dll", "qvsimctl.exe", "VP-100.ini",
                           "vp100b.bmp", "vgsetup.lst"}) {
    EXPECT_TRUE(vgtest::FileExists(modelFolder_ + "\\" + file)) << file;
  }
  EXPECT_EQ(vgtest::ReadFile(modelFolder_ + "\\vgres_de.dll"),
            vgtest::ReadFile(vgtest::BinDir() + "\\vgres_de.dll"));
  EXPECT_TRUE(vgtest::FileExists(programFolder_ + "\\vgsetup.exe"));

  // The spooler's printer on the port, with the model's driver.
  HANDLE handle = nullptr;
  PRINTER_DEFAULTSA defaults = {nullptr, nullptr, PRINTER_ACCESS_USE};
  ASSERT_TRUE(::OpenPrinterA(const_cast<char*>(printer_.c_str()), &handle, &defaults));
  DWORD count = 0;
  const std::vector<BYTE> info = vgtest::Listing(
      [handle](BYTE* data, DWORD size, DWORD* needed, DWORD* returned) {
        *returned = 1;
        return ::GetPrinterA(handle, 2, data, size, needed);
      },
      &count);
  ::ClosePrinter(handle);
  ASSERT_EQ(count, 1u);
  const auto* level2 = reinterpret_cast<const PRINTER_INFO_2A*>(info.data());
  EXPECT_STREQ(level2->pDriverName, kDriver);
  EXPECT_STREQ(level2->pPortName, "LPT1:");

  // The entry of "Programs and Features", and the printer it will remove.
  EXPECT_EQ(vgtest::GetString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName"), "KORVA Vigil 3");
  EXPECT_EQ(vgtest::GetString(HKEY_LOCAL_MACHINE, kUninstallKey, "Publisher"), "KORVA");
  EXPECT_EQ(vgtest::GetString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion"),
            VG_PRODUCT_VERSION);
  EXPECT_EQ(vgtest::GetString(HKEY_LOCAL_MACHINE, kUninstallKey, "InstallLocation"),
            programFolder_);
  EXPECT_EQ(vgtest::GetDword(HKEY_LOCAL_MACHINE, kUninstallKey, "NoModify", 0), 1u);
  EXPECT_EQ(vgtest::GetString(HKEY_LOCAL_MACHINE, std::string(kUninstallKey) + "\\Printers",
                              printer_.c_str()),
            "LPT1:");
  const std::string uninstall =
      vgtest::GetString(HKEY_LOCAL_MACHINE, kUninstallKey, "QuietUninstallString");
  ASSERT_EQ(uninstall, Quoted(programFolder_ + "\\vg3uninst.exe") + " /S");
  EXPECT_NE(Snapshot(), before);

  // What Windows runs to remove it quietly.
  const vgtest::JobRun removal = vgtest::RunInJob(uninstall, kInstallTimeoutMs);
  ASSERT_TRUE(removal.started);
  ASSERT_TRUE(removal.allEnded) << "the uninstaller did not finish";
  EXPECT_EQ(removal.exitCode, 0u);
  EXPECT_EQ(Snapshot(), before);
  // All that is left for Windows' next start is the uninstaller's copy of itself, in the
  // temporary folder.
  char temp[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, temp);
  const std::vector<std::string> earlier = PendingNames(pendingBefore_);
  for (const std::string& name : PendingNames(PendingOperations())) {
    if (std::find(earlier.begin(), earlier.end(), name) != earlier.end()) continue;
    EXPECT_EQ(name.rfind(std::string("\\??\\") + temp + "~nsu", 0), 0u) << name;
  }
}

// A user double-clicks the installer: the welcome page, then the printer page, which lists
// the computer's printers. A printer of the list keeps its port; the uninstaller removes it.
TEST_F(InstallerTest, AUserPicksOneOfTheComputersPrintersOnThePrinterPage) {
  const std::string before = Snapshot();
  // A printer of the model that the computer has already, on a port of its own.
  const vgtest::CapturedRun setup = vgtest::RunCaptured(
      "vgsetup.exe", "install --printer " + Quoted(printer_) + " --port LPT3: --model " + kModel +
                         " --from " + Quoted(vgtest::BinDir()));
  ASSERT_EQ(setup.exitCode, 0u) << setup.output;

  vgtest::JobProcess installer;
  ASSERT_TRUE(installer.Start(Quoted(Installer())));
  const vgtest::InstallerWindow window(installer.Id(), kInstallTimeoutMs);
  ASSERT_TRUE(window.Found());
  EXPECT_EQ(window.Title(), "KORVA Vigil 3 Setup");
  EXPECT_EQ(window.ButtonText(vgtest::InstallerWindow::kNext), "&Next >");
  bool welcomed = false;
  for (const std::string& text : window.PageTexts()) {
    welcomed = welcomed || text.find("This installs KORVA Vigil 3") != std::string::npos;
  }
  EXPECT_TRUE(welcomed) << "the welcome page";

  window.Press(vgtest::InstallerWindow::kNext);
  HWND printers = nullptr;
  ASSERT_TRUE(vgtest::WaitForCondition(
      [&] { return (printers = window.PageControl("ComboBox")) != nullptr; }, kInstallTimeoutMs));
  HWND port = window.PageControl("Edit");
  ASSERT_NE(port, nullptr);
  EXPECT_EQ(vgtest::TextOfWindow(port), "LPT1:") << "the port of a new printer";
  DWORD_PTR index = static_cast<DWORD_PTR>(CB_ERR);
  ::SendMessageTimeoutA(printers, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                        reinterpret_cast<LPARAM>(printer_.c_str()), SMTO_ABORTIFHUNG, 5000,
                        &index);
  ASSERT_NE(index, static_cast<DWORD_PTR>(CB_ERR)) << "the list holds the computer's printer";
  DWORD_PTR ignored = 0;
  ::SendMessageTimeoutA(printers, CB_SETCURSEL, index, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
  ASSERT_EQ(vgtest::TextOfWindow(printers), printer_);

  // Install, then Finish once the page says so.
  window.Press(vgtest::InstallerWindow::kNext);
  ASSERT_TRUE(vgtest::WaitForCondition(
      [&] { return window.ButtonText(vgtest::InstallerWindow::kNext) == "&Finish"; },
      kInstallTimeoutMs));
  window.Press(vgtest::InstallerWindow::kNext);
  ASSERT_TRUE(installer.WaitForAll(kInstallTimeoutMs));
  EXPECT_EQ(installer.ExitCode(), 0u);

  EXPECT_EQ(vgtest::GetString(HKEY_LOCAL_MACHINE, std::string(kUninstallKey) + "\\Printers",
                              printer_.c_str()),
            "LPT3:");
  const vgtest::JobRun removal = vgtest::RunInJob(
      Quoted(programFolder_ + "\\vg3uninst.exe") + " /S", kInstallTimeoutMs);
  EXPECT_TRUE(removal.allEnded);
  EXPECT_EQ(removal.exitCode, 0u);
  EXPECT_EQ(Snapshot(), before);
}

// A run that cannot set the printer up takes back what it put on the machine, and says so by
// its exit code.
TEST_F(InstallerTest, AFailedInstallationChangesNothing) {
  const std::string before = Snapshot();

  // The spooler refuses a comma in a printer's name, and so does vgsetup.
  const vgtest::JobRun refused = Install("/S /PRINTER=\"" + printer_ + ", copy\"");
  ASSERT_TRUE(refused.allEnded);
  EXPECT_EQ(refused.exitCode, 1u);
  EXPECT_EQ(Snapshot(), before);

  // Silent mode without a printer, and a name that would break vgsetup's command line.
  const vgtest::JobRun unnamed = Install("/S");
  ASSERT_TRUE(unnamed.allEnded);
  EXPECT_EQ(unnamed.exitCode, 2u);
  const vgtest::JobRun quoted = Install("/S /PRINTER='" + printer_ + " \"A\"'");
  ASSERT_TRUE(quoted.allEnded);
  EXPECT_EQ(quoted.exitCode, 2u);
  EXPECT_EQ(Snapshot(), before);
}

// A second run for another printer adds it; the uninstaller removes both, and only the
// product's printers.
TEST_F(InstallerTest, TheUninstallerRemovesEveryPrinterTheInstallerAdded) {
  const std::string before = Snapshot();
  const std::string second = vgtest::UniqueName("VG Installer second");
  ASSERT_EQ(Install("/S /PRINTER=\"" + printer_ + "\"").exitCode, 0u);
  const vgtest::JobRun again = Install("/S /PRINTER=\"" + second + "\" /PORT=LPT2:");
  EXPECT_EQ(again.exitCode, 0u);
  const std::string printers = std::string(kUninstallKey) + "\\Printers";
  EXPECT_EQ(vgtest::GetString(HKEY_LOCAL_MACHINE, printers, printer_.c_str()), "LPT1:");
  EXPECT_EQ(vgtest::GetString(HKEY_LOCAL_MACHINE, printers, second.c_str()), "LPT2:");

  const vgtest::JobRun removal = vgtest::RunInJob(
      Quoted(programFolder_ + "\\vg3uninst.exe") + " /S", kInstallTimeoutMs);
  EXPECT_TRUE(removal.allEnded);
  EXPECT_EQ(removal.exitCode, 0u);
  HANDLE handle = nullptr;
  PRINTER_DEFAULTSA defaults = {nullptr, nullptr, PRINTER_ACCESS_USE};
  EXPECT_FALSE(::OpenPrinterA(const_cast<char*>(second.c_str()), &handle, &defaults));
  if (handle) ::ClosePrinter(handle);
  vgtest::RunCaptured("vgsetup.exe", "uninstall --printer " + Quoted(second));
  EXPECT_EQ(Snapshot(), before);
}

}  // namespace
