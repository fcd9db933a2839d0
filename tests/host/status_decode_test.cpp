// From reply to status record over the built-in tables and profile rows: code-row matching,
// record search with its fallbacks, and the decode steps with their log lines.
#include "printer/status_decode.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string kStart = "@BDC ST\r\n";
constexpr uint32_t kBdcChannel = 0x10000005;
constexpr uint32_t kSecondChannel = 0x02000001;

StatusReply ReplyOf(const std::string& fields) {
  StatusReply reply;
  const std::string text = kStart + fields + "\f";
  EXPECT_TRUE(ParseStatusReply(text.data(), text.size(), &reply)) << fields;
  return reply;
}

class LineLog : public StatusLog {
 public:
  void Write(const char* line) override { lines.push_back(line); }
  std::vector<std::string> lines;
};

std::string ProfileWith(const std::vector<std::string>& statusLines) {
  std::string text = "[Install]\nDRVNAME=x\n[English]\nResDll=res.dll\n";
  for (const std::string& line : statusLines) text += line + "\n";
  return text;
}

TEST(StatusTables, BuiltInRecordsAsTabled) {
  struct Expect {
    int32_t kind, no, simple, notify, category, sound;
    uint32_t text1, text2;
  };
  const Expect records[kBuiltInRecordCount] = {
      {1, 14, 12, 12, 4, 16010, 3506, 3006}, {1, 18, 999, 12, 1, 0, 3507, 3007},
      {1, 33, 6, 12, 6, 16004, 3508, 3008},  {1, 7, 999, 12, 5, 0, 3509, 3009},
      {1, 6, 5, 12, 7, 16003, 3510, 3010},   {1, 37, 999, 12, 4, 0, 3511, 3011},
      {1, 5, 3, 12, 3, 16001, 3512, 3012},   {1, 36, 999, 12, 1, 0, 3513, 3013},
      {1, 34, 3, 12, 3, 16001, 3540, 3036},  {1, 38, 999, 12, 4, 0, 3542, 3038},
      {1, 35, 5, 12, 8, 16003, 3541, 3037},  {1, 17, 999, 12, 1, 0, 3501, 3001},
      {1, 11, 999, 999, 1, 0, 3502, 3002},   {1, 1, 1, 1, 1, 0, 3504, 3004},
      {1, 32, 2, 12, 4, 16000, 3505, 3005},  {1, 16, 12, 12, 4, 16010, 3525, 3025},
      {1, 21, 11, 11, 2, 16009, 3528, 2002}, {1, 22, 14, 14, 2, 16009, 3528, 2002},
      {2, 22, 11, 11, 2, 16009, 3528, 2002}, {2, -1, 11, 11, 2, 16009, 3530, 2102},
      {1, -1, 12, 12, 4, 16010, 3529, 2101}, {0, 1000, 1, 1, 1, 0, 3527, 2001},
      {0, -1, 11, 11, 2, 16009, 3528, 2002},
  };
  for (size_t i = 0; i < kBuiltInRecordCount; ++i) {
    const StatusRecord& r = BuiltInRecords()[i];
    const Expect& e = records[i];
    EXPECT_EQ(r.kind, e.kind) << i;
    EXPECT_EQ(r.statusNo, e.no) << i;
    EXPECT_EQ(r.simpleNo, e.simple) << i;
    EXPECT_EQ(r.notifyNo, e.notify) << i;
    EXPECT_EQ(r.category, e.category) << i;
    EXPECT_EQ(r.soundResNo, e.sound) << i;
    EXPECT_EQ(TextResourceId(r.text1), e.text1) << i;
    EXPECT_EQ(TextResourceId(r.text2), e.text2) << i;
    EXPECT_EQ(r.reserved1, -1) << i;
    EXPECT_EQ(r.helpNo, 0) << i;
    EXPECT_EQ(r.reserved2, 0) << i;
    EXPECT_EQ(r.reserved3, 1600) << i;
    EXPECT_EQ(r.reserved4, 0) << i;
    EXPECT_EQ(r.inlineText, 0) << i;
    EXPECT_NE(FindCategoryRow(r.category), nullptr) << i;
  }
}

TEST(StatusTables, CategoryRowsByKey) {
  const int32_t expected[kCategoryRowCount][6] = {
      {1, 511, 1, 759, 0, 0},   {2, 512, 1, 750, 0, 1},   {3, 512, 1, 760, 0, 1},
      {4, 512, 1, 758, 0, 1},   {5, 512, 1, 758, 777, 1}, {6, 512, 1, 762, 771, 1},
      {7, 512, 1, 752, 771, 1}, {8, 512, 1, 751, 771, 1}, {9, 511, 1, 759, 0, 1},
      {10, 512, 1, 759, 0, 1},  {11, 510, 1, 759, 0, 1},  {12, 510, 1, 758, 0, 1},
  };
  for (int category = 1; category <= 12; ++category) {
    const CategoryRow* row = FindCategoryRow(category);
    ASSERT_NE(row, nullptr) << category;
    for (int i = 0; i < 6; ++i) EXPECT_EQ(row->values[i], expected[category - 1][i]) << category;
  }
  EXPECT_EQ(FindCategoryRow(0), nullptr);
  EXPECT_EQ(FindCategoryRow(13), nullptr);
}

TEST(StatusTables, ReplyKindsAndPairs) {
  EXPECT_EQ(ReplyKindOfChannel(0x00000004), 1);
  EXPECT_EQ(ReplyKindOfChannel(0x10000005), 1);
  EXPECT_EQ(ReplyKindOfChannel(0x10010003), 1);
  EXPECT_EQ(ReplyKindOfChannel(0x10000003), 1);
  EXPECT_EQ(ReplyKindOfChannel(0x02000001), 2);
  EXPECT_EQ(ReplyKindOfChannel(0), 0);
  EXPECT_EQ(ReplyKindOfChannel(0x10000004), 0);
  EXPECT_EQ(PairedStatusNo(1001), 12);
  EXPECT_EQ(PairedStatusNo(1002), 11);
  EXPECT_EQ(PairedStatusNo(1000), 0);
}

TEST(StatusMatch, BuiltInRowsWithoutProfile) {
  CStatusCtrl table;
  struct Case {
    const char* fields;
    int32_t statusNo;
    int row;
  };
  // Every built-in row takes at least one reply.
  const Case cases[] = {
      {"ST:00;", 21, 0},              // only a state of 00: row 1
      {"ST:00;ER:00;WR:10;", 14, 1},  // any warning
      {"ST:00;ER:01;", 18, 2},
      {"ST:00;ER:02;", 33, 3},
      {"ST:00;ER:03;", 7, 4},
      {"ST:00;ER:04;", 6, 5},
      {"ST:00;ER:05;", 37, 6},
      {"ST:00;ER:06;", 5, 7},
      {"ST:00;ER:07;", 36, 8},
      {"ST:00;ER:09;", 34, 9},
      {"ST:00;ER:0b;", 38, 10},
      {"ST:00;ER:0E;", 35, 11},
      {"ST:01;IQ:00NA;", 17, 12},
      {"ST:02;ER:05;", 11, 13},  // row 14
      {"ST:03;", 11, 14},
      {"ST:04;ER:01;WR:01;", 1, 15},
      {"ST:05;", 32, 16},
      {"ST:FE;", 21, 17},
      {"ST:00;ER:0A;", 21, 17},  // an error code without a row: the last row
      {"ST:00;WR:01;", 21, 17},  // row 1 wants no warnings; ER absent matches no other
  };
  for (const Case& c : cases) {
    StatusReply reply = ReplyOf(c.fields);
    EXPECT_EQ(table.FindCodeRow(reply), c.row) << c.fields;
    EXPECT_EQ(MatchStatusNo(table, reply, nullptr), c.statusNo) << c.fields;
  }
}

TEST(StatusMatch, ProfileRowsComeFirstAndCompareLowBytes) {
  CStatusCtrl table;
  ASSERT_EQ(table.LoadProfile(ProfileWith({
                                  "STATUS01=0,-2,16,\"a\",\"b\",1,1",    // WR 0x10 first
                                  "STATUS02=260,-2,-2,\"c\",\"d\",1,1",  // low byte 4
                                  "STATUS03=0,-1,-2,\"e\",\"f\",1,1",    // no ER, any WR
                                  "STATUS04=end",
                              }),
                              "english"),
            1);
  ASSERT_EQ(table.GetRowCount(), 3);
  EXPECT_EQ(MatchStatusNo(table, ReplyOf("ST:00;WR:10,01;"), nullptr), 100);
  EXPECT_EQ(MatchStatusNo(table, ReplyOf("ST:00;WR:01,10;"), nullptr), 102)
      << "only the first warning code counts";
  EXPECT_EQ(table.FindCodeRow(ReplyOf("ST:04;")), 1);
  EXPECT_EQ(MatchStatusNo(table, ReplyOf("ST:04;")), 101);
  EXPECT_EQ(MatchStatusNo(table, ReplyOf("ST:00;ER:00;")), 14) << "built-in rows follow";
}

TEST(StatusMatch, WarningWildcards) {
  StatusReply none = ReplyOf("ST:00;");
  StatusReply ff = ReplyOf("ST:00;WR:FF;");
  uint32_t ink = 0;
  StatusCodeRow absent = {-2, -2, -1, 0, 1};
  EXPECT_TRUE(CodeRowMatches(absent, none, &ink));
  EXPECT_TRUE(CodeRowMatches(absent, ff, &ink)) << "a first code FF equals the low byte of -1";
  EXPECT_FALSE(CodeRowMatches(absent, ReplyOf("ST:00;WR:01;"), &ink));
  StatusCodeRow code = {-2, -2, 0, 0, 1};
  EXPECT_FALSE(CodeRowMatches(code, none, &ink)) << "no codes: the empty 0 does not match";
  EXPECT_TRUE(CodeRowMatches(code, ReplyOf("ST:00;WR:00;"), &ink));
}

TEST(StatusMatch, InkFlagsNeedTheReplysClassComputedOnce) {
  StatusReply firstLowest = ReplyOf("ST:00;IQ:10203040;");
  StatusReply otherLowest = ReplyOf("ST:00;IQ:40302010;");
  const StatusCodeRow plain = {-2, -2, -2, 0, 1};
  const StatusCodeRow first = {-2, -2, -2, kInkFirstLowest, 2};
  const StatusCodeRow tie = {-2, -2, -2, kInkClassMask, 3};
  const StatusCodeRow other = {-2, -2, -2, kInkOtherLowest | 0x0100, 4};  // other bits ignored

  uint32_t ink = 0;
  EXPECT_TRUE(CodeRowMatches(plain, firstLowest, &ink));
  EXPECT_EQ(ink, 0u) << "a row without flags does not need the class";
  EXPECT_TRUE(CodeRowMatches(first, firstLowest, &ink));
  EXPECT_EQ(ink, kInkFirstLowest);
  EXPECT_FALSE(CodeRowMatches(tie, firstLowest, &ink));
  EXPECT_FALSE(CodeRowMatches(other, firstLowest, &ink));

  ink = 0;
  EXPECT_TRUE(CodeRowMatches(other, otherLowest, &ink));
  EXPECT_FALSE(CodeRowMatches(first, otherLowest, &ink));
  ink = 0;
  EXPECT_TRUE(CodeRowMatches(tie, ReplyOf("ST:00;IQ:20302040;"), &ink));
}

TEST(StatusSearch, RecordsByKindAndNumber) {
  CStatusCtrl table;
  EXPECT_EQ(table.FindRecord(1, 14), 0);
  EXPECT_EQ(table.FindRecord(1, 11), 12);
  EXPECT_EQ(table.FindRecord(1, 22), 17);
  EXPECT_EQ(table.FindRecord(2, 22), 18);
  EXPECT_EQ(table.FindRecord(2, -1), 19);
  EXPECT_EQ(table.FindRecord(1, -1), 20);
  EXPECT_EQ(table.FindRecord(0, 1000), 21);
  EXPECT_EQ(table.FindRecord(0, -1), 22) << "the stopping index";
  EXPECT_EQ(table.FindRecord(1, 999), -1);
  EXPECT_EQ(table.FindRecord(2, 14), -1) << "the kind must match";
  EXPECT_EQ(table.FindRecord(2, 21), -1);
  EXPECT_EQ(table.FindRecord(3, -1), -1);
}

TEST(StatusSearch, ProfileRecordsShiftTheBuiltInOnes) {
  CStatusCtrl table;
  table.LoadProfile(
      ProfileWith({"STATUS01=0,5,-2,\"mine\",\"\",1,1", "STATUS02=9,9,9,a,b,1,1", "STATUS03=x"}),
      "English");
  ASSERT_EQ(table.GetRowCount(), 2);
  EXPECT_EQ(table.FindRecord(1, 37), 0) << "profile record before the built-in 37";
  EXPECT_EQ(table.FindRecord(1, 100), 1);
  EXPECT_EQ(table.FindRecord(1, 14), 2);
  EXPECT_EQ(table.FindRecord(0, -1), 24);
}

TEST(StatusDecode, ReplyOnAStatusChannel) {
  CStatusCtrl table;
  const std::string text = kStart + "ST:00;ER:05;WR:10,11;\f";
  LineLog log;
  DecodedStatus out;
  ASSERT_TRUE(DecodeStatus(table, kBdcChannel, text.data(), text.size(), 0, &log, &out));
  EXPECT_TRUE(out.hasReply);
  EXPECT_EQ(out.kind, 1);
  EXPECT_EQ(out.statusNo, 37);
  EXPECT_EQ(out.recordIndex, 5);
  EXPECT_EQ(out.reply.warningCount, 2);
  EXPECT_EQ(PrintingState(out.hasReply, out.reply), 1);
  const std::vector<std::string> expected = {
      "Printer status : ST:0x00, ER:0x05, WR[0]:0x10 (Num:2)\n",
      "Table index : 6\n",
      "StatusNo : 37\n",
      "Table index : 5\n",
  };
  EXPECT_EQ(log.lines, expected);
}

TEST(StatusDecode, InvalidReplyGivesNothing) {
  CStatusCtrl table;
  const std::string text = kStart + "ER:05;\f";
  DecodedStatus out;
  EXPECT_FALSE(DecodeStatus(table, kBdcChannel, text.data(), text.size(), 0, nullptr, &out));
  EXPECT_FALSE(DecodeStatus(table, kBdcChannel, text.data(), 0, 21, nullptr, &out))
      << "a given reply must parse, even with a forced number";
}

TEST(StatusDecode, ForcedNumbersAndFallbacks) {
  CStatusCtrl table;
  LineLog log;
  DecodedStatus out;
  // A forced number without a record falls back to the kind's default record.
  ASSERT_TRUE(DecodeStatus(table, kBdcChannel, nullptr, 0, 555, &log, &out));
  EXPECT_EQ(out.statusNo, -1);
  EXPECT_EQ(out.recordIndex, 20);
  EXPECT_FALSE(out.hasReply);
  EXPECT_EQ(out.reply.state, 0) << "no reply: the record is zero-filled";
  EXPECT_EQ(out.reply.counter, 0);
  EXPECT_EQ(PrintingState(out.hasReply, out.reply), 0);
  const std::vector<std::string> expected = {"StatusNo : 555\n", "Table index : -1\n",
                                             "Table index : 20\n"};
  EXPECT_EQ(log.lines, expected);

  ASSERT_TRUE(DecodeStatus(table, kBdcChannel, nullptr, 0, 22, nullptr, &out));
  EXPECT_EQ(out.recordIndex, 17);
  ASSERT_TRUE(DecodeStatus(table, kSecondChannel, nullptr, 0, 21, nullptr, &out));
  EXPECT_EQ(out.statusNo, -1) << "kind 2 has no 21: its default record";
  EXPECT_EQ(out.recordIndex, 19);
  ASSERT_TRUE(DecodeStatus(table, 0x12345678, nullptr, 0, 0, nullptr, &out));
  EXPECT_EQ(out.kind, 0);
  EXPECT_EQ(out.recordIndex, 22);
  ASSERT_TRUE(DecodeStatus(table, 0, nullptr, 0, 1000, nullptr, &out));
  EXPECT_EQ(out.recordIndex, 21);

  // The forced number replaces the matched one.
  const std::string text = kStart + "ST:03;\f";
  ASSERT_TRUE(DecodeStatus(table, kBdcChannel, text.data(), text.size(), 16, nullptr, &out));
  EXPECT_EQ(out.statusNo, 16);
  EXPECT_TRUE(out.hasReply);
  EXPECT_EQ(PrintingState(out.hasReply, out.reply), 2);
}

TEST(StatusDecode, RepliesOfOtherKindsAreNotParsed) {
  CStatusCtrl table;
  const std::string text = "not a reply at all";
  DecodedStatus out;
  ASSERT_TRUE(DecodeStatus(table, kSecondChannel, text.data(), text.size(), 0, nullptr, &out));
  EXPECT_FALSE(out.hasReply);
  EXPECT_EQ(out.recordIndex, 19);
}

TEST(StatusDecode, ProfileRowsDecideFirst) {
  CStatusCtrl table;
  table.LoadProfile(ProfileWith({"STATUS01=0,5,-2,\"Own text\",\"Second\",2,0", "STATUS02=x"}),
                    "English");
  const std::string text = kStart + "ST:00;ER:05;\f";
  DecodedStatus out;
  ASSERT_TRUE(DecodeStatus(table, kBdcChannel, text.data(), text.size(), 0, nullptr, &out));
  EXPECT_EQ(out.statusNo, 37);
  ASSERT_EQ(out.recordIndex, 0);
  const StatusRecord* record = table.GetRecord(out.recordIndex);
  EXPECT_STREQ(record->text1, "Own text");
  EXPECT_EQ(record->category, 12);
  EXPECT_EQ(record->inlineText, 1);
}

}  // namespace
