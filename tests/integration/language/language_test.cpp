// The windows in the user's language. CTest runs this program three times, each under a Unix
// locale from which Wine takes the user's Windows language: German (Germany) runs the
// GermanUser cases, German (Austria) the AustrianUser cases and French, a language the example
// profile does not list, the UnlistedLanguageUser cases. Each case first checks that Wine
// reports the language it was started for.
//
// The example model is installed by vgsetup with all its languages; the status window is
// opened through PrStartView of the installed printer library without naming a resource
// library, so that the library chooses the language section and resource library itself, as
// it does for the pop-up program.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "common/install_profile_win.h"
#include "common/map_records_win.h"
#include "common/unique_handle.h"
#include "common/vgprn_exports.h"
#include "resources/vgres_ids.h"
#include "support/fake_tray.h"
#include "support/installed_printer.h"
#include "support/installer_window.h"
#include "support/job_run.h"
#include "support/win_test_support.h"
#include "ui/dialog_driver.h"

// After the project's Windows header, which it needs.
#include <commctrl.h>
#include <shellapi.h>

namespace {

using vgtest::DialogThread;
using vgtest::InstalledPrinter;

constexpr LANGID kGermanGermany = 0x0407;
constexpr LANGID kGermanAustria = 0x0C07;
constexpr LANGID kFrenchFrance = 0x040C;
constexpr UINT kAboutCommand = 0x390;  // the status window's system menu item
constexpr DWORD kWaitMs = 30000;

const char kReady[] = "\"@BDC ST\\r\\nST:04;\\f\"";
const char kPrinting[] = "\"@BDC ST\\r\\nST:03;\\f\"";
const char kPaperOut[] = "\"@BDC ST\\r\\nST:00;ER:06;\\f\"";

// The German texts as a user sees them: Windows' code page 1252.
const char kGermanPaperOutTitle[] = "Papier leer";
const char kGermanPaperOutText[] =
    "Im Drucker ist kein Papier mehr. Legen Sie eine neue Papierrolle ein, und dr\xFC"
    "cken Sie dann die Vorschubtaste.";
const char kGermanReady[] = "Bereit";
const char kGermanReadyText[] = "Der Drucker ist druckbereit.";
const char kGermanAbout[] = "Info \xFC"
                            "ber KORVA Vigil 3";
const char kGermanPreferences[] = "\xDC"
                                  "berwachungseinstellungen";

// A window's text through its own thread: the pop-up program's windows are another process's.
std::string TextOf(HWND window) { return vgtest::TextOfWindow(window); }
std::string ItemOf(HWND window, int id) { return TextOf(::GetDlgItem(window, id)); }

struct DialogSearch {
  HWND except = nullptr;
  HWND found = nullptr;
};

BOOL CALLBACK FindOtherDialog(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<DialogSearch*>(param);
  char name[32] = {};
  ::GetClassNameA(window, name, sizeof name);
  if (window == search->except || !::IsWindowVisible(window) || std::string(name) != "#32770") {
    return TRUE;
  }
  search->found = window;
  return FALSE;
}

// A visible dialog of the thread other than the given one (an about box, a trouble dialog).
HWND WaitForOtherDialog(DWORD threadId, HWND except) {
  DialogSearch search;
  search.except = except;
  vgtest::WaitUntil(
      [&] {
        search.found = nullptr;
        ::EnumThreadWindows(threadId, &FindOtherDialog, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
      },
      kWaitMs);
  return search.found;
}

// The example model, installed once for a program run with its real pop-up program; the status
// window reads the printer itself every second.
class LanguageTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    printer_ = new InstalledPrinter("Language",
                                    {{"Install", "LocalMonitoringTimer", "1"},
                                     {"", "MonitorInitTime", "100"},
                                     {"", "TIMEOUT", "0"}},
                                    "LPT1:", vgtest::PopupProgram::kReal);
  }
  static void TearDownTestSuite() {
    delete printer_;
    printer_ = nullptr;
  }

  void SetUp() override {
    ASSERT_TRUE(printer_->Ready()) << printer_->Failure();
    ASSERT_EQ(printer_->Ctl("reset").exitCode, 0u);
    ASSERT_EQ(printer_->Ctl("deviceid", "\"MFG:KORVA;MDL:VP-100;CMD:ESCP;\"").exitCode, 0u);
    ASSERT_EQ(printer_->Ctl("channels", "0x10000005:0x0004,0x10010003:0").exitCode, 0u);
    ASSERT_EQ(printer_->Ctl("reply", kReady).exitCode, 0u);
  }

  // Why the user's language may be another: the program was not started for this case.
  static std::string StartedUnder(const char* locale) {
    return std::string("this case runs under LANG=") + locale +
           " (see tests/integration/CMakeLists.txt)";
  }

  static std::string Section() {
    char section[MAX_PATH] = {};
    DWORD size = sizeof section;
    if (GetLanguageSection(section, &size, printer_->ProfilePath().c_str()) != 0) return "(failed)";
    return section;
  }
  static std::string ResDll() {
    char path[MAX_PATH] = {};
    if (GetResDllPath(path, printer_->Driver().c_str(), printer_->Model().c_str()) != 1) {
      return "(failed)";
    }
    return path;
  }
  static std::string Title() { return "KORVA Vigil 3 : " + printer_->Name(); }

  // The status window through the installed printer library, as a detail start (view type 2)
  // of a user: the library finds the resource library itself.
  std::unique_ptr<DialogThread> OpenStatusWindow() {
    if (!library_.IsValid()) {
      library_.Reset(::LoadLibraryA((printer_->InstallDir() + "\\vgprn.dll").c_str()));
    }
    auto start = reinterpret_cast<PFN_PrStartView>(
        reinterpret_cast<void*>(::GetProcAddress(library_.Get(), "PrStartView")));
    if (start == nullptr) return nullptr;
    const InstalledPrinter* printer = printer_;
    return std::make_unique<DialogThread>([start, printer] {
      return start(2, printer->Name().c_str(), printer->Driver().c_str(), printer->Port().c_str(),
                   printer->Model().c_str(), nullptr, nullptr);
    });
  }

  // The preferences through the installed printer library, as the tray icon program opens
  // them: without a resource library, so that the library chooses it.
  std::unique_ptr<DialogThread> OpenPreferences() {
    if (!library_.IsValid()) {
      library_.Reset(::LoadLibraryA((printer_->InstallDir() + "\\vgprn.dll").c_str()));
    }
    auto start = reinterpret_cast<PFN_PrStartPreference>(
        reinterpret_cast<void*>(::GetProcAddress(library_.Get(), "PrStartPreference")));
    if (start == nullptr) return nullptr;
    const InstalledPrinter* printer = printer_;
    return std::make_unique<DialogThread>([start, printer] {
      return start(printer->Name().c_str(), printer->Driver().c_str(), printer->Port().c_str(),
                   printer->Model().c_str(), 0, nullptr);
    });
  }

  // The notification list as the user reads it: each row's event and state, "event: state".
  static std::vector<std::string> NotifyRows(HWND dialog) {
    HWND list = ::GetDlgItem(dialog, IDC_NOTIFY_LIST);
    std::vector<std::string> rows;
    const LRESULT count = ::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
      std::string row;
      for (int column = 0; column < 2; ++column) {
        char text[256] = {};
        LVITEMA item = {};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        ::SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(i),
                       reinterpret_cast<LPARAM>(&item));
        row += column == 0 ? std::string(text) + ": " : std::string(text);
      }
      rows.push_back(row);
    }
    return rows;
  }

  // The text of a column heading of the notification list.
  static std::string NotifyHeading(HWND dialog, int column) {
    HWND header = reinterpret_cast<HWND>(
        ::SendMessageA(::GetDlgItem(dialog, IDC_NOTIFY_LIST), LVM_GETHEADER, 0, 0));
    char text[256] = {};
    HDITEMA item = {};
    item.mask = HDI_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    if (header == nullptr || !::SendMessageA(header, HDM_GETITEMA, column,
                                             reinterpret_cast<LPARAM>(&item))) {
      return "(no heading)";
    }
    return text;
  }

  // Waits until the window shows the title, then returns its explanation.
  static std::string WaitForStatus(HWND window, const std::string& title) {
    if (!vgtest::WaitUntil([&] { return ItemOf(window, IDC_STATUS_MESSAGE) == title; }, kWaitMs)) {
      return "(the window shows \"" + ItemOf(window, IDC_STATUS_MESSAGE) + "\")";
    }
    return ItemOf(window, IDC_STATUS_LINE);
  }

  // The about box opened from the window's system menu: its title and the text of its first
  // group box; closed again.
  static std::vector<std::string> AboutBoxTexts(const DialogThread& view, HWND window) {
    ::PostMessageA(window, WM_SYSCOMMAND, kAboutCommand, 0);
    HWND about = WaitForOtherDialog(view.ThreadId(), window);
    if (about == nullptr) return {"(no about box)"};
    std::vector<std::string> texts = {TextOf(about)};
    for (HWND child = ::GetWindow(about, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
      const std::string text = TextOf(child);
      if (!text.empty()) texts.push_back(text);
    }
    ::PostMessageA(about, WM_COMMAND, IDOK, 0);
    vgtest::WaitUntil([&] { return !::IsWindow(about); }, kWaitMs);
    return texts;
  }

  // The installer's first two pages as a user sees them, then cancelled (with the question
  // whether to quit answered Yes): the window's title, the Next button, the welcome page's
  // texts, the printer page's texts and the question. Nothing is installed.
  struct InstallerTexts {
    std::string title;
    std::string next;
    std::vector<std::string> welcome;
    std::vector<std::string> printerPage;
    std::string question;
    DWORD exitCode = STILL_ACTIVE;
  };
  static InstallerTexts WalkTheInstaller() {
    InstallerTexts seen;
    vgtest::JobProcess installer;
    if (!installer.Start("\"" + vgtest::BinDir() + "\\vg3setup.exe\"")) return seen;
    const vgtest::InstallerWindow window(installer.Id(), kWaitMs);
    if (!window.Found()) return seen;
    seen.title = window.Title();
    seen.next = window.ButtonText(vgtest::InstallerWindow::kNext);
    seen.welcome = window.PageTexts();
    window.Press(vgtest::InstallerWindow::kNext);
    if (vgtest::WaitForCondition([&] { return window.PageControl("ComboBox") != nullptr; },
                                 kWaitMs)) {
      seen.printerPage = window.PageTexts();
    }
    window.Press(vgtest::InstallerWindow::kCancel);
    seen.question = vgtest::AnswerMessageBox(installer.Id(), IDYES, kWaitMs);
    if (installer.WaitForAll(kWaitMs)) seen.exitCode = installer.ExitCode();
    return seen;
  }
  static bool AnyContains(const std::vector<std::string>& texts, const std::string& part) {
    for (const std::string& each : texts) {
      if (each.find(part) != std::string::npos) return true;
    }
    return false;
  }

  static bool Contains(const std::vector<std::string>& texts, const std::string& text) {
    for (const std::string& each : texts) {
      if (each == text) return true;
    }
    return false;
  }

  static InstalledPrinter* printer_;
  ScopedModule library_;
};

InstalledPrinter* LanguageTest::printer_ = nullptr;

// --- German (Germany): the profile's "German" line names both numbers.

using GermanUser = LanguageTest;

TEST_F(GermanUser, TheGermanSectionAndResourceLibraryAreChosen) {
  ASSERT_EQ(::GetUserDefaultLangID(), kGermanGermany) << StartedUnder("de_DE.UTF-8");
  EXPECT_EQ(Section(), "German");
  EXPECT_EQ(ResDll(), printer_->InstallDir() + "\\vgres_de.dll");
  char value[MAX_PATH] = {};
  const std::string profile = printer_->ProfilePath();
  ASSERT_EQ(GetLangProfileString("TSS000", value, sizeof value, profile.c_str()), 0);
  EXPECT_STREQ(value, "Papierprobleme");
  ASSERT_EQ(GetLangProfileString("WAVRES", value, sizeof value, profile.c_str()), 0);
  EXPECT_STREQ(value, "vgres_de.dll");
  ASSERT_EQ(GetLangProfileString("HelpFile", value, sizeof value, profile.c_str()), 0);
  EXPECT_STREQ(value, "vghelp_de.chm");
}

TEST_F(GermanUser, TheStatusWindowItsAboutBoxAndItsTroublePagesAreGerman) {
  ASSERT_EQ(::GetUserDefaultLangID(), kGermanGermany) << StartedUnder("de_DE.UTF-8");
  auto view = OpenStatusWindow();
  ASSERT_NE(view, nullptr);
  HWND window = view->WaitForWindow(Title(), kWaitMs);
  ASSERT_NE(window, nullptr);
  // A built-in status: the German resource library's texts.
  EXPECT_EQ(WaitForStatus(window, kGermanReady), kGermanReadyText);
  EXPECT_EQ(ItemOf(window, IDOK), "OK");
  EXPECT_EQ(ItemOf(window, IDC_STATUS_HELP), "&Hilfe");
  char about[128] = {};
  ::GetMenuStringA(::GetSystemMenu(window, FALSE), kAboutCommand, about, sizeof about,
                   MF_BYCOMMAND);
  EXPECT_STREQ(about, "&Info \xFC"
                      "ber KORVA Vigil 3...");

  const std::vector<std::string> aboutTexts = AboutBoxTexts(*view, window);
  ASSERT_FALSE(aboutTexts.empty());
  EXPECT_EQ(aboutTexts[0], kGermanAbout);
  EXPECT_TRUE(Contains(aboutTexts, "Versionen"));
  EXPECT_TRUE(Contains(aboutTexts, "Druckerstatusbibliothek:"));

  // A status of the model's own lines: the German section's texts, and its help in German.
  ASSERT_EQ(printer_->Ctl("reply", kPaperOut).exitCode, 0u);
  EXPECT_EQ(WaitForStatus(window, kGermanPaperOutTitle), kGermanPaperOutText);
  ASSERT_TRUE(vgtest::WaitUntil([&] { return vgtest::ItemVisible(window, IDC_STATUS_HELP); }));
  EXPECT_EQ(ItemOf(window, IDC_STATUS_HELP_NOTE), "L\xF6sungsschritte finden Sie in der Hilfe.");
  vgtest::PressButton(window, IDC_STATUS_HELP);
  HWND trouble = WaitForOtherDialog(view->ThreadId(), window);
  ASSERT_NE(trouble, nullptr);
  EXPECT_EQ(TextOf(trouble), "Ein Papierproblem beheben");
  const std::string page = ItemOf(trouble, IDC_TROUBLE_TEXT);
  EXPECT_EQ(page.rfind("Der Drucker wurde wegen eines Papierproblems angehalten", 0), 0u) << page;
  EXPECT_NE(page.find("Klicken Sie auf \x84Weiter\x93"), std::string::npos) << page;
  EXPECT_EQ(ItemOf(trouble, IDC_TROUBLE_NEXT), "&Weiter >");
  EXPECT_EQ(ItemOf(trouble, IDC_TROUBLE_CLOSE), "Schlie\xDF"
                                                "en");
  ::PostMessageA(trouble, WM_COMMAND, IDC_TROUBLE_CLOSE, 0);
  ASSERT_TRUE(vgtest::WaitUntil([&] { return !::IsWindow(trouble); }, kWaitMs));

  ::PostMessageA(window, WM_CLOSE, 0, 0);
  ASSERT_TRUE(view->Join(kWaitMs));
}

// The preferences speak German: the title, the group boxes and buttons, the notification
// list's headings and rows; cancelled, they end without a change.
TEST_F(GermanUser, ThePreferencesAreGerman) {
  ASSERT_EQ(::GetUserDefaultLangID(), kGermanGermany) << StartedUnder("de_DE.UTF-8");
  auto run = OpenPreferences();
  ASSERT_NE(run, nullptr);
  HWND dialog = run->WaitForWindow(std::string(kGermanPreferences) + " : " + printer_->Name(),
                                   kWaitMs);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(ItemOf(dialog, IDC_NOTIFY_GROUP), "Popup-Benachrichtigungen");
  EXPECT_EQ(ItemOf(dialog, IDC_TRAY_GROUP), "Symbol im Infobereich");
  EXPECT_EQ(ItemOf(dialog, IDC_TRAY_ENABLE),
            "Druckerstatus im &Infobereich der Taskleiste anzeigen");
  EXPECT_EQ(ItemOf(dialog, IDC_RESTORE_DEFAULTS), "&Standardwerte");
  EXPECT_EQ(ItemOf(dialog, IDCANCEL), "Abbrechen");
  EXPECT_EQ(ItemOf(dialog, IDC_PREF_HELP), "&Hilfe");
  EXPECT_EQ(NotifyHeading(dialog, 0), "Ereignis");
  EXPECT_EQ(NotifyHeading(dialog, 1), "Benachrichtigung");
  const std::vector<std::string> rows = NotifyRows(dialog);
  ASSERT_FALSE(rows.empty());
  EXPECT_TRUE(AnyContains(rows, "Der Drucker braucht Ihr Eingreifen: "));
  for (const std::string& row : rows) {
    const bool german = row.size() > 5 && (row.compare(row.size() - 5, 5, ": Ein") == 0 ||
                                           row.compare(row.size() - 5, 5, ": Aus") == 0);
    EXPECT_TRUE(german) << row;
  }
  ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(run->Join(kWaitMs));
  EXPECT_EQ(run->Result(), 1) << "cancelled";
}

// The tray icon program's menu speaks German. Wine keeps a menu's texts in the process that
// made it, so the test reads the menu by its access keys: "W" marks the German preferences item
// (IDS_ICON_MENU_PREFERENCES of vgres_de.dll) and no English item, and the preferences it opens
// in a program of their own are German too.
TEST_F(GermanUser, TheTrayIconMenuIsGerman) {
  ASSERT_EQ(::GetUserDefaultLangID(), kGermanGermany) << StartedUnder("de_DE.UTF-8");
  vgtest::FakeTray tray;
  ASSERT_TRUE(tray.Ready());
  const std::string& name = printer_->Name();
  const std::string& port = printer_->Port();
  vgtest::ChildProcess program;
  ASSERT_TRUE(program.Start(printer_->InstallDir() + "\\vgicon.exe",
                            "/P" + std::to_string(name.size()) + " \"" + name + "\" /O" +
                                std::to_string(port.size()) + " \"" + port + "\" /M \"" +
                                printer_->Model() + "\""));
  // Whatever fails below, the program goes with the test: its files are to be uninstalled.
  struct EndProgram {
    vgtest::ChildProcess& program;
    ~EndProgram() {
      if (program.Wait(0) == STILL_ACTIVE) program.Kill();
    }
  } endProgram{program};
  vgtest::TrayCall added;
  ASSERT_TRUE(tray.WaitForCall(NIM_ADD, name, &added));
  ::PostMessageA(added.window, added.callbackMessage, added.id, WM_RBUTTONUP);
  HWND menu = vgtest::FindProcessWindow(program.Id(), "#32768", kWaitMs);
  ASSERT_NE(menu, nullptr);
  ::PostMessageA(menu, WM_CHAR, 'w', 0);
  const std::string title = std::string(kGermanPreferences) + " : " + name;
  HWND preferences = nullptr;
  ASSERT_TRUE(vgtest::WaitUntil(
      [&] {
        preferences = ::FindWindowA("#32770", title.c_str());
        return preferences != nullptr && ::IsWindowVisible(preferences);
      },
      kWaitMs));
  EXPECT_EQ(ItemOf(preferences, IDCANCEL), "Abbrechen");
  ::PostMessageA(preferences, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(vgtest::WaitUntil([&] { return !::IsWindow(preferences); }, kWaitMs));

  // "C" closes, as "S&chlie\xDF"en": the icon goes and the program ends.
  ::PostMessageA(added.window, added.callbackMessage, added.id, WM_RBUTTONUP);
  menu = vgtest::FindProcessWindow(program.Id(), "#32768", kWaitMs);
  ASSERT_NE(menu, nullptr);
  ::PostMessageA(menu, WM_CHAR, 'c', 0);
  EXPECT_TRUE(tray.WaitForCall(NIM_DELETE, ""));
  EXPECT_EQ(program.Wait(kWaitMs), 0u);
}

// The monitor starts the pop-up program at the job's start; when the paper runs out, the
// window it opens speaks German, and so does the program's own message.
TEST_F(GermanUser, ThePopUpProgramsWindowAndMessagesAreGerman) {
  ASSERT_EQ(::GetUserDefaultLangID(), kGermanGermany) << StartedUnder("de_DE.UTF-8");
  ASSERT_EQ(printer_->Ctl("reply", kPrinting).exitCode, 0u);
  vgtest::SetMonitorLog(true);
  const std::string log = vgtest::MonitorLogPath();
  const size_t logStart = vgtest::FileSize(log);
  vgtest::ChildProcess monitor;
  // Whatever fails below, no monitor of the test outlives it.
  struct EndMonitor {
    vgtest::ChildProcess& monitor;
    ~EndMonitor() {
      monitor.Kill();
      vgtest::SetMonitorLog(false);
    }
  } endMonitor{monitor};
  ASSERT_TRUE(
      monitor.Start(printer_->InstallDir() + "\\vgmon.exe", printer_->MonitorArguments("31")));
  ASSERT_TRUE(vgtest::WaitUntil(
      [] {
        return FindMapWindow(MapNameSet::kMonitor, printer_->Name().c_str(), "", kMapKindStatus) !=
               nullptr;
      },
      kWaitMs))
      << "the pop-up program waits for the job";
  // The monitor has seen the job printing: only then does a ready printer end its watch.
  ASSERT_TRUE(vgtest::WaitUntil(
      [&] {
        for (const std::string& line : vgtest::LogLinesOf(log, monitor.Id(), 8, logStart)) {
          if (line.find("Returned from PrGetStatus : nRet : 1") != std::string::npos) return true;
        }
        return false;
      },
      kWaitMs));
  ASSERT_EQ(printer_->Ctl("reply", kPaperOut).exitCode, 0u);
  HWND window = nullptr;
  ASSERT_TRUE(vgtest::WaitUntil(
      [&] {
        window = FindMapWindow(MapNameSet::kPrinterLibrary, printer_->Name().c_str(), "",
                               kMapKindStatus);
        return window != nullptr && ::IsWindowVisible(window);
      },
      kWaitMs));
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  EXPECT_NE(owner, ::GetCurrentProcessId()) << "the pop-up program's window";
  EXPECT_EQ(WaitForStatus(window, kGermanPaperOutTitle), kGermanPaperOutText);
  EXPECT_EQ(ItemOf(window, IDC_STATUS_HELP), "&Hilfe");

  // Paper again, and the job is done: the window closes, the monitor ends.
  ASSERT_EQ(printer_->Ctl("reply", kReady).exitCode, 0u);
  EXPECT_TRUE(vgtest::WaitUntil([&] { return !::IsWindow(window); }, kWaitMs));
  if (monitor.Wait(kWaitMs) != 0) {
    std::string lines;
    for (const std::string& line : vgtest::LogLinesOf(log, monitor.Id(), 8, logStart)) {
      lines += line + "\n";
    }
    ADD_FAILURE() << "the monitor did not end by itself; its log:\n" << lines;
  }

  // Started without a printer, the program says how to use it.
  vgtest::ChildProcess program;
  ASSERT_TRUE(program.Start(printer_->InstallDir() + "\\vgpop.exe", ""));
  const vgtest::MessageBoxSeen box = vgtest::WaitForMessageBox(program.Id(), kWaitMs);
  EXPECT_TRUE(box.found);
  EXPECT_NE(box.text.find("Zeigt das Statusfenster eines Druckers"), std::string::npos)
      << box.text;
  EXPECT_EQ(program.Wait(kWaitMs), 2u);
}

// A German section whose resource library is missing is passed over for English (United
// States), with the English status lines.
TEST_F(GermanUser, WithoutTheGermanLibraryTheEnglishOneServes) {
  ASSERT_EQ(::GetUserDefaultLangID(), kGermanGermany) << StartedUnder("de_DE.UTF-8");
  const std::string profile = printer_->ProfilePath();
  ASSERT_TRUE(::WritePrivateProfileStringA("German", "ResDll", "vgres_missing.dll",
                                           profile.c_str()));
  ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, profile.c_str());
  EXPECT_EQ(Section(), "English");
  EXPECT_EQ(ResDll(), printer_->InstallDir() + "\\vgres.dll");

  ASSERT_EQ(printer_->Ctl("reply", kPaperOut).exitCode, 0u);
  auto view = OpenStatusWindow();
  ASSERT_NE(view, nullptr);
  HWND window = view->WaitForWindow(Title(), kWaitMs);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(WaitForStatus(window, "Paper out"),
            "The printer is out of paper. Load a new paper roll, then press the Feed button.");
  EXPECT_EQ(ItemOf(window, IDC_STATUS_HELP), "&Help");
  ::PostMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(view->Join(kWaitMs));

  ::WritePrivateProfileStringA("German", "ResDll", "vgres_de.dll", profile.c_str());
  ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, profile.c_str());
  EXPECT_EQ(Section(), "German");
}

// The installer speaks German too: its window, its pages and its question before it quits.
TEST_F(GermanUser, TheInstallerIsGerman) {
  ASSERT_EQ(::GetUserDefaultLangID(), kGermanGermany) << StartedUnder("de_DE.UTF-8");
  const InstallerTexts seen = WalkTheInstaller();
  EXPECT_EQ(seen.title, "Installation von KORVA Vigil 3");
  EXPECT_EQ(seen.next, "&Weiter >");
  EXPECT_TRUE(AnyContains(seen.welcome, "Dieses Programm installiert KORVA Vigil 3"));
  EXPECT_TRUE(AnyContains(seen.printerPage, "&Drucker: W\xE4hlen Sie einen Drucker"));
  EXPECT_TRUE(AnyContains(seen.printerPage, "Anschluss eines neuen Druckers"));
  EXPECT_NE(seen.question.find("abbrechen"), std::string::npos) << seen.question;
  EXPECT_NE(seen.exitCode, 0u) << "cancelled";
  EXPECT_FALSE(vgtest::KeyExists(
      HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KORVA Vigil 3"));
}

// --- German (Austria): no line names the Austrian sub-language; the German line serves.

using AustrianUser = LanguageTest;

TEST_F(AustrianUser, TheGermanLineOfThePrimaryLanguageServes) {
  ASSERT_EQ(::GetUserDefaultLangID(), kGermanAustria) << StartedUnder("de_AT.UTF-8");
  EXPECT_EQ(Section(), "German");
  EXPECT_EQ(ResDll(), printer_->InstallDir() + "\\vgres_de.dll");
  auto view = OpenStatusWindow();
  ASSERT_NE(view, nullptr);
  HWND window = view->WaitForWindow(Title(), kWaitMs);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(WaitForStatus(window, kGermanReady), kGermanReadyText);
  ::PostMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(view->Join(kWaitMs));
}

// --- French: the profile has no French line; the first English line serves.

using UnlistedLanguageUser = LanguageTest;

TEST_F(UnlistedLanguageUser, TheEnglishSectionAndWindowsServe) {
  ASSERT_EQ(::GetUserDefaultLangID(), kFrenchFrance) << StartedUnder("fr_FR.UTF-8");
  EXPECT_EQ(Section(), "English");
  EXPECT_EQ(ResDll(), printer_->InstallDir() + "\\vgres.dll");

  auto view = OpenStatusWindow();
  ASSERT_NE(view, nullptr);
  HWND window = view->WaitForWindow(Title(), kWaitMs);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(WaitForStatus(window, "Ready"), "The printer is ready to print.");
  const std::vector<std::string> aboutTexts = AboutBoxTexts(*view, window);
  ASSERT_FALSE(aboutTexts.empty());
  EXPECT_EQ(aboutTexts[0], "About KORVA Vigil 3");
  EXPECT_TRUE(Contains(aboutTexts, "Versions"));

  ASSERT_EQ(printer_->Ctl("reply", kPaperOut).exitCode, 0u);
  EXPECT_EQ(WaitForStatus(window, "Paper out"),
            "The printer is out of paper. Load a new paper roll, then press the Feed button.");
  ::PostMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(view->Join(kWaitMs));

  // So do the preferences.
  auto preferences = OpenPreferences();
  ASSERT_NE(preferences, nullptr);
  HWND dialog = preferences->WaitForWindow("Monitoring Preferences : " + printer_->Name(), kWaitMs);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(ItemOf(dialog, IDCANCEL), "Cancel");
  const std::vector<std::string> rows = NotifyRows(dialog);
  EXPECT_TRUE(AnyContains(rows, "The printer needs attention: ")) << rows.size();
  for (const std::string& row : rows) {
    EXPECT_TRUE(row.size() > 4 && (row.compare(row.size() - 4, 4, ": On") == 0 ||
                                   row.compare(row.size() - 5, 5, ": Off") == 0))
        << row;
  }
  ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(preferences->Join(kWaitMs));

  // The installer falls back to English.
  const InstallerTexts seen = WalkTheInstaller();
  EXPECT_EQ(seen.title, "KORVA Vigil 3 Setup");
  EXPECT_EQ(seen.next, "&Next >");
  EXPECT_TRUE(AnyContains(seen.printerPage, "&Printer: pick one of this computer's printers"));

  // The pop-up program's own message falls back to English too.
  vgtest::ChildProcess program;
  ASSERT_TRUE(program.Start(printer_->InstallDir() + "\\vgpop.exe", ""));
  const vgtest::MessageBoxSeen box = vgtest::WaitForMessageBox(program.Id(), kWaitMs);
  EXPECT_NE(box.text.find("Shows the status window of a printer"), std::string::npos) << box.text;
  EXPECT_EQ(program.Wait(kWaitMs), 2u);
}

}  // namespace
