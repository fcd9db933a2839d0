// The network agent settings: which agent applies and what it allows, the start of the agent
// settings program before and from Vista on (the latter through the shell's elevation, which
// Wine grants), the wait dialog and the set-up program that answers it. The maker's programs
// are the stand-ins of tools/qvsim, which record how they were started.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "common/debug_log_win.h"
#include "common/res_message_win.h"
#include "common/text_util.h"
#include "common/unique_handle.h"
#include "resources/vgres_ids.h"
#include "support/process_output.h"
#include "support/scoped_registry_value.h"
#include "support/test_model.h"
#include "support/win_test_support.h"
#include "ui/agent_rules.h"
#include "ui/agent_settings_win.h"
#include "ui/dialog_driver.h"
#include "ui/standin_programs.h"
#include "ui/ui_test_library.h"
#include "ui/wait_dlg_win.h"

// After the project's Windows header, which it needs.
#include <shellapi.h>

namespace {

using vgtest::DialogThread;

constexpr char kSecondAgentKey[] = "software\\KORVA\\QVPrinter\\SAgent2";
constexpr char kServiceAgentKey[] = "SYSTEM\\CurrentControlSet\\services\\ZRAgent";
constexpr char kLibraryKey[] = "Software\\Korva\\eQVAPI";
constexpr char kIpxKey[] = "Enum\\Network\\NWLINK";
constexpr char kQvapiInfoKey[] = "Software\\KORVA\\QVAPIInfo";
constexpr char kSetupProgram[] = "qvapiset.exe";
constexpr char kWaitTitle[] = "Monitoring Preferences";

// A key of the local machine that the test makes and removes; it must not exist before.
class ScopedKey {
 public:
  explicit ScopedKey(std::string path) : path_(std::move(path)) {
    existed_ = vgtest::KeyExists(HKEY_LOCAL_MACHINE, path_);
  }
  ~ScopedKey() { Remove(); }
  ScopedKey(const ScopedKey&) = delete;
  ScopedKey& operator=(const ScopedKey&) = delete;
  bool ExistedBefore() const { return existed_; }
  void Create() {
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                          &key, nullptr) == ERROR_SUCCESS) {
      ::RegCloseKey(key);
    }
  }
  void Remove() {
    if (!existed_) vgtest::DeleteKeyTree(HKEY_LOCAL_MACHINE, path_);
  }

 private:
  std::string path_;
  bool existed_ = false;
};

// Counts the dialogs made on the current thread while it lives.
class DialogCounter {
 public:
  DialogCounter() {
    count_ = 0;
    hook_ = ::SetWindowsHookExA(WH_CBT, &Hook, nullptr, ::GetCurrentThreadId());
  }
  ~DialogCounter() { ::UnhookWindowsHookEx(hook_); }
  DialogCounter(const DialogCounter&) = delete;
  DialogCounter& operator=(const DialogCounter&) = delete;
  int Count() const { return count_; }

 private:
  static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
      const auto* create = reinterpret_cast<const CBT_CREATEWNDA*>(lParam);
      if (create->lpcs != nullptr && create->lpcs->lpszClass == MAKEINTATOM(32770)) ++count_;
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
  }
  static thread_local int count_;
  HHOOK hook_ = nullptr;
};
thread_local int DialogCounter::count_ = 0;

// A hidden window that stands for the preferences dialog.
class HiddenOwner {
 public:
  HiddenOwner()
      : window_(::CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  nullptr, nullptr)) {}
  ~HiddenOwner() { ::DestroyWindow(window_); }
  HiddenOwner(const HiddenOwner&) = delete;
  HiddenOwner& operator=(const HiddenOwner&) = delete;
  HWND Get() const { return window_; }

 private:
  HWND window_;
};

std::string Hex(HWND window) {
  char text[16];
  std::snprintf(text, sizeof text, "%x", static_cast<unsigned>(reinterpret_cast<UINT_PTR>(window)));
  return text;
}

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

std::string Lower(std::string text) {
  for (char& c : text) c = vgtext::ToLower(c);
  return text;
}

std::string ResourceString(UINT id) {
  ScopedModule library(::LoadLibraryA((vgtest::BinDir() + "\\vgres.dll").c_str()));
  char text[1024] = {};
  ::LoadStringA(library.Get(), id, text, sizeof text);
  return text;
}

TEST(AgentKind, FollowsTheLibraryThatTheDriverNames) {
  vgtest::TestModel model;
  const std::string driverKey = "software\\KORVA\\VGL3\\Driver\\" + model.Driver();
  EXPECT_EQ(GetAgentKind(model.Driver().c_str()), 1) << "no \"QVAPI32\" value";
  vgtest::SetString(HKEY_LOCAL_MACHINE, driverKey, "QVAPI32", "qvapi2.dll");
  EXPECT_EQ(GetAgentKind(model.Driver().c_str()), 2) << "the library's name in lower case";
  vgtest::SetString(HKEY_LOCAL_MACHINE, driverKey, "QVAPI32", "QVAPI.DLL");
  EXPECT_EQ(GetAgentKind(model.Driver().c_str()), 1);
  EXPECT_EQ(GetAgentKind(vgtest::UniqueName("no such driver").c_str()), 1);
  EXPECT_EQ(GetAgentKind(""), 1);
  EXPECT_EQ(GetAgentKind(nullptr), 1);
}

TEST(AgentAllowed, SecondAgentAllowsOnlyWithItsValue) {
  vgtest::ScopedRegistryValue allow(HKEY_LOCAL_MACHINE, kSecondAgentKey, "AllowMonitoring");
  allow.Remove();
  EXPECT_EQ(IsAgentAllowed(2), 0);
  allow.SetString("");
  allow.Remove();
  ASSERT_TRUE(vgtest::KeyExists(HKEY_LOCAL_MACHINE, kSecondAgentKey));
  EXPECT_EQ(IsAgentAllowed(2), 0) << "the key without the value is no permission";
  vgtest::SetDword(HKEY_LOCAL_MACHINE, kSecondAgentKey, "AllowMonitoring", 1);
  EXPECT_EQ(IsAgentAllowed(2), 1);
  vgtest::SetDword(HKEY_LOCAL_MACHINE, kSecondAgentKey, "AllowMonitoring", 0xFFFFFFFF);
  EXPECT_EQ(IsAgentAllowed(2), 1) << "any value but 0 allows";
  vgtest::SetDword(HKEY_LOCAL_MACHINE, kSecondAgentKey, "AllowMonitoring", 0);
  EXPECT_EQ(IsAgentAllowed(2), 0);
}

TEST(AgentAllowed, FirstAgentFollowsItsServiceKey) {
  ScopedKey service(kServiceAgentKey);
  ASSERT_FALSE(service.ExistedBefore()) << "this machine has the agent's service";
  EXPECT_EQ(IsAgentAllowed(1), 0);
  service.Create();
  EXPECT_EQ(IsAgentAllowed(1), 1);
  EXPECT_EQ(IsAgentAllowed(3), 0) << "no other kind of agent";
  service.Remove();
  EXPECT_EQ(IsAgentAllowed(1), 0);
}

TEST(AgentAllowed, LegacyNetworkOnlyWithIpxAndWithoutTheLibrary) {
  ScopedKey ipx(kIpxKey);
  ScopedKey library(kLibraryKey);
  ASSERT_FALSE(ipx.ExistedBefore());
  ASSERT_FALSE(library.ExistedBefore());
  EXPECT_EQ(IsLegacyNetworkOnly(1), 0) << "no IPX/SPX";
  ipx.Create();
  EXPECT_EQ(IsLegacyNetworkOnly(1), 1);
  EXPECT_EQ(IsLegacyNetworkOnly(2), 0) << "the second agent is never legacy";
  library.Create();
  EXPECT_EQ(IsLegacyNetworkOnly(1), 0) << "the library is installed";
}

TEST(AgentAllowed, VistaIsAskedOfTheSystem) {
  struct Case {
    const char* version;
    const char* answer;
  };
  for (const Case& c : {Case{"win98", "vista=0"}, Case{"nt40", "vista=0"}, Case{"winxp", "vista=0"},
                        Case{"vista", "vista=1"}, Case{"win7", "vista=1"}}) {
    vgtest::SetProgramWindowsVersion("vgagentprobe.exe", c.version);
    const vgtest::CapturedRun run = vgtest::RunCaptured("vgagentprobe.exe", "version");
    EXPECT_NE(run.output.find(c.answer), std::string::npos) << c.version << ": " << run.output;
  }
  vgtest::SetProgramWindowsVersion("vgagentprobe.exe", "");
}

TEST(ResMessage, BoxWithTheLibrarysTitleAndText) {
  vgtest::ScopedResourceLibrary library("vgres.dll");
  EXPECT_EQ(ShowResMessage(nullptr, nullptr, IDS_AGENT_LEGACY_NETWORK), 0);
  EXPECT_EQ(ShowResMessage(nullptr, library.Get(), 0), 0);
  EXPECT_EQ(ShowResMessage(nullptr, library.Get(), 4321), 0) << "no such string";

  DialogThread thread(
      [&] { return ShowResMessage(nullptr, library.Get(), IDS_AGENT_LEGACY_NETWORK); });
  HWND box = thread.WaitForWindow("KORVA Vigil 3");
  ASSERT_NE(box, nullptr) << "titled by string 1100";
  char text[1024] = {};
  ASSERT_TRUE(
      vgtest::WaitUntil([&] { return ::GetDlgItemTextA(box, 0xFFFF, text, sizeof text) > 0; }));
  char expected[1024] = {};
  ::LoadStringA(library.Get(), IDS_AGENT_LEGACY_NETWORK, expected, sizeof expected);
  EXPECT_STREQ(text, expected);
  vgtest::PressButton(box, IDOK);
  ASSERT_TRUE(thread.Join());
  EXPECT_EQ(thread.Result(), 1);
}

// The wait dialog, recording the commands it was given.
class RecordingWait : public CWaitDlg {
 public:
  explicit RecordingWait(const std::string& library) : CWaitDlg(library.c_str(), nullptr) {}
  int OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override {
    const int result = CWaitDlg::OnMessage(hwnd, message, wParam, lParam);
    if (message == WM_COMMAND) ++commands;
    return result;
  }
  std::atomic<int> commands{0};
};

class WaitDialogTest : public ::testing::Test {
 protected:
  std::string Library() const { return vgtest::BinDir() + "\\vgres.dll"; }
};

TEST_F(WaitDialogTest, ShowsItsTextAndOnlyTheSetupProgramClosesIt) {
  RecordingWait wait(Library());
  ASSERT_TRUE(wait.IsLoaded());
  DialogThread thread([&] { return wait.DoModal(7); });
  HWND window = thread.WaitForWindow(kWaitTitle);
  ASSERT_NE(window, nullptr) << "titled by string 1360";
  EXPECT_EQ(vgtest::ItemText(window, IDC_WAIT_TEXT), ResourceString(IDS_AGENT_WAIT));
  EXPECT_EQ(::GetWindowLongA(window, GWL_STYLE) & WS_MINIMIZEBOX, 0);
  HMENU system = ::GetSystemMenu(window, FALSE);
  EXPECT_NE(::GetMenuState(system, SC_CLOSE, MF_BYCOMMAND) & MF_GRAYED, 0u);
  EXPECT_NE(::GetMenuState(system, SC_MINIMIZE, MF_BYCOMMAND) & MF_GRAYED, 0u);

  // Escape and Enter reach it as commands and leave it open.
  ::PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
  ::PostMessageA(window, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(vgtest::WaitUntil([&] { return wait.commands == 2; }));
  EXPECT_TRUE(::IsWindow(window));
  EXPECT_FALSE(thread.Done());

  ::PostMessageA(window, vgagent::kSetupDoneMessage, 0, 0);
  ASSERT_TRUE(thread.Join(5000)) << "the set-up program's answer closes it at once";
  EXPECT_EQ(thread.Result(), 0) << "DoModal answers its result field";
  EXPECT_EQ(wait.Value(), 7);
  EXPECT_EQ(wait.RunningTimer(), 0u);
}

TEST_F(WaitDialogTest, ClosesByItselfAfterAboutTenSeconds) {
  CWaitDlg wait(Library().c_str(), nullptr);
  const DWORD start = ::GetTickCount();
  DialogThread thread([&] { return wait.DoModal(0); });
  ASSERT_NE(thread.WaitForWindow(kWaitTitle), nullptr);
  ASSERT_TRUE(vgtest::WaitUntil([&] { return wait.RunningTimer() == CWaitDlg::kWaitTimer; }))
      << "the short first timer hands over to the long one";
  ASSERT_TRUE(thread.Join(30000));
  const DWORD elapsed = ::GetTickCount() - start;
  EXPECT_GE(elapsed, CWaitDlg::kStartMs + CWaitDlg::kWaitMs - 50);
  EXPECT_LT(elapsed, 25000u);
}

TEST_F(WaitDialogTest, WithoutItsLibraryOrTemplateNothingShows) {
  DialogCounter dialogs;
  CWaitDlg none(nullptr, nullptr);
  EXPECT_FALSE(none.IsLoaded());
  EXPECT_EQ(none.DoModal(1), 0);
  CWaitDlg missing((vgtest::BinDir() + "\\no-such-library.dll").c_str(), nullptr);
  EXPECT_EQ(missing.DoModal(1), 0);
  CWaitDlg withoutTemplate((vgtest::BinDir() + "\\vgplanted.dll").c_str(), nullptr);
  EXPECT_TRUE(withoutTemplate.IsLoaded());
  EXPECT_EQ(withoutTemplate.DoModal(1), 0);
  EXPECT_EQ(dialogs.Count(), 0);
}

// The set-up program of the bidirectional library, installed where "InstallDir" says.
class SetupProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(vgtest::ForgetStarts(kSetupProgram));
    dir_ = vgtest::MakeTempDir("qvapi");
    ASSERT_TRUE(
        ::CopyFileA((vgtest::BinDir() + "\\qvapiset.exe").c_str(), Program().c_str(), FALSE));
    installDir_.SetString(dir_);
  }
  void TearDown() override {
    vgtest::ForgetStarts(kSetupProgram);
    // The stand-in may still be ending.
    vgtest::WaitUntil([&] { return ::DeleteFileA(Program().c_str()) != FALSE; }, 5000);
    vgtest::RemoveTree(dir_);
  }
  std::string Program() const { return dir_ + "\\" + kSetupProgram; }

  vgtest::ScopedRegistryValue installDir_{HKEY_LOCAL_MACHINE, kQvapiInfoKey, "InstallDir"};
  std::string dir_;
};

TEST_F(SetupProgramTest, WithoutInstallDirNothingStarts) {
  VgTraceEnable(true);
  const std::string logPath = VgLogPath();
  const size_t offset = vgtest::FileSize(logPath);
  installDir_.Remove();
  CWaitDlg(nullptr, nullptr).SetSAgent(1);
  installDir_.SetString("");
  CWaitDlg(nullptr, nullptr).SetSAgent(1);
  bool entered = false;
  for (const std::string& line : vgtest::LogLinesOf(logPath, ::GetCurrentProcessId(), 4, offset)) {
    entered = entered || line.find("CWaitDlg::SetSAgent") != std::string::npos;
    EXPECT_EQ(line.find("szQvapiPath"), std::string::npos) << line;
    EXPECT_EQ(line.find("szCmdLine"), std::string::npos) << line;
  }
  EXPECT_TRUE(entered);
  VgTraceEnable(false);

  // With the folder set, the same call starts the program (and only this one was started).
  installDir_.SetString(dir_ + "\\");
  CWaitDlg(nullptr, nullptr).SetSAgent(0);
  const auto starts = vgtest::WaitForStarts(kSetupProgram, 1);
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_TRUE(EndsWith(starts[0].commandLine, "/Act=Ch /QVP=A:NC /Ret=WM:0;40a  /Agt=Off"))
      << starts[0].commandLine;
  EXPECT_EQ(Lower(starts[0].module), Lower(Program()));
}

TEST_F(SetupProgramTest, WaitDialogClosesWhenTheSetupProgramAnswers) {
  ASSERT_TRUE(vgtest::SetAnswerDelay(kSetupProgram, "300"));
  CWaitDlg wait((vgtest::BinDir() + "\\vgres.dll").c_str(), nullptr);
  DialogThread thread([&] { return wait.DoModal(1); });
  HWND window = thread.WaitForWindow(kWaitTitle);
  ASSERT_NE(window, nullptr);
  const DWORD start = ::GetTickCount();
  wait.SetSAgent(1);
  ASSERT_TRUE(thread.Join(CWaitDlg::kWaitMs - 2000))
      << "closed by the answer, well before the wait dialog's own time";
  EXPECT_LT(::GetTickCount() - start, CWaitDlg::kWaitMs - 2000);
  const auto starts = vgtest::StartsOf(kSetupProgram);
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_TRUE(EndsWith(starts[0].commandLine,
                       " /Act=Ch /QVP=A:NC /Ret=WM:" + Hex(window) + ";40a  /Agt=On"))
      << starts[0].commandLine;
}

TEST_F(SetupProgramTest, BeforeVistaTheWholeCommandLineIsThePartsOwn) {
  vgtest::SetProgramWindowsVersion("vgagentprobe.exe", "winxp");
  const vgtest::ProcessResult run = vgtest::RunProgram("vgagentprobe.exe", "setsagent 1");
  vgtest::SetProgramWindowsVersion("vgagentprobe.exe", "");
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 0u);
  const auto starts = vgtest::WaitForStarts(kSetupProgram, 1);
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(starts[0].commandLine, Program() + " /Act=Ch /QVP=A:NC /Ret=WM:0;40a  /Agt=On");
}

// The agent settings program of the Driver key's "VG_RCV": a stand-in under a name of its own.
class AgentProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    name_ = Lower(vgtest::UniqueName("agent")) + ".exe";
    program_ = model_.Install("vgagent.exe", name_);
    vgtest::SetString(HKEY_LOCAL_MACHINE, "software\\KORVA\\VGL3\\Driver\\" + model_.Driver(),
                      "VG_RCV", program_);
  }
  void TearDown() override {
    vgtest::ForgetStarts(name_);
    if (!elevatedCopy_.empty()) {
      vgtest::WaitUntil([&] { return ::DeleteFileA(elevatedCopy_.c_str()) != FALSE; }, 5000);
    }
    vgtest::SetProgramWindowsVersion("vgagentprobe.exe", "");
  }
  // Runs SetQOLTAgent2 in the probe under a Windows version. With `answer`, the test answers
  // the wait dialog as soon as it shows, as the set-up program would. The probe's exit code
  // is 10 + the wait dialogs it showed.
  DWORD RunProbe(const char* version, int n, bool answer, HWND* waitDialog = nullptr) {
    vgtest::SetProgramWindowsVersion("vgagentprobe.exe", version);
    vgtest::ChildProcess probe;
    const std::string arguments =
        "qolt " + vgtest::QuoteArgument(model_.Driver()) + " " + vgtest::QuoteArgument(printer_) +
        " " + vgtest::QuoteArgument(vgtest::BinDir() + "\\vgres.dll") + " " + std::to_string(n);
    if (!probe.Start("vgagentprobe.exe", arguments)) return 0;
    if (answer) {
      HWND wait = vgtest::FindProcessWindow(probe.Id(), "#32770", vgtest::kDialogWaitMs);
      if (waitDialog != nullptr) *waitDialog = wait;
      if (wait != nullptr) {
        vgtest::WaitUntil([&] { return vgtest::WindowText(wait) == kWaitTitle; });
        title_ = vgtest::WindowText(wait);
        ::PostMessageA(wait, vgagent::kSetupDoneMessage, 0, 0);
      }
    }
    const DWORD code = probe.Wait(30000);
    if (code == STILL_ACTIVE) probe.Kill();
    return code;
  }
  std::string CommonAppData() const {
    char folder[MAX_PATH] = {};
    ::GetEnvironmentVariableA("ProgramData", folder, sizeof folder);
    return folder;
  }

  vgtest::TestModel model_;
  std::string printer_ = "VP-100 at the desk";
  std::string name_;
  std::string program_;
  std::string elevatedCopy_;
  std::string title_;
};

TEST_F(AgentProgramTest, BeforeVistaItStartsWithThePartsCommandLine) {
  EXPECT_EQ(RunProbe("winxp", 1, true), 11u) << "one wait dialog while it works";
  EXPECT_EQ(title_, kWaitTitle);
  const auto starts = vgtest::WaitForStarts(name_, 1);
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(starts[0].commandLine,
            program_ + " /agnt /drv:\"" + model_.Driver() + "\" /p:\"" + printer_ + "\" /im:1");
  EXPECT_EQ(Lower(starts[0].module), Lower(program_)) << "the program itself, not a copy";
}

TEST_F(AgentProgramTest, FromVistaOnACopyStartsElevated) {
  const std::string folder = CommonAppData();
  ASSERT_FALSE(folder.empty());
  elevatedCopy_ = folder + "\\KORVA\\" + name_;
  EXPECT_EQ(RunProbe("vista", 0, true), 11u);
  const auto starts = vgtest::WaitForStarts(name_, 1);
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(Lower(starts[0].module), Lower(elevatedCopy_))
      << "the copy in the common application-data folder runs";
  EXPECT_TRUE(EndsWith(starts[0].commandLine,
                       " /agnt /drv:\"" + model_.Driver() + "\" /p:\"" + printer_ + "\" /im:0"))
      << starts[0].commandLine;
  EXPECT_TRUE(vgtest::FileExists(elevatedCopy_));
}

// The elevation prompt answers through the test: a refusal (what the shell answers when the
// user declines), a success that leaves "cancelled" behind, and a plain success.
struct ElevationCall {
  HWND owner = nullptr;
  std::string program;
  std::string parameters;
};
std::vector<ElevationCall> g_elevations;
INT_PTR g_elevationResult = 0;
DWORD g_elevationError = 0;

INT_PTR AnswerElevation(HWND owner, const char* program, const char* parameters, DWORD* lastError) {
  g_elevations.push_back({owner, program, parameters});
  *lastError = g_elevationError;
  return g_elevationResult;
}

class ElevationPrompt {
 public:
  ElevationPrompt(INT_PTR result, DWORD error) {
    g_elevations.clear();
    g_elevationResult = result;
    g_elevationError = error;
    vgagent::SetElevatedStarter(&AnswerElevation);
  }
  ~ElevationPrompt() { vgagent::SetElevatedStarter(nullptr); }
};

TEST_F(AgentProgramTest, ARefusedElevationShowsNoWaitDialog) {
  ASSERT_EQ(IsVistaOrLater(), 1) << "the test prefix reports a version from Vista on";
  elevatedCopy_ = CommonAppData() + "\\KORVA\\" + name_;
  HiddenOwner owner;
  AgentDialogInfo dialog;
  dialog.driverName = model_.Driver().c_str();
  dialog.printerName = printer_.c_str();
  dialog.dialog = owner.Get();
  const std::string library = vgtest::BinDir() + "\\vgres.dll";
  dialog.resourceLibrary = library.c_str();
  {
    DialogCounter dialogs;
    ElevationPrompt refused(SE_ERR_ACCESSDENIED, ERROR_CANCELLED);
    SetQOLTAgent2(dialog, 1);
    EXPECT_EQ(dialogs.Count(), 0);
    ASSERT_EQ(g_elevations.size(), 1u);
    EXPECT_EQ(g_elevations[0].owner, owner.Get()) << "the prompt belongs to the dialog";
    EXPECT_EQ(Lower(g_elevations[0].program), Lower(elevatedCopy_));
    EXPECT_EQ(g_elevations[0].parameters,
              "/agnt /drv:\"" + model_.Driver() + "\" /p:\"" + printer_ + "\" /im:1");
    EXPECT_TRUE(vgtest::FileExists(elevatedCopy_)) << "the copy is made before the prompt";
  }
  {
    DialogCounter dialogs;
    ElevationPrompt startedButCancelled(42, ERROR_CANCELLED);
    SetQOLTAgent2(dialog, 1);
    EXPECT_EQ(dialogs.Count(), 0);
  }
  {
    // The wait dialog runs on a thread of its own here: no owner on this thread.
    dialog.dialog = nullptr;
    ElevationPrompt granted(42, ERROR_SUCCESS);
    DialogThread thread([&] {
      SetQOLTAgent2(dialog, 0);
      return 0;
    });
    HWND wait = thread.WaitForWindow(kWaitTitle);
    ASSERT_NE(wait, nullptr) << "a granted elevation shows the wait dialog";
    ::PostMessageA(wait, vgagent::kSetupDoneMessage, 0, 0);
    EXPECT_TRUE(thread.Join());
  }
}

TEST_F(AgentProgramTest, NothingStartsWithoutProgramOrNames) {
  DialogCounter dialogs;
  AgentDialogInfo dialog;
  dialog.driverName = model_.Driver().c_str();
  dialog.printerName = "";
  const std::string library = vgtest::BinDir() + "\\vgres.dll";
  dialog.resourceLibrary = library.c_str();
  SetQOLTAgent2(dialog, 1);
  dialog.printerName = printer_.c_str();
  dialog.driverName = nullptr;
  SetQOLTAgent2(dialog, 1);
  vgtest::TestModel withoutProgram;
  dialog.driverName = withoutProgram.Driver().c_str();
  SetQOLTAgent2(dialog, 1);
  EXPECT_EQ(dialogs.Count(), 0);

  // A printer name with a double quote would bring its own options along.
  const std::string smuggling = "P\" /im:0 \"";
  dialog.driverName = model_.Driver().c_str();
  dialog.printerName = smuggling.c_str();
  SetQOLTAgent2(dialog, 1);
  EXPECT_EQ(dialogs.Count(), 0);
  EXPECT_TRUE(vgtest::StartsOf(name_).empty());
}

}  // namespace
