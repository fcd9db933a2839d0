// The monitoring preferences of a printer installed by vgsetup: the template that follows from
// what the printer offers, how the settings load and are stored, one dialog per printer, and
// what OK does with the tray icon: the log-on registration and the start (or stop) of the
// icon program, here the recorder that stands in for it.
#include <gtest/gtest.h>

#include <cctype>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/registry_keys.h"
#include "common/unique_handle.h"
#include "resources/vgres_ids.h"
#include "support/installed_printer.h"
#include "support/scoped_registry_value.h"
#include "support/win_test_support.h"
#include "ui/dialog_driver.h"
#include "ui/preferences_fixture.h"
#include "ui/standin_programs.h"
#include "ui/start_preference_win.h"

// After the project's Windows header, which it needs.
#include <commctrl.h>

namespace {

using vgtest::Click;
using vgtest::IsChecked;
using vgtest::PreferencesRun;

class PreferencesTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    printer_ = std::make_unique<vgtest::InstalledPrinter>("Prefs Printer",
                                                          std::vector<vgtest::ProfileSetting>{});
  }
  static void TearDownTestSuite() {
    if (printer_) {
      vgtest::DeleteRunValue(printer_->Name());
      vgtest::DeleteRunValue(printer_->Port());
      const std::string portKey = vgtest::TargetKeyOf(printer_->Port(), 1);
      if (!portKey.empty()) vgtest::DeleteKeyTree(HKEY_CURRENT_USER, portKey);
    }
    printer_.reset();
  }
  void SetUp() override {
    ASSERT_TRUE(printer_->Ready()) << printer_->Failure();
    vgtest::DeleteRunValue(printer_->Name());
    // Each test starts from the model's defaults: the key is made again on first use.
    const std::string key = vgtest::TargetKeyOf(printer_->Name());
    if (!key.empty()) vgtest::DeleteKeyTree(HKEY_CURRENT_USER, key);
  }
  void TearDown() override { vgtest::DeleteRunValue(printer_->Name()); }

  const vgtest::InstalledPrinter& P() const { return *printer_; }
  std::string Resources(const char* file = "vgres.dll") const {
    return P().InstallDir() + "\\" + file;
  }
  std::unique_ptr<PreferencesRun> Open(const std::string& resources = "") {
    return std::make_unique<PreferencesRun>(P().Name(), P().Driver(), P().Port(), P().Model(),
                                            resources.empty() ? Resources() : resources);
  }
  // The printer's key, made with the model's defaults by opening and cancelling once.
  std::string Key() {
    std::string key = vgtest::TargetKeyOf(P().Name());
    if (key.empty()) {
      auto run = Open();
      EXPECT_NE(run->Window(), nullptr);
      EXPECT_EQ(run->Finish(IDCANCEL), kPreferencesCancelled);
      key = vgtest::TargetKeyOf(P().Name());
    }
    return key;
  }
  DWORD Value(const std::string& name, DWORD missing = 0xDEAD) {
    return vgtest::GetDword(HKEY_CURRENT_USER, Key(), name.c_str(), missing);
  }

  static std::unique_ptr<vgtest::InstalledPrinter> printer_;
};
std::unique_ptr<vgtest::InstalledPrinter> PreferencesTest::printer_;

// The bits of a bitmap, to tell which one a picture control shows.
std::string BitsOf(HBITMAP bitmap) {
  BITMAP info = {};
  if (bitmap == nullptr || !::GetObjectA(bitmap, sizeof info, &info)) return "";
  BITMAPINFO format = {};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = info.bmWidth;
  format.bmiHeader.biHeight = info.bmHeight;
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  std::string bits(static_cast<size_t>(info.bmWidth) * info.bmHeight * 4, '\0');
  HDC dc = ::GetDC(nullptr);
  ::GetDIBits(dc, bitmap, 0, info.bmHeight, &bits[0], &format, DIB_RGB_COLORS);
  ::ReleaseDC(nullptr, dc);
  return bits;
}

std::string ResourceBitmapBits(const std::string& library, int id) {
  ScopedModule module(::LoadLibraryA(library.c_str()));
  ScopedBitmap bitmap(static_cast<HBITMAP>(
      ::LoadImageA(module.Get(), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, 0)));
  return BitsOf(bitmap.Get());
}

std::string PreviewBits(HWND dialog) {
  return BitsOf(reinterpret_cast<HBITMAP>(
      ::SendDlgItemMessageA(dialog, IDC_TRAY_PREVIEW, STM_GETIMAGE, IMAGE_BITMAP, 0)));
}

TEST_F(PreferencesTest, PrinterWithABuzzerGetsTheBuzzerTemplateAndNoSound) {
  auto run = Open();
  HWND dialog = run->Window();
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(vgtest::ItemVisible(dialog, IDC_BUZZER_ENABLE));
  EXPECT_TRUE(vgtest::ItemVisible(dialog, IDC_BUZZER_LOOP));
  EXPECT_FALSE(vgtest::ItemVisible(dialog, IDC_SOUND_ENABLE)) << "a buzzer printer offers no sound";
  EXPECT_TRUE(IsChecked(dialog, IDC_BUZZER_ENABLE)) << "the model's default BeepBuzzerEnable=1";
  EXPECT_TRUE(vgtest::ItemEnabled(dialog, IDC_BUZZER_LOOP)) << "393 follows 392";
  Click(dialog, IDC_BUZZER_ENABLE);
  EXPECT_TRUE(vgtest::WaitUntil([&] { return !vgtest::ItemEnabled(dialog, IDC_BUZZER_LOOP); }));
  EXPECT_EQ(run->Finish(IDCANCEL), kPreferencesCancelled);
}

TEST_F(PreferencesTest, LibraryWithoutTheBuzzerSoundGetsTemplate100AndLeavesTheBuzzerAlone) {
  const std::string key = Key();
  vgtest::SetDword(HKEY_CURRENT_USER, key, "BeepBuzzerEnable", 7);
  HKEY handle = nullptr;
  ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_ALL_ACCESS, &handle), 0);
  ::RegDeleteValueA(handle, "LoopBuzzer");
  ::RegCloseKey(handle);
  ASSERT_TRUE(::CopyFileA(vgtest::BinFile("vgresnobuzzer.dll").c_str(),
                          Resources("vgresnb.dll").c_str(), FALSE));

  auto run = Open(Resources("vgresnb.dll"));
  HWND dialog = run->Window();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(::GetDlgItem(dialog, IDC_BUZZER_ENABLE), nullptr) << "template 100 has no buzzer";
  EXPECT_EQ(::GetDlgItem(dialog, IDC_BUZZER_LOOP), nullptr);
  EXPECT_TRUE(vgtest::ItemVisible(dialog, IDC_SOUND_ENABLE)) << "the language section offers sound";
  Click(dialog, IDC_SOUND_ENABLE);
  EXPECT_TRUE(vgtest::WaitUntil([&] { return IsChecked(dialog, IDC_SOUND_ENABLE); }));
  EXPECT_EQ(run->Finish(IDOK), kPreferencesConfirmed);
  EXPECT_EQ(Value("BeepBuzzerEnable"), 7u) << "neither read nor written";
  EXPECT_EQ(Value("LoopBuzzer"), 0xDEADu) << "not written back either";
  EXPECT_EQ(Value("SoundNotifyEnable"), 1u);
  ::DeleteFileA(Resources("vgresnb.dll").c_str());
}

TEST_F(PreferencesTest, StoredSwitchesAreNormalisedAndMissingValuesWrittenAtOnce) {
  const std::string key = Key();
  vgtest::SetDword(HKEY_CURRENT_USER, key, "TrayIconEnable", 5);
  vgtest::SetDword(HKEY_CURRENT_USER, key, "TrayIconSelected", 5);
  HKEY handle = nullptr;
  ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_ALL_ACCESS, &handle), 0);
  ::RegDeleteValueA(handle, "BeepBuzzerEnable");
  ::RegCloseKey(handle);
  vgtest::DeleteKeyTree(HKEY_CURRENT_USER, key + "\\Notify");

  auto run = Open();
  HWND dialog = run->Window();
  ASSERT_NE(dialog, nullptr);
  EXPECT_FALSE(IsChecked(dialog, IDC_TRAY_ENABLE)) << "5 loads as 0";
  // Written at once, with the model's defaults, while the dialog is still open.
  EXPECT_EQ(Value("BeepBuzzerEnable"), 1u);
  EXPECT_EQ(vgtest::GetDword(HKEY_CURRENT_USER, key + "\\Notify", "012", 99), 1u);
  EXPECT_EQ(vgtest::GetDword(HKEY_CURRENT_USER, key + "\\Notify", "011", 99), 1u);
  EXPECT_EQ(Value("TrayIconEnable"), 5u) << "loading normalises, it does not store";
  EXPECT_EQ(PreviewBits(dialog), ResourceBitmapBits(Resources(), 500));
  EXPECT_EQ(run->Finish(IDOK), kPreferencesConfirmed);
  EXPECT_EQ(Value("TrayIconEnable"), 0u);
  EXPECT_EQ(Value("TrayIconSelected"), 5u) << "5 loads as 5 and is stored as it was";
}

TEST_F(PreferencesTest, SecondDialogOfAPrinterRaisesTheFirstAndCloses) {
  auto first = Open();
  ASSERT_NE(first->Window(), nullptr);
  vgtest::DialogThread second([&] {
    return RunPreferenceDialog(P().Name().c_str(), P().Driver().c_str(), P().Port().c_str(),
                               P().Model().c_str(), Resources().c_str());
  });
  ASSERT_TRUE(second.Join());
  EXPECT_EQ(second.Result(), kPreferencesCancelled) << "closed at once, nothing stored";
  EXPECT_TRUE(::IsWindow(first->Window()));
  EXPECT_EQ(::GetForegroundWindow(), first->Window());
  // The first keeps its registration: a third request is refused as well.
  vgtest::DialogThread third([&] {
    return RunPreferenceDialog(P().Name().c_str(), P().Driver().c_str(), P().Port().c_str(),
                               P().Model().c_str(), Resources().c_str());
  });
  ASSERT_TRUE(third.Join());
  EXPECT_EQ(third.Result(), kPreferencesCancelled);
  EXPECT_EQ(first->Finish(IDCANCEL), kPreferencesCancelled);
}

TEST_F(PreferencesTest, RestoreDefaultsThenCancelLeavesTheRegistryAsItWas) {
  const std::string key = Key();
  vgtest::SetDword(HKEY_CURRENT_USER, key + "\\Notify", "012", 0);
  vgtest::SetDword(HKEY_CURRENT_USER, key, "BeepBuzzerEnable", 0);
  const auto before = vgtest::KeySnapshot(HKEY_CURRENT_USER, key);

  auto run = Open();
  HWND dialog = run->Window();
  ASSERT_NE(dialog, nullptr);
  EXPECT_FALSE(IsChecked(dialog, IDC_BUZZER_ENABLE));
  vgtest::PressButton(dialog, IDC_RESTORE_DEFAULTS);
  EXPECT_TRUE(vgtest::WaitUntil([&] { return IsChecked(dialog, IDC_BUZZER_ENABLE); }))
      << "the model's default is shown";
  HWND list = ::GetDlgItem(dialog, IDC_NOTIFY_LIST);
  char state[64] = {};
  for (int i = 0; i < ListView_GetItemCount(list); ++i) {
    LVITEMA item = {};
    item.mask = LVIF_PARAM | LVIF_IMAGE;
    item.iItem = i;
    ASSERT_TRUE(::SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (item.lParam != 12) continue;
    EXPECT_EQ(item.iImage, 1) << "item 12 is on by the model's default";
    ListView_GetItemText(list, i, 1, state, sizeof state);
  }
  EXPECT_STREQ(state, "On");
  EXPECT_EQ(run->Finish(IDCANCEL), kPreferencesCancelled);
  EXPECT_EQ(vgtest::KeySnapshot(HKEY_CURRENT_USER, key), before);
}

TEST_F(PreferencesTest, OkStoresExactlyTheShownChoicesAndTheOffTrayShowsNoIcon) {
  const std::string key = Key();
  vgtest::SetDword(HKEY_CURRENT_USER, key, "TrayIconSelected", 2);
  vgtest::IconProgramRecorder recorder(P());
  auto run = Open();
  HWND dialog = run->Window();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(PreviewBits(dialog), ResourceBitmapBits(Resources(), 503)) << "tray icon 702";
  Click(dialog, IDC_TRAY_ENABLE);
  ASSERT_TRUE(vgtest::WaitUntil([&] { return !IsChecked(dialog, IDC_TRAY_ENABLE); }));
  EXPECT_TRUE(vgtest::WaitUntil(
      [&] { return PreviewBits(dialog) == ResourceBitmapBits(Resources(), 500); }))
      << "no tray icon, whichever is chosen";
  Click(dialog, IDC_BUZZER_LOOP);
  ASSERT_TRUE(vgtest::WaitUntil([&] { return IsChecked(dialog, IDC_BUZZER_LOOP); }));
  // The first item switched with the space bar.
  HWND list = ::GetDlgItem(dialog, IDC_NOTIFY_LIST);
  ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  LVITEMA item = {};
  item.mask = LVIF_PARAM | LVIF_IMAGE;
  ASSERT_TRUE(::SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)));
  const int number = static_cast<int>(item.lParam);
  const int was = item.iImage;
  ::PostMessageA(list, WM_KEYDOWN, VK_SPACE, 0);
  ASSERT_TRUE(vgtest::WaitUntil([&] {
    LVITEMA now = {};
    now.mask = LVIF_IMAGE;
    ::SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&now));
    return now.iImage != was;
  }));

  // Every item as the list shows it, the switched one included.
  std::vector<std::pair<int, int>> shown;
  for (int i = 0; i < ListView_GetItemCount(list); ++i) {
    LVITEMA row = {};
    row.mask = LVIF_PARAM | LVIF_IMAGE;
    row.iItem = i;
    ASSERT_TRUE(::SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&row)));
    shown.emplace_back(static_cast<int>(row.lParam), row.iImage);
  }
  ASSERT_EQ(shown.size(), 2u) << "the example model's two items";

  EXPECT_EQ(run->Finish(IDOK), kPreferencesConfirmed);
  EXPECT_EQ(Value("TrayIconEnable"), 0u);
  EXPECT_EQ(Value("TrayIconSelected"), 2u);
  EXPECT_EQ(Value("LoopBuzzer"), 1u);
  EXPECT_EQ(Value("BeepBuzzerEnable"), 1u);
  EXPECT_EQ(Value("SoundNotifyEnable"), 0u) << "a buzzer printer offers no sound";
  for (const auto& [itemNumber, image] : shown) {
    char name[8];
    std::snprintf(name, sizeof name, "%03d", itemNumber);
    EXPECT_EQ(vgtest::GetDword(HKEY_CURRENT_USER, key + "\\Notify", name, 99),
              static_cast<DWORD>(image))
        << "item " << name;
  }
  char name[8];
  std::snprintf(name, sizeof name, "%03d", number);
  EXPECT_EQ(vgtest::GetDword(HKEY_CURRENT_USER, key + "\\Notify", name, 99),
            static_cast<DWORD>(was == 1 ? 0 : 1));
}

TEST_F(PreferencesTest, ConfirmingTwiceKeepsOneRegistrationAndRemovesTheFirstFile) {
  vgtest::IconProgramRecorder recorder(P());
  auto run = Open();
  ASSERT_NE(run->Window(), nullptr);
  ASSERT_TRUE(IsChecked(run->Window(), IDC_TRAY_ENABLE)) << "the model's default";
  ASSERT_EQ(run->Finish(IDOK), kPreferencesConfirmed);
  const std::string first = vgtest::RunValue(P().Name());
  const std::string icon = P().InstallDir() + "\\vgicon.exe";
  ASSERT_EQ(first.find("\"" + vgtest::BinFile("vgpoprecorder.exe") + "\" /A \""), 0u) << first;
  const std::string firstFile = first.substr(first.find("/A \"") + 4, first.size() - first.find("/A \"") - 5);
  EXPECT_TRUE(vgtest::FileExists(firstFile));
  const std::string text = vgtest::ReadFile(firstFile);
  EXPECT_NE(text.find("/P \"" + P().Name() + "\""), std::string::npos) << text;
  EXPECT_NE(text.find("/M \"VP-100\""), std::string::npos);
  ASSERT_TRUE(recorder.WaitForStarts(1));
  EXPECT_EQ(recorder.Log().find("|/R|"), std::string::npos) << "the icon is shown, not removed";

  auto again = Open();
  ASSERT_NE(again->Window(), nullptr);
  ASSERT_EQ(again->Finish(IDOK), kPreferencesConfirmed);
  const std::string second = vgtest::RunValue(P().Name());
  EXPECT_NE(second, first);
  EXPECT_FALSE(vgtest::FileExists(firstFile)) << "the earlier registration's file goes";
  const std::string secondFile =
      second.substr(second.find("/A \"") + 4, second.size() - second.find("/A \"") - 5);
  EXPECT_TRUE(vgtest::FileExists(secondFile));
  ASSERT_TRUE(recorder.WaitForStarts(2));

  // Switched off: the registration and its file go, and the program is told to remove it.
  auto off = Open();
  ASSERT_NE(off->Window(), nullptr);
  Click(off->Window(), IDC_TRAY_ENABLE);
  ASSERT_TRUE(vgtest::WaitUntil([&] { return !IsChecked(off->Window(), IDC_TRAY_ENABLE); }));
  ASSERT_EQ(off->Finish(IDOK), kPreferencesConfirmed);
  EXPECT_FALSE(vgtest::HasRunValue(P().Name()));
  EXPECT_FALSE(vgtest::FileExists(secondFile));
  ASSERT_TRUE(recorder.WaitForStarts(3));
  EXPECT_NE(recorder.Log().find("|/R|"), std::string::npos) << recorder.Log();
  (void)icon;
}

TEST_F(PreferencesTest, IconOffWithoutRegistrationChangesNothingButStillTellsTheProgram) {
  const std::string key = Key();
  vgtest::SetDword(HKEY_CURRENT_USER, key, "TrayIconEnable", 0);
  vgtest::IconProgramRecorder recorder(P());
  const auto runBefore = vgtest::KeySnapshot(HKEY_CURRENT_USER, vgreg::kRunKey);
  auto run = Open();
  ASSERT_NE(run->Window(), nullptr);
  ASSERT_EQ(run->Finish(IDOK), kPreferencesConfirmed);
  EXPECT_EQ(vgtest::KeySnapshot(HKEY_CURRENT_USER, vgreg::kRunKey), runBefore);
  ASSERT_TRUE(recorder.WaitForStarts(1));
  const std::string log = recorder.Log();
  EXPECT_NE(log.find("/P \"" + P().Name() + "\"|"), std::string::npos) << log;
  EXPECT_NE(log.find("|/R|"), std::string::npos) << log;
}

TEST_F(PreferencesTest, PrinterKnownOnlyByItsPortIsRegisteredUnderThePort) {
  vgtest::IconProgramRecorder recorder(P());
  vgtest::DeleteRunValue(P().Port());
  auto run = std::make_unique<PreferencesRun>("", P().Driver(), P().Port(), P().Model(),
                                              Resources());
  ASSERT_NE(run->Window(), nullptr) << "titled with the port";
  ASSERT_EQ(run->Finish(IDOK), kPreferencesConfirmed);
  EXPECT_TRUE(vgtest::HasRunValue(P().Port()));
  EXPECT_FALSE(vgtest::HasRunValue(P().Name()));
  EXPECT_FALSE(vgtest::TargetKeyOf(P().Port(), 1).empty()) << "its own settings key";
  ASSERT_TRUE(recorder.WaitForStarts(1));
  EXPECT_NE(recorder.Log().find("/O \"" + P().Port() + "\""), std::string::npos);
  vgtest::DeleteRunValue(P().Port());
}

TEST_F(PreferencesTest, CancelRegistersAndStartsNothing) {
  vgtest::IconProgramRecorder recorder(P());
  const auto runBefore = vgtest::KeySnapshot(HKEY_CURRENT_USER, vgreg::kRunKey);
  auto run = Open();
  ASSERT_NE(run->Window(), nullptr);
  EXPECT_EQ(run->Finish(IDCANCEL), kPreferencesCancelled);
  EXPECT_EQ(vgtest::KeySnapshot(HKEY_CURRENT_USER, vgreg::kRunKey), runBefore);
  // Closing the window is cancelling too.
  auto closed = Open();
  ASSERT_NE(closed->Window(), nullptr);
  ::PostMessageA(closed->Window(), WM_CLOSE, 0, 0);
  ASSERT_TRUE(closed->Thread().Join());
  EXPECT_EQ(closed->Thread().Result(), kPreferencesCancelled);
  EXPECT_EQ(recorder.Starts(), 0u);
}

TEST_F(PreferencesTest, ChangedAgentPermissionRunsTheAgentSettingsProgramOnOk) {
  const std::string driverKey = std::string(vgreg::kDriverKeyPrefix) + P().Driver();
  std::string name = vgtest::UniqueName("agent") + ".exe";
  for (char& c : name) c = static_cast<char>(::tolower(static_cast<unsigned char>(c)));
  const std::string folder = vgtest::MakeTempDir("agentprog");
  const std::string program = folder + "\\" + name;
  ASSERT_TRUE(::CopyFileA(vgtest::BinFile("vgagent.exe").c_str(), program.c_str(), FALSE));
  vgtest::SetString(HKEY_LOCAL_MACHINE, driverKey, "VG_RCV", program);
  vgtest::IconProgramRecorder recorder(P());

  auto run = Open();
  HWND dialog = run->Window();
  ASSERT_NE(dialog, nullptr);
  const bool allowedAtOpening = IsChecked(dialog, IDC_AGENT_ALLOW);
  ASSERT_TRUE(vgtest::ItemEnabled(dialog, IDC_AGENT_ALLOW)) << "an administrator may change it";
  Click(dialog, IDC_AGENT_ALLOW);
  ASSERT_TRUE(vgtest::WaitUntil([&] { return IsChecked(dialog, IDC_AGENT_ALLOW) != allowedAtOpening; }));
  vgtest::PressButton(dialog, IDOK);
  // The wait dialog shows while the program works; the set-up program's answer closes it.
  HWND wait = nullptr;
  ASSERT_TRUE(vgtest::WaitUntil(
      [&] { return (wait = ::FindWindowA("#32770", "Monitoring Preferences")) != nullptr; }));
  ::PostMessageA(wait, 0x040A, 0, 0);
  ASSERT_TRUE(run->Thread().Join());
  EXPECT_EQ(run->Thread().Result(), kPreferencesConfirmed);
  const auto starts = vgtest::WaitForStarts(name, 1);
  ASSERT_EQ(starts.size(), 1u);
  const std::string tail = " /agnt /drv:\"" + P().Driver() + "\" /p:\"" + P().Name() +
                           "\" /im:" + (allowedAtOpening ? "1" : "0");
  EXPECT_EQ(starts[0].commandLine.substr(starts[0].commandLine.size() - tail.size()), tail)
      << starts[0].commandLine;

  // Unchanged, OK starts nothing.
  vgtest::ForgetStarts(name);
  auto again = Open();
  ASSERT_NE(again->Window(), nullptr);
  EXPECT_EQ(again->Finish(IDOK), kPreferencesConfirmed);
  EXPECT_TRUE(vgtest::StartsOf(name).empty());

  HKEY key = nullptr;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, driverKey.c_str(), 0, KEY_ALL_ACCESS, &key) == 0) {
    ::RegDeleteValueA(key, "VG_RCV");
    ::RegCloseKey(key);
  }
  char common[MAX_PATH] = {};
  ::GetEnvironmentVariableA("ProgramData", common, sizeof common);
  const std::string copy = std::string(common) + "\\KORVA\\" + name;
  vgtest::WaitUntil([&] { return !vgtest::FileExists(copy) || ::DeleteFileA(copy.c_str()); }, 5000);
  vgtest::RemoveTree(folder);
}

TEST_F(PreferencesTest, PendingAgentStateIsReadAndAStaleOneDeleted) {
  vgtest::ScopedRegistryValue state(HKEY_LOCAL_MACHINE, vgreg::kQoltCommonKey,
                                    "AGENTST2");
  vgtest::SetDword(HKEY_LOCAL_MACHINE, vgreg::kQoltCommonKey, "AGENTST2", 1);
  auto run = Open();
  ASSERT_NE(run->Window(), nullptr);
  EXPECT_TRUE(IsChecked(run->Window(), IDC_AGENT_PENDING));
  EXPECT_FALSE(vgtest::ItemVisible(run->Window(), IDC_AGENT_PENDING)) << "hidden on NT";
  EXPECT_EQ(run->Finish(IDCANCEL), kPreferencesCancelled);
  EXPECT_EQ(vgtest::GetDword(HKEY_LOCAL_MACHINE, vgreg::kQoltCommonKey,
                             "AGENTST2", 99),
            1u);

  vgtest::SetDword(HKEY_LOCAL_MACHINE, vgreg::kQoltCommonKey, "AGENTST2", 0);
  auto stale = Open();
  ASSERT_NE(stale->Window(), nullptr);
  EXPECT_FALSE(IsChecked(stale->Window(), IDC_AGENT_PENDING));
  EXPECT_EQ(vgtest::GetDword(HKEY_LOCAL_MACHINE, vgreg::kQoltCommonKey,
                             "AGENTST2", 99),
            99u)
      << "a pending state of 0 is deleted";
  EXPECT_EQ(stale->Finish(IDCANCEL), kPreferencesCancelled);
}

TEST(PreferencesEntry, RefusesBadIdentitiesAndMissingResources) {
  const std::string longName(260, 'n');
  EXPECT_EQ(RunPreferenceDialog(longName.c_str(), "d", "p", "m", "r"), kPreferencesFailed);
  vgtest::DialogThread thread([] {
    return RunPreferenceDialog("p", "d", "LPT1:", "m", "Z:\\no\\such\\library.dll");
  });
  const vgtest::MessageBoxSeen box = vgtest::WaitForMessageBox(::GetCurrentProcessId(), 20000);
  EXPECT_TRUE(box.found);
  EXPECT_EQ(box.text, "Cannot link Resource Dll");
  EXPECT_EQ(box.title, "KORVA Vigil 3");
  ASSERT_TRUE(thread.Join());
  EXPECT_EQ(thread.Result(), kPreferencesFailed);
}

TEST(PreferencesEntry, WithoutAnIconProgramNothingIsRegisteredOrStarted) {
  const std::string printer = vgtest::UniqueName("No Icon Printer");
  EXPECT_EQ(RegisterStartup(1, printer.c_str(), "no such driver", "LPT1:", "VP-100"), 0);
  EXPECT_FALSE(vgtest::HasRunValue(printer));
  EXPECT_EQ(RunIconProgram(1, printer.c_str(), "no such driver", "LPT1:", "VP-100"), 0);
  // Switching off needs no program: a registration left behind goes.
  vgtest::SetString(HKEY_CURRENT_USER, vgreg::kRunKey, printer.c_str(), "x.exe /A \"y\"");
  EXPECT_EQ(RegisterStartup(0, printer.c_str(), "no such driver", "LPT1:", "VP-100"), 1);
  EXPECT_FALSE(vgtest::HasRunValue(printer));
}

}  // namespace
