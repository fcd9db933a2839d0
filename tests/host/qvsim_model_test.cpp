// The simulated printer's answers and stored forms, as the library's callers and qvsimctl see
// them.
#include "tools/qvsim/qvsim_model.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace qvsim;
using ::testing::HasSubstr;

QueueItem Reply(const std::string& text) {
  QueueItem item;
  item.kind = QueueItem::Kind::kReply;
  item.reply = text;
  return item;
}

QueueItem Error(int32_t code) {
  QueueItem item;
  item.kind = QueueItem::Kind::kError;
  item.code = code;
  return item;
}

QueueItem None() { return QueueItem(); }

TEST(QvSimKeys, EntriesByKindAndNameWithoutCase) {
  EXPECT_EQ(EntryKeyPath({EntryKind::kPrinter, "Printer X"}),
            "Software\\QvSim\\Printers\\printer x");
  EXPECT_EQ(EntryKeyPath({EntryKind::kPort, "LPT1:"}), "Software\\QvSim\\Ports\\lpt1:");
  EXPECT_EQ(EntryKeyPath({EntryKind::kGlobal, ""}), "Software\\QvSim\\Global");
  EXPECT_EQ(KeyNameFor("\\\\Server\\Queue 100%"), "%5C%5Cserver%5Cqueue 100%25");
  EXPECT_EQ(KeyNameFor(std::string("a\tb")), "a%09b");
  EXPECT_NE(KeyNameFor("a/b"), KeyNameFor("a\\b"));

  // Long names stay below the registry's 255 and stay apart.
  const std::string longA = std::string(250, 'x') + "A";
  const std::string longB = std::string(250, 'x') + "B";
  EXPECT_LE(KeyNameFor(longA).size(), 255u);
  EXPECT_NE(KeyNameFor(longA), KeyNameFor(longB));
  EXPECT_EQ(KeyNameFor(longA), KeyNameFor(std::string(250, 'X') + "a"));
  const std::string backslashes(100, '\\');  // 300 bytes once encoded
  EXPECT_LE(KeyNameFor(backslashes).size(), 255u);
}

TEST(QvSimStoredForms, QueueRoundTripAndDamagedValues) {
  const std::vector<QueueItem> items = {Reply(std::string("@BDC ST\r\n\0x", 11)), Error(-17),
                                        None(), Reply("z")};
  std::vector<QueueItem> back;
  ASSERT_TRUE(DecodeQueue(EncodeQueue(items), &back));
  ASSERT_EQ(back.size(), 4u);
  EXPECT_EQ(back[0].reply, items[0].reply);
  EXPECT_EQ(back[1].kind, QueueItem::Kind::kError);
  EXPECT_EQ(back[1].code, -17);
  EXPECT_EQ(back[2].kind, QueueItem::Kind::kNone);
  EXPECT_EQ(back[3].reply, "z");
  EXPECT_TRUE(DecodeQueue("", &back));
  EXPECT_TRUE(back.empty());

  const std::string good = EncodeQueue(items);
  back.assign(1, None());
  EXPECT_FALSE(DecodeQueue(good.substr(0, good.size() - 1), &back)) << "reply cut short";
  EXPECT_FALSE(DecodeQueue(good.substr(0, 3), &back)) << "header cut short";
  EXPECT_FALSE(DecodeQueue(std::string("X\0\0\0\0", 5), &back)) << "unknown kind";
  EXPECT_FALSE(DecodeQueue(std::string("R\xFF\xFF\xFF\x7F", 5) + "abc", &back)) << "huge length";
  EXPECT_FALSE(DecodeQueue(std::string("R\0\0\0\0", 5), &back)) << "empty reply";
  EXPECT_FALSE(DecodeQueue(std::string("E\x05\0\0\0", 5), &back)) << "positive error code";
  EXPECT_EQ(back.size(), 1u) << "a refused value leaves the output alone";
}

TEST(QvSimStoredForms, ChannelsAreTheLibrarysRecords) {
  const std::vector<qvapi::ChannelRecord> channels = {{0x10000005, 4}, {0x10010003, 0x18000}};
  const std::string bytes = EncodeChannels(channels);
  EXPECT_EQ(bytes, std::string("\x05\0\0\x10\x04\0\0\0\x03\0\x01\x10\0\x80\x01\0", 16));
  std::vector<qvapi::ChannelRecord> back;
  ASSERT_TRUE(DecodeChannels(bytes, &back));
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(back[1].info, 0x18000u);
  EXPECT_FALSE(DecodeChannels(bytes.substr(0, 15), &back));
  EXPECT_FALSE(DecodeChannels(std::string((kMaxChannels + 1) * 8, '\0'), &back));
}

TEST(QvSimStoredForms, ForcedResultsCountDown) {
  Forced forced;
  ASSERT_TRUE(DecodeForced(EncodeForced({-5, 3}), &forced));
  EXPECT_EQ(forced.code, -5);
  EXPECT_EQ(forced.remaining, 3);
  EXPECT_EQ(EncodeForced({1, -1}), "1 always");
  ASSERT_TRUE(DecodeForced("1 always", &forced));
  EXPECT_EQ(forced.remaining, -1);
  for (const char* bad : {"", "-5", "-5 ", "x 3", "-5 -3", "-5 sometimes", "-5 3 4"}) {
    EXPECT_FALSE(DecodeForced(bad, &forced)) << bad;
  }

  forced = {-5, 2};
  bool exhausted = true;
  EXPECT_TRUE(UseForced(&forced, &exhausted));
  EXPECT_FALSE(exhausted);
  EXPECT_TRUE(UseForced(&forced, &exhausted));
  EXPECT_TRUE(exhausted) << "the last counted call asks for removal";
  EXPECT_FALSE(UseForced(&forced, &exhausted)) << "a used-up result applies no more";

  forced = {7, -1};
  for (int i = 0; i < 5; ++i) {
    EXPECT_TRUE(UseForced(&forced, &exhausted));
    EXPECT_FALSE(exhausted);
  }
  EXPECT_EQ(forced.remaining, -1);
}

TEST(QvSimStoredForms, ForcedCrashesAndHangs) {
  Forced crash;
  crash.action = Forced::Action::kCrash;
  crash.remaining = 1;
  EXPECT_EQ(EncodeForced(crash), "crash 1");
  Forced hang;
  hang.action = Forced::Action::kHang;
  hang.hangMs = 5000;
  EXPECT_EQ(EncodeForced(hang), "hang 5000 always");
  hang.hangMs = kHangUntilReleased;
  hang.remaining = 2;
  EXPECT_EQ(EncodeForced(hang), "hang forever 2");

  Forced back;
  ASSERT_TRUE(DecodeForced("crash always", &back));
  EXPECT_EQ(back.action, Forced::Action::kCrash);
  EXPECT_EQ(back.remaining, -1);
  ASSERT_TRUE(DecodeForced("hang 5000 3", &back));
  EXPECT_EQ(back.action, Forced::Action::kHang);
  EXPECT_EQ(back.hangMs, 5000u);
  EXPECT_EQ(back.remaining, 3);
  ASSERT_TRUE(DecodeForced("hang forever always", &back));
  EXPECT_EQ(back.hangMs, kHangUntilReleased);
  ASSERT_TRUE(DecodeForced("-17 always", &back));
  EXPECT_EQ(back.action, Forced::Action::kReturn) << "a plain code is a forced result";
  for (const char* bad : {"crash", "crash 1 2", "hang 5000", "hang 0 1", "hang soon 1",
                          "hang 4294967295 1", "hang -5 1", "crash -1"}) {
    EXPECT_FALSE(DecodeForced(bad, &back)) << bad;
  }

  // Each use counts down, whatever the behaviour.
  bool exhausted = false;
  hang.remaining = 1;
  EXPECT_TRUE(UseForced(&hang, &exhausted));
  EXPECT_TRUE(exhausted);
}

TEST(QvSimStoredForms, BlockedCallsEndWithTheirTimeOrARelease) {
  EXPECT_FALSE(HangIsOver(5000, 4999, 3, 3));
  EXPECT_TRUE(HangIsOver(5000, 5000, 3, 3));
  EXPECT_TRUE(HangIsOver(5000, 10, 3, 4)) << "released early";
  EXPECT_FALSE(HangIsOver(kHangUntilReleased, 0xFFFFFFF0u, 0, 0)) << "forever means forever";
  EXPECT_TRUE(HangIsOver(kHangUntilReleased, 0, 0xFFFFFFFFu, 0)) << "a counter that wrapped";

  EXPECT_EQ(ReleaseValueName({EntryKind::kPrinter, "Printer X"}), "Printers\\printer x");
  EXPECT_EQ(ReleaseValueName({EntryKind::kPort, "LPT1:"}), "Ports\\lpt1:");
  EXPECT_EQ(ReleaseValueName({EntryKind::kGlobal, ""}), "Global");
}

TEST(QvSimStoredForms, HandleRecordsAndSlots) {
  HandleRecord record;
  record.handle = 4097;
  record.address = {EntryKind::kPort, "LPT1: with spaces"};
  record.channel = 0x10010003;
  const std::string text = EncodeHandle(record);
  EXPECT_EQ(text, "4097 port 0x10010003 LPT1: with spaces");
  HandleRecord back;
  ASSERT_TRUE(DecodeHandle(text, &back));
  EXPECT_EQ(back.handle, 4097);
  EXPECT_EQ(back.address.kind, EntryKind::kPort);
  EXPECT_EQ(back.address.name, "LPT1: with spaces");
  EXPECT_EQ(back.channel, 0x10010003u);
  for (const char* bad : {"", "0 printer 0x4 X", "5 queue 0x4 X", "5 printer zz X", "5 printer 0x4",
                          "5 printer 0x4 "}) {
    EXPECT_FALSE(DecodeHandle(bad, &back)) << bad;
  }

  EXPECT_EQ(HandleSlotName(1), "0001");
  EXPECT_EQ(HandleSlotName(4097), HandleSlotName(1)) << "a slot is reused after 4096 opens";
  EXPECT_EQ(NextHandle(0), 1);
  EXPECT_EQ(NextHandle(41), 42);
  EXPECT_EQ(NextHandle(0x7FFFFFFF), 1) << "handles stay positive";
  EXPECT_EQ(NextHandle(-3), 1);
}

TEST(QvSimAnswers, DeviceIdSizeCountsTheTerminator) {
  SizedAnswer answer = AnswerDeviceId("MDL:VP-100;", false, 0);
  EXPECT_EQ(answer.result, qvapi::kBufferTooSmall);
  EXPECT_EQ(answer.size, 12);
  EXPECT_FALSE(answer.copy);
  answer = AnswerDeviceId("MDL:VP-100;", true, 11);
  EXPECT_EQ(answer.result, qvapi::kBufferTooSmall) << "no room for the terminator";
  answer = AnswerDeviceId("MDL:VP-100;", true, 12);
  EXPECT_EQ(answer.result, 11);
  EXPECT_TRUE(answer.copy);
  answer = AnswerDeviceId("", false, 0);
  EXPECT_EQ(answer.result, qvapi::kBufferTooSmall);
  EXPECT_EQ(answer.size, 1);
  answer = AnswerDeviceId("abc", true, -1);
  EXPECT_EQ(answer.result, qvapi::kBufferTooSmall);
}

// Some libraries report the text's length alone: a buffer of exactly that size gets the text
// without a terminator, a larger one gets the terminator too.
TEST(QvSimAnswers, BareDeviceIdSizeLeavesTheTerminatorOut) {
  SizedAnswer answer = AnswerDeviceId("MDL:VP-100;", false, 0, true);
  EXPECT_EQ(answer.result, qvapi::kBufferTooSmall);
  EXPECT_EQ(answer.size, 11);
  answer = AnswerDeviceId("MDL:VP-100;", true, 10, true);
  EXPECT_EQ(answer.result, qvapi::kBufferTooSmall);
  answer = AnswerDeviceId("MDL:VP-100;", true, 11, true);
  EXPECT_EQ(answer.result, 11);
  EXPECT_TRUE(answer.copy);
  EXPECT_FALSE(answer.terminate) << "no room for it";
  answer = AnswerDeviceId("MDL:VP-100;", true, 12, true);
  EXPECT_TRUE(answer.terminate);
  answer = AnswerDeviceId("MDL:VP-100;", true, 12);
  EXPECT_TRUE(answer.terminate) << "a counted terminator is always written";
}

TEST(QvSimAnswers, ChannelCountsAndSizes) {
  SizedAnswer answer = AnswerChannels(2, false, 0);
  EXPECT_EQ(answer.result, qvapi::kBufferTooSmall);
  EXPECT_EQ(answer.size, 16);
  answer = AnswerChannels(2, true, 15);
  EXPECT_EQ(answer.result, qvapi::kBufferTooSmall);
  answer = AnswerChannels(2, true, 16);
  EXPECT_EQ(answer.result, 2);
  EXPECT_TRUE(answer.copy);
  answer = AnswerChannels(0, false, 0);
  EXPECT_EQ(answer.result, 0);
  EXPECT_EQ(answer.size, 0);
}

TEST(QvSimAnswers, StatusQueueBeforeStandingReplyOneItemPerRead) {
  std::vector<QueueItem> queue = {Reply("first"), Error(-5), None(), Reply("fourth")};
  const std::optional<std::string> standing = std::string("standing");

  StatusAnswer answer = AnswerStatus(&queue, standing, false, 0);
  EXPECT_EQ(answer.result, qvapi::kBufferTooSmall);
  EXPECT_EQ(answer.size, 5);
  EXPECT_FALSE(answer.consumed);
  EXPECT_EQ(queue.size(), 4u) << "the size query peeks";

  answer = AnswerStatus(&queue, standing, true, 4);
  EXPECT_EQ(answer.result, qvapi::kBufferTooSmall);
  EXPECT_EQ(queue.size(), 4u) << "too small a buffer takes nothing";

  answer = AnswerStatus(&queue, standing, true, 64);
  EXPECT_EQ(answer.result, 5);
  EXPECT_EQ(answer.reply, "first");
  EXPECT_EQ(answer.size, 5);
  EXPECT_TRUE(answer.consumed);
  EXPECT_THAT(answer.note, HasSubstr("queued reply \"first\""));

  answer = AnswerStatus(&queue, standing, false, 0);
  EXPECT_EQ(answer.result, -5);
  EXPECT_FALSE(answer.size.has_value()) << "an error leaves the size alone";
  EXPECT_TRUE(answer.consumed) << "an error is taken by the first call";

  answer = AnswerStatus(&queue, standing, true, 64);
  EXPECT_EQ(answer.result, 0) << "none is taken by whichever call meets it";
  EXPECT_TRUE(answer.consumed);

  answer = AnswerStatus(&queue, standing, true, 64);
  EXPECT_EQ(answer.reply, "fourth");
  EXPECT_TRUE(queue.empty());

  for (int i = 0; i < 2; ++i) {
    answer = AnswerStatus(&queue, standing, true, 64);
    EXPECT_EQ(answer.reply, "standing");
    EXPECT_FALSE(answer.consumed);
    EXPECT_THAT(answer.note, HasSubstr("standing"));
  }

  answer = AnswerStatus(&queue, std::nullopt, false, 0);
  EXPECT_EQ(answer.result, 0);
  EXPECT_EQ(answer.note, "nothing pending");
  answer = AnswerStatus(&queue, std::string(), false, 0);
  EXPECT_EQ(answer.result, 0) << "an empty standing reply is none";
}

TEST(QvSimCallLog, LinesAndTextsForTheLog) {
  EXPECT_EQ(FormatCallLine(7, 42, "QVGetStatus(handle=3, buffer=null, size=0)", -4,
                           "queued reply of 16 bytes"),
            "7 pid=42 QVGetStatus(handle=3, buffer=null, size=0) = -4; queued reply of 16 bytes");
  EXPECT_EQ(FormatCallLine(1, 9, "QVInitialize()", 0, ""), "1 pid=9 QVInitialize() = 0");
  EXPECT_EQ(FormatCallLine(3, 9, "QVInitialize()", "blocked", "until released"),
            "3 pid=9 QVInitialize() = blocked; until released");
  EXPECT_EQ(LogText(nullptr), "null");
  EXPECT_EQ(LogText("Printer \"X\"\r"), "\"Printer \"X\"\\r\"");
  const std::string longName(200, 'n');
  EXPECT_EQ(LogText(longName.c_str(), 80), "\"" + std::string(80, 'n') + "...\"");
}

TEST(QvSimShow, DescribesEveryPartOfAnEntry) {
  EntrySnapshot entry;
  entry.address = {EntryKind::kPrinter, "Printer X"};
  entry.keyPath = EntryKeyPath(entry.address);
  entry.deviceId = "MFG:KORVA;MDL:VP-100;";
  entry.channels = std::vector<qvapi::ChannelRecord>{{0x10000005, 4}};
  entry.queue = {Error(-5), Reply("@BDC ST\r\n")};
  entry.forced = {{Function::kGetStatus, {-5, 3}},
                  {Function::kOpenChannel, {0, -1}},
                  {Function::kCloseChannel, {0, 1, Forced::Action::kCrash}},
                  {Function::kGetDeviceID, {0, -1, Forced::Action::kHang, 2500}},
                  {Function::kReceive, {0, 2, Forced::Action::kHang, kHangUntilReleased}}};
  entry.calls = 12;
  EXPECT_THAT(DescribeEntry(entry),
              ::testing::ElementsAre(
                  "Printer X (HKEY_CURRENT_USER\\Software\\QvSim\\Printers\\printer x)",
                  "  deviceid: \"MFG:KORVA;MDL:VP-100;\"", "  channels: 0x10000005:0x4",
                  "  reply: none", "  queue: 2 item(s)", "    error:-5", "    @BDC ST\\r\\n",
                  "  fail QVGetStatus: -5, 3 more call(s)", "  fail QVOpenChannel: 0, every call",
                  "  crash QVCloseChannel: access violation, 1 more call(s)",
                  "  hang QVGetDeviceID: blocks 2500 ms, every call",
                  "  hang QVReceive: blocks until released, 2 more call(s)",
                  "  calls logged: 12 (the last 1000 are kept)"));

  EntrySnapshot empty;
  empty.address = {EntryKind::kPrinter, "Y"};
  empty.keyPath = EntryKeyPath(empty.address);
  const auto lines = DescribeEntry(empty);
  EXPECT_EQ(lines[1], "  deviceid: not set");
  EXPECT_EQ(lines[2], "  channels: not set");
  empty.bareDeviceIdSize = true;
  EXPECT_EQ(DescribeEntry(empty)[2], "  deviceid size: bare (no terminator counted)");
}

}  // namespace
