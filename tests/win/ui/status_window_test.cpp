// The status window through its export, as the pop-up program calls it: PrStartView on a
// thread of its own for a printer installed by vgsetup and driven by qvsimctl, with no monitor
// running (the window's worker reads the printer every second). The test reads the window's
// title, texts and help button, its place, the registry and the library's debug log, and
// presses buttons by message.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/debug_log_win.h"
#include "common/map_records_win.h"
#include "common/registry_win.h"
#include "common/target_keys_win.h"
#include "common/unique_handle.h"
#include "common/vgprn_exports.h"
#include "common/window_messages.h"
#include "printer/vgprn_app_win.h"
#include "resources/vgres_ids.h"
#include "support/installed_printer.h"
#include "support/scoped_registry_value.h"
#include "support/win_test_support.h"
#include "ui/dialog_driver.h"

namespace {

using vgtest::DialogThread;
using vgtest::InstalledPrinter;

constexpr char kPaperOut[] = "\"@BDC ST\\r\\nST:00;ER:06;\\f\"";
constexpr char kPaperOutBytes[] = "@BDC ST\r\nST:00;ER:06;\f";
constexpr char kCutterError[] = "\"@BDC ST\\r\\nST:00;ER:0F;\\f\"";
constexpr char kReady[] = "\"@BDC ST\\r\\nST:04;\\f\"";
constexpr char kInkLow[] = "\"@BDC ST\\r\\nST:04;WR:10;\\f\"";
// The model's own texts of its paper-out status (its profile's status line).
constexpr char kPaperOutTitle[] = "Paper out";
constexpr char kPaperOutText[] =
    "The printer is out of paper. Load a new paper roll, then press the Feed button.";
constexpr char kInkLowTitle[] = "Ink low";
constexpr DWORD kWaitMs = 20000;

// A visible window of the thread with the class and not the one given.
struct ThreadWindowSearch {
  HWND except = nullptr;
  HWND found = nullptr;
};

bool IsVisibleDialog(HWND window) {
  char name[32] = {};
  ::GetClassNameA(window, name, sizeof name);
  return ::IsWindowVisible(window) && std::string(name) == "#32770";
}

BOOL CALLBACK FindBox(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<ThreadWindowSearch*>(param);
  if (window == search->except || !IsVisibleDialog(window) ||
      ::GetDlgItem(window, 0xFFFF) == nullptr) {
    return TRUE;
  }
  search->found = window;
  return FALSE;
}

BOOL CALLBACK FindOtherDialog(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<ThreadWindowSearch*>(param);
  if (window == search->except || !IsVisibleDialog(window)) return TRUE;
  search->found = window;
  return FALSE;
}

// Another visible dialog of the thread than the one given, or null.
HWND OtherDialogOf(DWORD threadId, HWND except) {
  ThreadWindowSearch search;
  search.except = except;
  ::EnumThreadWindows(threadId, &FindOtherDialog, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// A message box of the thread: its text, after which it is closed.
std::string TakeMessageBox(DWORD threadId, HWND except = nullptr, DWORD timeoutMs = kWaitMs) {
  ThreadWindowSearch search;
  search.except = except;
  if (!vgtest::WaitUntil(
          [&] {
            search.found = nullptr;
            ::EnumThreadWindows(threadId, &FindBox, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr &&
                   ::GetWindowTextLengthA(::GetDlgItem(search.found, 0xFFFF)) > 0;
          },
          timeoutMs)) {
    return "(no message box)";
  }
  const std::string text = vgtest::ItemText(search.found, 0xFFFF);
  ::PostMessageA(search.found, WM_COMMAND, IDOK, 0);
  vgtest::WaitUntil([&] { return !::IsWindow(search.found); });
  return text;
}

class StatusWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // Without a monitor the window reads the printer itself, every second.
    printer_ = new InstalledPrinter("Status Window", {{"Install", "LocalMonitoringTimer", "1"}});
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
    ASSERT_EQ(printer_->Ctl("reply", kPaperOut).exitCode, 0u);
    resources_.Reset(::LoadLibraryA((printer_->InstallDir() + "\\vgres.dll").c_str()));
    ASSERT_TRUE(resources_.IsValid());
    // The printer's settings key with the model's defaults, as the window's entry makes it.
    char path[kTargetKeyPathSize] = {};
    int kind = -1;
    TheApp().BaseInfo().Set(Name(), printer_->Driver().c_str(), Port(), Model(), Profile().c_str(),
                            ResDll().c_str());
    ASSERT_EQ(CheckTargetRegKey(Name(), Port(), Model(), &kind, path), 0);
    keyPath_ = path;
    Registry key(HKEY_CURRENT_USER, keyPath_.c_str(), false, KEY_ALL_ACCESS);
    for (const char* value : {"PopupPOSX", "PopupPOSY", "Status", "Channel", "SoundNotifyEnable",
                              "BeepBuzzerEnable", "LoopBuzzer"}) {
      key.DeleteValue(value);
    }
    // What a monitor leaves before it asks for the pop-up: the paper-out reply, fresh.
    StoreReply(kPaperOutBytes);
    VgTraceEnable(true);
    logOffset_ = vgtest::FileSize(VgLogPath());
  }
  void TearDown() override {
    VgTraceEnable(false);
    ::WritePrivateProfileStringA(Model(), "EnableGetStatusErr", "0", Profile().c_str());
    ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, Profile().c_str());
  }

  static const char* Name() { return printer_->Name().c_str(); }
  static const char* Port() { return printer_->Port().c_str(); }
  static const char* Model() { return printer_->Model().c_str(); }
  static std::string Profile() { return printer_->ProfilePath(); }
  static std::string ResDll() { return printer_->InstallDir() + "\\vgres.dll"; }
  static std::string Title() { return std::string("KORVA Vigil 3 : ") + printer_->Name(); }
  static std::string DriverKey() { return "software\\KORVA\\VGL3\\Driver\\" + printer_->Driver(); }

  void StoreReply(const std::string& reply) const {
    Registry key(HKEY_CURRENT_USER, keyPath_.c_str(), false, KEY_ALL_ACCESS);
    key.SetBinary("Status", reply.data(), static_cast<DWORD>(reply.size()));
    key.SetDWord("Channel", 0x10000005);
    key.SetDWord("ComStatus", 1);
  }
  void SetTarget(const char* name, DWORD value) const {
    vgtest::SetDword(HKEY_CURRENT_USER, keyPath_, name, value);
  }
  DWORD Target(const char* name) const {
    return vgtest::GetDword(HKEY_CURRENT_USER, keyPath_, name, 0xDEAD);
  }
  std::string String(UINT id) const {
    char text[1024] = {};
    ::LoadStringA(resources_.Get(), id, text, sizeof text);
    return text;
  }

  // PrStartView on a thread of its own.
  std::unique_ptr<DialogThread> Start(int viewType, const char* printer = nullptr,
                                      const char* driver = nullptr) const {
    const std::string name = printer != nullptr ? printer : printer_->Name();
    const std::string driverName = driver != nullptr ? driver : printer_->Driver();
    return std::make_unique<DialogThread>([=] {
      return PrStartView(viewType, name.c_str(), driverName.c_str(), Port(), Model(),
                         Profile().c_str(), ResDll().c_str());
    });
  }

  // The lines this process appended to the library's log since the test began, with text.
  int LogCount(const std::string& text) const {
    int count = 0;
    for (const std::string& line :
         vgtest::LogLinesOf(VgLogPath(), ::GetCurrentProcessId(), 4, logOffset_)) {
      count += line.find(text) != std::string::npos;
    }
    return count;
  }
  // Waits until the window has handled `more` further status results of the worker.
  bool WaitForResults(int more, const char* result = "iStatusResult = 1") const {
    const std::string line = std::string("CallReason = 4, ") + result;
    const int target = LogCount(line) + more;
    return vgtest::WaitUntil([&] { return LogCount(line) >= target; }, kWaitMs);
  }

  static InstalledPrinter* printer_;
  ScopedModule resources_;
  std::string keyPath_;
  size_t logOffset_ = 0;
};

InstalledPrinter* StatusWindowTest::printer_ = nullptr;

std::string Message(HWND window) { return vgtest::ItemText(window, IDC_STATUS_MESSAGE); }
std::string Line(HWND window) { return vgtest::ItemText(window, IDC_STATUS_LINE); }

TEST_F(StatusWindowTest, PopupShowsTheStoredStatusAndFollowsThePrinter) {
  auto view = Start(1);
  HWND window = view->WaitForWindow(Title());
  ASSERT_NE(window, nullptr);
  // At once, before the worker's first pass: what the monitor left.
  EXPECT_EQ(Message(window), kPaperOutTitle);
  EXPECT_EQ(Line(window), kPaperOutText);
  EXPECT_TRUE(vgtest::ItemVisible(window, IDC_STATUS_HELP)) << "the paper walk-through";
  EXPECT_EQ(FindMapWindow(MapNameSet::kPrinterLibrary, Name(), Port(), kMapKindStatus), window)
      << "registered for the printer";
  EXPECT_EQ(LogCount("First dialog type : Popup"), 1);
  // The about box's item sits in the system menu, which offers neither size nor maximise.
  HMENU menu = ::GetSystemMenu(window, FALSE);
  char about[128] = {};
  ::GetMenuStringA(menu, 0x390, about, sizeof about, MF_BYCOMMAND);
  EXPECT_EQ(std::string(about), String(IDS_MENU_ABOUT));
  EXPECT_EQ(::GetMenuState(menu, SC_SIZE, MF_BYCOMMAND), static_cast<UINT>(-1));
  EXPECT_EQ(::GetMenuState(menu, SC_MAXIMIZE, MF_BYCOMMAND), static_cast<UINT>(-1));
  EXPECT_NE(::SendMessageA(window, WM_GETICON, ICON_SMALL, 0), 0);
  EXPECT_EQ(Target("Timer"), 1u) << "the local interval of the Driver key";

  // The paper cutter stops: another status that the user is told about.
  ASSERT_EQ(printer_->Ctl("reply", kCutterError).exitCode, 0u);
  ASSERT_TRUE(vgtest::WaitUntil([&] { return Message(window) == "Cutter error"; }, kWaitMs));
  EXPECT_TRUE(::IsWindowVisible(window));

  // Ready is a status the user is not told about: the pop-up closes by itself.
  ASSERT_EQ(printer_->Ctl("reply", kReady).exitCode, 0u);
  ASSERT_TRUE(view->Join(kWaitMs)) << "the pop-up stayed";
  EXPECT_EQ(view->Result(), 0);
  EXPECT_EQ(LogCount("CDetail::UpdateStatus : close dialog"), 1);
  EXPECT_EQ(FindMapWindow(MapNameSet::kPrinterLibrary, Name(), Port(), kMapKindStatus), nullptr)
      << "unregistered";
  EXPECT_EQ(TheApp().ResourceModule(), nullptr) << "the entry freed what it loaded";
}

TEST_F(StatusWindowTest, DetailWindowStaysOnAQuietStatusAndClosesByOk) {
  ASSERT_EQ(printer_->Ctl("reply", kReady).exitCode, 0u);
  auto view = Start(2);
  HWND window = view->WaitForWindow(Title());
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(LogCount("First dialog type : Detail"), 1);
  // First the search status, then the printer's own.
  ASSERT_TRUE(
      vgtest::WaitUntil([&] { return Message(window) == String(IDS_STATUS_READY); }, kWaitMs));
  EXPECT_EQ(Line(window), String(IDS_STATUS_READY_TEXT));
  ASSERT_TRUE(WaitForResults(2));
  EXPECT_TRUE(::IsWindow(window)) << "a detail window stays on a quiet status";

  vgtest::PressButton(window, IDOK);
  ASSERT_TRUE(view->Join());
  EXPECT_EQ(view->Result(), 0);
  EXPECT_EQ(LogCount("Detail.DoModal() : End"), 1);
}

// Any program may send the window a WM_COPYDATA of its own making, or its result messages
// with numbers it made up: the window shows on, unchanged, and writes nothing.
TEST_F(StatusWindowTest, StrangersMessagesChangeNothing) {
  ASSERT_EQ(printer_->Ctl("reply", kReady).exitCode, 0u);
  auto view = Start(2);
  HWND window = view->WaitForWindow(Title());
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(
      vgtest::WaitUntil([&] { return Message(window) == String(IDS_STATUS_READY); }, kWaitMs));
  ASSERT_TRUE(WaitForResults(1));
  // The worker is held by a printer that has nothing new to say.
  ASSERT_EQ(printer_->Ctl("reply", "\"\"").exitCode, 0u);
  ASSERT_TRUE(WaitForResults(1, "iStatusResult = 0"));
  Registry key(HKEY_CURRENT_USER, keyPath_.c_str(), false, KEY_READ);
  const std::vector<BYTE> statusBefore = key.GetBinary("Status");
  const DWORD comBefore = key.GetDWordValue("ComStatus", 0xFFFFFFFF);

  uint32_t seed = 17;
  for (DWORD size : {0u, 1u, 40u, 41u, 600u, 70000u}) {
    std::vector<uint8_t> bytes(size);
    for (uint8_t& b : bytes) b = static_cast<uint8_t>((seed = seed * 1664525u + 1013904223u) >> 24);
    COPYDATASTRUCT copy = {static_cast<ULONG_PTR>(seed), size,
                           bytes.empty() ? nullptr : bytes.data()};
    DWORD_PTR answer = 0;
    ASSERT_TRUE(::SendMessageTimeoutA(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy),
                                      SMTO_ABORTIFHUNG, 5000, &answer))
        << "the window did not answer a block of " << size << " bytes";
  }
  // Result messages with made-up numbers count as results the window knows or as nothing.
  for (UINT message : {WM_RESULT_DEVICEID_ERROR, WM_RESULT_CHANNEL_ERROR, WM_STATUS_READ}) {
    for (WPARAM number : {static_cast<WPARAM>(0x7FFFFFFF), static_cast<WPARAM>(-1000)}) {
      DWORD_PTR answer = 0;
      ASSERT_TRUE(::SendMessageTimeoutA(window, message, number, static_cast<LPARAM>(seed),
                                        SMTO_ABORTIFHUNG, 5000, &answer));
    }
  }
  EXPECT_TRUE(::IsWindow(window));
  EXPECT_FALSE(view->Done());
  EXPECT_EQ(key.GetBinary("Status"), statusBefore);
  EXPECT_EQ(key.GetDWordValue("ComStatus", 0xFFFFFFFF), comBefore);

  vgtest::PressButton(window, IDOK);
  ASSERT_TRUE(view->Join());
  EXPECT_EQ(view->Result(), 0);
}

TEST_F(StatusWindowTest, SetUpOnlyShowsNothing) {
  TheApp().m_nComErrDisableNum = 0;
  const int result = PrStartView(3, Name(), printer_->Driver().c_str(), Port(), Model(),
                                 Profile().c_str(), ResDll().c_str());
  EXPECT_EQ(result, 1);
  EXPECT_EQ(TheApp().m_nComErrDisableNum, 3) << "the model's allowance was read";
  EXPECT_STREQ(TheApp().BaseInfo().PrinterName(), Name());
  EXPECT_EQ(TheApp().ResourceModule(), nullptr);
  EXPECT_EQ(FindMapWindow(MapNameSet::kPrinterLibrary, Name(), Port(), kMapKindStatus), nullptr);
  EXPECT_EQ(LogCount("Detail.DoModal() : Start"), 0) << "no window ran";
}

TEST_F(StatusWindowTest, PrinterUnknownToTheSpoolerShowsItsMessageAndNoWindow) {
  const std::string unknown = vgtest::UniqueName("No Such Printer");
  auto view = Start(2, unknown.c_str());
  EXPECT_EQ(TakeMessageBox(view->ThreadId()), String(IDS_NO_PRINTER_DRIVER_INFO));
  ASSERT_TRUE(view->Join());
  EXPECT_EQ(LogCount("CDetail::OnInitDialog"), 0) << "no status window was made";
  EXPECT_EQ(FindMapWindow(MapNameSet::kPrinterLibrary, unknown.c_str(), Port(), kMapKindStatus),
            nullptr);
  // The identity made a settings key for the name: it goes again.
  char path[kTargetKeyPathSize] = {};
  HKEY root = nullptr;
  if (GetCurrentTargetPrnKey(unknown.c_str(), 0, path, &root) == kTargetFound) {
    vgtest::DeleteKeyTree(root, path);
  }
}

TEST_F(StatusWindowTest, DriverWithoutDriverKeyShowsTheCheckMessage) {
  auto view = Start(2, nullptr, "No Such Driver");
  EXPECT_EQ(TakeMessageBox(view->ThreadId()), String(IDS_ERR_OTHERS));
  ASSERT_TRUE(view->Join());
  EXPECT_EQ(view->Result(), 1);
  EXPECT_EQ(LogCount("Detail.DoModal() : Start"), 0);
}

TEST_F(StatusWindowTest, DetailStartHandsOverToTheOpenPopupAndKeepsItOpen) {
  auto popup = Start(1);
  HWND window = popup->WaitForWindow(Title());
  ASSERT_NE(window, nullptr);

  // Another window of the user's has the foreground.
  ScopedWindow other(::CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                       nullptr, nullptr, nullptr, nullptr));
  ::SetForegroundWindow(other.Get());
  ASSERT_EQ(::GetForegroundWindow(), other.Get());

  auto second = Start(2);
  ASSERT_TRUE(second->Join()) << "the second start returns at once";
  EXPECT_EQ(second->Result(), 0);
  EXPECT_EQ(LogCount("Dialog has already opened."), 1);
  EXPECT_EQ(LogCount("First dialog type : Detail"), 0) << "the second never showed itself";
  EXPECT_EQ(::GetForegroundWindow(), window) << "the first came forward";
  EXPECT_EQ(FindMapWindow(MapNameSet::kPrinterLibrary, Name(), Port(), kMapKindStatus), window)
      << "the first keeps its registration";

  // The user asked for the window: it no longer closes on a quiet status.
  ASSERT_EQ(printer_->Ctl("reply", kReady).exitCode, 0u);
  ASSERT_TRUE(
      vgtest::WaitUntil([&] { return Message(window) == String(IDS_STATUS_READY); }, kWaitMs));
  ASSERT_TRUE(WaitForResults(1));
  EXPECT_TRUE(::IsWindowVisible(window));
  ::PostMessageA(window, WM_CLOSE, 0, 0);
  ASSERT_TRUE(popup->Join());
}

TEST_F(StatusWindowTest, PopupStartHandsOverButLeavesTheAutoClose) {
  auto popup = Start(1);
  HWND window = popup->WaitForWindow(Title());
  ASSERT_NE(window, nullptr);
  auto second = Start(1);
  ASSERT_TRUE(second->Join());
  EXPECT_EQ(LogCount("Dialog has already opened."), 1);
  EXPECT_EQ(::GetForegroundWindow(), window);
  // Still a pop-up: a quiet status closes it.
  ASSERT_EQ(printer_->Ctl("reply", kReady).exitCode, 0u);
  ASSERT_TRUE(popup->Join(kWaitMs));
}

TEST_F(StatusWindowTest, ResultsWithoutNewsChangeNothingAndFailuresShowTheCommError) {
  ::WritePrivateProfileStringA(Model(), "EnableGetStatusErr", "1", Profile().c_str());
  ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, Profile().c_str());
  // The printer has nothing to report: the worker's results bring nothing new.
  ASSERT_EQ(printer_->Ctl("reply", "\"\"").exitCode, 0u);
  auto view = Start(2);
  HWND window = view->WaitForWindow(Title());
  ASSERT_NE(window, nullptr);
  ::SendMessageA(window, WM_RESULT_QVSTATUS, 1, 0);  // the stored paper-out reply
  ASSERT_EQ(Message(window), kPaperOutTitle);
  ASSERT_TRUE(WaitForResults(1, "iStatusResult = 0")) << "the printer had nothing to report";
  EXPECT_EQ(Message(window), kPaperOutTitle);

  ::SendMessageA(window, WM_RESULT_QVSTATUS, static_cast<WPARAM>(-2), 0);
  EXPECT_EQ(Message(window), kPaperOutTitle) << "busy changes nothing";
  EXPECT_EQ(Line(window), kPaperOutText);

  ::SendMessageA(window, WM_RESULT_QVSTATUS, static_cast<WPARAM>(-1), 0);
  EXPECT_EQ(Message(window), String(IDS_STATUS_COMM_ERROR));
  EXPECT_EQ(Line(window), String(IDS_STATUS_COMM_ERROR_TEXT));
  EXPECT_GE(LogCount("StatusNo : 22"), 1) << "the model names the connection's error";

  ::PostMessageA(window, WM_CLOSE, 0, 0);
  ASSERT_TRUE(view->Join());
}

TEST_F(StatusWindowTest, CommonErrorsAreShownTheFirstTimeOnly) {
  vgtest::ScopedRegistryValue replaced(HKEY_LOCAL_MACHINE, "software\\KORVA\\VGL3\\VGLCommon",
                                       "RST_FREPLACE");
  vgtest::ScopedRegistryValue others(HKEY_LOCAL_MACHINE, "software\\KORVA\\VGL3\\VGLCommon",
                                     "ERR_OTHERS");
  vgtest::SetDword(HKEY_LOCAL_MACHINE, "software\\KORVA\\VGL3\\VGLCommon", "RST_FREPLACE", 1);
  vgtest::SetDword(HKEY_LOCAL_MACHINE, "software\\KORVA\\VGL3\\VGLCommon", "ERR_OTHERS", 1);
  // Only the results sent here change the status.
  ASSERT_EQ(printer_->Ctl("reply", "\"\"").exitCode, 0u);
  auto view = Start(2);
  HWND window = view->WaitForWindow(Title());
  ASSERT_NE(window, nullptr);

  ::PostMessageA(window, WM_RESULT_DEVICEID_ERROR, static_cast<WPARAM>(-1), 0);
  EXPECT_EQ(TakeMessageBox(view->ThreadId(), window), String(IDS_ERR_FILE_REPLACED));
  EXPECT_EQ(TakeMessageBox(view->ThreadId(), window), String(IDS_ERR_OTHERS));
  ASSERT_TRUE(
      vgtest::WaitUntil([&] { return Message(window) == String(IDS_STATUS_COMM_ERROR); }, kWaitMs));

  // The second time: the status only.
  DWORD_PTR answer = 0;
  ASSERT_NE(::SendMessageTimeoutA(window, WM_RESULT_DEVICEID_ERROR, static_cast<WPARAM>(-1), 0,
                                  SMTO_NORMAL, 5000, &answer),
            0)
      << "a message box holds the window up";
  EXPECT_EQ(LogCount("CDetail::CheckCommonErrors"), 1);
  EXPECT_EQ(LogCount("CallReason = 2, iStatusResult = -1"), 2);

  // Another model on the port.
  ::SendMessageA(window, WM_RESULT_DEVICEID_ERROR, static_cast<WPARAM>(-2), 0);
  EXPECT_EQ(Message(window), String(IDS_STATUS_OTHER_MODEL));
  ::PostMessageA(window, WM_CLOSE, 0, 0);
  ASSERT_TRUE(view->Join());
}

TEST_F(StatusWindowTest, SoundPlaysOncePerChange) {
  SetTarget("SoundNotifyEnable", 1);
  SetTarget("BeepBuzzerEnable", 0);
  auto view = Start(1);
  HWND window = view->WaitForWindow(Title());
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(LogCount("PlaySound : No.12"), 1) << "the pop-up's first status";
  ASSERT_TRUE(WaitForResults(2));
  EXPECT_EQ(LogCount("PlaySound : No.12"), 1) << "the same status again";

  // Another status with the same simple number.
  ASSERT_EQ(printer_->Ctl("reply", kCutterError).exitCode, 0u);
  ASSERT_TRUE(vgtest::WaitUntil([&] { return Message(window) == "Cutter error"; }, kWaitMs));
  ASSERT_TRUE(WaitForResults(1));
  EXPECT_EQ(LogCount("PlaySound : No."), 1);
  EXPECT_EQ(LogCount("PlayBuzzer"), 0) << "the buzzer is off";
  ::PostMessageA(window, WM_CLOSE, 0, 0);
  ASSERT_TRUE(view->Join());
}

TEST_F(StatusWindowTest, TheBuzzerTakesTheChangeFromTheSound) {
  SetTarget("SoundNotifyEnable", 1);
  SetTarget("BeepBuzzerEnable", 1);
  SetTarget("LoopBuzzer", 1);
  auto view = Start(1);
  HWND window = view->WaitForWindow(Title());
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(WaitForResults(1));
  EXPECT_EQ(LogCount("PlayBuzzer : No.12, Mode : 1"), 1) << "looping, as the key says";
  EXPECT_EQ(LogCount("PlaySound : No."), 0) << "no sound for the buzzer's change";
  ::PostMessageA(window, WM_CLOSE, 0, 0);
  ASSERT_TRUE(view->Join());
}

TEST_F(StatusWindowTest, ADetailStartTellsNothing) {
  SetTarget("SoundNotifyEnable", 1);
  SetTarget("BeepBuzzerEnable", 1);
  auto view = Start(2);
  HWND window = view->WaitForWindow(Title());
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(vgtest::WaitUntil([&] { return Message(window) == kPaperOutTitle; }, kWaitMs));
  ASSERT_TRUE(WaitForResults(1));
  EXPECT_EQ(LogCount("PlaySound : No."), 0);
  EXPECT_EQ(LogCount("PlayBuzzer"), 0);
  ::PostMessageA(window, WM_CLOSE, 0, 0);
  ASSERT_TRUE(view->Join());
}

TEST_F(StatusWindowTest, StoredPositionOffTheScreenIsCentredOnThatAxisAndStoredAgain) {
  SetTarget("PopupPOSX", 40000);
  SetTarget("PopupPOSY", 30);
  auto view = Start(1);
  HWND window = view->WaitForWindow(Title());
  ASSERT_NE(window, nullptr);
  RECT rect = {};
  ::GetWindowRect(window, &rect);
  const int width = rect.right - rect.left;
  EXPECT_EQ(rect.left, (::GetSystemMetrics(SM_CXFULLSCREEN) - width) / 2);
  EXPECT_EQ(rect.top, 30) << "the stored Y lies on the screen";
  EXPECT_EQ(Target("PopupPOSX"), static_cast<DWORD>(rect.left));
  EXPECT_EQ(Target("PopupPOSY"), 30u);

  // A move is remembered for the next pop-up.
  ::SetWindowPos(window, nullptr, 25, 35, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_TRUE(
      vgtest::WaitUntil([&] { return Target("PopupPOSX") == 25u && Target("PopupPOSY") == 35u; }));
  ::PostMessageA(window, WM_CLOSE, 0, 0);
  ASSERT_TRUE(view->Join());

  auto again = Start(1);
  HWND next = again->WaitForWindow(Title());
  ASSERT_NE(next, nullptr);
  ::GetWindowRect(next, &rect);
  EXPECT_EQ(rect.left, 25);
  EXPECT_EQ(rect.top, 35);
  ::PostMessageA(next, WM_CLOSE, 0, 0);
  ASSERT_TRUE(again->Join());
}

BOOL CALLBACK FindAnyDialog(HWND window, LPARAM found) {
  char name[32] = {};
  ::GetClassNameA(window, name, sizeof name);
  if (std::string(name) != "#32770") return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

TEST_F(StatusWindowTest, HiddenWindowNeverShowsYetFollowsThePrinter) {
  auto view = Start(4);
  HWND window = nullptr;
  ASSERT_TRUE(vgtest::WaitUntil([&] {
    window = FindMapWindow(MapNameSet::kPrinterLibrary, Name(), Port(), kMapKindStatus);
    return window != nullptr;
  }));
  ASSERT_TRUE(vgtest::WaitUntil([&] { return Message(window) == kPaperOutTitle; }, kWaitMs));
  EXPECT_FALSE(::IsWindowVisible(window));
  ::ShowWindow(window, SW_SHOW);
  EXPECT_FALSE(::IsWindowVisible(window)) << "asked to show, it stays hidden";
  ::SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
  EXPECT_FALSE(::IsWindowVisible(window));

  ASSERT_EQ(printer_->Ctl("reply", kInkLow).exitCode, 0u);
  ASSERT_TRUE(vgtest::WaitUntil([&] { return Message(window) == kInkLowTitle; }, kWaitMs));
  EXPECT_FALSE(::IsWindowVisible(window));
  HWND shown = nullptr;
  ::EnumThreadWindows(view->ThreadId(), &FindAnyDialog, reinterpret_cast<LPARAM>(&shown));
  EXPECT_EQ(shown, window) << "the thread has no other window";
  ::PostMessageA(window, WM_CLOSE, 0, 0);
  ASSERT_TRUE(view->Join());
}

TEST_F(StatusWindowTest, TroubleDialogHoldsTheAutoCloseOff) {
  auto view = Start(1);
  HWND window = view->WaitForWindow(Title());
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(vgtest::ItemVisible(window, IDC_STATUS_HELP));
  vgtest::PressButton(window, IDC_STATUS_HELP);
  HWND trouble = nullptr;
  ASSERT_TRUE(vgtest::WaitUntil([&] {
    trouble = OtherDialogOf(view->ThreadId(), window);
    return trouble != nullptr;
  }));

  // The printer is ready while the user reads the walk-through: the window stays.
  ASSERT_EQ(printer_->Ctl("reply", kReady).exitCode, 0u);
  ASSERT_TRUE(
      vgtest::WaitUntil([&] { return Message(window) == String(IDS_STATUS_READY); }, kWaitMs));
  ASSERT_TRUE(WaitForResults(1));
  EXPECT_TRUE(::IsWindow(window));
  EXPECT_FALSE(view->Done());

  // The walk-through is closed: the next quiet status closes the pop-up.
  ::PostMessageA(trouble, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(view->Join(kWaitMs));
  EXPECT_EQ(view->Result(), 0);
}

TEST_F(StatusWindowTest, AWindowThatNeverTookATypeClosesAtTheFirstResult) {
  auto view = Start(0);
  HWND window = view->WaitForWindow(Title());
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(view->Join(kWaitMs));
  EXPECT_EQ(LogCount("CDetail::UpdateStatus : close dialog"), 1);
}

}  // namespace
