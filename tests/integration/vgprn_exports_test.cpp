// vgprn.dll as the monitor drives it: the installed copy loaded by path, its exports bound by
// name, the simulated printer behind it. Each test loads the library afresh and frees it at
// the end, so that no library-wide state passes from one test to the next.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "common/debug_log_win.h"
#include "common/system_library_win.h"
#include "common/target_keys_win.h"
#include "common/unique_handle.h"
#include "common/vgprn_exports.h"
#include "support/installed_printer.h"
#include "support/process_output.h"
#include "support/scoped_registry_value.h"
#include "support/win_test_support.h"

namespace {

constexpr DWORD kChannel10000005 = 0x10000005;
constexpr DWORD kLptChannel = 0x10010003;
constexpr DWORD kKindTwoChannel = 0x02000001;
const char kDeviceId[] = "MFG:KORVA;MDL:VP-100;CMD:ESCP;";
const char kReadyReply[] = "@BDC ST\r\nST:04;\f";  // the fixture's standing reply
constexpr int kUnset = -99;                          // an output the call must not write

// The installed library, bound by name as vgmon binds it, and freed again.
struct PrinterLibrary {
  explicit PrinterLibrary(const std::string& path) : module(::LoadLibraryA(path.c_str())) {
    if (!module.IsValid()) return;
    HMODULE m = module.Get();
    start = GetProcAs<PFN_PrMonitoringStart>(m, "PrMonitoringStart");
    end = GetProcAs<PFN_PrMonitoringEnd>(m, "PrMonitoringEnd");
    getChannel = GetProcAs<PFN_PrGetChannel>(m, "PrGetChannel");
    getDeviceId = GetProcAs<PFN_PrGetDeviceID>(m, "PrGetDeviceID");
    getStatus = GetProcAs<PFN_PrGetStatus>(m, "PrGetStatus");
    getTimer = GetProcAs<PFN_PrGetTimerValue>(m, "PrGetTimerValue");
    sendData = GetProcAs<PFN_PrSendPrinterData>(m, "PrSendPrinterData");
    getData = GetProcAs<PFN_PrGetPrinterData>(m, "PrGetPrinterData");
    releaseData = GetProcAs<PFN_PrReleasePrinterData>(m, "PrReleasePrinterData");
    releaseRegistry = GetProcAs<PFN_PrReleaseRegistry>(m, "PrReleaseRegistry");
  }
  bool Bound() const {
    return start && end && getChannel && getDeviceId && getStatus && getTimer && sendData &&
           getData && releaseData && releaseRegistry;
  }

  ScopedModule module;
  PFN_PrMonitoringStart start = nullptr;
  PFN_PrMonitoringEnd end = nullptr;
  PFN_PrGetChannel getChannel = nullptr;
  PFN_PrGetDeviceID getDeviceId = nullptr;
  PFN_PrGetStatus getStatus = nullptr;
  PFN_PrGetTimerValue getTimer = nullptr;
  PFN_PrSendPrinterData sendData = nullptr;
  PFN_PrGetPrinterData getData = nullptr;
  PFN_PrReleasePrinterData releaseData = nullptr;
  PFN_PrReleaseRegistry releaseRegistry = nullptr;
};

// The six results of one PrGetStatus call; outputs it did not write keep kUnset.
struct Poll {
  int result = kUnset;
  int popup = kUnset;
  int sound = kUnset;
  int printing = kUnset;
  int real = kUnset;
  int simple = kUnset;
};

// "FUNCTION(ARGUMENTS) = RESULT[; NOTE]" of each call that this process made, oldest first.
std::vector<std::string> OwnCalls(const std::string& log) {
  const std::string pid = " pid=" + std::to_string(::GetCurrentProcessId()) + " ";
  std::vector<std::string> calls;
  size_t pos = 0;
  while (pos < log.size()) {
    size_t end = log.find('\n', pos);
    if (end == std::string::npos) end = log.size();
    std::string line = log.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t at = line.find(pid);
    if (at != std::string::npos) calls.push_back(line.substr(at + pid.size()));
    pos = end + 1;
  }
  return calls;
}

// The call's text up to its result, without the note.
std::string WithoutNote(const std::string& call) { return call.substr(0, call.find(';')); }

// The result of a logged call.
int ResultOf(const std::string& call) {
  const size_t equals = WithoutNote(call).rfind(" = ");
  return equals == std::string::npos ? kUnset : std::atoi(call.c_str() + equals + 3);
}

std::string CallsOfEverything() { return vgtest::RunCaptured("qvsimctl.exe", "calls *").output; }

class ExportsTest : public ::testing::Test {
 protected:
  explicit ExportsTest(const std::vector<vgtest::ProfileSetting>& settings = {},
                       const std::string& port = "LPT1:")
      : printer_("Exports", settings, port) {}

  void SetUp() override {
    ASSERT_TRUE(printer_.Ready()) << printer_.Failure();
    Load();
  }
  void TearDown() override { library_.reset(); }

  void Load() {
    library_ = std::make_unique<PrinterLibrary>(printer_.InstallDir() + "\\vgprn.dll");
    ASSERT_TRUE(library_->module.IsValid()) << "the installed vgprn.dll does not load";
    ASSERT_TRUE(library_->Bound());
  }

  // As the monitor starts a session: no resource library name, no hand-off block.
  int Start() {
    return library_->start(nullptr, printer_.Name().c_str(), printer_.Driver().c_str(),
                           printer_.Port().c_str(), printer_.Model().c_str(),
                           printer_.ProfilePath().c_str(), nullptr, nullptr, 0);
  }
  int End() { return library_->end(0, 0); }

  int GetChannel(DWORD* status, DWORD* data) {
    *status = 0xDEAD;
    *data = 0xDEAD;
    return library_->getChannel(status, data);
  }

  Poll GetStatus(int enableGetStatusErr = 0) {
    Poll poll;
    poll.result = library_->getStatus(enableGetStatusErr, &poll.popup, &poll.sound,
                                      &poll.printing, &poll.real, &poll.simple);
    return poll;
  }

  void Ctl(const std::string& command, const std::string& arguments) {
    ASSERT_EQ(printer_.Ctl(command, arguments).exitCode, 0u) << command << " " << arguments;
  }

  std::vector<std::string> Calls() const { return OwnCalls(printer_.Ctl("calls").output); }

  // The printer's target key in the user's hive.
  std::string TargetKey(HKEY* root) const {
    char path[kTargetKeyPathSize] = {};
    *root = HKEY_CURRENT_USER;
    if (FindTargetKey(printer_.Name().c_str(), printer_.Port().c_str(), path, root) !=
        kTargetFound) {
      return std::string();
    }
    return path;
  }
  DWORD TargetDword(const char* name, DWORD defaultValue = 0xFFFFFFFF) const {
    HKEY root = nullptr;
    const std::string path = TargetKey(&root);
    return path.empty() ? defaultValue : vgtest::GetDword(root, path, name, defaultValue);
  }
  void SetTargetDword(const char* name, DWORD value, const std::string& subKey = "") const {
    HKEY root = nullptr;
    const std::string path = TargetKey(&root);
    ASSERT_FALSE(path.empty());
    vgtest::SetDword(root, subKey.empty() ? path : path + "\\" + subKey, name, value);
  }
  // "Status" as its bytes; "(missing)" when there is none.
  std::string TargetStatus() const {
    HKEY root = nullptr;
    const std::string path = TargetKey(&root);
    HKEY key = nullptr;
    if (path.empty() || ::RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
      return "(no key)";
    }
    char data[1024];
    DWORD size = sizeof data;
    DWORD type = 0;
    const LONG rc = ::RegQueryValueExA(key, "Status", nullptr, &type,
                                       reinterpret_cast<BYTE*>(data), &size);
    ::RegCloseKey(key);
    if (rc != ERROR_SUCCESS || type != REG_BINARY) return "(missing)";
    return std::string(data, size);
  }

  void SetDriverValue(const char* name, const std::string& value) {
    vgtest::SetString(HKEY_LOCAL_MACHINE, "software\\KORVA\\VGL3\\Driver\\" + printer_.Driver(),
                      name, value);
  }

  vgtest::InstalledPrinter printer_;
  std::unique_ptr<PrinterLibrary> library_;
};

// The session of one print job, call by call, and what the simulated printer saw of it.
TEST_F(ExportsTest, ASessionReadsDeviceIdChannelsAndStatusOverOneLibraryStart) {
  const size_t everythingBefore = OwnCalls(CallsOfEverything()).size();
  ASSERT_EQ(Start(), 0);

  DWORD size = 0;
  EXPECT_EQ(library_->getDeviceId(nullptr, &size), 1) << "the size query";
  EXPECT_EQ(size, sizeof kDeviceId);  // the text and its terminator
  char small[8] = "xxxxxxx";
  size = sizeof small;
  EXPECT_EQ(library_->getDeviceId(small, &size), 1) << "too small a buffer is a size query too";
  EXPECT_EQ(size, sizeof kDeviceId);
  EXPECT_EQ(small[0], '\0');
  // As the monitor fetches it: one byte more than the size, and the size itself.
  std::vector<char> id(size + 1, 'x');
  EXPECT_EQ(library_->getDeviceId(id.data(), &size), 0);
  EXPECT_STREQ(id.data(), kDeviceId);

  DWORD status = 0;
  DWORD data = 0;
  ASSERT_EQ(GetChannel(&status, &data), 0);
  EXPECT_EQ(status, kChannel10000005) << "the first channel that reports status";
  EXPECT_EQ(data, kLptChannel);

  const Poll ready = GetStatus();
  EXPECT_EQ(ready.result, 1);
  EXPECT_EQ(ready.real, 1);
  EXPECT_EQ(ready.simple, 1);
  EXPECT_EQ(ready.printing, 1);
  EXPECT_EQ(ready.popup, 0) << "notification item 001 is off in the model's profile";
  EXPECT_EQ(ready.sound, 0);
  EXPECT_EQ(TargetStatus(), kReadyReply);
  EXPECT_EQ(TargetDword("Channel"), kChannel10000005);
  EXPECT_EQ(TargetDword("ComStatus"), 1u);

  int network = kUnset;
  EXPECT_EQ(library_->getTimer(status, &network), 10) << "the installed LocalMonitoringTimer";
  EXPECT_EQ(network, 0);
  EXPECT_EQ(End(), 0);

  const std::vector<std::string> calls = Calls();
  ASSERT_EQ(calls.size(), 10u) << ::testing::PrintToString(calls);
  const std::string printer = "name=\"" + printer_.Name() + "\"";
  const std::string idQuery =
      "QVGetDeviceID(kind=1, " + printer + ", buffer=null, size=0) = -4";
  EXPECT_EQ(WithoutNote(calls[0]), idQuery);
  EXPECT_EQ(WithoutNote(calls[1]), idQuery);
  EXPECT_EQ(WithoutNote(calls[2]), idQuery);
  EXPECT_EQ(WithoutNote(calls[3]), "QVGetDeviceID(kind=1, " + printer + ", buffer=yes, size=" +
                                       std::to_string(sizeof kDeviceId) + ") = " +
                                       std::to_string(sizeof kDeviceId - 1));
  EXPECT_EQ(WithoutNote(calls[4]),
            "QVGetAvailableChannel(kind=1, " + printer + ", buffer=null, size=0) = -4");
  EXPECT_EQ(WithoutNote(calls[5]),
            "QVGetAvailableChannel(kind=1, " + printer + ", buffer=yes, size=16) = 2");
  const std::string open = "QVOpenChannel(kind=1, " + printer + ", channel=";
  EXPECT_EQ(calls[6].rfind(open + "0x10000005) = ", 0), 0u) << calls[6];
  EXPECT_EQ(calls[7].rfind(open + "0x10010003) = ", 0), 0u) << calls[7];
  const int statusHandle = ResultOf(calls[6]);
  EXPECT_GT(statusHandle, 0);
  const std::string handle = "QVGetStatus(handle=" + std::to_string(statusHandle);
  EXPECT_EQ(WithoutNote(calls[8]), handle + ", buffer=null, size=0) = -4");
  // The timer reads the channel list kept since PrGetChannel, and the end closes nothing.
  EXPECT_EQ(WithoutNote(calls[9]), handle + ", buffer=yes, size=16) = 16");

  // One library start and one release for the whole session.
  std::vector<std::string> everything = OwnCalls(CallsOfEverything());
  ASSERT_GE(everything.size(), everythingBefore);
  everything.erase(everything.begin(), everything.begin() + everythingBefore);
  ASSERT_EQ(everything.size(), 2u) << ::testing::PrintToString(everything);
  EXPECT_EQ(WithoutNote(everything[0]), "QVInitialize() = 0");
  EXPECT_EQ(WithoutNote(everything[1]), "QVRelease() = 0");
}

TEST_F(ExportsTest, WithoutASessionTheExportsReportFailureAndWriteNothing) {
  DWORD status = 0;
  DWORD data = 0;
  EXPECT_EQ(GetChannel(&status, &data), 1);
  EXPECT_EQ(status, 0u) << "outputs are cleared first";
  EXPECT_EQ(data, 0u);
  char id[64] = "stale";
  DWORD size = sizeof id;
  EXPECT_EQ(library_->getDeviceId(id, &size), 1);
  EXPECT_EQ(id[0], '\0');

  // No session: the printer cannot be reached, and the outputs say so (status 21, simple 11);
  // with no printer known there are no switches that would pop up or sound.
  const Poll poll = GetStatus();
  EXPECT_EQ(poll.result, 1);
  EXPECT_EQ(poll.simple, 11);
  EXPECT_EQ(poll.real, 0);
  EXPECT_EQ(poll.printing, 0);
  EXPECT_EQ(poll.popup, 0);
  EXPECT_EQ(poll.sound, 0);

  void* buffer = &size;
  EXPECT_EQ(library_->sendData(0, &size, &buffer), 1);
  EXPECT_EQ(library_->getData(0, &size, &buffer), 1);
  EXPECT_EQ(buffer, &size) << "left alone without a session";
  EXPECT_EQ(library_->releaseData(&buffer), 0);
  EXPECT_EQ(buffer, &size);

  ASSERT_EQ(Start(), 0);
  size = 77;
  EXPECT_EQ(library_->getData(1, &size, &buffer), 0);
  EXPECT_EQ(buffer, nullptr) << "no transfer: the session holds no printer data";
  EXPECT_EQ(size, 77u);
  buffer = &size;
  EXPECT_EQ(library_->sendData(1, &size, &buffer), 0);
  EXPECT_EQ(buffer, nullptr);
  buffer = &size;
  EXPECT_EQ(library_->releaseData(&buffer), 0);
  EXPECT_EQ(buffer, nullptr);
  EXPECT_TRUE(Calls().empty()) << "none of them talks to the printer";
  EXPECT_EQ(End(), 0);
}

TEST_F(ExportsTest, EndNeedsOnlyALibraryItCanBind) {
  EXPECT_EQ(End(), 1) << "no printer known yet: its library cannot be found";

  const size_t before = OwnCalls(CallsOfEverything()).size();
  ASSERT_EQ(library_->releaseRegistry(printer_.Name().c_str(), printer_.Driver().c_str(),
                                      printer_.Port().c_str(), printer_.Model().c_str()),
            0);
  EXPECT_EQ(End(), 0) << "ending without a start";
  std::vector<std::string> everything = OwnCalls(CallsOfEverything());
  everything.erase(everything.begin(), everything.begin() + before);
  ASSERT_EQ(everything.size(), 2u) << ::testing::PrintToString(everything);
  EXPECT_EQ(WithoutNote(everything[0]), "QVInitialize() = 0");
  EXPECT_EQ(WithoutNote(everything[1]), "QVRelease() = 0");
  EXPECT_EQ(GetStatus().result, 1) << "still no session";
}

TEST_F(ExportsTest, AFailedLibraryStartCreatesNoSessionAndIsRetried) {
  struct Unforce {
    ~Unforce() { vgtest::RunCaptured("qvsimctl.exe", "fail * QVInitialize 1 0"); }
  } unforce;
  ASSERT_EQ(vgtest::RunCaptured("qvsimctl.exe", "fail * QVInitialize 1 1").exitCode, 0u);
  EXPECT_EQ(Start(), 1);
  DWORD status = 0;
  DWORD data = 0;
  EXPECT_EQ(GetChannel(&status, &data), 1);

  EXPECT_EQ(Start(), 0);
  EXPECT_EQ(GetChannel(&status, &data), 0);
  EXPECT_EQ(End(), 0);
}

// A library that cannot start is a printer that cannot be reached: every poll reports the
// communication error with its notification, never a status that was not read.
TEST_F(ExportsTest, AnUnusableLibraryIsReportedAsACommunicationError) {
  struct Unforce {
    ~Unforce() { vgtest::RunCaptured("qvsimctl.exe", "fail * QVInitialize 1 0"); }
  } unforce;
  ASSERT_EQ(vgtest::RunCaptured("qvsimctl.exe", "fail * QVInitialize 1").exitCode, 0u);
  EXPECT_EQ(Start(), 1);
  for (int enableGetStatusErr : {0, 1}) {
    SCOPED_TRACE(enableGetStatusErr);
    const Poll poll = GetStatus(enableGetStatusErr);
    EXPECT_EQ(poll.result, 1);
    EXPECT_EQ(poll.real, 0);
    EXPECT_EQ(poll.printing, 0);
    EXPECT_EQ(poll.simple, 11) << "status 21 or 22: no reply kind without a channel";
    EXPECT_EQ(poll.popup, 1) << "notification item 011 is on";
    EXPECT_EQ(poll.sound, 1) << "the model's buzzer for item 011";
  }
  EXPECT_EQ(TargetStatus(), "(missing)") << "no reply was stored";
  EXPECT_EQ(End(), 1);
}

// Some libraries report the device ID's length without a terminator: the library gets the
// caller's buffer with that size, and the text reaches the caller whole.
TEST_F(ExportsTest, DeviceIdSizedWithoutTerminatorReachesTheCallerWhole) {
  const std::string text = "MFG:KORVA;CMD:ESCP;MDL:VP-100;";
  Ctl("deviceid", "\"" + text + "\"");
  Ctl("deviceidsize", "bare");
  ASSERT_EQ(Start(), 0);
  DWORD size = 0;
  EXPECT_EQ(library_->getDeviceId(nullptr, &size), 1);
  ASSERT_EQ(size, text.size());
  // As the monitor fetches it: a zeroed buffer one byte larger than the size, and the size.
  std::vector<char> id(size + 1, '\0');
  EXPECT_EQ(library_->getDeviceId(id.data(), &size), 0);
  EXPECT_EQ(std::string(id.data()), text);
  EXPECT_EQ(size, text.size());
  EXPECT_EQ(End(), 0);
  const std::vector<std::string> calls = Calls();
  ASSERT_EQ(calls.size(), 3u) << ::testing::PrintToString(calls);
  EXPECT_NE(calls[2].find("buffer=yes, size=" + std::to_string(text.size()) + ")"),
            std::string::npos)
      << calls[2];
}

// The library that a process unloads during a session leaves the bidirectional library as it
// is: nothing of it runs while the system unloads (its loader lock is held then).
TEST_F(ExportsTest, UnloadingDuringASessionCallsNothingOfTheBidirectionalLibrary) {
  const size_t before = OwnCalls(CallsOfEverything()).size();
  ASSERT_EQ(Start(), 0);
  library_.reset();
  std::vector<std::string> everything = OwnCalls(CallsOfEverything());
  everything.erase(everything.begin(), everything.begin() + before);
  ASSERT_EQ(everything.size(), 1u) << ::testing::PrintToString(everything);
  EXPECT_EQ(WithoutNote(everything[0]), "QVInitialize() = 0");
  // The session's reference keeps it loaded; give it back so that later tests load afresh.
  HMODULE kept = ::GetModuleHandleA("qvsim.dll");
  EXPECT_NE(kept, nullptr);
  if (kept != nullptr) ::FreeLibrary(kept);
}

TEST_F(ExportsTest, DeviceIdFetchNeedsTheSizeAnswerOfTheFirstCall) {
  ASSERT_EQ(Start(), 0);
  Ctl("fail", "QVGetDeviceID -2 1");
  char id[64] = "stale";
  DWORD size = sizeof id;
  EXPECT_EQ(library_->getDeviceId(id, &size), 1) << "a large buffer does not help";
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(id[0], '\0');

  size = sizeof id;
  EXPECT_EQ(library_->getDeviceId(id, &size), 0);
  EXPECT_EQ(size, sizeof kDeviceId);
  EXPECT_STREQ(id, kDeviceId);
  EXPECT_EQ(library_->getDeviceId(id, nullptr), 1);
  EXPECT_EQ(End(), 0);
}

TEST_F(ExportsTest, ChannelsTheLibraryCannotUseAreRefused) {
  // A status channel without a data channel: the status channel is reported, nothing opened.
  Ctl("channels", "0x02000001:0x0004");
  ASSERT_EQ(Start(), 0);
  DWORD status = 0;
  DWORD data = 0;
  EXPECT_EQ(GetChannel(&status, &data), 1);
  EXPECT_EQ(status, kKindTwoChannel);
  EXPECT_EQ(data, 0u);
  EXPECT_EQ(End(), 0);

  // No channel that reports status.
  Ctl("channels", "0x10010003:0,0x10000003:0x8000");
  ASSERT_EQ(Start(), 0);
  EXPECT_EQ(GetChannel(&status, &data), 1);
  EXPECT_EQ(status, 0u);
  EXPECT_EQ(data, 0u);
  int network = kUnset;
  EXPECT_EQ(library_->getTimer(kLptChannel, &network), -1) << "the channel cannot report status";
  EXPECT_EQ(End(), 0);
  for (const std::string& call : Calls()) {
    EXPECT_EQ(call.find("QVOpenChannel"), std::string::npos) << call;
  }

  // No channel list at all: the first candidates are taken, and the one the printer does not
  // offer fails to open, which fails the acquisition (the caller tries again later).
  Ctl("fail", "QVGetAvailableChannel -1");
  ASSERT_EQ(Start(), 0);
  EXPECT_EQ(GetChannel(&status, &data), 1);
  EXPECT_EQ(status, 0x4u);
  EXPECT_EQ(data, kLptChannel);
  EXPECT_EQ(library_->getTimer(status, &network), 10) << "no selection counts as local";
  EXPECT_EQ(network, 0);
  const Poll poll = GetStatus();
  EXPECT_EQ(poll.result, 1);
  EXPECT_EQ(poll.simple, 11) << "the open failed: no contact";
  EXPECT_EQ(End(), 0);
  Ctl("fail", "QVGetAvailableChannel -1 0");
}

TEST_F(ExportsTest, AcquiringTheChannelsAgainClosesTheEarlierHandles) {
  ASSERT_EQ(Start(), 0);
  DWORD status = 0;
  DWORD data = 0;
  ASSERT_EQ(GetChannel(&status, &data), 0);
  ASSERT_EQ(GetChannel(&status, &data), 0);
  EXPECT_EQ(GetStatus().real, 1);
  EXPECT_EQ(End(), 0);

  std::vector<std::string> calls = Calls();
  ASSERT_EQ(calls.size(), 10u) << ::testing::PrintToString(calls);
  const std::string firstStatus = std::to_string(ResultOf(calls[2]));
  const std::string firstData = std::to_string(ResultOf(calls[3]));
  EXPECT_EQ(WithoutNote(calls[4]), "QVCloseChannel(handle=" + firstStatus + ") = 0");
  EXPECT_EQ(WithoutNote(calls[5]), "QVCloseChannel(handle=" + firstData + ") = 0");
  EXPECT_EQ(calls[6].find("channel=0x10000005"), calls[6].find("channel=")) << calls[6];
  EXPECT_EQ(WithoutNote(calls[8]),
            "QVGetStatus(handle=" + std::to_string(ResultOf(calls[6])) +
                ", buffer=null, size=0) = -4")
      << "the status is read on the new handle";
}

// Three busy reads in a row on the parallel port are tolerated, the fourth is reported.
TEST_F(ExportsTest, BusyParallelPortIsReportedAfterTheAllowance) {
  Ctl("channels", "0x10010003:0x0004");
  ASSERT_EQ(Start(), 0);
  DWORD status = 0;
  DWORD data = 0;
  ASSERT_EQ(GetChannel(&status, &data), 0);
  ASSERT_EQ(status, kLptChannel);
  Ctl("queue", "error:-5 error:-5 error:-5 error:-5 error:-5");

  for (int i = 1; i <= 3; ++i) {
    const Poll busy = GetStatus();
    EXPECT_EQ(busy.result, -1) << i;
    EXPECT_EQ(busy.popup, 0) << i;
    EXPECT_EQ(busy.sound, 0) << i;
    EXPECT_EQ(busy.printing, 0) << i;
    EXPECT_EQ(busy.real, 0) << i;
    EXPECT_EQ(busy.simple, kUnset) << "left as it was";
  }
  EXPECT_EQ(TargetDword("ComStatus"), 0xFFFFFFFFu) << "tolerated errors write nothing";

  const Poll fourth = GetStatus();
  EXPECT_EQ(fourth.result, 1);
  EXPECT_EQ(fourth.simple, 11) << "the simple number of status 21";
  EXPECT_EQ(fourth.real, 0);
  EXPECT_EQ(fourth.printing, 0);
  EXPECT_EQ(fourth.popup, 1) << "notification item 011 is on";
  EXPECT_EQ(fourth.sound, 1) << "the model's buzzer for item 011";
  EXPECT_EQ(TargetDword("ComStatus"), 0u);
  EXPECT_EQ(TargetStatus(), "(missing)");

  const Poll reported = GetStatus(1);
  EXPECT_EQ(reported.result, 1);
  EXPECT_EQ(reported.simple, 14) << "the simple number of status 22";
  EXPECT_EQ(TargetDword("ComStatus"), 4u);

  // A decoded status starts the allowance again.
  EXPECT_EQ(GetStatus().real, 1);
  EXPECT_EQ(TargetDword("ComStatus"), 1u);
  Ctl("queue", "error:-5");
  EXPECT_EQ(GetStatus().result, -1);
  EXPECT_EQ(End(), 0);
}

TEST_F(ExportsTest, BusyReadWithoutTheAllowanceIsReportedAtOnce) {
  // The port is a parallel port, but the status channel is not the parallel-port channel.
  ASSERT_EQ(Start(), 0);
  DWORD status = 0;
  DWORD data = 0;
  ASSERT_EQ(GetChannel(&status, &data), 0);
  ASSERT_EQ(status, kChannel10000005);
  Ctl("queue", "error:-5");
  EXPECT_EQ(GetStatus().simple, 11);
  EXPECT_EQ(End(), 0);

  // The parallel-port channel, but a model that tolerates nothing.
  ::WritePrivateProfileStringA(printer_.Model().c_str(), "ComErrDisableNum", "0",
                               printer_.ProfilePath().c_str());
  ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, printer_.ProfilePath().c_str());
  Ctl("channels", "0x10010003:0x0004");
  ASSERT_EQ(Start(), 0);
  ASSERT_EQ(GetChannel(&status, &data), 0);
  ASSERT_EQ(status, kLptChannel);
  Ctl("queue", "error:-5");
  const Poll poll = GetStatus();
  EXPECT_EQ(poll.result, 1);
  EXPECT_EQ(poll.simple, 11);
  EXPECT_EQ(End(), 0);
}

TEST_F(ExportsTest, DecodedRepliesAndRepliesThatMeanNoContact) {
  ASSERT_EQ(Start(), 0);
  DWORD status = 0;
  DWORD data = 0;
  ASSERT_EQ(GetChannel(&status, &data), 0);

  Ctl("reply", "\"@BDC ST\\r\\nST:03;\\f\"");
  const Poll busy = GetStatus();
  EXPECT_EQ(busy.result, 1);
  EXPECT_EQ(busy.printing, 2) << "state 3";
  EXPECT_EQ(busy.real, 11);
  EXPECT_EQ(busy.simple, 999);
  EXPECT_EQ(busy.popup, 0) << "item 999 is off";
  EXPECT_EQ(busy.sound, 0);
  EXPECT_EQ(TargetStatus(), "@BDC ST\r\nST:03;\f");

  // The switches of the printer's key decide the pop-up and the sound.
  SetTargetDword("999", 1, "Notify");
  SetTargetDword("SoundNotifyEnable", 1);
  const Poll told = GetStatus();
  EXPECT_EQ(told.popup, 1);
  EXPECT_EQ(told.sound, 1);

  // Out of paper: the profile's STATUS line for state 0, error 6 (status 5, simple 12).
  Ctl("reply", "\"@BDC ST\\r\\nST:00;ER:06;\\f\"");
  const Poll paper = GetStatus();
  EXPECT_EQ(paper.result, 1);
  EXPECT_EQ(paper.real, 5);
  EXPECT_EQ(paper.simple, 12);
  EXPECT_EQ(paper.printing, 1);
  EXPECT_EQ(paper.popup, 1) << "item 012 is on";
  EXPECT_EQ(paper.sound, 1);

  // A reply that decodes to a communication error, and one that does not parse, are no
  // contact: the substitute status, and the last good reply stays stored.
  for (const char* reply : {"\"@BDC ST\\r\\nST:00;\\f\"", "\"@BDC XX\\r\\nST:04;\\f\""}) {
    Ctl("reply", reply);
    const Poll lost = GetStatus();
    EXPECT_EQ(lost.result, 1) << reply;
    EXPECT_EQ(lost.real, 0) << reply;
    EXPECT_EQ(lost.printing, 0) << reply;
    EXPECT_EQ(lost.simple, 11) << reply;
    EXPECT_EQ(TargetDword("ComStatus"), 0u) << reply;
    EXPECT_EQ(TargetStatus(), "@BDC ST\r\nST:00;ER:06;\f") << reply;
  }
  EXPECT_EQ(End(), 0);
}

TEST_F(ExportsTest, NothingPendingAndCommunicationOffReportNoStatus) {
  ASSERT_EQ(Start(), 0);
  DWORD status = 0;
  DWORD data = 0;
  ASSERT_EQ(GetChannel(&status, &data), 0);
  Ctl("queue", "none error:-17 error:-2");

  for (int expected : {0, -1}) {
    const Poll poll = GetStatus();
    EXPECT_EQ(poll.result, expected);
    EXPECT_EQ(poll.popup, 0);
    EXPECT_EQ(poll.sound, 0);
    EXPECT_EQ(poll.printing, 0);
    EXPECT_EQ(poll.real, 0);
    EXPECT_EQ(poll.simple, kUnset) << "left as it was";
  }
  EXPECT_EQ(TargetDword("ComStatus"), 0xFFFFFFFFu);

  const Poll other = GetStatus();
  EXPECT_EQ(other.result, 1) << "any other failed read: the substitute status";
  EXPECT_EQ(other.simple, 11);
  EXPECT_EQ(End(), 0);
}

// Before the channels are acquired there is no reply kind: every substitute status resolves
// to the default record of channels of no kind. The log shows the status chosen.
TEST_F(ExportsTest, WithoutChannelsTheLastCommunicationStateChoosesTheSubstitute) {
  vgtest::ScopedRegistryValue logSwitch(HKEY_LOCAL_MACHINE, "Software\\Korva\\VGL3", "log");
  vgtest::SetDword(HKEY_LOCAL_MACHINE, "Software\\Korva\\VGL3", "log", 1);
  library_.reset();
  Load();  // the library reads its log switch when it loads
  if (HasFatalFailure()) return;
  VgTraceEnable(true);
  const std::string logPath = VgLogPath();
  VgTraceEnable(false);
  ASSERT_NE(logPath, "");
  const size_t offset = vgtest::FileSize(logPath);

  ASSERT_EQ(Start(), 0);
  const Poll plain = GetStatus();
  EXPECT_EQ(plain.result, 1);
  EXPECT_EQ(plain.simple, 11);
  EXPECT_EQ(TargetDword("ComStatus"), 0xFFFFFFFFu) << "not written without a channel";
  EXPECT_EQ(GetStatus(1).simple, 11);
  SetTargetDword("ComStatus", 3);  // the monitor found another model
  const Poll other = GetStatus(1);
  EXPECT_EQ(other.result, 1);
  EXPECT_EQ(other.simple, 11);
  EXPECT_EQ(other.real, 0);
  EXPECT_EQ(TargetDword("ComStatus"), 3u);
  EXPECT_EQ(End(), 0);
  for (const std::string& call : Calls()) {
    EXPECT_EQ(call.find("QVGetStatus"), std::string::npos) << call;
  }

  std::vector<std::string> chosen;
  int missingChannel = 0;
  for (const std::string& line : vgtest::LogLinesOf(logPath, ::GetCurrentProcessId(), 4, offset)) {
    // "%04X:%010u: ", then the scope's indentation.
    const size_t text = line.find_first_not_of(' ', 17);
    const std::string body = text == std::string::npos ? std::string() : line.substr(text);
    if (body.rfind("StatusNo : ", 0) == 0) chosen.push_back(body);
    if (body == "ERROR!! : dwChan == NULL || hChan == NULL") ++missingChannel;
  }
  EXPECT_EQ(chosen, (std::vector<std::string>{"StatusNo : 21", "StatusNo : 22", "StatusNo : 16"}));
  EXPECT_EQ(missingChannel, 3);
}

// A channel of the second reply kind: its replies are not parsed, and every status resolves
// to that kind's records.
TEST_F(ExportsTest, ASecondKindChannelUsesItsKindsRecords) {
  Ctl("channels", "0x02000001:0x0004,0x10010003:0");
  ASSERT_EQ(Start(), 0);
  DWORD status = 0;
  DWORD data = 0;
  ASSERT_EQ(GetChannel(&status, &data), 0);
  ASSERT_EQ(status, kKindTwoChannel);

  const Poll decoded = GetStatus();
  EXPECT_EQ(decoded.result, 1);
  EXPECT_EQ(decoded.real, -1) << "the kind's default record";
  EXPECT_EQ(decoded.simple, 11);
  EXPECT_EQ(decoded.printing, 0) << "no reply was parsed";
  EXPECT_EQ(TargetStatus(), kReadyReply) << "stored as a decoded reply";
  EXPECT_EQ(TargetDword("Channel"), kKindTwoChannel);
  EXPECT_EQ(TargetDword("ComStatus"), 1u);

  Ctl("queue", "error:-5");
  const Poll lost = GetStatus(1);
  EXPECT_EQ(lost.result, 1);
  EXPECT_EQ(lost.simple, 11) << "status 22 of the second kind (14 in the first)";
  EXPECT_EQ(TargetDword("ComStatus"), 4u);
  EXPECT_EQ(End(), 0);
}

// A printer whose model sets its local polling interval in the installation profile.
class ExportsTimerTest : public ExportsTest {
 protected:
  ExportsTimerTest() : ExportsTest({{"Install", "LocalMonitoringTimer", "30,90"}}) {}
};

TEST_F(ExportsTimerTest, PollingIntervalComesFromTheDriverKeyOrTheResourceLibrary) {
  ASSERT_EQ(Start(), 0);
  int network = kUnset;
  EXPECT_EQ(library_->getTimer(kChannel10000005, &network), 30) << "the text before the comma";
  EXPECT_EQ(network, 0);
  EXPECT_EQ(library_->getTimer(kLptChannel, &network), -1) << "no status mode on that channel";
  EXPECT_EQ(library_->getTimer(0x4, &network), -1) << "not offered";

  SetDriverValue("LocalMonitoringTimer", "0,5");
  EXPECT_EQ(library_->getTimer(kChannel10000005, &network), -1);
  SetDriverValue("LocalMonitoringTimer", "");
  EXPECT_EQ(library_->getTimer(kChannel10000005, &network), 10) << "string 1340 of vgres.dll";
  EXPECT_EQ(End(), 0);

  // A network connection reads its own value, and triples the resource's local interval.
  Ctl("channels", "0x10000005:0x8004,0x10010003:0");
  ASSERT_EQ(Start(), 0);
  EXPECT_EQ(library_->getTimer(kChannel10000005, &network), 30) << "the installed default";
  EXPECT_EQ(network, 1);
  SetDriverValue("NetworkMonitoringTimer", "");
  network = kUnset;
  EXPECT_EQ(library_->getTimer(kChannel10000005, &network), 30) << "3 x 10";
  EXPECT_EQ(network, 1);
  SetDriverValue("NetworkMonitoringTimer", "45");
  EXPECT_EQ(library_->getTimer(kChannel10000005, &network), 45);
  EXPECT_EQ(End(), 0);
}

// A printer on a network port: no parallel-port allowance, whatever the channel.
class ExportsNetworkPortTest : public ExportsTest {
 protected:
  ExportsNetworkPortTest() : ExportsTest({}, "IP_10.0.0.7") {}
};

TEST_F(ExportsNetworkPortTest, BusyReadIsReportedAtOnce) {
  Ctl("channels", "0x10010003:0x8004");
  ASSERT_EQ(Start(), 0);
  DWORD status = 0;
  DWORD data = 0;
  ASSERT_EQ(GetChannel(&status, &data), 0);
  ASSERT_EQ(status, kLptChannel);
  Ctl("queue", "error:-5");
  const Poll poll = GetStatus();
  EXPECT_EQ(poll.result, 1);
  EXPECT_EQ(poll.simple, 11);
  EXPECT_EQ(TargetDword("ComStatus"), 0u);
  int network = kUnset;
  EXPECT_EQ(library_->getTimer(status, &network), 30);
  EXPECT_EQ(network, 1);
  EXPECT_EQ(End(), 0);
}

}  // namespace
