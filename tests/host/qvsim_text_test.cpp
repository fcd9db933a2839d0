// The simulated printer's control language: what qvsimctl and scenario files accept and refuse.
#include "tools/qvsim/qvsim_text.h"

#include "tools/qvsim/standin_rules.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace qvsim;
using ::testing::HasSubstr;

std::string Decoded(const std::string& text) {
  std::string out = "untouched";
  std::string error;
  EXPECT_TRUE(DecodeEscapes(text, &out, &error)) << text << ": " << error;
  return out;
}

std::string DecodeError(const std::string& text) {
  std::string out = "untouched";
  std::string error;
  EXPECT_FALSE(DecodeEscapes(text, &out, &error)) << text;
  EXPECT_EQ(out, "untouched") << "a failed decode leaves the output alone";
  return error;
}

TEST(QvSimEscapes, DecodeTheFiveForms) {
  EXPECT_EQ(Decoded("@BDC ST\\r\\nST:04;\\f"), "@BDC ST\r\nST:04;\f");
  EXPECT_EQ(Decoded("a\\\\b"), "a\\b");
  EXPECT_EQ(Decoded("\\x41\\x7e\\xFF"), "A~\xFF");
  EXPECT_EQ(Decoded("\\x00"), std::string(1, '\0'));
  EXPECT_EQ(Decoded("\\x414"), "A4") << "exactly two digits; the third is text";
  EXPECT_EQ(Decoded("\\\\x41"), "\\x41") << "an escaped backslash starts no escape";
  EXPECT_EQ(Decoded(""), "");
  EXPECT_EQ(Decoded("plain; text"), "plain; text");
}

TEST(QvSimEscapes, MalformedOnesAreRefused) {
  EXPECT_THAT(DecodeError("abc\\"), HasSubstr("end"));
  EXPECT_THAT(DecodeError("\\x"), HasSubstr("two hex digits"));
  EXPECT_THAT(DecodeError("\\x4"), HasSubstr("two hex digits"));
  EXPECT_THAT(DecodeError("\\x4g"), HasSubstr("two hex digits"));
  EXPECT_THAT(DecodeError("\\xg4"), HasSubstr("two hex digits"));
  EXPECT_THAT(DecodeError("\\t"), HasSubstr("unknown escape \\t"));
  EXPECT_THAT(DecodeError("\\\""), HasSubstr("unknown escape"));
  EXPECT_THAT(DecodeError(std::string(kMaxText + 1, 'a')), HasSubstr("longer"));
  EXPECT_EQ(Decoded(std::string(kMaxText, 'a')).size(), kMaxText);
}

TEST(QvSimEscapes, EncodeIsTheInverseForDisplay) {
  const std::string bytes = std::string("@BDC ST\r\nA\\\f") + '\0' + "\x7F\x80z";
  const std::string shown = EncodeEscapes(bytes);
  EXPECT_EQ(shown, "@BDC ST\\r\\nA\\\\\\f\\x00\\x7F\\x80z");
  EXPECT_EQ(Decoded(shown), bytes);
  EXPECT_EQ(EncodeEscapes("abcdef", 3), "abc...");
  EXPECT_EQ(EncodeEscapes("abc", 3), "abc");
}

TEST(QvSimNumbers, DecimalAndHexWithinRange) {
  int32_t value = 7;
  EXPECT_TRUE(ParseInt32("-5", &value));
  EXPECT_EQ(value, -5);
  EXPECT_TRUE(ParseInt32("0x11", &value));
  EXPECT_EQ(value, 17);
  EXPECT_TRUE(ParseInt32("-0X11", &value));
  EXPECT_EQ(value, -17);
  EXPECT_TRUE(ParseInt32("2147483647", &value));
  EXPECT_EQ(value, 2147483647);
  EXPECT_TRUE(ParseInt32("-2147483648", &value));
  EXPECT_EQ(value, INT32_MIN);
  value = 7;
  for (const char* bad : {"", "-", "0x", "2147483648", "-2147483649", "0x80000000", "+5", " 5",
                          "5 ", "1e3", "0x1g", "--5", "12a"}) {
    EXPECT_FALSE(ParseInt32(bad, &value)) << bad;
  }
  EXPECT_EQ(value, 7) << "a refused number leaves the output alone";

  uint32_t word = 0;
  EXPECT_TRUE(ParseUInt32("0xFFFFFFFF", &word));
  EXPECT_EQ(word, 0xFFFFFFFFu);
  EXPECT_TRUE(ParseUInt32("0x10000005", &word));
  EXPECT_EQ(word, 0x10000005u);
  EXPECT_TRUE(ParseUInt32("0x000000000010", &word)) << "leading zeros are no overflow";
  EXPECT_EQ(word, 16u);
  EXPECT_FALSE(ParseUInt32("0x100000000", &word));
  EXPECT_FALSE(ParseUInt32("4294967296", &word));
  EXPECT_FALSE(ParseUInt32("-1", &word));
}

TEST(QvSimChannels, ListsOfChannelAndModeWords) {
  std::vector<qvapi::ChannelRecord> channels;
  std::string error;
  ASSERT_TRUE(ParseChannelList("0x10000005:4,0x10010003:0x8004,4:0", &channels, &error));
  ASSERT_EQ(channels.size(), 3u);
  EXPECT_EQ(channels[0].channel, 0x10000005u);
  EXPECT_EQ(channels[0].info, 4u);
  EXPECT_EQ(channels[1].info, 0x8004u);
  EXPECT_EQ(channels[2].channel, 4u);
  EXPECT_EQ(FormatChannelList(channels), "0x10000005:0x4,0x10010003:0x8004,0x4:0x0");

  ASSERT_TRUE(ParseChannelList("4:4,4:0", &channels, &error));
  EXPECT_EQ(channels.size(), 2u) << "duplicates are kept in order";
  ASSERT_TRUE(ParseChannelList("NONE", &channels, &error));
  EXPECT_TRUE(channels.empty());
  EXPECT_EQ(FormatChannelList(channels), "none");

  channels.assign(1, {9, 9});
  for (const char* bad : {"", "4", "4:", ":4", "4:4,", ",4:4", "4:4,,5:0", "4:4;5:0", "4:x",
                          "0x100000000:4", "4 :4"}) {
    EXPECT_FALSE(ParseChannelList(bad, &channels, &error)) << bad;
  }
  EXPECT_EQ(channels.size(), 1u);

  std::string many;
  for (size_t i = 0; i <= kMaxChannels; ++i) many += (i ? "," : "") + std::to_string(i) + ":4";
  EXPECT_FALSE(ParseChannelList(many, &channels, &error));
  EXPECT_THAT(error, HasSubstr("more than"));
}

TEST(QvSimQueue, ItemsAreRepliesErrorsOrNone) {
  QueueItem item;
  std::string error;
  ASSERT_TRUE(ParseQueueItem("none", &item, &error));
  EXPECT_EQ(item.kind, QueueItem::Kind::kNone);
  ASSERT_TRUE(ParseQueueItem("error:-5", &item, &error));
  EXPECT_EQ(item.kind, QueueItem::Kind::kError);
  EXPECT_EQ(item.code, -5);
  ASSERT_TRUE(ParseQueueItem("ERROR:-0x11", &item, &error));
  EXPECT_EQ(item.code, -17);
  ASSERT_TRUE(ParseQueueItem("@BDC ST\\r\\nST:04;\\f", &item, &error));
  EXPECT_EQ(item.kind, QueueItem::Kind::kReply);
  EXPECT_EQ(item.reply, "@BDC ST\r\nST:04;\f");
  ASSERT_TRUE(ParseQueueItem("\\x6Eone", &item, &error));
  EXPECT_EQ(item.kind, QueueItem::Kind::kReply);
  EXPECT_EQ(item.reply, "none");
  EXPECT_EQ(FormatQueueItem(item), "\\x6Eone") << "shown so that it reads back as a reply";

  for (const char* bad : {"error:", "error:5", "error:0", "error:-4", "error:x", "", "\\q"}) {
    EXPECT_FALSE(ParseQueueItem(bad, &item, &error)) << bad;
  }
}

TEST(QvSimAddresses, PrintersPortsAndTheProcessWideEntry) {
  Address address;
  std::string error;
  ASSERT_TRUE(ParseAddress("Printer X", &address, &error));
  EXPECT_EQ(address.kind, EntryKind::kPrinter);
  EXPECT_EQ(address.name, "Printer X");
  ASSERT_TRUE(ParseAddress("PORT:LPT1:", &address, &error));
  EXPECT_EQ(address.kind, EntryKind::kPort);
  EXPECT_EQ(address.name, "LPT1:");
  ASSERT_TRUE(ParseAddress("printer:port:odd", &address, &error));
  EXPECT_EQ(address.kind, EntryKind::kPrinter);
  EXPECT_EQ(address.name, "port:odd");
  EXPECT_EQ(FormatAddress(address), "printer:port:odd");
  ASSERT_TRUE(ParseAddress("\\\\server\\queue", &address, &error));
  EXPECT_EQ(address.name, "\\\\server\\queue") << "names take no escapes";
  ASSERT_TRUE(ParseAddress("*", &address, &error));
  EXPECT_EQ(address.kind, EntryKind::kGlobal);

  EXPECT_TRUE(ParseAddress(std::string(kMaxName, 'n'), &address, &error));
  EXPECT_FALSE(ParseAddress(std::string(kMaxName + 1, 'n'), &address, &error));
  EXPECT_FALSE(ParseAddress("", &address, &error));
  EXPECT_FALSE(ParseAddress("port:", &address, &error));
}

struct Parsed {
  bool ok;
  Command command;
  std::string error;
  std::string usage;
};

Parsed Parse(std::vector<std::string> args) {
  Parsed parsed;
  parsed.ok = ParseCommand(args, &parsed.command, &parsed.error, &parsed.usage);
  return parsed;
}

TEST(QvSimCommands, EachCommandWithItsArguments) {
  Parsed p = Parse({"deviceid", "X", "MFG:KORVA;MDL:VP-100;\\x00"});
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_EQ(p.command.type, CommandType::kDeviceId);
  EXPECT_EQ(p.command.text, std::string("MFG:KORVA;MDL:VP-100;") + '\0');

  p = Parse({"deviceidsize", "X", "Bare"});
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_EQ(p.command.type, CommandType::kDeviceIdSize);
  EXPECT_TRUE(p.command.bareSize);
  p = Parse({"deviceidsize", "X", "terminated"});
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_FALSE(p.command.bareSize);

  p = Parse({"Channels", "port:LPT1:", "0x10000005:4"});
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_EQ(p.command.address.kind, EntryKind::kPort);
  EXPECT_EQ(p.command.channels.size(), 1u);

  p = Parse({"reply", "X", ""});
  ASSERT_TRUE(p.ok);
  EXPECT_TRUE(p.command.text.empty());

  p = Parse({"queue", "X", "a", "error:-17", "none"});
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.command.items.size(), 3u);

  p = Parse({"fail", "X", "qvgetstatus", "-5", "3"});
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.command.function, Function::kGetStatus);
  EXPECT_EQ(p.command.code, -5);
  EXPECT_EQ(p.command.count, 3);
  p = Parse({"fail", "X", "QVOpenChannel", "0"});
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.command.count, -1) << "no count: every call";
  p = Parse({"fail", "*", "QVInitialize", "1", "0x0"});
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.command.count, 0);

  p = Parse({"crash", "X", "QVGetStatus"});
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_EQ(p.command.type, CommandType::kCrash);
  EXPECT_EQ(p.command.function, Function::kGetStatus);
  EXPECT_EQ(p.command.count, -1);
  p = Parse({"CRASH", "*", "qvrelease", "1"});
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_EQ(p.command.count, 1);
  p = Parse({"hang", "port:LPT1:", "QVOpenChannel", "0x1388", "2"});
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_EQ(p.command.type, CommandType::kHang);
  EXPECT_EQ(p.command.hangMs, 5000u);
  EXPECT_EQ(p.command.count, 2);
  p = Parse({"hang", "*", "QVInitialize", "Forever"});
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_EQ(p.command.hangMs, 0xFFFFFFFFu);
  EXPECT_EQ(p.command.count, -1);
  p = Parse({"hang", "X", "QVGetStatus", "forever", "0"});
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_EQ(p.command.count, 0) << "count 0 removes it";
  p = Parse({"release", "X"});
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_EQ(p.command.type, CommandType::kRelease);
  EXPECT_TRUE(Parse({"release", "*"}).ok);

  for (const char* name : {"reset", "calls", "show"}) {
    EXPECT_TRUE(Parse({name, "X"}).ok) << name;
    EXPECT_TRUE(Parse({name, "*"}).ok) << name;
  }
  p = Parse({"run", "C:\\demo\\scenario.txt"});
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.command.text, "C:\\demo\\scenario.txt");
  EXPECT_TRUE(Parse({"help"}).ok);

  p = Parse({"started", "QvApiSet.EXE"});
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_EQ(p.command.type, CommandType::kStarted);
  EXPECT_EQ(p.command.program, "qvapiset.exe") << "one record for every letter case";
  p = Parse({"answer", "qvapiset.exe", "250"});
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_EQ(p.command.delayMs, 250u);
  p = Parse({"answer", "qvapiset.exe", "Never"});
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_EQ(p.command.delayMs, kNeverAnswer);
  EXPECT_EQ(Parse({"forget", "vgagent.exe"}).command.type, CommandType::kForget);
}

TEST(QvSimCommands, RefusalsNameTheUsageOfTheCommand) {
  Parsed p = Parse({"frobnicate", "X"});
  EXPECT_FALSE(p.ok);
  EXPECT_THAT(p.error, HasSubstr("unknown command"));
  EXPECT_THAT(p.usage, HasSubstr("usage: qvsimctl reset|deviceid|"));
  EXPECT_FALSE(Parse({}).ok);

  const std::vector<std::vector<std::string>> bad = {
      {"reset"},
      {"reset", "X", "Y"},
      {"deviceid", "X"},
      {"deviceid", "*", "id"},
      {"deviceid", "X", "bad\\q"},
      {"deviceidsize", "X"},
      {"deviceidsize", "X", "short"},
      {"deviceidsize", "*", "bare"},
      {"channels", "X", "4"},
      {"reply", "X", "\\x4"},
      {"queue", "X"},
      {"queue", "X", "error:3"},
      {"queue", "*", "none"},
      {"fail", "X", "QVGetStatus"},
      {"fail", "X", "QVFrob", "-5"},
      {"fail", "X", "QVGetStatus", "five"},
      {"fail", "X", "QVGetStatus", "-5", "-1"},
      {"fail", "X", "QVGetStatus", "-5", "0x80000000"},
      {"fail", "X", "QVInitialize", "1"},
      {"fail", "*", "QVGetStatus", "-5"},
      {"crash", "X"},
      {"crash", "X", "QVFrob"},
      {"crash", "X", "QVGetStatus", "1", "2"},
      {"crash", "X", "QVGetStatus", "-1"},
      {"crash", "X", "QVInitialize"},
      {"crash", "*", "QVGetStatus"},
      {"hang", "X", "QVGetStatus"},
      {"hang", "X", "QVGetStatus", "0"},
      {"hang", "X", "QVGetStatus", "soon"},
      {"hang", "X", "QVGetStatus", "4294967295"},
      {"hang", "X", "QVGetStatus", "100", "once"},
      {"hang", "X", "QVGetStatus", "100", "1", "2"},
      {"hang", "*", "QVGetStatus", "100"},
      {"release"},
      {"release", "X", "QVGetStatus"},
      {"run"},
      {"run", ""},
      {"help", "me"},
      {"started"},
      {"started", "C:\\tools\\qvapiset.exe"},
      {"forget", ""},
      {"answer", "qvapiset.exe"},
      {"answer", "qvapiset.exe", "soon"},
      {"answer", "qvapiset.exe", "-5"},
  };
  for (const auto& args : bad) {
    p = Parse(args);
    EXPECT_FALSE(p.ok) << args[0] << " " << (args.size() > 1 ? args[1] : "");
    EXPECT_THAT(p.usage, HasSubstr("usage: qvsimctl " + args[0])) << args[0];
    EXPECT_FALSE(p.error.empty());
  }
  std::vector<std::string> tooMany = {"queue", "X"};
  tooMany.resize(kMaxQueueItems + 3, "none");
  EXPECT_FALSE(Parse(tooMany).ok);
}

TEST(QvSimScenario, WordsQuotesAndStepKinds) {
  std::vector<std::string> words;
  std::string error;
  ASSERT_TRUE(
      SplitWords("  reply \"Printer X\"\t\"@BDC ST\\r\\n\" a\"b c\"d \"\" ", &words, &error));
  EXPECT_EQ(words, (std::vector<std::string>{"reply", "Printer X", "@BDC ST\\r\\n", "ab cd", ""}));
  EXPECT_FALSE(SplitWords("reply \"X", &words, &error));

  ScenarioStep step;
  for (const char* nothing : {"", "   ", "# a comment", "  # indented \"comment", "\r"}) {
    ASSERT_TRUE(ParseScenarioLine(nothing, &step, &error)) << nothing;
    EXPECT_EQ(step.action, ScenarioStep::Action::kNothing);
    EXPECT_FALSE(step.hasAt);
  }

  ASSERT_TRUE(ParseScenarioLine("sleep 0x1F4\r", &step, &error));
  EXPECT_EQ(step.action, ScenarioStep::Action::kSleep);
  EXPECT_EQ(step.sleepMs, 500u);

  ASSERT_TRUE(ParseScenarioLine("at 2.5 say  Paper out: \"look\" # not a comment", &step, &error));
  EXPECT_TRUE(step.hasAt);
  EXPECT_EQ(step.atMs, 2500u);
  EXPECT_EQ(step.action, ScenarioStep::Action::kSay);
  EXPECT_EQ(step.say, "Paper out: \"look\" # not a comment");

  ASSERT_TRUE(
      ParseScenarioLine("at 1 reply \"Printer X\" \"@BDC ST\\r\\nST:04;\\f\"", &step, &error));
  EXPECT_EQ(step.atMs, 1000u);
  EXPECT_EQ(step.action, ScenarioStep::Action::kCommand);
  EXPECT_EQ(step.command.type, CommandType::kReply);
  EXPECT_EQ(step.command.address.name, "Printer X");
  EXPECT_EQ(step.command.text, "@BDC ST\r\nST:04;\f");

  ASSERT_TRUE(ParseScenarioLine("at 3", &step, &error));
  EXPECT_TRUE(step.hasAt);
  EXPECT_EQ(step.action, ScenarioStep::Action::kNothing);

  ASSERT_TRUE(ParseScenarioLine("queue X none error:-5", &step, &error));
  EXPECT_FALSE(step.hasAt);
  EXPECT_EQ(step.command.items.size(), 2u);

  ASSERT_TRUE(ParseScenarioLine("say", &step, &error));
  EXPECT_EQ(step.say, "");
}

TEST(QvSimScenario, MalformedLinesAreRefused) {
  ScenarioStep step;
  std::string error;
  for (const char* bad :
       {"sleep", "sleep 5 6", "sleep -1", "sleep 1.5", "at", "at x say hi", "at 1.2345 say hi",
        "at 1. say hi", "at -1 say hi", "at 1 sleep 5", "run other.txt", "at 1 run x", "help",
        "frob X", "reply X", "reply \"X", "at 1 fail X QVGetStatus"}) {
    EXPECT_FALSE(ParseScenarioLine(bad, &step, &error)) << bad;
    EXPECT_FALSE(error.empty()) << bad;
  }
}

TEST(QvSimScenario, WaitNamesAnEventAndAtMostHowLong) {
  ScenarioStep step;
  std::string error;
  ASSERT_TRUE(ParseScenarioLine("wait load-go", &step, &error)) << error;
  EXPECT_EQ(step.action, ScenarioStep::Action::kWait);
  EXPECT_EQ(step.waitEvent, "load-go");
  EXPECT_EQ(step.waitLimitMs, kDefaultWaitLimitMs);
  EXPECT_FALSE(step.hasAt);

  ASSERT_TRUE(ParseScenarioLine("  WAIT \"start gate\" 2.5\r", &step, &error)) << error;
  EXPECT_EQ(step.waitEvent, "start gate");
  EXPECT_EQ(step.waitLimitMs, 2500u);

  const std::string longest(kMaxEventNameBytes, 'e');
  ASSERT_TRUE(ParseScenarioLine("wait " + longest, &step, &error));
  EXPECT_EQ(step.waitEvent, longest);

  for (const std::string& bad :
       {std::string("wait"), std::string("wait \"\""), std::string("wait go soon"),
        std::string("wait go 1 2"), std::string("wait Global\\go"), std::string("at 1 wait go"),
        std::string("wait go -1"), "wait " + longest + "e"}) {
    EXPECT_FALSE(ParseScenarioLine(bad, &step, &error)) << bad;
    EXPECT_FALSE(error.empty()) << bad;
  }
}

TEST(QvSimScenario, SecondsWithUpToThreeFractionDigits) {
  uint32_t ms = 0;
  EXPECT_TRUE(ParseSeconds("0", &ms));
  EXPECT_EQ(ms, 0u);
  EXPECT_TRUE(ParseSeconds("1.5", &ms));
  EXPECT_EQ(ms, 1500u);
  EXPECT_TRUE(ParseSeconds("0.05", &ms));
  EXPECT_EQ(ms, 50u);
  EXPECT_TRUE(ParseSeconds("12.345", &ms));
  EXPECT_EQ(ms, 12345u);
  EXPECT_TRUE(ParseSeconds("4294967.295", &ms));
  EXPECT_EQ(ms, 0xFFFFFFFFu);
  EXPECT_FALSE(ParseSeconds("4294967.296", &ms));
  EXPECT_FALSE(ParseSeconds("4294968", &ms));
  EXPECT_FALSE(ParseSeconds(".5", &ms));
  EXPECT_FALSE(ParseSeconds("0x10", &ms));
}

}  // namespace
