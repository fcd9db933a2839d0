// Context help of the preferences: a right click offers "What's This?" and opens the control's
// topic in the help window type beside the cursor; the help key needs no menu; the buttons get
// the help engine's own popup; a WinHelp file shows no menu at all. The HTML Help control is
// the recording stand-in (registered as the control's in-process server, where the binding
// looks first, for the whole test program: see preferences_fixture.cpp), and in a process of
// its own the real control opens its window.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "common/unique_handle.h"
#include "libraries/help_recorder.h"
#include "resources/vgres_ids.h"
#include "support/installed_printer.h"
#include "support/process_output.h"
#include "support/scoped_registry_value.h"
#include "support/win_test_support.h"
#include "ui/context_help_rules.h"
#include "ui/dialog_driver.h"
#include "ui/html_help_win.h"
#include "ui/preferences_fixture.h"
#include "ui/start_preference_win.h"

// After the project's Windows header, which they need.
#include <commctrl.h>
#include <htmlhelp.h>

namespace {

using vgtest::RecordedHelpCall;

class ContextHelpTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    printer_ = std::make_unique<vgtest::InstalledPrinter>("Help Printer",
                                                          std::vector<vgtest::ProfileSetting>{});
  }
  static void TearDownTestSuite() { printer_.reset(); }
  void SetUp() override {
    ASSERT_TRUE(printer_->Ready()) << printer_->Failure();
    ASSERT_TRUE(IsHtmlHelpABound()) << "the binding takes the registered server";
    recorder_ = ::GetModuleHandleA("vghhrecorder.dll");
    ASSERT_NE(recorder_, nullptr) << "the stand-in, not the real control, was bound";
    Forget();
  }

  std::unique_ptr<vgtest::PreferencesRun> Open() {
    const auto& p = *printer_;
    return std::make_unique<vgtest::PreferencesRun>(p.Name(), p.Driver(), p.Port(), p.Model(),
                                                    p.InstallDir() + "\\vgres.dll");
  }
  std::string HelpFile() const { return printer_->InstallDir() + "\\vghelp.chm"; }

  void Forget() {
    reinterpret_cast<PFN_VgForgetHelpCalls>(
        reinterpret_cast<void*>(::GetProcAddress(recorder_, "VgForgetHelpCalls")))();
  }
  std::vector<RecordedHelpCall> Calls() {
    auto count = reinterpret_cast<PFN_VgRecordedHelpCallCount>(
        reinterpret_cast<void*>(::GetProcAddress(recorder_, "VgRecordedHelpCallCount")));
    auto get = reinterpret_cast<PFN_VgRecordedHelpCall>(
        reinterpret_cast<void*>(::GetProcAddress(recorder_, "VgRecordedHelpCall")));
    std::vector<RecordedHelpCall> calls(static_cast<size_t>(count()));
    for (size_t i = 0; i < calls.size(); ++i) get(static_cast<int>(i), &calls[i]);
    return calls;
  }
  const RecordedHelpCall* Find(const std::vector<RecordedHelpCall>& calls, UINT command) {
    for (const RecordedHelpCall& call : calls) {
      if (call.command == command) return &call;
    }
    return nullptr;
  }
  bool WaitForCall(UINT command) {
    return vgtest::WaitUntil([&] { return Find(Calls(), command) != nullptr; });
  }

  static std::unique_ptr<vgtest::InstalledPrinter> printer_;
  HMODULE recorder_ = nullptr;
};
std::unique_ptr<vgtest::InstalledPrinter> ContextHelpTest::printer_;

RECT ScreenRectOf(HWND dialog, int id) {
  RECT rect = {};
  ::GetWindowRect(::GetDlgItem(dialog, id), &rect);
  return rect;
}

POINT CentreOf(const RECT& rect) {
  return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

// The visible pop-up menu of the process, or null.
HWND OpenMenu() {
  HWND menu = nullptr;
  for (HWND w = ::FindWindowExA(nullptr, nullptr, "#32768", nullptr); w != nullptr;
       w = ::FindWindowExA(nullptr, w, "#32768", nullptr)) {
    DWORD process = 0;
    ::GetWindowThreadProcessId(w, &process);
    if (process == ::GetCurrentProcessId() && ::IsWindowVisible(w)) menu = w;
  }
  return menu;
}

// A right click on a window of the dialog at a screen point, as the system reports it.
void RightClick(HWND dialog, HWND clicked, POINT at) {
  ::SetCursorPos(at.x, at.y);
  ::PostMessageA(dialog, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(clicked),
                 MAKELPARAM(at.x, at.y));
}

// Chooses the menu's only item with the keyboard, or dismisses it.
void ChooseItem(HWND menu) {
  ::PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
  ::PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
}
void Dismiss(HWND menu) { ::PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0); }

std::string MenuItemText(HWND menuWindow) {
  HMENU menu = reinterpret_cast<HMENU>(::SendMessageA(menuWindow, 0x01E1 /* MN_GETHMENU */, 0, 0));
  char text[128] = {};
  ::GetMenuStringA(menu, 0, text, sizeof text, MF_BYPOSITION);
  return text;
}

TEST_F(ContextHelpTest, RightClickOnTheAgentBoxOpensItsTopicBesideTheCursor) {
  auto run = Open();
  HWND dialog = run->Window();
  ASSERT_NE(dialog, nullptr);
  const auto opening = Calls();
  ASSERT_NE(Find(opening, HH_INITIALIZE), nullptr) << "the help engine starts with the dialog";
  Forget();

  const POINT at = CentreOf(ScreenRectOf(dialog, IDC_AGENT_ALLOW));
  RightClick(dialog, ::GetDlgItem(dialog, IDC_AGENT_ALLOW), at);
  HWND menu = nullptr;
  ASSERT_TRUE(vgtest::WaitUntil([&] { return (menu = OpenMenu()) != nullptr; }));
  EXPECT_EQ(MenuItemText(menu), "&What's This?");
  EXPECT_EQ(Find(Calls(), HH_DISPLAY_TOPIC), nullptr) << "nothing before the item is chosen";
  ChooseItem(menu);
  ASSERT_TRUE(WaitForCall(HH_DISPLAY_TOPIC));

  const auto calls = Calls();
  const RecordedHelpCall* topic = Find(calls, HH_DISPLAY_TOPIC);
  EXPECT_EQ(std::string(topic->file), HelpFile() + "::HTML\\0X3015.htm>VglHH_Context");
  EXPECT_EQ(topic->caller, ::GetDlgItem(dialog, IDC_AGENT_ALLOW));
  const RecordedHelpCall* type = Find(calls, HH_SET_WIN_TYPE);
  ASSERT_NE(type, nullptr) << "the window type is defined before the topic shows";
  EXPECT_STREQ(type->typeName, "VglHH_Context");
  EXPECT_EQ(type->exStyles, static_cast<DWORD>(WS_EX_TOOLWINDOW));
  EXPECT_EQ(type->showState, SW_RESTORE);
  EXPECT_EQ(type->typeCaller, dialog);
  EXPECT_EQ(type->toolBarFlags, 0u);
  EXPECT_EQ(type->tabPosition, 0);
  const vghelp::Rect place = vghelp::HelpWindowRect(
      at.x, at.y, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
  EXPECT_EQ(type->windowRect.left, place.left);
  EXPECT_EQ(type->windowRect.top, place.top);
  EXPECT_EQ(type->windowRect.right, place.right);
  EXPECT_EQ(type->windowRect.bottom, place.bottom);
  EXPECT_EQ(type->tabOrder[4], 4);
  EXPECT_EQ(type->tabOrder[7], 255);
  EXPECT_EQ(run->Finish(IDCANCEL), kPreferencesCancelled);
  EXPECT_NE(Find(Calls(), HH_UNINITIALIZE), nullptr) << "and stops with it";
}

TEST_F(ContextHelpTest, RightClickOnTheBackgroundInsideTheTrayGroupMeansItsTopic) {
  auto run = Open();
  HWND dialog = run->Window();
  ASSERT_NE(dialog, nullptr);
  const RECT group = ScreenRectOf(dialog, IDC_TRAY_GROUP);
  // Inside the group box, left of its controls, where only the dialog lies.
  RightClick(dialog, dialog, POINT{group.left + 2, group.bottom - 2});
  HWND menu = nullptr;
  ASSERT_TRUE(vgtest::WaitUntil([&] { return (menu = OpenMenu()) != nullptr; }));
  ChooseItem(menu);
  ASSERT_TRUE(WaitForCall(HH_DISPLAY_TOPIC));
  EXPECT_EQ(std::string(Find(Calls(), HH_DISPLAY_TOPIC)->file),
            HelpFile() + "::HTML\\0X3010.htm>VglHH_Context");
  EXPECT_EQ(run->Finish(IDCANCEL), kPreferencesCancelled);
}

TEST_F(ContextHelpTest, HelpKeyOverOkAsksTheEngineWithTheTableAndShowsNoMenu) {
  auto run = Open();
  HWND dialog = run->Window();
  ASSERT_NE(dialog, nullptr);
  Forget();
  HELPINFO info = {};
  info.cbSize = sizeof info;
  info.iContextType = HELPINFO_WINDOW;
  info.iCtrlId = IDOK;
  info.hItemHandle = ::GetDlgItem(dialog, IDOK);
  info.MousePos = CentreOf(ScreenRectOf(dialog, IDOK));
  DWORD_PTR answer = 0;
  // A menu would hold the call until it is dismissed: the call comes back on its own.
  ASSERT_TRUE(::SendMessageTimeoutA(dialog, WM_HELP, 0, reinterpret_cast<LPARAM>(&info),
                                    SMTO_NORMAL, 10000, &answer));
  EXPECT_EQ(answer, 1u);
  EXPECT_EQ(OpenMenu(), nullptr);
  const auto calls = Calls();
  const RecordedHelpCall* help = Find(calls, HH_TP_HELP_WM_HELP);
  ASSERT_NE(help, nullptr);
  EXPECT_EQ(std::string(help->file), HelpFile());
  ASSERT_EQ(help->tableWords, 38) << "18 pairs and the end row";
  for (int i = 0; i < help->tableWords / 2; ++i) {
    EXPECT_EQ(help->table[2 * i], vghelp::kControlHelp[i].control);
    EXPECT_EQ(help->table[2 * i + 1], vghelp::kControlHelp[i].topic);
  }
  EXPECT_EQ(Find(calls, HH_DISPLAY_TOPIC), nullptr);

  // The help key over a control of the table shows its topic at once.
  Forget();
  info.iCtrlId = IDC_TRAY_ENABLE;
  info.hItemHandle = ::GetDlgItem(dialog, IDC_TRAY_ENABLE);
  info.MousePos = CentreOf(ScreenRectOf(dialog, IDC_TRAY_ENABLE));
  ASSERT_TRUE(::SendMessageTimeoutA(dialog, WM_HELP, 0, reinterpret_cast<LPARAM>(&info),
                                    SMTO_NORMAL, 10000, &answer));
  const auto shown = Calls();
  ASSERT_NE(Find(shown, HH_DISPLAY_TOPIC), nullptr);
  EXPECT_EQ(std::string(Find(shown, HH_DISPLAY_TOPIC)->file),
            HelpFile() + "::HTML\\0X3010.htm>VglHH_Context");
  EXPECT_EQ(run->Finish(IDCANCEL), kPreferencesCancelled);
}

TEST_F(ContextHelpTest, DismissingTheMenuDoesNothing) {
  auto run = Open();
  HWND dialog = run->Window();
  ASSERT_NE(dialog, nullptr);
  Forget();
  RightClick(dialog, ::GetDlgItem(dialog, IDC_TRAY_ICON_LIST),
             CentreOf(ScreenRectOf(dialog, IDC_TRAY_ICON_LIST)));
  HWND menu = nullptr;
  ASSERT_TRUE(vgtest::WaitUntil([&] { return (menu = OpenMenu()) != nullptr; }));
  Dismiss(menu);
  ASSERT_TRUE(vgtest::WaitUntil([&] { return OpenMenu() == nullptr; }));
  // The dialog answers again (its loop is back), and nothing was shown.
  DWORD_PTR answer = 0;
  ASSERT_TRUE(::SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer));
  for (const RecordedHelpCall& call : Calls()) {
    EXPECT_NE(call.command, static_cast<UINT>(HH_DISPLAY_TOPIC));
    EXPECT_NE(call.command, static_cast<UINT>(HH_TP_HELP_CONTEXTMENU));
  }
  // A right click on OK offers the menu too, and the engine's own popup on choosing.
  RightClick(dialog, ::GetDlgItem(dialog, IDOK), CentreOf(ScreenRectOf(dialog, IDOK)));
  ASSERT_TRUE(vgtest::WaitUntil([&] { return (menu = OpenMenu()) != nullptr; }));
  ChooseItem(menu);
  ASSERT_TRUE(WaitForCall(HH_TP_HELP_CONTEXTMENU));
  EXPECT_EQ(run->Finish(IDCANCEL), kPreferencesCancelled);
}

TEST_F(ContextHelpTest, WinHelpFileShowsNoMenu) {
  const std::string profile = printer_->InstallDir() + "\\VP-100.ini";
  ASSERT_TRUE(::WritePrivateProfileStringA("English", "HelpFile", "vghelp.hlp", profile.c_str()));
  auto run = Open();
  HWND dialog = run->Window();
  ASSERT_NE(dialog, nullptr);
  Forget();
  DWORD_PTR answer = 0;
  const POINT at = CentreOf(ScreenRectOf(dialog, IDC_AGENT_ALLOW));
  ::SetCursorPos(at.x, at.y);
  ASSERT_TRUE(::SendMessageTimeoutA(dialog, WM_CONTEXTMENU,
                                    reinterpret_cast<WPARAM>(::GetDlgItem(dialog, IDC_AGENT_ALLOW)),
                                    MAKELPARAM(at.x, at.y), SMTO_NORMAL, 10000, &answer))
      << "a menu would hold the call";
  HELPINFO info = {};
  info.cbSize = sizeof info;
  info.hItemHandle = ::GetDlgItem(dialog, IDC_AGENT_ALLOW);
  info.MousePos = at;
  ASSERT_TRUE(::SendMessageTimeoutA(dialog, WM_HELP, 0, reinterpret_cast<LPARAM>(&info),
                                    SMTO_NORMAL, 10000, &answer));
  EXPECT_EQ(OpenMenu(), nullptr);
  EXPECT_TRUE(Calls().empty()) << "WinHelp serves the file, not HTML Help";
  EXPECT_FALSE(vgtest::ChildProcessesNamed("winhlp32.exe").empty()) << "WinHelp was asked";
  EXPECT_EQ(run->Finish(IDCANCEL), kPreferencesCancelled);
  EXPECT_TRUE(vgtest::WaitUntil([] { return vgtest::ChildProcessesNamed("winhlp32.exe").empty(); }))
      << "the help program goes with the dialog";
  ::WritePrivateProfileStringA("English", "HelpFile", "vghelp.chm", profile.c_str());
}

TEST_F(ContextHelpTest, TheWideEntryIsBoundFromTheSameControl) {
  ASSERT_TRUE(IsHtmlHelpWBound());
  VgHtmlHelpW(nullptr, L"file.chm::HTML\\0X3000.htm", HH_DISPLAY_TOPIC, 0);
  const auto calls = Calls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_TRUE(calls[0].wide);
  EXPECT_STREQ(calls[0].file, "file.chm::HTML\\0X3000.htm");
}

TEST_F(ContextHelpTest, RealHtmlHelpControlOpensTheTopicsWindow) {
  // The probe binds whatever the class names: the real control again, for its run.
  vgtest::ScopedRegistryValue real(HKEY_CLASSES_ROOT, kHtmlHelpClsidKey, "");
  real.SetString("C:\\windows\\system32\\hhctrl.ocx");
  const auto& p = *printer_;
  const vgtest::CapturedRun probe = vgtest::RunCaptured(
      "vgprefsprobe.exe", vgtest::QuoteArgument(p.Name()) + " " + vgtest::QuoteArgument(p.Driver()) +
                              " " + vgtest::QuoteArgument(p.Port()) + " " + p.Model() + " " +
                              vgtest::QuoteArgument(p.InstallDir() + "\\vgres.dll"),
      60000);
  ASSERT_TRUE(probe.finished) << probe.output;
  EXPECT_EQ(probe.exitCode, 0u) << probe.output;
  EXPECT_NE(probe.output.find("help window: KORVA Vigil 3 Help |"), std::string::npos)
      << probe.output;
  long left = 0, top = 0, right = 0, bottom = 0, x = 0, y = 0;
  unsigned long exStyle = 0;
  const size_t at = probe.output.find("| ");
  ASSERT_NE(at, std::string::npos);
  ASSERT_EQ(std::sscanf(probe.output.c_str() + at, "| %ld %ld %ld %ld | %lx", &left, &top, &right,
                        &bottom, &exStyle),
            5);
  const size_t cursor = probe.output.find("cursor: ");
  ASSERT_NE(cursor, std::string::npos);
  ASSERT_EQ(std::sscanf(probe.output.c_str() + cursor, "cursor: %ld %ld", &x, &y), 2);
  const vghelp::Rect place = vghelp::HelpWindowRect(
      static_cast<int32_t>(x), static_cast<int32_t>(y), ::GetSystemMetrics(SM_CXSCREEN),
      ::GetSystemMetrics(SM_CYSCREEN));
  EXPECT_EQ(left, place.left) << "the window type's place beside the cursor";
  EXPECT_EQ(top, place.top);
  EXPECT_EQ(right, place.right);
  EXPECT_EQ(bottom, place.bottom);
  EXPECT_NE(exStyle & WS_EX_TOOLWINDOW, 0u);
  EXPECT_NE(probe.output.find("result: 1"), std::string::npos) << "cancelled: " << probe.output;
}

}  // namespace
