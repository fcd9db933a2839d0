// qvsim.dll called exactly as the system calls a bidirectional library, with its printers set
// through the control module in this process.
#include "support/qvsim_library.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "support/win_test_support.h"
#include "tools/qvsim/qvsim_control_win.h"
#include "tools/qvsim/qvsim_model.h"

namespace {

using ::testing::HasSubstr;

constexpr const char* kReady = "@BDC ST\r\nST:04;\f";
constexpr const char* kPaperOut = "@BDC ST\r\nST:00;ER:06;\f";
constexpr const char* kDeviceId = "MFG:KORVA;MDL:VP-100;CMD:ESC;";

class QvSimLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(lib_.Load());
    printer_ = vgtest::UniqueName("QvSim Printer");
    port_ = vgtest::UniqueName("LPT");
  }

  void TearDown() override {
    for (int32_t handle : handles_) lib_.QVCloseChannel(handle);
    Ctl({"reset", printer_});
    Ctl({"reset", "port:" + port_});
    Ctl({"reset", "*"});
  }

  // Runs a qvsimctl command in this process; the lines it printed.
  std::vector<std::string> Ctl(std::vector<std::string> args, int expected = qvsim::kExitOk) {
    std::vector<std::string> lines;
    auto sink = [&](const std::string& line) { lines.push_back(line); };
    EXPECT_EQ(qvsim::ControlMain(args, sink, sink), expected) << args[0];
    return lines;
  }

  void SetUpPrinter(const std::string& name) {
    Ctl({"deviceid", name, kDeviceId});
    Ctl({"channels", name, "0x10000005:4,0x10010003:0"});
  }

  int32_t Open(int32_t kind, const std::string& name, uint32_t channel) {
    const int32_t handle = lib_.QVOpenChannel(kind, name.c_str(), channel);
    if (handle > 0) handles_.push_back(handle);
    return handle;
  }

  vgtest::QvSimLibrary lib_;
  std::string printer_;
  std::string port_;
  std::vector<int32_t> handles_;
};

TEST_F(QvSimLibraryTest, ProcessWideCallsSucceedUnlessForced) {
  EXPECT_EQ(lib_.QVInitialize(), 0);
  EXPECT_EQ(lib_.QVRelease(), 0);

  Ctl({"fail", "*", "QVInitialize", "1", "2"});
  EXPECT_EQ(lib_.QVInitialize(), 1);
  EXPECT_EQ(lib_.QVInitialize(), 1);
  EXPECT_EQ(lib_.QVInitialize(), 0) << "the count ran out";

  Ctl({"fail", "*", "QVRelease", "-1"});
  EXPECT_EQ(lib_.QVRelease(), -1);
  EXPECT_EQ(lib_.QVRelease(), -1) << "without a count it stays";
  Ctl({"fail", "*", "QVRelease", "-1", "0"});
  EXPECT_EQ(lib_.QVRelease(), 0) << "a count of 0 removes it";
}

TEST_F(QvSimLibraryTest, DeviceIdTwoCallPatternWithTerminator) {
  SetUpPrinter(printer_);
  const vgtest::QvSimLibrary::Read read = lib_.ReadDeviceId(qvapi::kKindPrinter, printer_);
  EXPECT_EQ(read.first, qvapi::kBufferTooSmall);
  EXPECT_EQ(read.firstSize, static_cast<int32_t>(std::strlen(kDeviceId)) + 1);
  ASSERT_TRUE(read.secondMade);
  EXPECT_GE(read.second, 0);
  EXPECT_EQ(std::string(read.buffer.c_str()), kDeviceId);
  EXPECT_EQ(read.buffer.back(), '~') << "nothing written past the size given";

  // A buffer smaller than needed gets -4 and the size again, and nothing in it.
  char small[8] = "unused";
  int32_t size = sizeof small;
  EXPECT_EQ(lib_.QVGetDeviceID(qvapi::kKindPrinter, printer_.c_str(), small, &size),
            qvapi::kBufferTooSmall);
  EXPECT_EQ(size, read.firstSize);
  EXPECT_STREQ(small, "unused");
}

// With "deviceidsize NAME bare" the size is the text's alone, and a buffer of exactly that
// size gets the text without a terminator: what a caller's spare byte is for.
TEST_F(QvSimLibraryTest, DeviceIdSizeWithoutTheTerminatorOnRequest) {
  SetUpPrinter(printer_);
  Ctl({"deviceidsize", printer_, "bare"});
  vgtest::QvSimLibrary::Read read = lib_.ReadDeviceId(qvapi::kKindPrinter, printer_);
  EXPECT_EQ(read.firstSize, static_cast<int32_t>(std::strlen(kDeviceId)));
  ASSERT_TRUE(read.secondMade);
  EXPECT_EQ(read.second, read.firstSize);
  EXPECT_EQ(read.buffer, std::string(kDeviceId) + "~") << "no terminator in the reported size";
  EXPECT_THAT(Ctl({"show", printer_}),
              ::testing::Contains("  deviceid size: bare (no terminator counted)"));

  Ctl({"deviceidsize", printer_, "terminated"});
  read = lib_.ReadDeviceId(qvapi::kKindPrinter, printer_);
  EXPECT_EQ(read.firstSize, static_cast<int32_t>(std::strlen(kDeviceId)) + 1);
}

TEST_F(QvSimLibraryTest, UnknownPrintersAndBadArgumentsFail) {
  int32_t size = 0;
  EXPECT_LT(lib_.QVGetDeviceID(qvapi::kKindPrinter, printer_.c_str(), nullptr, &size), 0);
  EXPECT_NE(lib_.QVGetDeviceID(qvapi::kKindPrinter, printer_.c_str(), nullptr, &size),
            qvapi::kBufferTooSmall);
  EXPECT_LT(lib_.QVGetAvailableChannel(qvapi::kKindPrinter, printer_.c_str(), nullptr, &size), 0);
  EXPECT_LE(Open(qvapi::kKindPrinter, printer_, qvapi::kChannel10000005), 0);

  SetUpPrinter(printer_);
  EXPECT_LT(lib_.QVGetDeviceID(2, printer_.c_str(), nullptr, &size), 0) << "kind 2";
  EXPECT_LT(lib_.QVGetDeviceID(qvapi::kKindPrinter, nullptr, nullptr, &size), 0);
  EXPECT_LT(lib_.QVGetDeviceID(qvapi::kKindPrinter, "", nullptr, &size), 0);
  EXPECT_LT(lib_.QVGetDeviceID(qvapi::kKindPrinter, printer_.c_str(), nullptr, nullptr), 0);
  const std::string tooLong(300, 'p');
  EXPECT_LT(lib_.QVGetDeviceID(qvapi::kKindPrinter, tooLong.c_str(), nullptr, &size), 0);
  EXPECT_LE(Open(qvapi::kKindPrinter, printer_, qvapi::kChannel4), 0) << "not offered";
  EXPECT_LT(lib_.QVCloseChannel(0x7FFFFFF0), 0);
  EXPECT_LT(lib_.QVGetStatus(-1, nullptr, &size), 0);
}

TEST_F(QvSimLibraryTest, NamesCompareWithoutCaseAndPortsAreTheirOwnEntries) {
  Ctl({"deviceid", "port:" + port_, "MFG:KORVA;MDL:VP-200;"});
  Ctl({"deviceid", printer_, kDeviceId});

  std::string upper = printer_;
  std::transform(upper.begin(), upper.end(), upper.begin(), ::toupper);
  EXPECT_EQ(std::string(lib_.ReadDeviceId(qvapi::kKindPrinter, upper).buffer.c_str()), kDeviceId);

  std::string lowerPort = port_;
  std::transform(lowerPort.begin(), lowerPort.end(), lowerPort.begin(), ::tolower);
  EXPECT_EQ(std::string(lib_.ReadDeviceId(qvapi::kKindPort, lowerPort).buffer.c_str()),
            "MFG:KORVA;MDL:VP-200;");
  // Kind 1 with the port's name is a printer of that name, which has no state.
  EXPECT_LT(lib_.ReadDeviceId(qvapi::kKindPrinter, port_).first, 0);
  EXPECT_LT(lib_.ReadDeviceId(qvapi::kKindPort, printer_).first, 0);
}

TEST_F(QvSimLibraryTest, ChannelListTwoCallPattern) {
  Ctl({"channels", printer_, "0x10000005:4,0x10010003:0x18004,4:0"});
  const vgtest::QvSimLibrary::Read read = lib_.ReadChannels(qvapi::kKindPrinter, printer_);
  EXPECT_EQ(read.first, qvapi::kBufferTooSmall);
  EXPECT_EQ(read.firstSize, 24);
  EXPECT_EQ(read.second, 3);
  const auto channels = lib_.Channels(qvapi::kKindPrinter, printer_);
  ASSERT_EQ(channels.size(), 3u);
  EXPECT_EQ(channels[0].channel, qvapi::kChannel10000005);
  EXPECT_EQ(qvapi::ModeOf(channels[0]), qvapi::kModeStatus);
  EXPECT_EQ(channels[1].channel, qvapi::kChannelParallel);
  EXPECT_EQ(channels[1].info, 0x18004u) << "the further 16 bits are kept";
  EXPECT_EQ(qvapi::ModeOf(channels[1]), 0x8004);
  EXPECT_EQ(channels[2].channel, qvapi::kChannel4);

  int32_t size = 16;
  char small[16];
  EXPECT_EQ(lib_.QVGetAvailableChannel(qvapi::kKindPrinter, printer_.c_str(), small, &size),
            qvapi::kBufferTooSmall);
  EXPECT_EQ(size, 24);

  Ctl({"channels", printer_, "none"});
  size = 0;
  EXPECT_EQ(lib_.QVGetAvailableChannel(qvapi::kKindPrinter, printer_.c_str(), nullptr, &size), 0);
  EXPECT_EQ(size, 0);
}

TEST_F(QvSimLibraryTest, HandlesArePositiveDistinctAndClose) {
  SetUpPrinter(printer_);
  const int32_t status = Open(qvapi::kKindPrinter, printer_, qvapi::kChannel10000005);
  const int32_t data = Open(qvapi::kKindPrinter, printer_, qvapi::kChannelParallel);
  EXPECT_GT(status, 0);
  EXPECT_GT(data, 0);
  EXPECT_NE(status, data);
  Ctl({"reply", printer_, kReady});
  EXPECT_EQ(lib_.ReadStatus(data).data, kReady) << "every open handle reads the printer";

  EXPECT_EQ(lib_.QVReceiveCancel(status), 0);
  EXPECT_EQ(lib_.QVCloseChannel(status), 0);
  EXPECT_LT(lib_.QVCloseChannel(status), 0) << "closed twice";
  EXPECT_LT(lib_.ReadStatus(status).first, 0);
  EXPECT_LT(lib_.QVReceiveCancel(status), 0);
}

TEST_F(QvSimLibraryTest, StandingReplyAnswersEveryRead) {
  SetUpPrinter(printer_);
  const int32_t handle = Open(qvapi::kKindPrinter, printer_, qvapi::kChannel10000005);
  EXPECT_EQ(lib_.ReadStatus(handle).first, 0) << "nothing set: nothing pending";

  Ctl({"reply", printer_, "@BDC ST\\r\\nST:04;\\f"});
  for (int i = 0; i < 3; ++i) {
    const vgtest::QvSimLibrary::Read read = lib_.ReadStatus(handle);
    EXPECT_EQ(read.first, qvapi::kBufferTooSmall);
    EXPECT_EQ(read.firstSize, static_cast<int32_t>(std::strlen(kReady)));
    EXPECT_EQ(read.second, read.firstSize);
    EXPECT_EQ(read.data, kReady);
  }
  Ctl({"reply", printer_, kPaperOut});
  EXPECT_EQ(lib_.ReadStatus(handle).data, kPaperOut);
  Ctl({"reply", printer_, ""});
  EXPECT_EQ(lib_.ReadStatus(handle).first, 0) << "an empty reply clears it";
}

TEST_F(QvSimLibraryTest, QueueIsConsumedOncePerTwoCallRead) {
  SetUpPrinter(printer_);
  Ctl({"reply", printer_, kReady});
  Ctl({"queue", printer_, "@BDC ST\\r\\nST:02;\\f", "error:-5", "none", "error:-17", kPaperOut});
  const int32_t handle = Open(qvapi::kKindPrinter, printer_, qvapi::kChannel10000005);

  // Size queries peek: two of them still see the same first reply.
  int32_t size = 0;
  EXPECT_EQ(lib_.QVGetStatus(handle, nullptr, &size), qvapi::kBufferTooSmall);
  size = 0;
  EXPECT_EQ(lib_.QVGetStatus(handle, nullptr, &size), qvapi::kBufferTooSmall);
  EXPECT_EQ(lib_.ReadStatus(handle).data, "@BDC ST\r\nST:02;\f");

  vgtest::QvSimLibrary::Read read = lib_.ReadStatus(handle);
  EXPECT_EQ(read.first, qvapi::kChannelBusy);
  EXPECT_FALSE(read.secondMade);
  EXPECT_EQ(lib_.ReadStatus(handle).first, 0) << "none: nothing arrived";
  EXPECT_EQ(lib_.ReadStatus(handle).first, qvapi::kCommunicationOff);
  EXPECT_EQ(lib_.ReadStatus(handle).data, kPaperOut);
  EXPECT_EQ(lib_.ReadStatus(handle).data, kReady) << "drained: the standing reply again";
  EXPECT_EQ(lib_.ReadStatus(handle).data, kReady);
}

TEST_F(QvSimLibraryTest, TooSmallStatusBufferConsumesNothing) {
  SetUpPrinter(printer_);
  Ctl({"queue", printer_, kPaperOut});
  const int32_t handle = Open(qvapi::kKindPrinter, printer_, qvapi::kChannel10000005);
  char small[4] = {'a', 'b', 'c', 'd'};
  int32_t size = sizeof small;
  EXPECT_EQ(lib_.QVGetStatus(handle, small, &size), qvapi::kBufferTooSmall);
  EXPECT_EQ(size, static_cast<int32_t>(std::strlen(kPaperOut)));
  EXPECT_EQ(std::string(small, 4), "abcd");
  EXPECT_EQ(lib_.ReadStatus(handle).data, kPaperOut);
  EXPECT_EQ(lib_.ReadStatus(handle).first, 0);
}

TEST_F(QvSimLibraryTest, ForcedResultsCountCallsPerPrinter) {
  SetUpPrinter(printer_);
  Ctl({"reply", printer_, kReady});
  const int32_t handle = Open(qvapi::kKindPrinter, printer_, qvapi::kChannel10000005);
  Ctl({"fail", printer_, "QVGetStatus", "-5", "3"});
  for (int i = 0; i < 3; ++i) EXPECT_EQ(lib_.ReadStatus(handle).first, -5) << i;
  EXPECT_EQ(lib_.ReadStatus(handle).data, kReady);

  // Forced 0 (nothing arrived): each read stops at its first call.
  Ctl({"fail", printer_, "qvgetstatus", "0x0", "2"});
  EXPECT_EQ(lib_.ReadStatus(handle).first, 0);
  EXPECT_EQ(lib_.ReadStatus(handle).first, 0);
  EXPECT_EQ(lib_.ReadStatus(handle).data, kReady);

  // Forced between the two calls of a read: the second call fails and the queued reply stays.
  Ctl({"queue", printer_, kPaperOut});
  int32_t size = 0;
  EXPECT_EQ(lib_.QVGetStatus(handle, nullptr, &size), qvapi::kBufferTooSmall);
  Ctl({"fail", printer_, "QVGetStatus", "-17", "1"});
  std::string buffer(static_cast<size_t>(size), '\0');
  EXPECT_EQ(lib_.QVGetStatus(handle, &buffer[0], &size), -17);
  EXPECT_EQ(lib_.ReadStatus(handle).data, kPaperOut);

  Ctl({"fail", printer_, "QVOpenChannel", "0", "1"});
  EXPECT_EQ(Open(qvapi::kKindPrinter, printer_, qvapi::kChannel10000005), 0);
  EXPECT_GT(Open(qvapi::kKindPrinter, printer_, qvapi::kChannel10000005), 0);

  Ctl({"fail", printer_, "QVGetDeviceID", "-17"});
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(lib_.ReadDeviceId(qvapi::kKindPrinter, printer_).first, -17);
  }

  // Another printer is not touched by them.
  const std::string other = vgtest::UniqueName("QvSim Other");
  SetUpPrinter(other);
  EXPECT_EQ(lib_.ReadDeviceId(qvapi::kKindPrinter, other).first, qvapi::kBufferTooSmall);
  Ctl({"reset", other});
}

TEST_F(QvSimLibraryTest, OptionsSendAndReceiveGiveSimpleResults) {
  SetUpPrinter(printer_);
  const int32_t handle = Open(qvapi::kKindPrinter, printer_, qvapi::kChannelParallel);
  int32_t size = 12;
  char data[12] = "hello";
  EXPECT_EQ(lib_.QVSetOption(handle, 3, data, &size), 0);
  EXPECT_EQ(lib_.QVGetOption(handle, 3, data, &size), 0);
  EXPECT_EQ(size, 0);
  size = 5;
  EXPECT_EQ(lib_.QVSend(handle, data, &size), 5);
  size = 12;
  EXPECT_EQ(lib_.QVReceive(handle, data, &size), 0);
  EXPECT_EQ(size, 0);
  EXPECT_LT(lib_.QVSend(handle, data, nullptr), 0);
  EXPECT_LT(lib_.QVSetOption(0x7FFFFFF0, 3, data, &size), 0);
}

TEST_F(QvSimLibraryTest, CallLogNamesEveryCallWithItsResult) {
  SetUpPrinter(printer_);
  Ctl({"reply", printer_, kReady});
  lib_.ReadDeviceId(qvapi::kKindPrinter, printer_);
  const int32_t handle = Open(qvapi::kKindPrinter, printer_, qvapi::kChannel10000005);
  lib_.ReadStatus(handle);

  const std::vector<std::string> calls = Ctl({"calls", printer_});
  ASSERT_EQ(calls.size(), 5u);
  const std::string pid = " pid=" + std::to_string(::GetCurrentProcessId()) + " ";
  EXPECT_EQ(calls[0], "1" + pid + "QVGetDeviceID(kind=1, name=\"" + printer_ +
                          "\", buffer=null, size=0) = -4; size=30");
  EXPECT_THAT(calls[1], HasSubstr("QVGetDeviceID(kind=1, name=\"" + printer_ +
                                  "\", buffer=yes, size=30) = 29"));
  EXPECT_EQ(calls[2], "3" + pid + "QVOpenChannel(kind=1, name=\"" + printer_ +
                          "\", channel=0x10000005) = " + std::to_string(handle));
  EXPECT_THAT(calls[3], HasSubstr("QVGetStatus(handle=" + std::to_string(handle) +
                                  ", buffer=null, size=0) = -4; standing reply of 16 bytes"));
  EXPECT_THAT(calls[4], HasSubstr("= 16; standing reply \"@BDC ST\\r\\nST:04;\\f\""));

  lib_.QVInitialize();
  EXPECT_THAT(Ctl({"calls", "*"}).back(), HasSubstr("QVInitialize() = 0"));
  lib_.QVCloseChannel(0x7FFFFFF0);
  EXPECT_THAT(Ctl({"calls", "*"}).back(), HasSubstr("QVCloseChannel(handle=2147483632) = -3"));
}

TEST_F(QvSimLibraryTest, CallLogKeepsTheLastThousandCalls) {
  SetUpPrinter(printer_);
  const int32_t handle = Open(qvapi::kKindPrinter, printer_, qvapi::kChannel10000005);
  for (int i = 0; i < 1004; ++i) lib_.QVReceiveCancel(handle);
  const std::vector<std::string> calls = Ctl({"calls", printer_});
  ASSERT_EQ(calls.size(), qvsim::kCallSlots);
  EXPECT_THAT(calls.front(), ::testing::StartsWith("6 pid="));
  EXPECT_THAT(calls.back(), ::testing::StartsWith("1005 pid="));
  EXPECT_THAT(calls.back(), HasSubstr("QVReceiveCancel"));
}

TEST_F(QvSimLibraryTest, StateLivesUnderTheSimulatorsOwnKey) {
  Ctl({"deviceid", printer_, "ID\\x00X"});
  Ctl({"channels", printer_, "0x10000005:4"});
  std::string lower = printer_;
  std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
  const std::string key = "Software\\QvSim\\Printers\\" + lower;
  EXPECT_EQ(vgtest::GetString(HKEY_CURRENT_USER, key, "Name"), printer_);
  EXPECT_TRUE(vgtest::KeyExists(HKEY_CURRENT_USER, key));
  const vgtest::QvSimLibrary::Read read = lib_.ReadDeviceId(qvapi::kKindPrinter, printer_);
  EXPECT_EQ(read.firstSize, 5) << "a zero byte inside the ID is kept";
  Ctl({"reset", printer_});
  EXPECT_FALSE(vgtest::KeyExists(HKEY_CURRENT_USER, key));
}

TEST_F(QvSimLibraryTest, ConcurrentReadersTakeEachQueuedReplyOnce) {
  SetUpPrinter(printer_);
  std::vector<std::string> items = {"queue", printer_};
  for (int i = 0; i < 60; ++i)
    items.push_back("@BDC ST\\r\\nTC:" + std::to_string(1000 + i) + ";\\f");
  Ctl(items);
  const int32_t handle = Open(qvapi::kKindPrinter, printer_, qvapi::kChannel10000005);

  std::vector<std::vector<std::string>> seen(4);
  std::vector<std::thread> readers;
  for (auto& mine : seen) {
    readers.emplace_back([&, handle] {
      for (;;) {
        const vgtest::QvSimLibrary::Read read = lib_.ReadStatus(handle);
        if (read.first == 0) break;
        if (read.second > 0) mine.push_back(read.data);
      }
    });
  }
  for (auto& reader : readers) reader.join();
  std::map<std::string, int> counts;
  for (const auto& mine : seen) {
    for (const auto& reply : mine) ++counts[reply];
  }
  EXPECT_EQ(counts.size(), 60u);
  for (const auto& [reply, count] : counts) EXPECT_EQ(count, 1) << reply;
}

}  // namespace
