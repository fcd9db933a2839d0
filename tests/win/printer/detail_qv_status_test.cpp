// The status window's worker on a printer installed by vgsetup and driven by qvsimctl: what
// it reports to a window while a monitor runs and while none does, how often, and how it
// ends. One printer serves every test; each test starts from the same printer state.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "common/debug_log_win.h"
#include "common/registry_win.h"
#include "common/target_keys_win.h"
#include "common/unique_handle.h"
#include "common/window_messages.h"
#include "printer/detail_qv_status_win.h"
#include "printer/vgprn_app_win.h"
#include "support/installed_printer.h"
#include "support/win_test_support.h"

namespace {

using vgtest::InstalledPrinter;

const char kReady[] = "\"@BDC ST\\r\\nST:04;\\f\"";
const std::string kReadyBytes = "@BDC ST\r\nST:04;\f";
constexpr DWORD kWaitMs = 30000;

// Pumps the window's messages until the condition holds or the time is up.
bool WaitFor(vgtest::RecordingWindow& window, const std::function<bool()>& condition) {
  const DWORD start = ::GetTickCount();
  for (;;) {
    window.Drain();
    if (condition()) return true;
    if (::GetTickCount() - start > kWaitMs) return false;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}

std::vector<int> Values(const std::vector<WPARAM>& params) {
  std::vector<int> values;
  for (WPARAM param : params) values.push_back(static_cast<int>(param));
  return values;
}

// How many of the lines this process appended to the library's log since offset hold text.
int CountLogLines(size_t offset, const std::string& text) {
  int count = 0;
  for (const std::string& line :
       vgtest::LogLinesOf(VgLogPath(), ::GetCurrentProcessId(), 4, offset)) {
    count += line.find(text) != std::string::npos;
  }
  return count;
}

// The names of the calls this process made to the printer since the given call count.
std::vector<std::string> CallNames(const std::string& log, size_t from = 0) {
  std::vector<std::string> names;
  const std::string mine = " pid=" + std::to_string(::GetCurrentProcessId()) + " ";
  std::istringstream in(log);
  std::string line;
  while (std::getline(in, line)) {
    const size_t at = line.find(mine);
    if (at == std::string::npos) continue;
    const std::string call = line.substr(at + mine.size());
    names.push_back(call.substr(0, call.find('(')));
  }
  return std::vector<std::string>(names.begin() + static_cast<long>(std::min(from, names.size())),
                                  names.end());
}

class DetailQvStatusTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // The monitor of the hand-over test polls every second and keeps running while the
    // printer has nothing to report.
    printer_ = new InstalledPrinter("Worker", {{"", "MonitorInitTime", "100"},
                                               {"", "TIMEOUT", "0"},
                                               {"Install", "LocalMonitoringTimer", "1"}});
  }
  static void TearDownTestSuite() {
    delete printer_;
    printer_ = nullptr;
  }

  void SetUp() override {
    ASSERT_TRUE(printer_->Ready()) << printer_->Failure();
    // Every test starts from a VP-100 that answers ready on status channel 0x10000005.
    ASSERT_EQ(printer_->Ctl("reset").exitCode, 0u);
    ASSERT_EQ(printer_->Ctl("deviceid", "\"MFG:KORVA;MDL:VP-100;CMD:ESCP;\"").exitCode, 0u);
    ASSERT_EQ(printer_->Ctl("channels", "0x10000005:0x0004,0x10010003:0").exitCode, 0u);
    ASSERT_EQ(printer_->Ctl("reply", kReady).exitCode, 0u);
    TheApp().SetCurrentPrinterName(Name());
    TheApp().m_nComErrDisableNum = 0;
    TheApp().m_nComErrCount = 0;
    // The printer's target key, as the monitor or the status window's entry makes it.
    char path[kTargetKeyPathSize] = {};
    int kind = -1;
    ASSERT_EQ(CheckTargetRegKey(Name(), Port(), Model(), &kind, path), 0);
    keyPath_ = path;
    Registry key(HKEY_CURRENT_USER, keyPath_.c_str(), false, KEY_ALL_ACCESS);
    key.DeleteValue("ComStatus");
    key.DeleteValue("Status");
    key.DeleteValue("Channel");
    VgTraceEnable(true);
    logOffset_ = vgtest::FileSize(VgLogPath());
  }
  void TearDown() override {
    VgTraceEnable(false);
    TheApp().SetCurrentPrinterName("");
    TheApp().m_nComErrDisableNum = 0;
    TheApp().m_nComErrCount = 0;
  }

  static const char* Name() { return printer_->Name().c_str(); }
  static const char* Port() { return printer_->Port().c_str(); }
  static const char* Model() { return printer_->Model().c_str(); }

  // A worker for the printer, addressed by its name, as the status window makes it.
  std::unique_ptr<CDetailQvStatus> MakeWorker(int local, int network) const {
    auto worker = std::make_unique<CDetailQvStatus>(qvapi::kKindPrinter, Name());
    EXPECT_EQ(worker->Initialize(Name(), Port(), Model(), Name()), 1);
    worker->SetIntervals(local, network);
    return worker;
  }
  static void Finish(CDetailQvStatus& worker) {
    worker.EndStatusThread();
    worker.CloseChannel();
  }

  DWORD ComStatus() const {
    return vgtest::GetDword(HKEY_CURRENT_USER, keyPath_, "ComStatus", 0xFFFF);
  }
  void SetComStatusValue(DWORD value) const {
    vgtest::SetDword(HKEY_CURRENT_USER, keyPath_, "ComStatus", value);
  }
  std::string StoredReply() const {
    const std::vector<BYTE> bytes =
        Registry(HKEY_CURRENT_USER, keyPath_.c_str()).GetBinary("Status");
    return std::string(bytes.begin(), bytes.end());
  }
  // Waits until the worker has made `passes` more passes seeing the monitor (or not).
  bool WaitForPasses(int passes, bool monitor, vgtest::RecordingWindow& window) const {
    const std::string line = monitor ? "Printing = TRUE" : "Printing = FALSE";
    const int target = CountLogLines(logOffset_, line) + passes;
    const DWORD start = ::GetTickCount();
    while (CountLogLines(logOffset_, line) < target) {
      if (::GetTickCount() - start > kWaitMs) return false;
      window.Pump(50);
    }
    window.Drain();
    return true;
  }

  static InstalledPrinter* printer_;
  std::string keyPath_;
  size_t logOffset_ = 0;
};

InstalledPrinter* DetailQvStatusTest::printer_ = nullptr;

// The instance mapping that a running monitor holds for its printer.
class FakeMonitorMapping {
 public:
  explicit FakeMonitorMapping(const std::string& name)
      : mapping_(::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4,
                                      name.c_str())) {}
  bool Exists() const { return mapping_.IsValid(); }

 private:
  ScopedHandle mapping_;
};

TEST_F(DetailQvStatusTest, WithoutAMonitorItReadsThePrinterEveryLocalInterval) {
  vgtest::RecordingWindow window;
  auto worker = MakeWorker(1, 4);
  ASSERT_EQ(worker->StartStatusThread(window.Handle()), 1);
  ASSERT_TRUE(window.WaitForCount(WM_RESULT_QVSTATUS, 4, kWaitMs));
  Finish(*worker);
  window.Drain();

  const std::vector<DWORD> times = window.Times(WM_RESULT_QVSTATUS);
  EXPECT_EQ(Values(window.Params(WM_RESULT_QVSTATUS)), (std::vector<int>(times.size(), 1)));
  // Three local intervals of one second; the network's four would take twelve.
  const DWORD span = times[3] - times[0];
  EXPECT_GE(span, 2700u);
  EXPECT_LT(span, 9000u);
  EXPECT_FALSE(worker->MonitorRunningFlag());
  // The reply stands where the status window reads it, with its channel; the communication
  // state is the monitor's and stays as it was.
  EXPECT_EQ(StoredReply(), kReadyBytes);
  EXPECT_EQ(vgtest::GetDword(HKEY_CURRENT_USER, keyPath_, "Channel", 0), 0x10000005u);
  EXPECT_EQ(ComStatus(), 0xFFFFu);
  EXPECT_TRUE(window.Params(WM_RESULT_DEVICEID_ERROR).empty());
}

TEST_F(DetailQvStatusTest, OnANetworkChannelPassesComeEveryNetworkInterval) {
  ASSERT_EQ(printer_->Ctl("channels", "0x10000005:0x8004").exitCode, 0u);
  vgtest::RecordingWindow window;
  auto worker = MakeWorker(1, 3);
  ASSERT_EQ(worker->StartStatusThread(window.Handle()), 1);
  ASSERT_TRUE(window.WaitForCount(WM_RESULT_QVSTATUS, 3, kWaitMs));
  EXPECT_EQ(worker->GetInterval(), 3);
  Finish(*worker);
  const std::vector<DWORD> times = window.Times(WM_RESULT_QVSTATUS);
  const DWORD span = times[2] - times[0];
  EXPECT_GE(span, 5400u) << "two network intervals of three seconds, not local ones of one";
  EXPECT_LT(span, 18000u);
}

TEST_F(DetailQvStatusTest, BusyParallelPortIsToleratedUpToTheAllowance) {
  // The status channel is the parallel one on port LPT1:, and three busy reads in a row pass
  // (the allowance that the status window's entry reads from the model's profile).
  ASSERT_EQ(printer_->Ctl("channels", "0x10010003:4").exitCode, 0u);
  ASSERT_EQ(
      printer_->Ctl("queue", "error:-17 error:-5 error:-5 error:-5 error:-5 error:-9").exitCode,
      0u);
  TheApp().m_nComErrDisableNum = 3;
  vgtest::RecordingWindow window;
  auto worker = MakeWorker(1, 1);
  ASSERT_EQ(worker->StartStatusThread(window.Handle()), 1);
  ASSERT_TRUE(window.WaitForCount(WM_RESULT_QVSTATUS, 7, kWaitMs));
  Finish(*worker);
  EXPECT_EQ(Values(window.Params(WM_RESULT_QVSTATUS)),
            (std::vector<int>{-2, -2, -2, -2, -1, -1, 1}))
      << "no communication, three tolerated busy reads, then failures, then the reply";
  EXPECT_EQ(TheApp().m_nComErrCount, 0) << "a reply starts the count afresh";
}

TEST_F(DetailQvStatusTest, ModelIsCheckedOnEveryPassUntilItMatches) {
  ASSERT_EQ(printer_->Ctl("deviceid", "\"MFG:KORVA;CMD:ESCP;\"").exitCode, 0u);
  vgtest::RecordingWindow window;
  auto worker = MakeWorker(1, 1);
  ASSERT_EQ(worker->StartStatusThread(window.Handle()), 1);
  ASSERT_TRUE(window.WaitForCount(WM_RESULT_DEVICEID_ERROR, 2, kWaitMs));
  ASSERT_EQ(printer_->Ctl("deviceid", "\"MFG:KORVA;MDL:VP-200;CMD:ESCP;\"").exitCode, 0u);
  ASSERT_TRUE(WaitFor(window, [&] {
    const auto values = Values(window.Params(WM_RESULT_DEVICEID_ERROR));
    return !values.empty() && values.back() == -2;
  }));
  EXPECT_TRUE(window.Params(WM_RESULT_QVSTATUS).empty()) << "no status of another model";

  ASSERT_EQ(printer_->Ctl("deviceid", "\"MFG:KORVA;MDL:vp-100;CMD:ESCP;\"").exitCode, 0u);
  ASSERT_TRUE(window.WaitForCount(WM_RESULT_QVSTATUS, 1, kWaitMs));
  const size_t errors = window.Params(WM_RESULT_DEVICEID_ERROR).size();
  const size_t calls = CallNames(printer_->Ctl("calls").output).size();
  ASSERT_TRUE(window.WaitForCount(WM_RESULT_QVSTATUS, 3, kWaitMs));
  Finish(*worker);

  const std::vector<int> values = Values(window.Params(WM_RESULT_DEVICEID_ERROR));
  EXPECT_EQ(values.size(), errors) << "a matching model is not asked for again";
  for (int value : values) EXPECT_TRUE(value == -1 || value == -2) << value;
  EXPECT_EQ(values.front(), -1) << "a device ID without MDL: names no model";
  for (const std::string& call : CallNames(printer_->Ctl("calls").output, calls)) {
    EXPECT_NE(call, "QVGetDeviceID");
  }
}

TEST_F(DetailQvStatusTest, WhileTheMonitorRunsOnlyItsFreshReplyIsReported) {
  // The real monitor of the printer, with nothing to report at first.
  ASSERT_EQ(printer_->Ctl("reply", "\"\"").exitCode, 0u);
  vgtest::ChildProcess monitor;
  ASSERT_TRUE(monitor.Start("vgmon.exe", printer_->MonitorArguments()));
  const std::string mappingName = "VG_MAP_" + printer_->Name();
  vgtest::RecordingWindow window;
  ASSERT_TRUE(WaitFor(window, [&] {
    ScopedHandle mapping(::OpenFileMappingA(FILE_MAP_READ, FALSE, mappingName.c_str()));
    return mapping.IsValid();
  }));

  auto worker = MakeWorker(5, 30);
  ASSERT_EQ(worker->StartStatusThread(window.Handle()), 1);
  ASSERT_TRUE(WaitForPasses(3, true, window));
  EXPECT_TRUE(window.Params(WM_RESULT_QVSTATUS).empty()) << "\"ComStatus\" stayed 2";
  EXPECT_EQ(worker->GetInterval(), 1) << "a running monitor is followed every second";

  // The monitor's next poll decodes the reply and leaves it in the registry.
  ASSERT_EQ(printer_->Ctl("queue", kReady).exitCode, 0u);
  ASSERT_TRUE(window.WaitForCount(WM_RESULT_QVSTATUS, 1, kWaitMs));
  ASSERT_TRUE(WaitForPasses(3, true, window));
  Finish(*worker);

  EXPECT_EQ(Values(window.Params(WM_RESULT_QVSTATUS)), std::vector<int>{1});
  EXPECT_EQ(ComStatus(), 2u) << "the reply was marked as taken";
  EXPECT_EQ(StoredReply(), kReadyBytes);
  EXPECT_TRUE(window.Params(WM_RESULT_DEVICEID_ERROR).empty());
  EXPECT_EQ(monitor.Wait(0), static_cast<DWORD>(STILL_ACTIVE)) << "the monitor ran throughout";

  HWND monitorWindow = vgtest::FindProcessWindow(monitor.Id(), "VGL3V3MSBackMon03WClass", 10000);
  ASSERT_NE(monitorWindow, nullptr);
  ::PostMessageA(monitorWindow, WM_CLOSE, 0, 0);
  EXPECT_EQ(monitor.Wait(20000), 0u);
}

TEST_F(DetailQvStatusTest, RegistryStatesWhileAMonitorRunsAreDeviceErrors) {
  FakeMonitorMapping monitor("VG_MAP_" + printer_->Name());
  ASSERT_TRUE(monitor.Exists());
  SetComStatusValue(4);  // a substituted status with the connection's error shown
  const size_t calls = CallNames(printer_->Ctl("calls").output).size();
  vgtest::RecordingWindow window;
  auto worker = MakeWorker(1, 1);
  ASSERT_EQ(worker->StartStatusThread(window.Handle()), 1);
  ASSERT_TRUE(window.WaitForCount(WM_RESULT_DEVICEID_ERROR, 2, kWaitMs));
  EXPECT_TRUE(worker->MonitorRunningFlag());

  SetComStatusValue(0);
  ASSERT_TRUE(WaitFor(
      window, [&] { return Values(window.Params(WM_RESULT_DEVICEID_ERROR)).back() == -1; }));
  // A fresh state without a stored reply: the fetch fails, and the state is taken all the same.
  SetComStatusValue(1);
  ASSERT_TRUE(window.WaitForCount(WM_RESULT_QVSTATUS, 1, kWaitMs));
  Finish(*worker);

  std::vector<int> errors = Values(window.Params(WM_RESULT_DEVICEID_ERROR));
  EXPECT_EQ(errors[0], -3);
  EXPECT_EQ(errors[1], -3);
  for (int value : errors) EXPECT_TRUE(value == -3 || value == -1) << value;
  EXPECT_EQ(Values(window.Params(WM_RESULT_QVSTATUS)), std::vector<int>{-1});
  EXPECT_EQ(ComStatus(), 2u);
  for (const std::string& call : CallNames(printer_->Ctl("calls").output, calls)) {
    EXPECT_NE(call, "QVGetDeviceID") << "the monitor owns the printer";
    EXPECT_NE(call, "QVGetStatus");
  }
}

TEST_F(DetailQvStatusTest, EndedDuringASleepItPostsNothingMore) {
  vgtest::RecordingWindow window;
  // The first pass, then thirty seconds of one-second sleeps.
  auto worker = MakeWorker(30, 30);
  ASSERT_EQ(worker->StartStatusThread(window.Handle()), 1);
  ASSERT_TRUE(window.WaitForCount(WM_RESULT_QVSTATUS, 1, kWaitMs));
  EXPECT_EQ(worker->Initialize("other", "other", "other", "other"), 0) << "refused while it runs";
  EXPECT_EQ(worker->MonitorMapName(), "VG_MAP_" + printer_->Name());
  worker->EndStatusThread();
  EXPECT_FALSE(worker->IsRunning());
  // Whatever it posted was posted before it ended.
  window.Drain();
  EXPECT_EQ(window.Params(WM_RESULT_QVSTATUS).size(), 1u);
  EXPECT_EQ(CountLogLines(logOffset_, "Status loop end"), 1);
  EXPECT_EQ(CountLogLines(logOffset_, "Status loop head"), 1);
  worker->CloseChannel();

  // Ended at once: the loop still begins and ends in the log, and posts nothing.
  vgtest::RecordingWindow quiet;
  auto early = MakeWorker(1, 1);
  ASSERT_EQ(early->StartStatusThread(quiet.Handle()), 1);
  early->EndStatusThread();
  quiet.Drain();
  EXPECT_TRUE(quiet.Params(WM_RESULT_QVSTATUS).empty());
  EXPECT_EQ(CountLogLines(logOffset_, "Status loop end"), 2);
}

TEST_F(DetailQvStatusTest, NetworkPrinterNamesGiveMappingNamesWithSlashes) {
  const std::string share = "\\\\server\\" + printer_->Name();
  CDetailQvStatus worker(qvapi::kKindPrinter, share.c_str());
  ASSERT_EQ(worker.Initialize(share.c_str(), "", "VP-100", share.c_str()), 1);
  EXPECT_EQ(worker.MonitorMapName(), "VG_MAP_//server/" + printer_->Name());
  EXPECT_EQ(worker.IsMonitorRunning(), 0);
  FakeMonitorMapping monitor("VG_MAP_//server/" + printer_->Name());
  ASSERT_TRUE(monitor.Exists());
  EXPECT_EQ(worker.IsMonitorRunning(), 1);
  // A null string keeps the one held.
  ASSERT_EQ(worker.Initialize(nullptr, nullptr, nullptr, nullptr), 1);
  EXPECT_EQ(worker.MonitorMapName(), "VG_MAP_//server/" + printer_->Name());
  EXPECT_EQ(worker.LocalInterval(), 5);
  EXPECT_EQ(worker.NetworkInterval(), 30);
  worker.SetIntervals(0, 90);
  EXPECT_EQ(worker.LocalInterval(), 5) << "0 keeps the interval";
  EXPECT_EQ(worker.NetworkInterval(), 90);
}

// Handle objects that the window's thread makes and drops (every export call does) never
// release the library under the running worker: the worker is a user of its own.
TEST_F(DetailQvStatusTest, WindowThreadCallsLeaveTheWorkersLibraryLoaded) {
  const auto globalBefore = CallNames(vgtest::RunCaptured("qvsimctl.exe", "calls \"*\"").output);
  vgtest::RecordingWindow window;
  {
    auto worker = MakeWorker(1, 1);
    ASSERT_EQ(worker->StartStatusThread(window.Handle()), 1);
    ASSERT_TRUE(window.WaitForCount(WM_RESULT_QVSTATUS, 1, kWaitMs));
    for (int i = 0; i < 100; ++i) {
      CQvApiChannel call(qvapi::kKindPrinter, Name());
      int32_t size = 0;
      EXPECT_EQ(call.GetDeviceID(nullptr, &size), qvapi::kBufferTooSmall);
      if (i % 10 == 0) window.Drain();
    }
    EXPECT_NE(CQvApiBase::Instance().Module(), nullptr);
    ASSERT_TRUE(window.WaitForCount(WM_RESULT_QVSTATUS, 3, kWaitMs));
    Finish(*worker);
  }
  EXPECT_EQ(CQvApiBase::Instance().Module(), nullptr) << "released with its last user";
  EXPECT_EQ(Values(window.Params(WM_RESULT_QVSTATUS)),
            std::vector<int>(window.Params(WM_RESULT_QVSTATUS).size(), 1));
  const auto globalAfter =
      CallNames(vgtest::RunCaptured("qvsimctl.exe", "calls \"*\"").output, globalBefore.size());
  EXPECT_EQ(globalAfter, (std::vector<std::string>{"QVInitialize", "QVRelease"}))
      << "initialised once for the worker's whole run";
}

}  // namespace
