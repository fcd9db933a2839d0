// Naming rules of the target keys and the notification item lines of a model's profile.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "common/notify_item_rules.h"
#include "common/target_key_rules.h"

namespace {

using namespace std::string_literals;

TEST(TargetKeyRules, PrinterNameFirstPortNameOnlyWithoutIt) {
  auto target = vgtarget::ChooseTargetName("Office", "LPT1:");
  EXPECT_EQ(target.name, "Office");
  EXPECT_EQ(target.kind, vgtarget::kKindPrinter);
  target = vgtarget::ChooseTargetName("", "LPT1:");
  EXPECT_EQ(target.name, "LPT1:");
  EXPECT_EQ(target.kind, vgtarget::kKindPort);
  target = vgtarget::ChooseTargetName("", "");
  EXPECT_EQ(target.name, "");
  EXPECT_EQ(target.kind, vgtarget::kKindPrinter);

  EXPECT_EQ(vgtarget::BaseKeyOf(0), "software\\KORVA\\VGL3\\VGLData\\KVLTarget");
  EXPECT_EQ(vgtarget::BaseKeyOf(1), "software\\KORVA\\VGL3\\VGLData\\KVNTarget");
  EXPECT_TRUE(vgtarget::BaseKeyOf(2).empty());
  EXPECT_TRUE(vgtarget::BaseKeyOf(-1).empty());
}

TEST(TargetKeyRules, NumberedKeysHaveSixteenDigits) {
  char out[vgtarget::kKeyPathSize];
  ASSERT_TRUE(vgtarget::FormatTargetKeyPath(out, sizeof out, "Base", 0));
  EXPECT_STREQ(out, "Base\\P0000000000000000");
  ASSERT_TRUE(vgtarget::FormatTargetKeyPath(out, sizeof out, "Base", 12));
  EXPECT_STREQ(out, "Base\\P0000000000000012");
  ASSERT_TRUE(vgtarget::FormatTargetKeyPath(out, sizeof out, "Base", 2147483646L));
  EXPECT_STREQ(out, "Base\\P0000002147483646");
  EXPECT_FALSE(vgtarget::FormatTargetKeyPath(out, sizeof out, "Base", 2147483647L));
  EXPECT_STREQ(out, "");
  EXPECT_FALSE(vgtarget::FormatTargetKeyPath(out, sizeof out, "Base", -1));
}

TEST(TargetKeyRules, JoinedPathsAreNeverCut) {
  char out[12];
  std::memset(out, 'x', sizeof out);
  ASSERT_TRUE(vgtarget::JoinKeyPath(out, sizeof out, "abcde", "fghij"));
  EXPECT_STREQ(out, "abcde\\fghij") << "eleven characters and the terminator fit exactly";
  EXPECT_FALSE(vgtarget::JoinKeyPath(out, sizeof out, "abcde", "fghijk"));
  EXPECT_STREQ(out, "");
  EXPECT_FALSE(vgtarget::JoinKeyPath(nullptr, 10, "a", "b"));

  // A 16-digit key under a base that leaves no room for it.
  const std::string longBase(240, 'b');
  char path[vgtarget::kKeyPathSize];
  EXPECT_TRUE(vgtarget::FormatTargetKeyPath(path, sizeof path, longBase, 1));
  EXPECT_FALSE(vgtarget::FormatTargetKeyPath(path, sizeof path, longBase + "bbb", 1));
}

TEST(TargetKeyRules, PortBaseKeepsTheUserProfileInFront) {
  using vgtarget::PortBaseBeside;
  EXPECT_EQ(PortBaseBeside("software\\KORVA\\VGL3\\VGLData\\KVLTarget"),
            "software\\KORVA\\VGL3\\VGLData\\KVNTarget");
  EXPECT_EQ(PortBaseBeside("S-1-5-21-1\\software\\KORVA\\VGL3\\VGLData\\KVLTarget"),
            "S-1-5-21-1\\software\\KORVA\\VGL3\\VGLData\\KVNTarget");
  EXPECT_EQ(PortBaseBeside("S-1-5-21-1\\SOFTWARE\\korva\\VGL3\\VGLData\\kvntarget"),
            "S-1-5-21-1\\software\\KORVA\\VGL3\\VGLData\\KVNTarget");
  EXPECT_EQ(PortBaseBeside("Elsewhere\\Keys"), "software\\KORVA\\VGL3\\VGLData\\KVNTarget");
  EXPECT_EQ(PortBaseBeside("xsoftware\\KORVA\\VGL3\\VGLData\\KVLTarget"),
            "software\\KORVA\\VGL3\\VGLData\\KVNTarget")
      << "the base key must start at a key boundary";

  EXPECT_TRUE(vgtarget::IsPortBase("software\\KORVA\\VGL3\\VGLData\\KVNTarget"));
  EXPECT_TRUE(vgtarget::IsPortBase("S-1\\software\\KORVA\\VGL3\\VGLData\\kvntarget"));
  EXPECT_FALSE(vgtarget::IsPortBase("software\\KORVA\\VGL3\\VGLData\\KVLTarget"));
  EXPECT_FALSE(vgtarget::IsPortBase("software\\KORVA\\VGL3\\VGLData\\KVNTarget\\P0"));
}

TEST(TargetKeyRules, OnlyWholeSidsAreLookedUp) {
  // S-1-5-18: revision 1, one sub-authority, authority 5.
  const uint8_t system[] = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};
  EXPECT_TRUE(vgtarget::IsWholeSid(system, sizeof system));
  EXPECT_FALSE(vgtarget::IsWholeSid(system, sizeof system - 1)) << "a sub-authority cut short";
  EXPECT_FALSE(vgtarget::IsWholeSid(system, 7)) << "not even a header";
  EXPECT_FALSE(vgtarget::IsWholeSid(nullptr, 12));

  uint8_t bad[8 + 4 * 16] = {1, 16};
  EXPECT_FALSE(vgtarget::IsWholeSid(bad, sizeof bad)) << "more than 15 sub-authorities";
  bad[0] = 2;
  bad[1] = 0;
  EXPECT_FALSE(vgtarget::IsWholeSid(bad, 8)) << "unknown revision";
  bad[0] = 1;
  EXPECT_TRUE(vgtarget::IsWholeSid(bad, 8)) << "no sub-authorities at all is a SID";
}

TEST(NotifyItemRules, ItemLinesNeedExactlyThreeDigitsAndEquals) {
  vgnotify::NotifyItem item;
  ASSERT_TRUE(vgnotify::ParseItemLine("ITEM007=1", &item));
  EXPECT_EQ(item.name, "007") << "the digits as written";
  EXPECT_EQ(item.value, 1);
  ASSERT_TRUE(vgnotify::ParseItemLine("ITEM120=0", &item));
  EXPECT_EQ(item.name, "120");
  EXPECT_EQ(item.value, 0);

  EXPECT_FALSE(vgnotify::ParseItemLine("ITEM12=1", nullptr)) << "two digits";
  EXPECT_FALSE(vgnotify::ParseItemLine("ITEM0123=1", nullptr)) << "four digits";
  EXPECT_FALSE(vgnotify::ParseItemLine("ITEMNUM=3", nullptr));
  EXPECT_FALSE(vgnotify::ParseItemLine("ITEM001 =1", nullptr)) << "'=' must follow at once";
  EXPECT_FALSE(vgnotify::ParseItemLine("item001=1", nullptr)) << "the tag is upper case";
  EXPECT_FALSE(vgnotify::ParseItemLine("ITEM001", nullptr));
  EXPECT_FALSE(vgnotify::ParseItemLine("ITEM", nullptr));
  EXPECT_FALSE(vgnotify::ParseItemLine("", nullptr));

  // The text may hold the tag anywhere, and a false start does not hide a later one.
  ASSERT_TRUE(vgnotify::ParseItemLine("XITEM003=5", &item));
  EXPECT_EQ(item.name, "003");
  ASSERT_TRUE(vgnotify::ParseItemLine("ITEM12ITEM004=6", &item));
  EXPECT_EQ(item.name, "004");
  EXPECT_EQ(item.value, 6);
}

TEST(NotifyItemRules, ValuesConvertLikeTheUsualDecimalConversion) {
  using vgnotify::ParseLeadingInt;
  EXPECT_EQ(ParseLeadingInt("1"), 1);
  EXPECT_EQ(ParseLeadingInt("  42abc"), 42);
  EXPECT_EQ(ParseLeadingInt("\t-7"), -7);
  EXPECT_EQ(ParseLeadingInt("+9"), 9);
  EXPECT_EQ(ParseLeadingInt(""), 0);
  EXPECT_EQ(ParseLeadingInt("on"), 0);
  EXPECT_EQ(ParseLeadingInt("- 5"), 0);
  EXPECT_EQ(ParseLeadingInt("2147483647"), INT32_MAX);
  EXPECT_EQ(ParseLeadingInt("99999999999999999999"), INT32_MAX);
  EXPECT_EQ(ParseLeadingInt("-2147483648"), INT32_MIN);
  EXPECT_EQ(ParseLeadingInt("-99999999999999999999"), INT32_MIN);

  vgnotify::NotifyItem item;
  ASSERT_TRUE(vgnotify::ParseItemLine("ITEM001=", &item));
  EXPECT_EQ(item.value, 0);
}

TEST(NotifyItemRules, SectionLinesStopAtTheEmptyLineAndAtTheLength) {
  const std::string section = "ITEMNUM=2\0ITEM001=1\0ITEM002=0\0\0ITEM003=1\0"s;
  auto lines = vgnotify::SectionLines(section.data(), section.size());
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "ITEMNUM=2");
  EXPECT_EQ(lines[2], "ITEM002=0");

  // A buffer without terminators ends at its length.
  const char unterminated[] = {'A', '=', '1', '\0', 'B', '=', '2'};
  lines = vgnotify::SectionLines(unterminated, sizeof unterminated);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1], "B=2");
  EXPECT_TRUE(vgnotify::SectionLines(nullptr, 10).empty());
  EXPECT_TRUE(vgnotify::SectionLines(section.data(), 0).empty());
}

TEST(NotifyItemRules, ItemNumBoundsTheItemsAndOtherLinesDoNotCount) {
  const std::string section =
      "ITEMNUM=3\0SoundNotifyEnable=1\0ITEM12=1\0ITEM001=1\0ITEM0002=1\0ITEM005=0\0"
      "ITEM003=1\0ITEM004=1\0ITEM006=1\0\0"s;
  const auto lines = vgnotify::SectionLines(section.data(), section.size());
  auto items = vgnotify::CollectItems(lines, 3);
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].name, "001");
  EXPECT_EQ(items[1].name, "005");
  EXPECT_EQ(items[1].value, 0);
  EXPECT_EQ(items[2].name, "003");

  EXPECT_EQ(vgnotify::CollectItems(lines, 100).size(), 5u) << "the end of the section stops too";
  EXPECT_TRUE(vgnotify::CollectItems(lines, 0).empty());
  EXPECT_TRUE(vgnotify::CollectItems(lines, -1).empty());
}

TEST(NotifyItemRules, StatusNumbersNameTheirSwitchWithThreeDigits) {
  EXPECT_EQ(vgnotify::NotifyValueName(7), "007");
  EXPECT_EQ(vgnotify::NotifyValueName(12), "012");
  EXPECT_EQ(vgnotify::NotifyValueName(999), "999");
  EXPECT_EQ(vgnotify::NotifyValueName(1000), "1000");
  EXPECT_EQ(vgnotify::NotifyValueName(0), "000");
}

}  // namespace
