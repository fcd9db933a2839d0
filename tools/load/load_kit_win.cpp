#include "tools/load/load_kit_win.h"

#include <utility>

#include "common/process_start_win.h"
#include "common/registry_keys.h"
#include "common/registry_win.h"
#include "common/text_util.h"
#include "common/unique_handle.h"
#include "common/win.h"
#include "tools/load/output_pipe_win.h"

namespace vgload {

const char kLoadModel[] = "VP-100";
const char kLoadPort[] = "LPT1:";

namespace {

// What the installation needs from the bin folder; the pictures go too when they are there.
const char* const kKitFiles[] = {"vgprn.dll", "vgres.dll", "qvsim.dll", "vgmon.exe", "vgpop.exe"};
const char* const kKitPictures[] = {"vp100b.bmp", "vp100r.bmp", "vp100y.bmp"};
constexpr unsigned kSetupTimeoutMs = 120000;

bool Copy(const std::string& from, const std::string& to) {
  return ::CopyFileA(from.c_str(), to.c_str(), FALSE) != FALSE;
}

// Removes a folder with everything in it; false when something stays.
bool RemoveTree(const std::string& path) {
  WIN32_FIND_DATAA data;
  {
    ScopedFindHandle find(::FindFirstFileA((path + "\\*").c_str(), &data));
    if (find.IsValid()) {
      do {
        const std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        const std::string child = path + "\\" + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          RemoveTree(child);
        } else {
          ::SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
          ::DeleteFileA(child.c_str());
        }
      } while (::FindNextFileA(find.Get(), &data));
    }
  }
  // A program that has just ended may still hold its folder for a moment.
  for (int attempt = 0; attempt < 20; ++attempt) {
    if (::RemoveDirectoryA(path.c_str()) || ::GetLastError() == ERROR_FILE_NOT_FOUND ||
        ::GetLastError() == ERROR_PATH_NOT_FOUND) {
      return true;
    }
    ::Sleep(100);
  }
  return false;
}

// The target keys (with their "Notify" subkey) whose "Name" is one of the names.
void RemoveTargetKeys(const std::vector<std::string>& names) {
  std::vector<std::string> mine;
  {
    Registry base(HKEY_CURRENT_USER, vgreg::kPrinterTargetBaseKey);
    for (DWORD index = 0;; ++index) {
      const std::string subkey = base.EnumKey(index);
      if (subkey.empty()) break;
      Registry target(base.Key(), subkey.c_str());
      const std::string name = target.GetString(vgreg::kTargetName);
      for (const std::string& wanted : names) {
        if (vgtext::EqualsNoCase(name, wanted)) mine.push_back(subkey);
      }
    }
  }
  for (const std::string& subkey : mine) {
    const std::string path = std::string(vgreg::kPrinterTargetBaseKey) + "\\" + subkey;
    ::RegDeleteKeyA(HKEY_CURRENT_USER, (path + "\\Notify").c_str());
    ::RegDeleteKeyA(HKEY_CURRENT_USER, path.c_str());
  }
}

}  // namespace

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

long RunForOutput(const std::string& program, const std::string& arguments, unsigned timeoutMs,
                  std::string* output) {
  output->clear();
  OutputPipe pipe;
  if (!pipe.Open()) return -1;
  ProcessStart start;
  start.program = program;
  start.commandLine = Quoted(program) + " " + arguments;
  start.output = pipe.WriteEnd();
  start.error = pipe.WriteEnd();
  start.noWindow = true;
  StartedProcess process;
  if (!process.Start(start)) return -1;
  pipe.CloseWriteEnd();
  const DWORD begin = ::GetTickCount();
  while (!process.Wait(20)) {
    *output += pipe.Drain();
    if (::GetTickCount() - begin > timeoutMs) {
      process.Terminate(kProcessTimedOutExitCode, 5000);
      return -1;
    }
  }
  *output += pipe.Drain();
  return static_cast<long>(process.ExitCode());
}

LoadKit::LoadKit(std::string binDir, std::string tag) : binDir_(std::move(binDir)) {
  char temp[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, temp);
  work_ = std::string(temp) + tag;
  kit_ = work_ + "\\kit";
  install_ = work_ + "\\install";
  driver_ = "VG Load " + tag;
}

std::string LoadKit::InstalledProfile() const {
  return install_ + "\\" + kLoadModel + ".ini";
}

bool LoadKit::Prepare(const LoadConfig& config, std::string* failure) {
  if (!::CreateDirectoryA(work_.c_str(), nullptr) || !::CreateDirectoryA(kit_.c_str(), nullptr)) {
    *failure = "cannot make the folders under " + work_;
    return false;
  }
  for (const char* file : kKitFiles) {
    if (!Copy(binDir_ + "\\" + file, kit_ + "\\" + file)) {
      *failure = std::string("cannot copy ") + file;
      return false;
    }
  }
  for (const char* file : kKitPictures) Copy(binDir_ + "\\" + file, kit_ + "\\" + file);
  const std::string profile = kit_ + "\\" + kLoadModel + ".ini";
  if (!Copy(binDir_ + "\\profiles\\" + kLoadModel + ".ini", profile)) {
    *failure = "cannot copy the model's profile";
    return false;
  }
  const std::string init = std::to_string(kMonitorInitMs);
  const std::string quit = std::to_string(config.quitSeconds);
  const std::string poll = std::to_string(config.pollSeconds);
  ::WritePrivateProfileStringA(kLoadModel, "MonitorInitTime", init.c_str(), profile.c_str());
  ::WritePrivateProfileStringA(kLoadModel, "TIMEOUT", quit.c_str(), profile.c_str());
  ::WritePrivateProfileStringA("Install", vgreg::kDriverLocalTimer, poll.c_str(), profile.c_str());
  ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, profile.c_str());
  return true;
}

bool LoadKit::Install(const std::string& printer, std::string* failure) {
  std::string output;
  const long code = RunForOutput(
      BinProgram("vgsetup.exe"),
      "install --printer " + Quoted(printer) + " --port " + kLoadPort + " --model " + kLoadModel +
          " --driver " + Quoted(driver_) + " --from " + Quoted(kit_) + " --install-dir " +
          Quoted(install_),
      kSetupTimeoutMs, &output);
  // Whatever it did, removing takes it away again.
  installed_.push_back(printer);
  if (code == 0) return true;
  *failure = "vgsetup could not install " + printer + ": " + output;
  return false;
}

void LoadKit::Remove(std::vector<std::string>* problems) {
  for (const std::string& printer : installed_) {
    std::string output;
    if (RunForOutput(BinProgram("vgsetup.exe"), "uninstall --printer " + Quoted(printer),
                     kSetupTimeoutMs, &output) != 0) {
      problems->push_back("vgsetup could not remove " + printer + ": " + output);
    }
  }
  RemoveTargetKeys(installed_);
  installed_.clear();
  if (!RemoveTree(work_)) problems->push_back("cannot remove " + work_);
}

}  // namespace vgload
