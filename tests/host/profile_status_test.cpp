// STATUS lines of a model's profile: key detection, field reading, the section scan, and the
// rows that CStatusCtrl builds from them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "printer/profile_info.h"
#include "printer/status_ctrl.h"

namespace {

std::vector<ProfileLine> LinesOf(CProfileInfo& info) {
  std::vector<ProfileLine> lines;
  ProfileLine line;
  for (int more = info.First(&line); more; more = info.Next(&line)) lines.push_back(line);
  return lines;
}

ProfileLine OneLine(const std::string& text) {
  CProfileInfo info;
  info.ParseLine(text);
  std::vector<ProfileLine> lines = LinesOf(info);
  EXPECT_EQ(lines.size(), 1u) << text;
  return lines.empty() ? ProfileLine() : lines[0];
}

bool IsStatusLine(const std::string& text) {
  CProfileInfo info;
  info.ParseLine(text);
  return info.GetLineCount() == 1;
}

TEST(StatusLineKey, WhichKeysCount) {
  EXPECT_TRUE(IsStatusLine("STATUS01=0,0,0,a,b,1,1"));
  EXPECT_TRUE(IsStatusLine("status07=0,0,0,a,b,1,1")) << "lower case counts";
  EXPECT_TRUE(IsStatusLine("StAtUs99=1"));
  EXPECT_TRUE(IsStatusLine(" STATUS 1\t2 =1")) << "blanks and tabs leave the key";
  EXPECT_TRUE(IsStatusLine("STATUS123=1")) << "only the first eight characters are compared";
  EXPECT_TRUE(IsStatusLine("STATUS00X=1"));
  EXPECT_FALSE(IsStatusLine("STATUS1=0,0,0,a,b,1,1")) << "one digit";
  EXPECT_FALSE(IsStatusLine("STATUS=1"));
  EXPECT_FALSE(IsStatusLine("STATUSAB=1"));
  EXPECT_FALSE(IsStatusLine("STATUS1A=1"));
  EXPECT_FALSE(IsStatusLine("XSTATUS01=1"));
  EXPECT_FALSE(IsStatusLine(";STATUS01=1"));
  EXPECT_FALSE(IsStatusLine("STATUS01 0,0,0")) << "no key without =";
  EXPECT_FALSE(IsStatusLine("ResDll=STATUS01=1"));
  EXPECT_FALSE(IsStatusLine(""));
}

TEST(StatusLineFields, SevenFieldsInOrder) {
  ProfileLine line = OneLine("STATUS01= 0 , 5,-2, \"Paper out\" ,\"Load paper\",2,1");
  EXPECT_EQ(line.state, 0);
  EXPECT_EQ(line.error, 5);
  EXPECT_EQ(line.warning, -2);
  EXPECT_STREQ(line.text1, "Paper out ") << "leading blanks skipped, trailing ones kept";
  EXPECT_STREQ(line.text2, "Load paper");
  EXPECT_EQ(line.display, 2);
  EXPECT_EQ(line.alert, 1);
}

TEST(StatusLineFields, QuotesAndCommas) {
  ProfileLine line = OneLine("STATUS01=1,2,3,\"Paper jam, rear\",ab\"c,d\"e\"f\",1,0");
  EXPECT_STREQ(line.text1, "Paper jam, rear") << "a comma between quotes stays in the field";
  EXPECT_STREQ(line.text2, "abc,def") << "quotes are dropped wherever they stand";
  EXPECT_EQ(line.display, 1);
  EXPECT_EQ(line.alert, 0);

  line = OneLine("STATUS01=1,2,3,\"open quote, to the end,9,9");
  EXPECT_STREQ(line.text1, "open quote, to the end,9,9") << "an unclosed quote runs to the end";
  EXPECT_STREQ(line.text2, "");
  EXPECT_EQ(line.display, 0);
}

TEST(StatusLineFields, MissingAndMalformedFields) {
  ProfileLine line = OneLine("STATUS01=4");
  EXPECT_EQ(line.state, 4);
  EXPECT_EQ(line.error, 0);
  EXPECT_EQ(line.warning, 0);
  EXPECT_STREQ(line.text1, "");
  EXPECT_STREQ(line.text2, "");
  EXPECT_EQ(line.display, 0);
  EXPECT_EQ(line.alert, 0);

  line = OneLine("STATUS01=x,12abc,,t1,t2,  +3,-7");
  EXPECT_EQ(line.state, 0) << "not a number";
  EXPECT_EQ(line.error, 12) << "digits up to the first other character";
  EXPECT_EQ(line.warning, 0) << "empty";
  EXPECT_EQ(line.display, 3);
  EXPECT_EQ(line.alert, 1) << "any non-zero alert is 1";

  line = OneLine("STATUS01=65540,-65535,99999999999");
  EXPECT_EQ(line.state, 4) << "16 bits of 65540";
  EXPECT_EQ(line.error, 1);
  EXPECT_EQ(line.warning, -1) << "held at the 32-bit limit, whose low 16 bits are all ones";
}

TEST(StatusLineFields, FieldsHoldAtMost519Characters) {
  const std::string longText(600, 'x');
  ProfileLine line = OneLine("STATUS01=0,0,0," + longText + ",second,1,1");
  EXPECT_EQ(std::string(line.text1), std::string(519, 'x'));
  EXPECT_STREQ(line.text2, "second") << "the rest of an overlong field is dropped, not shifted";
  EXPECT_EQ(line.display, 1);
}

TEST(StatusLineFields, CountAndClear) {
  CProfileInfo info;
  EXPECT_EQ(info.GetRowCount(), -1);
  info.ParseLine("STATUS01=1");
  info.ParseLine("Other=1");
  info.ParseLine("STATUS02=2");
  EXPECT_EQ(info.GetLineCount(), 2);
  EXPECT_EQ(info.GetRowCount(), 1);
  std::vector<ProfileLine> lines = LinesOf(info);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].state, 1);
  EXPECT_EQ(lines[1].state, 2);
  info.Clear();
  EXPECT_EQ(info.GetLineCount(), 0);
  ProfileLine line;
  EXPECT_EQ(info.First(&line), 0);
}

TEST(SectionScan, OnlyTheLanguageSectionCounts) {
  const std::string text =
      "STATUS01=1\n"
      "[Model]\n"
      "STATUS02=2\n"
      "[EnglishUS]\n"
      "STATUS03=3\n"
      "[ENGLISH] ; comment\r\n"
      "ResDll=x.dll\r\n"
      "status04=4\r\n"
      "\r\n"
      "  [not a header]\n"
      "STATUS05=5\n"
      "[German]\n"
      "STATUS06=6\n"
      "[English]\n"
      "STATUS07=7\n";
  CProfileInfo info;
  info.Read(text, "English");
  std::vector<ProfileLine> lines = LinesOf(info);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].state, 4);
  EXPECT_EQ(lines[1].state, 5) << "only a line that begins with [ is a header";

  SectionLineReader reader(text, "english");
  std::vector<std::string> raw;
  std::string_view line;
  while (reader.Next(&line)) raw.emplace_back(line);
  const std::vector<std::string> expected = {"ResDll=x.dll", "status04=4", "", "  [not a header]",
                                             "STATUS05=5"};
  EXPECT_EQ(raw, expected) << "CR LF and LF both end a line";
}

TEST(SectionScan, MissingSectionOrNameReadsNothing) {
  const std::string text = "[English]\nSTATUS01=1\nSTATUS02=2\n";
  CProfileInfo info;
  info.Read(text, "French");
  EXPECT_EQ(info.GetLineCount(), 0);
  info.Read(text, "");
  EXPECT_EQ(info.GetLineCount(), 0);
  info.Read("", "English");
  EXPECT_EQ(info.GetLineCount(), 0);
  info.Read(text, "English");
  EXPECT_EQ(info.GetLineCount(), 2);
  info.Read(text, "English");
  EXPECT_EQ(info.GetLineCount(), 2) << "a second read replaces the lines";
}

TEST(SectionScan, LastLineWithoutLineEndAndOverlongLines) {
  const std::string tail = "STATUS09=9,9,9,tail,tail,1,1";
  const std::string longLine = "STATUS01=1,0,0," + std::string(600, 'y') + tail;
  CProfileInfo info;
  info.Read("[English]\n" + longLine + "\nSTATUS02=2", "English");
  std::vector<ProfileLine> lines = LinesOf(info);
  ASSERT_EQ(lines.size(), 2u) << "the cut-off end of a long line is not a line of its own";
  EXPECT_EQ(lines[0].state, 1);
  EXPECT_EQ(std::string(lines[0].text1), std::string(519 - 15, 'y'));
  EXPECT_EQ(lines[1].state, 2);
}

std::string SectionOf(const std::vector<std::string>& statusLines) {
  std::string text = "[English]\nResDll=res.dll\n";
  for (const std::string& line : statusLines) text += line + "\n";
  return text + "[Next]\nSTATUS99=7,7,7\n";
}

TEST(StatusRows, LastLineClosesTheList) {
  CStatusCtrl table;
  EXPECT_EQ(table.LoadProfile(
                SectionOf({"STATUS01=1,1,1,\"one\",\"1\",1,1", "STATUS02=2,2,2,\"two\",\"2\",1,1",
                           "STATUS03=3,3,3,\"three\",\"3\",1,1"}),
                "English"),
            1);
  ASSERT_EQ(table.GetRowCount(), 2);
  EXPECT_STREQ(table.GetRecord(0)->text1, "one");
  EXPECT_STREQ(table.GetRecord(1)->text1, "two");
  EXPECT_EQ(table.GetRecord(2)->statusNo, 14) << "the built-in records follow";
  EXPECT_EQ(table.GetCodeRow(1)->state, 2);
  EXPECT_EQ(table.GetCodeRow(2)->statusNo, 21) << "the built-in code rows follow";
  EXPECT_EQ(table.GetRecordCount(), 25);
  EXPECT_EQ(table.GetCodeRowCount(), 20);
  EXPECT_NE(table.GetRecord(24), nullptr);
  EXPECT_EQ(table.GetRecord(25), nullptr);
  EXPECT_NE(table.GetCodeRow(19), nullptr);
  EXPECT_EQ(table.GetCodeRow(20), nullptr);
  EXPECT_EQ(table.GetRecord(-1), nullptr);
  EXPECT_EQ(table.GetCodeRow(-1), nullptr);
}

TEST(StatusRows, TooFewLinesGiveNoRows) {
  CStatusCtrl table;
  EXPECT_EQ(table.LoadProfile(SectionOf({"STATUS01=1,1,1,a,b,1,1"}), "English"), kBuildOneLine);
  EXPECT_EQ(table.GetRowCount(), 0);
  EXPECT_EQ(table.GetRecord(0)->statusNo, 14);
  EXPECT_EQ(table.LoadProfile(SectionOf({}), "English"), kBuildNoRecords);
  EXPECT_EQ(table.GetRowCount(), 0);
  EXPECT_EQ(table.LoadProfile("", ""), kBuildNoRecords);
  EXPECT_EQ(table.GetRecordCount(), 23);
  EXPECT_EQ(table.GetCodeRowCount(), 18);
}

TEST(StatusRows, StatusNumbersFromBuiltInRowsOrCountingFrom100) {
  CStatusCtrl table;
  table.LoadProfile(SectionOf({
                        "STATUS01=0,7,7,a,b,1,1",     // no built-in row: 100
                        "STATUS02=0,5,-2,a,b,1,1",    // built-in row 7: 37
                        "STATUS03=9,9,9,a,b,1,1",     // 101
                        "STATUS04=0,-1,-1,a,b,1,1",   // built-in row 1: 21
                        "STATUS05=-2,-2,-2,a,b,1,1",  // the last built-in row: 21
                        "STATUS06=0,5,0,a,b,1,1",     // wildcards compare as numbers: 102
                        "STATUS07=end",
                    }),
                    "English");
  const int32_t expected[] = {100, 37, 101, 21, 21, 102};
  ASSERT_EQ(table.GetRowCount(), 6);
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(table.GetRecord(i)->statusNo, expected[i]) << i;
    EXPECT_EQ(table.GetCodeRow(i)->statusNo, expected[i]) << i;
  }
  // Loading again starts at 100 again.
  table.LoadProfile(SectionOf({"STATUS01=8,8,8", "STATUS02=x"}), "English");
  EXPECT_EQ(table.GetRecord(0)->statusNo, 100);
}

TEST(StatusRows, RecordFieldsFromTheLine) {
  CStatusCtrl table;
  table.LoadProfile(SectionOf({
                        "STATUS01=0,1,2,\"First, text\",\"Second\",1,1",
                        "STATUS02=4,-2,-2,a,b,1,0",
                        "STATUS03=-2,3,-2,a,b,2,1",
                        "STATUS04=1,3,-2,a,b,2,0",
                        "STATUS05=1,4,-2,a,b,3,1",
                        "STATUS06=1,5,-2,a,b,0,0",
                        "STATUS07=end",
                    }),
                    "English");
  ASSERT_EQ(table.GetRowCount(), 6);
  const StatusRecord* r = table.GetRecord(0);
  EXPECT_EQ(r->kind, 1);
  EXPECT_EQ(r->simpleNo, 12) << "state 0";
  EXPECT_EQ(r->notifyNo, 12);
  EXPECT_EQ(r->reserved1, -1);
  EXPECT_EQ(r->helpNo, 0);
  EXPECT_EQ(r->reserved2, 0);
  EXPECT_EQ(r->soundResNo, 0);
  EXPECT_EQ(r->reserved3, 1600);
  EXPECT_EQ(r->reserved4, 0);
  EXPECT_EQ(r->inlineText, 1);
  EXPECT_STREQ(r->text1, "First, text");
  EXPECT_STREQ(r->text2, "Second");
  const StatusCodeRow* row = table.GetCodeRow(0);
  EXPECT_EQ(row->state, 0);
  EXPECT_EQ(row->error, 1);
  EXPECT_EQ(row->warning, 2);
  EXPECT_EQ(row->inkFlags, 0u);

  EXPECT_EQ(table.GetRecord(1)->simpleNo, 1) << "state 4";
  EXPECT_EQ(table.GetRecord(1)->notifyNo, 1);
  EXPECT_EQ(table.GetRecord(2)->simpleNo, 1) << "any state but 0";

  const int32_t categories[] = {4, 10, 11, 12, 1, 9};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(table.GetRecord(i)->category, categories[i]) << i;
}

TEST(StatusRows, HundredsOfLinesLoad) {
  std::vector<std::string> lines;
  for (int i = 0; i < 800; ++i) {
    lines.push_back("STATUS" + std::to_string(10 + i % 90) + "=" + std::to_string(100 + i) +
                    ",0,0,\"Text " + std::to_string(i) + "\",\"More\",1,1");
  }
  CStatusCtrl table;
  EXPECT_EQ(table.LoadProfile(SectionOf(lines), "English"), 1);
  ASSERT_EQ(table.GetRowCount(), 799);
  EXPECT_EQ(table.GetRecord(798)->statusNo, 100 + 798);
  EXPECT_STREQ(table.GetRecord(798)->text1, "Text 798");
  EXPECT_EQ(table.GetRecord(799)->statusNo, 14);
}

TEST(StatusRows, NumbersStopWhereACodeRowCannotHoldThem) {
  // More new numbers than 16 bits hold: the rows end at 65535 instead of wrapping to 100,
  // where a reply would get another row's texts.
  std::string section = "[English]\n";
  for (int i = 0; i < 65440; ++i) section += "STATUS00=99,99,99,\"Row\",\"x\",0,0\n";
  CStatusCtrl table;
  EXPECT_EQ(table.LoadProfile(section, "English"), 0) << "the list ended early";
  ASSERT_EQ(table.GetRowCount(), 65436);
  EXPECT_EQ(table.GetRecord(65435)->statusNo, 65535);
  EXPECT_EQ(table.GetCodeRow(65435)->statusNo, 65535);
  EXPECT_EQ(table.GetRecord(65436)->statusNo, 14) << "the built-in records follow";
  EXPECT_EQ(table.FindRecord(kReplyKindBdc, 100), 0);
}

}  // namespace
