#include "ui/preferences_fixture.h"

#include <cstdio>
#include <memory>

#include <gtest/gtest.h>

#include "common/registry_keys.h"
#include "common/target_keys_win.h"
#include "common/unique_handle.h"
#include "support/scoped_registry_value.h"
#include "support/win_test_support.h"
#include "ui/html_help_win.h"
#include "ui/start_preference_win.h"

namespace vgtest {

namespace {

// The HTML Help control is bound once per process: every dialog of this program binds the
// recording stand-in, registered as the control's in-process server before the first test.
class HtmlHelpStandIn : public ::testing::Environment {
 public:
  void SetUp() override {
    value_ = std::make_unique<ScopedRegistryValue>(HKEY_CLASSES_ROOT, kHtmlHelpClsidKey, "");
    value_->SetString(BinFile("vghhrecorder.dll"));
  }
  void TearDown() override { value_.reset(); }

 private:
  std::unique_ptr<ScopedRegistryValue> value_;
};

::testing::Environment* const kHtmlHelpStandIn =
    ::testing::AddGlobalTestEnvironment(new HtmlHelpStandIn);

}  // namespace

std::string TargetKeyOf(const std::string& name, int kind) {
  char path[kTargetKeyPathSize] = {};
  HKEY root = nullptr;
  if (GetCurrentTargetPrnKey(name.c_str(), kind, path, &root) != kTargetFound) return "";
  return path;
}

namespace {

void Snapshot(HKEY root, const std::string& path, const std::string& prefix,
              std::map<std::string, std::string>* out) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  for (DWORD i = 0;; ++i) {
    char name[512] = {};
    DWORD nameSize = sizeof name;
    BYTE data[2048] = {};
    DWORD dataSize = sizeof data;
    DWORD type = 0;
    if (::RegEnumValueA(key, i, name, &nameSize, nullptr, &type, data, &dataSize) != ERROR_SUCCESS) {
      break;
    }
    (*out)[prefix + name] =
        std::to_string(type) + ":" + std::string(reinterpret_cast<char*>(data), dataSize);
  }
  for (DWORD i = 0;; ++i) {
    char sub[512] = {};
    DWORD subSize = sizeof sub;
    if (::RegEnumKeyExA(key, i, sub, &subSize, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    Snapshot(root, path + "\\" + sub, prefix + sub + "\\", out);
  }
  ::RegCloseKey(key);
}

}  // namespace

std::map<std::string, std::string> KeySnapshot(HKEY root, const std::string& path) {
  std::map<std::string, std::string> values;
  Snapshot(root, path, "", &values);
  return values;
}

std::string RunValue(const std::string& name) {
  return GetString(HKEY_CURRENT_USER, vgreg::kRunKey, name.c_str());
}

bool HasRunValue(const std::string& name) {
  ScopedRegKey key;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, vgreg::kRunKey, 0, KEY_READ, key.Receive()) !=
      ERROR_SUCCESS) {
    return false;
  }
  return ::RegQueryValueExA(key.Get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) ==
         ERROR_SUCCESS;
}

void DeleteRunValue(const std::string& name) {
  ScopedRegKey key;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, vgreg::kRunKey, 0, KEY_ALL_ACCESS, key.Receive()) ==
      ERROR_SUCCESS) {
    ::RegDeleteValueA(key.Get(), name.c_str());
  }
}

std::string PreferencesTitleOf(const std::string& name) {
  return "Monitoring Preferences : " + name;
}

std::string BinFile(const std::string& name) { return BinDir() + "\\" + name; }

void Click(HWND dialog, int id) { ::PostMessageA(::GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

bool IsChecked(HWND dialog, int id) {
  return ::SendMessageA(::GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

IconProgramRecorder::IconProgramRecorder(const InstalledPrinter& printer)
    : driverKey_(std::string(vgreg::kDriverKeyPrefix) + printer.Driver()),
      folder_(MakeTempDir("iconrec")) {
  saved_ = GetString(HKEY_LOCAL_MACHINE, driverKey_, "VG_ICN");
  SetString(HKEY_LOCAL_MACHINE, driverKey_, "VG_ICN", BinFile("vgpoprecorder.exe"));
  ::SetEnvironmentVariableA("VG_POPUP_RECORD", folder_.c_str());
}

IconProgramRecorder::~IconProgramRecorder() {
  ::SetEnvironmentVariableA("VG_POPUP_RECORD", nullptr);
  if (!saved_.empty()) SetString(HKEY_LOCAL_MACHINE, driverKey_, "VG_ICN", saved_);
  RemoveTree(folder_);
}

std::string IconProgramRecorder::Log() const { return ReadFile(folder_ + "\\popup.log"); }

size_t IconProgramRecorder::Starts() const {
  const std::string log = Log();
  size_t count = 0;
  for (size_t at = log.find("cmdline:"); at != std::string::npos; at = log.find("cmdline:", at + 1)) {
    ++count;
  }
  return count;
}

bool IconProgramRecorder::WaitForStarts(size_t starts) const {
  return WaitUntil([&] { return Starts() >= starts; });
}

PreferencesRun::PreferencesRun(const std::string& printer, const std::string& driver,
                               const std::string& port, const std::string& model,
                               const std::string& resourceLibrary)
    : printer_(printer),
      driver_(driver),
      port_(port),
      model_(model),
      resources_(resourceLibrary),
      thread_([this] {
        return RunPreferenceDialog(printer_.c_str(), driver_.c_str(), port_.c_str(),
                                   model_.c_str(), resources_.c_str());
      }) {
  window_ = thread_.WaitForWindow(PreferencesTitleOf(printer.empty() ? port : printer));
}

int PreferencesRun::Finish(int button) {
  if (window_ != nullptr) PressButton(window_, button);
  if (!thread_.Join()) return -100;
  return thread_.Result();
}

}  // namespace vgtest
