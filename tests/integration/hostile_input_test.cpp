// Whole programs fed what someone else may have written: vgmon started with overlong, unclosed,
// non-ASCII and malformed command lines and parameter files, and the pop-up program handed
// WM_COPYDATA blocks that are no ParamBlock or lie about themselves. Nothing may crash or hang,
// each refusal leaves a line in the log, and nothing is made for a refused name: no target key,
// no file left behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "common/param_block.h"
#include "support/installed_printer.h"
#include "support/test_target_keys.h"
#include "support/win_test_support.h"

namespace {

const char kMonitorWindowClass[] = "VGL3V3MSBackMon03WClass";

std::string TempFolder() {
  char temp[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, temp);
  return temp;
}

// The names of the temporary folder's "VG_*.tmp" files: parameter files.
std::set<std::string> ParameterFiles() {
  std::set<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = ::FindFirstFileA((TempFolder() + "VG_*.tmp").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    names.insert(found.cFileName);
  } while (::FindNextFileA(search, &found));
  ::FindClose(search);
  return names;
}

// Whether the current user has a target key whose "Name" is the name.
bool HasTargetKeyNamed(const std::string& name) {
  HKEY base = nullptr;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, vgtest::kTargetBase, 0, KEY_READ, &base) !=
      ERROR_SUCCESS) {
    return false;
  }
  bool found = false;
  char subkey[256];
  for (DWORD index = 0; !found; ++index) {
    DWORD length = sizeof subkey;
    if (::RegEnumKeyExA(base, index, subkey, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    found = vgtest::GetString(base, subkey, "Name") == name;
  }
  ::RegCloseKey(base);
  return found;
}

// The same bytes every run, so that a failure can be replayed.
std::string PseudoRandomBytes(size_t size, uint32_t seed) {
  std::string bytes(size, '\0');
  for (char& c : bytes) {
    seed = seed * 1664525u + 1013904223u;
    c = static_cast<char>(seed >> 24);
  }
  return bytes;
}

class HostileMonitorInput : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    printer_ = std::make_unique<vgtest::InstalledPrinter>("Hostile",
                                                          std::vector<vgtest::ProfileSetting>{
                                                              {"", "TIMEOUT", "0"}});
  }
  static void TearDownTestSuite() { printer_.reset(); }

  void SetUp() override {
    ASSERT_TRUE(printer_->Ready()) << printer_->Failure();
    vgtest::SetMonitorLog(true);
    logPath_ = vgtest::MonitorLogPath();
    logOffset_ = vgtest::FileSize(logPath_);
  }
  void TearDown() override { vgtest::SetMonitorLog(false); }

  std::vector<std::string> LogBodies(DWORD processId) const {
    std::vector<std::string> bodies;
    for (const std::string& line : vgtest::LogLinesOf(logPath_, processId, 8, logOffset_)) {
      bodies.push_back(line.substr(21));  // "%08X:%10ld: "
    }
    return bodies;
  }

  static bool Has(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }

  // Runs a monitor that must refuse: it ends by itself (no message box waits for a user) with
  // code 0, logs the refusal, and makes no per-printer object for what it refused.
  void ExpectRefused(const std::string& arguments, const std::string& logLine) {
    SCOPED_TRACE(arguments.substr(0, 120));
    const std::set<std::string> filesBefore = ParameterFiles();
    const vgtest::ProcessResult run = vgtest::RunProgram("vgmon.exe", arguments, 20000);
    ASSERT_TRUE(run.started);
    ASSERT_TRUE(run.finished) << "the monitor did not end by itself";
    EXPECT_EQ(run.exitCode, 0u);
    const auto lines = LogBodies(run.processId);
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(Has(lines, logLine)) << "expected the log line: " << logLine;
    EXPECT_FALSE(Has(lines, "CMainFrame::CMainFrame"));
    EXPECT_EQ(lines.back(), "***** LOG END ******");
    for (const std::string& name : ParameterFiles()) {
      EXPECT_TRUE(filesBefore.count(name)) << "left behind: " << name;
    }
  }

  // Runs a monitor that must accept the input: it monitors until its window is closed.
  std::vector<std::string> RunAccepted(const std::string& arguments) {
    vgtest::ChildProcess monitor;
    EXPECT_TRUE(monitor.Start("vgmon.exe", arguments));
    HWND window = vgtest::FindProcessWindow(monitor.Id(), kMonitorWindowClass, 15000);
    EXPECT_NE(window, nullptr) << "the monitor did not start monitoring";
    if (window != nullptr) ::PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(monitor.Wait(20000), 0u);
    return LogBodies(monitor.Id());
  }

  std::string WriteParamFile(const std::string& content) {
    const std::string name = vgtest::UniqueName("VG_") + ".tmp";
    vgtest::WriteFile(TempFolder() + name, content);
    return name;
  }

  static std::unique_ptr<vgtest::InstalledPrinter> printer_;
  std::string logPath_;
  size_t logOffset_ = 0;
};

std::unique_ptr<vgtest::InstalledPrinter> HostileMonitorInput::printer_;

TEST_F(HostileMonitorInput, OverlongAndUnclosedCommandLinesAreRefused) {
  const std::string name = vgtest::UniqueName("Refused");
  const std::string driver = printer_->Driver();
  // Only its first 259 characters would be read: the rest of the line would be lost.
  ExpectRefused("/P \"" + name + "\" /D \"" + driver + "\" /M \"VP-100\" /KVM \"" +
                    std::string(300, 'k') + "\"",
                "Refused : the command line is longer than 259 characters");
  ExpectRefused(std::string(5000, '/'), "Refused : the command line is longer than 259 characters");
  // A quote never closed, at the end and in the middle (where it swallows the next option).
  ExpectRefused("/D \"" + driver + "\" /M \"VP-100\" /P \"" + name,
                "Refused : a quoted value of the command line has no closing quote");
  ExpectRefused("/P \"" + name + " /D \"" + driver + "\" /M \"VP-100\"",
                "Refused : a quoted value of the command line has no closing quote");
  ExpectRefused("/D \"" + driver + "\" /P200 \"" + name + "\"",
                "Refused : a quoted value of the command line has no closing quote");
  EXPECT_FALSE(HasTargetKeyNamed(name));
  EXPECT_FALSE(HasTargetKeyNamed(name + " /D "));
}

TEST_F(HostileMonitorInput, ControlCharactersAreRefusedAndNonAsciiIsKept) {
  const std::string name = vgtest::UniqueName("Ctl");
  const std::string driver = printer_->Driver();
  ExpectRefused("/P \"" + name + "\x01\" /D \"" + driver + "\"",
                "Refused : PrinterName holds a control character");
  ExpectRefused("/P \"" + name + "\" /O \"LPT1:\t\" /D \"" + driver + "\"",
                "Refused : PortName holds a control character");
  ExpectRefused("/P14 \"" + std::string("line\nfeed") + "\" /D \"" + driver + "\"",
                "Refused : PrinterName holds a control character");
  EXPECT_FALSE(HasTargetKeyNamed(name + "\x01"));
  // Neither a driver nor a model: nothing can lead to the printer's installation.
  const std::string nonAscii = "Drucker \xC4\xD6\xDC " + name;
  ExpectRefused("/P \"" + nonAscii + "\"", "No Driver key : neither a driver nor a model named");
  EXPECT_FALSE(HasTargetKeyNamed(nonAscii));

  // Non-ASCII texts of a real printer's job pass through unchanged; the job id is used as "0".
  const auto lines = RunAccepted(printer_->MonitorArguments() + " /KVM \"\xE4\xF6\xFC\xDF\"");
  EXPECT_TRUE(Has(lines, " PrinterName = " + printer_->Name() + " : PortName = " +
                             printer_->Port() + " : DriverName = " + driver +
                             " : ModelID = VP-100 : RemoveFlag = 0 : JobID =  : KVM = "
                             "\xE4\xF6\xFC\xDF"));
}

TEST_F(HostileMonitorInput, ParameterFilesOfAnyShape) {
  const std::string driver = printer_->Driver();
  // A file that does not exist names nothing.
  ExpectRefused("/F \"" + vgtest::UniqueName("VG_missing") + ".tmp\"",
                "Refused : no printer or port named");

  // An overlong line cuts its value to the whole field: refused, and the file is consumed.
  const std::string cut = WriteParamFile("/P \"" + std::string(5000, 'x') + "\"\r\n/D \"" +
                                         driver + "\"\r\n/M \"VP-100\"\r\n");
  ExpectRefused("/F \"" + cut + "\"",
                "Refused : PrinterName fills its 259 characters and may have been cut");
  EXPECT_FALSE(vgtest::FileExists(TempFolder() + cut));
  EXPECT_FALSE(HasTargetKeyNamed(std::string(259, 'x')));

  // Binary bytes after a name with a control character (no slash among them, and no end of
  // file character before the name).
  std::string binary = PseudoRandomBytes(4096, 7);
  std::replace(binary.begin(), binary.end(), '/', '.');
  const std::string name = vgtest::UniqueName("Bin");
  const std::string binaryFile =
      WriteParamFile("/P \"" + name + "\x07\"\r\n/D \"" + driver + "\"\r\n" + binary);
  ExpectRefused("/F \"" + binaryFile + "\"", "Refused : PrinterName holds a control character");
  EXPECT_FALSE(vgtest::FileExists(TempFolder() + binaryFile));
  EXPECT_FALSE(HasTargetKeyNamed(name + "\x07"));

  // A file outside the temporary folder is read but never deleted: /F cannot remove a user's
  // file.
  const std::string foreign = "C:\\" + vgtest::UniqueName("document") + ".txt";
  vgtest::WriteFile(foreign, "/P \"" + name + "\x02\"\r\n");
  ExpectRefused("/F \"" + foreign + "\"", "Refused : PrinterName holds a control character");
  EXPECT_TRUE(vgtest::FileExists(foreign));
  ::DeleteFileA(foreign.c_str());

  // Nothing but binary bytes names nothing.
  const std::string noise = WriteParamFile(PseudoRandomBytes(2048, 11));
  ExpectRefused("/F \"" + noise + "\"", "Refused : no printer or port named");
  EXPECT_FALSE(vgtest::FileExists(TempFolder() + noise));

  // An overlong line of a text that may be long, then the printer's lines, the last one
  // without a line end: the rest of the long line is skipped and every line after it is read.
  const std::string accepted =
      WriteParamFile("/KVM \"" + std::string(3000, 'k') + "\"\r\n/P \"" + printer_->Name() +
                     "\"\r\n/O \"" + printer_->Port() + "\"\r\n/M \"VP-100\"\r\n/D \"" + driver +
                     "\"");
  const auto lines = RunAccepted("/F \"" + accepted + "\"");
  EXPECT_TRUE(Has(lines, " PrinterName = " + printer_->Name() + " : PortName = " +
                             printer_->Port() + " : DriverName = " + driver +
                             " : ModelID = VP-100 : RemoveFlag = 0 : JobID =  : KVM = " +
                             std::string(259, 'k')));
  EXPECT_FALSE(vgtest::FileExists(TempFolder() + accepted));
}

TEST(HostileProfile, NegativeFirstDelayStillMonitors) {
  // "-1" milliseconds before the first poll would be a wait of weeks.
  vgtest::InstalledPrinter printer("InitTime", {{"", "MonitorInitTime", "-1"}, {"", "TIMEOUT", "0"}});
  ASSERT_TRUE(printer.Ready()) << printer.Failure();
  vgtest::SetMonitorLog(true);
  const std::string logPath = vgtest::MonitorLogPath();
  const size_t offset = vgtest::FileSize(logPath);
  vgtest::ChildProcess monitor;
  ASSERT_TRUE(monitor.Start("vgmon.exe", printer.MonitorArguments()));
  HWND window = vgtest::FindProcessWindow(monitor.Id(), kMonitorWindowClass, 15000);
  ASSERT_NE(window, nullptr);
  bool started = false;
  for (int i = 0; i < 300 && !started; ++i) {
    for (const std::string& line : vgtest::LogLinesOf(logPath, monitor.Id(), 8, offset)) {
      started = started || line.substr(21) == "CMainFrame::MonitorStart";
    }
    if (!started) ::Sleep(50);
  }
  EXPECT_TRUE(started) << "the worker never started monitoring";
  ::PostMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(monitor.Wait(20000), 0u);
  vgtest::SetMonitorLog(false);
}

// The pop-up program waiting in the background for a job of its printer (whose monitor seems
// to run: the test holds its instance mapping), and the log lines it appends.
class HostilePopupInput : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    printer_ =
        new vgtest::InstalledPrinter("PopupTarget", {}, "LPT1:", vgtest::PopupProgram::kReal);
  }
  static void TearDownTestSuite() {
    delete printer_;
    printer_ = nullptr;
  }
  void SetUp() override {
    ASSERT_TRUE(printer_->Ready()) << printer_->Failure();
    logPath_ = TempFolder() + "VGPOP.LOG";
    logOffset_ = vgtest::FileSize(logPath_);
    const std::string& printer = printer_->Name();
    monitorMapping_.reset(::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4,
                                               ("VG_MAP_" + printer).c_str()));
    ASSERT_NE(monitorMapping_.get(), nullptr);
    ASSERT_TRUE(popup_.Start(printer_->InstallDir() + "\\vgpop.exe",
                             "/P" + std::to_string(printer.size()) + " \"" + printer +
                                 "\" /O5 \"LPT1:\" /M6 \"VP-100\" /J \"1\" /S"));
    window_ = vgtest::FindProcessWindow(popup_.Id(), "VgPopupWindow", 15000);
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override {
    if (window_ != nullptr) ::PostMessageA(window_, WM_CLOSE, 0, 0);
    EXPECT_EQ(popup_.Wait(15000), 0u);
  }

  LRESULT Send(const void* data, size_t size) {
    COPYDATASTRUCT copy = {};
    copy.cbData = static_cast<DWORD>(size);
    copy.lpData = const_cast<void*>(data);
    DWORD_PTR result = 0;
    EXPECT_TRUE(::SendMessageTimeoutA(window_, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy),
                                      SMTO_ABORTIFHUNG, 10000, &result))
        << "the pop-up program did not answer";
    return static_cast<LRESULT>(result);
  }
  LRESULT Send(const std::vector<uint8_t>& block) { return Send(block.data(), block.size()); }

  std::vector<std::string> Lines() const {
    std::vector<std::string> bodies;
    const std::string prefix = std::to_string(popup_.Id()) + ": ";
    std::string text = vgtest::ReadFile(logPath_);
    text = logOffset_ < text.size() ? text.substr(logOffset_) : std::string();
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      std::string line = text.substr(start, end - start);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.compare(0, prefix.size(), prefix) == 0) bodies.push_back(line.substr(prefix.size()));
      start = end + 1;
    }
    return bodies;
  }

  static void Set32(std::vector<uint8_t>& block, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i) block[offset + i] = static_cast<uint8_t>(value >> (8 * i));
  }

  struct HandleCloser {
    void operator()(HANDLE handle) const { ::CloseHandle(handle); }
  };
  static vgtest::InstalledPrinter* printer_;
  std::string logPath_;
  size_t logOffset_ = 0;
  std::unique_ptr<void, HandleCloser> monitorMapping_;
  vgtest::ChildProcess popup_;
  HWND window_ = nullptr;
};

vgtest::InstalledPrinter* HostilePopupInput::printer_ = nullptr;

TEST_F(HostilePopupInput, RefusesWhatIsNoParamBlockAndTakesTheNextJob) {
  int refusals = 0;
  // Random bytes of every size around the header's.
  for (size_t size : {1u, 39u, 40u, 41u, 72u, 593u, 1000u, 70000u}) {
    const std::string bytes = PseudoRandomBytes(size, static_cast<uint32_t>(size));
    EXPECT_EQ(Send(bytes.data(), bytes.size()), FALSE) << size;
    ++refusals;
  }
  EXPECT_EQ(Send(nullptr, 0), FALSE);

  const auto good = vgmon::BuildMonitorParamBlock(vgmon::kCodeToPopup, "77", "k v");
  // Truncated: only 300 of its 593 bytes arrive.
  EXPECT_EQ(Send(good.data(), 300), FALSE);
  ++refusals;
  // Oversized: 100 bytes more than the block says.
  std::vector<uint8_t> oversized = good;
  oversized.resize(good.size() + 100, 0xEE);
  EXPECT_EQ(Send(oversized), FALSE);
  ++refusals;
  // Lying: an item length that wraps past the end, an item in the header, a huge count.
  std::vector<uint8_t> wrapping = good;
  Set32(wrapping, 44, 0xFFFFFFF0u);
  EXPECT_EQ(Send(wrapping), FALSE);
  std::vector<uint8_t> intoHeader = good;
  Set32(intoHeader, 40, 4);
  EXPECT_EQ(Send(intoHeader), FALSE);
  std::vector<uint8_t> hugeCount = good;
  Set32(hugeCount, 8, 0xFFFFFFF0u);
  Set32(hugeCount, 16, 0x0FFFFFFFu);
  EXPECT_EQ(Send(hugeCount), FALSE);
  refusals += 3;

  EXPECT_EQ(Send(good), TRUE);
  EXPECT_TRUE(::IsWindow(window_)) << "the window survives every block";

  const auto lines = Lines();
  const int refusedLines = static_cast<int>(std::count_if(
      lines.begin(), lines.end(), [](const std::string& line) {
        return line.find("Refused a block of ") == 0 &&
               line.find(" that is not a ParamBlock: ") != std::string::npos;
      }));
  EXPECT_EQ(refusedLines, refusals);
  EXPECT_TRUE(std::find(lines.begin(), lines.end(),
                        "Refused a WM_COPYDATA message without data") != lines.end());
  EXPECT_TRUE(std::find(lines.begin(), lines.end(),
                        "Refused a block of 300 bytes that is not a ParamBlock: its size field "
                        "says 593 bytes, 300 arrived") != lines.end());
  const auto taken =
      std::find(lines.begin(), lines.end(),
                "Handed a block from the monitor (code 2), job id \"77\", KVM \"k v\"");
  ASSERT_NE(taken, lines.end());
  ASSERT_NE(taken + 1, lines.end());
  EXPECT_EQ(*(taken + 1), "a further job: waits for its pop-up requests");
}

}  // namespace
