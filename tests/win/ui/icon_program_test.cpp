// The tray icon program (vgicon.exe) as the preferences start it, at once and at log-on: it
// shows the printer's icon with the printer's status as its tip in the notification area (the
// test's own, as Wine shows none without a display), serves every printer from one process,
// and the R flag removes the icon and ends the instance with its last icon.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "common/process_start_win.h"
#include "common/registry_keys.h"
#include "common/target_keys_win.h"
#include "common/unique_handle.h"
#include "resources/vgres_ids.h"
#include "support/fake_tray.h"
#include "support/installed_printer.h"
#include "support/win_test_support.h"
#include "ui/dialog_driver.h"
#include "ui/preferences_fixture.h"
#include "ui/start_preference_win.h"

// After the project's Windows header, which it needs.
#include <shellapi.h>

namespace {

constexpr char kIconWindowClass[] = "VgIconTrayWindow";

class IconProgramTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    printer_ = std::make_unique<vgtest::InstalledPrinter>("Icon Printer",
                                                          std::vector<vgtest::ProfileSetting>{});
  }
  static void TearDownTestSuite() {
    if (printer_) vgtest::DeleteRunValue(printer_->Name());
    printer_.reset();
  }
  void SetUp() override {
    ASSERT_TRUE(printer_->Ready()) << printer_->Failure();
    ASSERT_TRUE(tray_.Ready());
    ASSERT_EQ(::FindWindowA(kIconWindowClass, nullptr), nullptr) << "no icon program runs";
    vgtest::DeleteRunValue(printer_->Name());
  }
  void TearDown() override {
    // Whatever a failed test left running goes with it.
    if (HWND window = ::FindWindowA(kIconWindowClass, nullptr)) {
      DWORD process = 0;
      ::GetWindowThreadProcessId(window, &process);
      ScopedHandle handle(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, process));
      if (handle.IsValid()) {
        ::TerminateProcess(handle.Get(), 9);
        ::WaitForSingleObject(handle.Get(), 10000);
      }
    }
    vgtest::DeleteRunValue(printer_->Name());
  }

  const vgtest::InstalledPrinter& P() const { return *printer_; }
  // The printer's latest status, as a monitor stores it.
  void StoreStatus(const std::string& reply) {
    char path[kTargetKeyPathSize] = {};
    CheckTargetRegKey(P().Name().c_str(), P().Port().c_str(), P().Model().c_str(), nullptr, path);
    const std::string key = vgtest::TargetKeyOf(P().Name());
    ASSERT_FALSE(key.empty());
    ScopedRegKey handle;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_ALL_ACCESS, handle.Receive()),
              0);
    ::RegSetValueExA(handle.Get(), vgreg::kTargetStatus, 0, REG_BINARY,
                     reinterpret_cast<const BYTE*>(reply.data()), static_cast<DWORD>(reply.size()));
    const DWORD channel = 0x10000005;
    const DWORD taken = 2;
    ::RegSetValueExA(handle.Get(), vgreg::kTargetChannel, 0, REG_DWORD,
                     reinterpret_cast<const BYTE*>(&channel), 4);
    ::RegSetValueExA(handle.Get(), vgreg::kTargetComStatus, 0, REG_DWORD,
                     reinterpret_cast<const BYTE*>(&taken), 4);
  }
  HANDLE IconProcess() {
    HWND window = nullptr;
    if (!vgtest::WaitUntil([&] { return (window = ::FindWindowA(kIconWindowClass, nullptr)) != nullptr; })) {
      return nullptr;
    }
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    return ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, process);
  }

  static std::unique_ptr<vgtest::InstalledPrinter> printer_;
  vgtest::FakeTray tray_;
};
std::unique_ptr<vgtest::InstalledPrinter> IconProgramTest::printer_;

// Starts a command line as the shell starts a "Run" value at log-on.
bool StartAsAtLogOn(const std::string& commandLine) {
  // The system splits the line to find the program, as it does for a "Run" value.
  ProcessStart start;
  start.commandLine = commandLine;
  return StartedProcess().Start(start);
}

TEST_F(IconProgramTest, LogOnRegistrationShowsThePrintersIconAndStatusUntilRemoved) {
  StoreStatus("@BDC ST\r\nST:00;ER:06;\f");
  ASSERT_EQ(RegisterStartup(1, P().Name().c_str(), P().Driver().c_str(), P().Port().c_str(),
                            P().Model().c_str()),
            1);
  const std::string run = vgtest::RunValue(P().Name());
  ASSERT_EQ(run.find("\"" + P().InstallDir() + "\\vgicon.exe\" /A \""), 0u) << run;
  ASSERT_TRUE(StartAsAtLogOn(run));

  vgtest::TrayCall added;
  ASSERT_TRUE(tray_.WaitForCall(NIM_ADD, P().Name(), &added));
  EXPECT_EQ(added.tip, P().Name() + ": Paper out") << "the status decoded as the window does";
  EXPECT_EQ(added.flags & (NIF_ICON | NIF_TIP | NIF_MESSAGE),
            static_cast<UINT>(NIF_ICON | NIF_TIP | NIF_MESSAGE));
  EXPECT_GT(added.bytes, 16u + 256u) << "the icon's picture comes along";
  ScopedHandle process(IconProcess());
  ASSERT_TRUE(process.IsValid());
  EXPECT_TRUE(vgtest::FileExists(run.substr(run.find("/A \"") + 4, run.size() - run.find("/A \"") - 5)))
      << "the log-on file stays for the next log-on";

  // A new status reaches the tip at the next refresh.
  StoreStatus("@BDC ST\r\nST:04;\f");
  EXPECT_TRUE(tray_.WaitForCall(NIM_MODIFY, P().Name() + ": Ready"));

  // The R flag removes the icon, and the instance goes with its last one.
  ASSERT_EQ(RunIconProgram(0, P().Name().c_str(), P().Driver().c_str(), P().Port().c_str(),
                           P().Model().c_str()),
            1);
  vgtest::TrayCall removed;
  ASSERT_TRUE(tray_.WaitForCall(NIM_DELETE, "", &removed));
  EXPECT_EQ(removed.id, added.id);
  EXPECT_EQ(::WaitForSingleObject(process.Get(), 20000), WAIT_OBJECT_0);
}

TEST_F(IconProgramTest, PreferencesOkStartsTheProgramAndOneProcessServesEveryStart) {
  StoreStatus("@BDC ST\r\nST:04;\f");
  vgtest::SetDword(HKEY_CURRENT_USER, vgtest::TargetKeyOf(P().Name()), "TrayIconEnable", 1);
  vgtest::PreferencesRun run(P().Name(), P().Driver(), P().Port(), P().Model(),
                             P().InstallDir() + "\\vgres.dll");
  ASSERT_NE(run.Window(), nullptr);
  ASSERT_TRUE(vgtest::IsChecked(run.Window(), IDC_TRAY_ENABLE));
  ASSERT_EQ(run.Finish(IDOK), kPreferencesConfirmed);
  ASSERT_TRUE(tray_.WaitForCall(NIM_ADD, P().Name() + ": Ready"));
  ScopedHandle process(IconProcess());
  ASSERT_TRUE(process.IsValid());

  // A second start for the same printer is handed to the running instance, which keeps one
  // icon; the started program itself ends.
  vgtest::ChildProcess second;
  ASSERT_TRUE(second.Start("vgicon.exe", "/P" + std::to_string(P().Name().size()) + " \"" +
                                             P().Name() + "\" /O \"" + P().Port() + "\" /M \"" +
                                             P().Model() + "\""));
  EXPECT_EQ(second.Wait(20000), 0u);
  size_t adds = 0;
  for (const vgtest::TrayCall& call : tray_.Calls()) adds += call.message == NIM_ADD ? 1 : 0;
  EXPECT_EQ(adds, 1u);
  EXPECT_EQ(::WaitForSingleObject(process.Get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));

  // Switched off in the preferences: the registration goes and the icon with the program.
  vgtest::PreferencesRun off(P().Name(), P().Driver(), P().Port(), P().Model(),
                             P().InstallDir() + "\\vgres.dll");
  ASSERT_NE(off.Window(), nullptr);
  vgtest::Click(off.Window(), IDC_TRAY_ENABLE);
  ASSERT_TRUE(vgtest::WaitUntil([&] { return !vgtest::IsChecked(off.Window(), IDC_TRAY_ENABLE); }));
  ASSERT_EQ(off.Finish(IDOK), kPreferencesConfirmed);
  EXPECT_TRUE(tray_.WaitForCall(NIM_DELETE, ""));
  EXPECT_EQ(::WaitForSingleObject(process.Get(), 20000), WAIT_OBJECT_0);
  EXPECT_FALSE(vgtest::HasRunValue(P().Name()));
}

// The visible top-level window of a process with the class (and the title, when given).
HWND WindowOfProcess(DWORD process, const char* className, const std::string& title = "") {
  HWND found = nullptr;
  vgtest::WaitUntil([&] {
    for (HWND w = ::FindWindowExA(nullptr, nullptr, className, nullptr); w != nullptr;
         w = ::FindWindowExA(nullptr, w, className, nullptr)) {
      DWORD owner = 0;
      ::GetWindowThreadProcessId(w, &owner);
      if ((process == 0 || owner == process) && ::IsWindowVisible(w) &&
          (title.empty() || vgtest::WindowText(w) == title)) {
        found = w;
        return true;
      }
    }
    return false;
  });
  return found;
}

TEST_F(IconProgramTest, IconMenuOpensThePreferencesAndCloseRemovesTheIcon) {
  StoreStatus("@BDC ST\r\nST:04;\f");
  ASSERT_EQ(RunIconProgram(1, P().Name().c_str(), P().Driver().c_str(), P().Port().c_str(),
                           P().Model().c_str()),
            1);
  vgtest::TrayCall added;
  ASSERT_TRUE(tray_.WaitForCall(NIM_ADD, P().Name(), &added));
  ScopedHandle process(IconProcess());
  ASSERT_TRUE(process.IsValid());
  const DWORD iconProcess = ::GetProcessId(process.Get());

  // A right click on the icon: the menu offers the status window, the preferences and Close.
  ::PostMessageA(added.window, added.callbackMessage, added.id, WM_RBUTTONUP);
  HWND menu = WindowOfProcess(iconProcess, "#32768");
  ASSERT_NE(menu, nullptr);
  ::PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
  ::PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
  ::PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
  // The preferences open in a program of their own, through the printer library's entry.
  HWND preferences = WindowOfProcess(0, "#32770", vgtest::PreferencesTitleOf(P().Name()));
  ASSERT_NE(preferences, nullptr);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(preferences, &owner);
  EXPECT_NE(owner, iconProcess) << "the icons keep answering meanwhile";
  ScopedHandle dialogProcess(::OpenProcess(SYNCHRONIZE, FALSE, owner));
  ::PostMessageA(preferences, WM_CLOSE, 0, 0);
  EXPECT_EQ(::WaitForSingleObject(dialogProcess.Get(), 20000), WAIT_OBJECT_0);

  // Close, the menu's last item, removes the icon, and the instance ends with it.
  ::PostMessageA(added.window, added.callbackMessage, added.id, WM_RBUTTONUP);
  menu = WindowOfProcess(iconProcess, "#32768");
  ASSERT_NE(menu, nullptr);
  ::PostMessageA(menu, WM_KEYDOWN, VK_UP, 0);
  ::PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_TRUE(tray_.WaitForCall(NIM_DELETE, ""));
  EXPECT_EQ(::WaitForSingleObject(process.Get(), 20000), WAIT_OBJECT_0);
}

TEST_F(IconProgramTest, DoubleClickOpensTheStatusWindowInAProgramOfItsOwn) {
  StoreStatus("@BDC ST\r\nST:00;ER:06;\f");
  ASSERT_EQ(RunIconProgram(1, P().Name().c_str(), P().Driver().c_str(), P().Port().c_str(),
                           P().Model().c_str()),
            1);
  vgtest::TrayCall added;
  ASSERT_TRUE(tray_.WaitForCall(NIM_ADD, P().Name(), &added));
  ScopedHandle process(IconProcess());
  ASSERT_TRUE(process.IsValid());
  ::PostMessageA(added.window, added.callbackMessage, added.id, WM_LBUTTONDBLCLK);
  // The status window of a detail start, through the printer library's PrStartView.
  HWND status = WindowOfProcess(0, "#32770", "KORVA Vigil 3 : " + P().Name());
  ASSERT_NE(status, nullptr);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(status, &owner);
  EXPECT_NE(owner, ::GetProcessId(process.Get()));
  ScopedHandle viewer(::OpenProcess(SYNCHRONIZE, FALSE, owner));
  ::PostMessageA(status, WM_CLOSE, 0, 0);
  EXPECT_EQ(::WaitForSingleObject(viewer.Get(), 20000), WAIT_OBJECT_0);

  ASSERT_EQ(RunIconProgram(0, P().Name().c_str(), P().Driver().c_str(), P().Port().c_str(),
                           P().Model().c_str()),
            1);
  EXPECT_EQ(::WaitForSingleObject(process.Get(), 20000), WAIT_OBJECT_0);
}

// The icon's picture as Wine's shell hands it to the notification area, for an icon of the
// resource library shown by the test itself.
std::string PictureOfIcon(vgtest::FakeTray& tray, const std::string& library, int iconId) {
  ScopedModule module(::LoadLibraryExA(library.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  ScopedIcon icon(static_cast<HICON>(
      ::LoadImageA(module.Get(), MAKEINTRESOURCEA(iconId), IMAGE_ICON, 16, 16, 0)));
  HWND owner = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                 nullptr, nullptr);
  const std::string tip = "reference " + std::to_string(iconId);
  NOTIFYICONDATAA data = {};
  data.cbSize = sizeof data;
  data.hWnd = owner;
  data.uID = static_cast<UINT>(iconId);
  data.uFlags = NIF_ICON | NIF_TIP;
  data.hIcon = icon.Get();
  lstrcpynA(data.szTip, tip.c_str(), sizeof data.szTip);
  std::string picture;
  vgtest::TrayCall call;
  if (icon.IsValid() && ::Shell_NotifyIconA(NIM_ADD, &data) &&
      tray.WaitForCall(NIM_ADD, tip, &call) && call.record.size() > vgtest::kTrayIconDataOffset) {
    picture = call.record.substr(vgtest::kTrayIconDataOffset);
  }
  ::Shell_NotifyIconA(NIM_DELETE, &data);
  ::DestroyWindow(owner);
  return picture;
}

TEST_F(IconProgramTest, TheIconIsTheTrayIconChosenInThePreferences) {
  StoreStatus("@BDC ST\r\nST:04;\f");
  vgtest::SetDword(HKEY_CURRENT_USER, vgtest::TargetKeyOf(P().Name()), "TrayIconSelected", 2);
  ASSERT_EQ(RunIconProgram(1, P().Name().c_str(), P().Driver().c_str(), P().Port().c_str(),
                           P().Model().c_str()),
            1);
  vgtest::TrayCall added;
  ASSERT_TRUE(tray_.WaitForCall(NIM_ADD, P().Name(), &added));
  ASSERT_GT(added.record.size(), vgtest::kTrayIconDataOffset);
  ScopedHandle process(IconProcess());
  ASSERT_TRUE(process.IsValid());

  const std::string library = P().InstallDir() + "\\vgres.dll";
  const std::string chosen = PictureOfIcon(tray_, library, IDI_TRAY_FIRST + 2);
  const std::string first = PictureOfIcon(tray_, library, IDI_TRAY_FIRST);
  ASSERT_FALSE(chosen.empty());
  ASSERT_NE(chosen, first) << "the two icons look different";
  EXPECT_EQ(added.record.substr(vgtest::kTrayIconDataOffset), chosen) << "tray icon 2 (702)";

  ASSERT_EQ(RunIconProgram(0, P().Name().c_str(), P().Driver().c_str(), P().Port().c_str(),
                           P().Model().c_str()),
            1);
  EXPECT_EQ(::WaitForSingleObject(process.Get(), 20000), WAIT_OBJECT_0);
}

TEST_F(IconProgramTest, RemovingAPrinterThatNoInstanceShowsStartsNothing) {
  vgtest::ChildProcess remove;
  ASSERT_TRUE(remove.Start("vgicon.exe", "/P" + std::to_string(P().Name().size()) + " \"" +
                                             P().Name() + "\" /O \"" + P().Port() + "\" /R"));
  EXPECT_EQ(remove.Wait(20000), 0u);
  EXPECT_EQ(::FindWindowA(kIconWindowClass, nullptr), nullptr);
  EXPECT_TRUE(tray_.Calls().empty());
  vgtest::ChildProcess nothing;
  ASSERT_TRUE(nothing.Start("vgicon.exe", ""));
  EXPECT_EQ(nothing.Wait(20000), 2u) << "no printer named";
}

}  // namespace
