#include "support/installed_printer.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include "common/text_util.h"
#include "common/unique_handle.h"
#include "support/win_test_support.h"

namespace vgtest {

namespace {

bool Copy(const std::string& from, const std::string& to) {
  return ::CopyFileA(from.c_str(), to.c_str(), FALSE) != FALSE;
}

// Waits for every program started from the folder to end: a pop-up that the printer's monitor
// started may still be running, and its file cannot be removed while it runs.
void WaitForProgramsOf(const std::string& folder, DWORD timeoutMs) {
  const std::string prefix = folder + "\\";
  ScopedHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot.IsValid()) return;
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  const DWORD start = ::GetTickCount();
  for (BOOL more = ::Process32First(snapshot.Get(), &entry); more;
       more = ::Process32Next(snapshot.Get(), &entry)) {
    ScopedHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE,
                                       entry.th32ProcessID));
    if (!process.IsValid()) continue;
    char path[MAX_PATH] = {};
    DWORD size = sizeof path;
    if (!::QueryFullProcessImageNameA(process.Get(), 0, path, &size)) continue;
    if (!vgtext::StartsWithNoCase(path, prefix)) continue;
    const DWORD elapsed = ::GetTickCount() - start;
    ::WaitForSingleObject(process.Get(), elapsed < timeoutMs ? timeoutMs - elapsed : 0);
  }
}

}  // namespace

InstalledPrinter::InstalledPrinter(const std::string& hint,
                                   const std::vector<ProfileSetting>& settings,
                                   const std::string& port, PopupProgram popup)
    : name_(UniqueName(hint)), driver_(UniqueName("VG Driver")), port_(port) {
  fromDir_ = MakeTempDir("kit");
  installDir_ = MakeTempDir("install");
  ::RemoveDirectoryA(installDir_.c_str());
  recordDir_ = MakeTempDir("popup");
  const std::string bin = BinDir();
  for (const char* file : {"vgprn.dll", "vgres.dll", "vgres_de.dll", "qvsim.dll", "vgmon.exe"}) {
    if (!Copy(bin + "\\" + file, fromDir_ + "\\" + file)) {
      failure_ = std::string("cannot copy ") + file;
      return;
    }
  }
  // The preferences' help file and the tray icon program, which the profile names.
  for (const char* file : {"vghelp.chm", "vgicon.exe"}) {
    Copy(bin + "\\" + file, fromDir_ + "\\" + file);
  }

  // A printer library without one export, for tests that name it as the model's PrnDll.
  Copy(bin + "\\vgprnpart.dll", fromDir_ + "\\vgprnpart.dll");
  // The recorder stands in for the pop-up program, unless the test wants the real one.
  Copy(bin + (popup == PopupProgram::kReal ? "\\vgpop.exe" : "\\vgpoprecorder.exe"),
       fromDir_ + "\\vgpop.exe");
  const std::string profile = fromDir_ + "\\" + model_ + ".ini";
  if (!Copy(bin + "\\profiles\\" + model_ + ".ini", profile)) {
    failure_ = "cannot copy the model profile";
    return;
  }
  for (const ProfileSetting& setting : settings) {
    const std::string section = setting.section.empty() ? model_ : setting.section;
    ::WritePrivateProfileStringA(section.c_str(), setting.key.c_str(), setting.value.c_str(),
                                 profile.c_str());
  }
  ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, profile.c_str());

  const CapturedRun install = RunCaptured(
      "vgsetup.exe", "install --printer " + QuoteArgument(name_) + " --port " +
                         QuoteArgument(port_) + " --model " + model_ + " --driver " +
                         QuoteArgument(driver_) + " --from " + QuoteArgument(fromDir_) +
                         " --install-dir " + QuoteArgument(installDir_),
      60000);
  installed_ = install.started;
  if (!install.finished || install.exitCode != 0) {
    failure_ = "vgsetup install failed: " + install.output;
    return;
  }
  Ctl("reset");
  if (Ctl("deviceid", "\"MFG:KORVA;MDL:VP-100;CMD:ESCP;\"").exitCode != 0 ||
      Ctl("channels", "0x10000005:0x0004,0x10010003:0").exitCode != 0 ||
      Ctl("reply", "\"@BDC ST\\r\\nST:04;\\f\"").exitCode != 0) {
    failure_ = "qvsimctl failed";
    return;
  }
  ready_ = true;
}

InstalledPrinter::~InstalledPrinter() {
  if (installed_) {
    // A failed uninstall leaves an installation behind that changes later tests: it fails
    // the test that made it.
    WaitForProgramsOf(installDir_, 15000);
    const CapturedRun uninstall =
        RunCaptured("vgsetup.exe", "uninstall --printer " + QuoteArgument(name_), 60000);
    if (!uninstall.finished || uninstall.exitCode != 0) {
      ADD_FAILURE() << "vgsetup uninstall of \"" << name_ << "\" failed (exit code "
                    << uninstall.exitCode << "): " << uninstall.output;
    }
    Ctl("reset");
  }
  // The printer's settings key in the user's hive.
  const char kTargets[] = "software\\KORVA\\VGL3\\VGLData\\KVLTarget";
  HKEY base = nullptr;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, kTargets, 0, KEY_READ, &base) == ERROR_SUCCESS) {
    std::vector<std::string> mine;
    char sub[256];
    for (DWORD i = 0;; ++i) {
      DWORD size = sizeof sub;
      if (::RegEnumKeyExA(base, i, sub, &size, nullptr, nullptr, nullptr, nullptr) !=
          ERROR_SUCCESS) {
        break;
      }
      const std::string path = std::string(kTargets) + "\\" + sub;
      if (GetString(HKEY_CURRENT_USER, path, "Name") == name_) mine.push_back(path);
    }
    ::RegCloseKey(base);
    for (const std::string& path : mine) DeleteKeyTree(HKEY_CURRENT_USER, path);
  }
  RemoveTree(fromDir_);
  RemoveTree(installDir_);
  RemoveTree(recordDir_);
}

std::string InstalledPrinter::PopupLog() const { return ReadFile(recordDir_ + "\\popup.log"); }

CapturedRun InstalledPrinter::Ctl(const std::string& command, const std::string& arguments) const {
  return RunCaptured("qvsimctl.exe", command + " " + QuoteArgument(name_) +
                                         (arguments.empty() ? "" : " " + arguments),
                     30000);
}

std::string InstalledPrinter::MonitorArguments(const std::string& jobId) const {
  // A name with quotes needs its length in front, as the printing side writes it.
  const std::string lengthPrefix =
      name_.find('"') != std::string::npos ? std::to_string(name_.size()) : "";
  std::string args = "/P" + lengthPrefix + " \"" + name_ + "\" /O \"" + port_ + "\" /D \"" +
                     driver_ + "\" /M \"" + model_ + "\"";
  if (!jobId.empty()) args += " /J \"" + jobId + "\"";
  return args;
}

}  // namespace vgtest
