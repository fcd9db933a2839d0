// The command-line grammar and the parameter-file lines, as the programs that receive them
// rely on them.
#include "common/cmd_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/vgl_param.h"

namespace {

struct Arg {
  std::string name;
  std::string value;
  int length;
};

std::vector<Arg> Enumerate(const std::string& text) {
  CCmdLine line;
  line.SetText(text);
  std::vector<Arg> args;
  char name[kParamTextSize];
  char value[kParamTextSize];
  for (int i = 0;; ++i) {
    int length = line.GetArg(i, name, value);
    if (length == -1) {
      EXPECT_STREQ(name, "");
      EXPECT_STREQ(value, "");
      break;
    }
    args.push_back({name, value, length});
  }
  return args;
}

TEST(CommandLineGrammar, QuotedValuesAndFlags) {
  auto args = Enumerate(R"(/P "Printer 1" /O "LPT1:" /S /J "12")");
  ASSERT_EQ(args.size(), 4u);
  EXPECT_EQ(args[0].name, "P");
  EXPECT_EQ(args[0].value, "Printer 1");
  EXPECT_EQ(args[0].length, 9);
  EXPECT_EQ(args[1].value, "LPT1:");
  EXPECT_EQ(args[2].name, "S");
  EXPECT_EQ(args[2].value, "");
  EXPECT_EQ(args[2].length, 0);
  EXPECT_EQ(args[3].value, "12");
}

TEST(CommandLineGrammar, LengthPrefixTakesQuotesAndSlashesInside) {
  // Eleven characters with two quotes inside, then a normal option.
  auto args = Enumerate(R"(/P11 "ab"cd"e/ghi" /O "port")");
  ASSERT_EQ(args.size(), 2u);
  EXPECT_EQ(args[0].value, R"(ab"cd"e/ghi)");
  EXPECT_EQ(args[0].length, 11);
  EXPECT_EQ(args[1].name, "O");
  EXPECT_EQ(args[1].value, "port");
}

TEST(CommandLineGrammar, LengthPrefixDigitsMayHaveBlanksBetween) {
  auto args = Enumerate(R"(/P1 2"abcdefghijkl" /S)");
  ASSERT_EQ(args.size(), 2u);
  EXPECT_EQ(args[0].value, "abcdefghijkl");
  EXPECT_EQ(args[1].name, "S");
}

TEST(CommandLineGrammar, SlashInsideQuotesBeginsNoOption) {
  auto args = Enumerate(R"(/P "\\server/share" /S)");
  ASSERT_EQ(args.size(), 2u);
  EXPECT_EQ(args[0].value, R"(\\server/share)");
  EXPECT_EQ(args[1].name, "S");
}

TEST(CommandLineGrammar, NamesEndAtDigitsQuotesAndBlanks) {
  auto args = Enumerate(R"(/KVM"x" /BE /bh "h")");
  ASSERT_EQ(args.size(), 3u);
  EXPECT_EQ(args[0].name, "KVM");
  EXPECT_EQ(args[0].value, "x");
  EXPECT_EQ(args[1].name, "BE");
  EXPECT_EQ(args[2].name, "bh");
}

TEST(CommandLineGrammar, SlashOrLineFeedBeforeQuoteEndsTheValueSearch) {
  auto args = Enumerate("/S/P \"p\"");
  ASSERT_EQ(args.size(), 2u);
  EXPECT_EQ(args[0].value, "");
  EXPECT_EQ(args[1].value, "p");
  args = Enumerate("/S\n\"x\"");
  ASSERT_EQ(args.size(), 1u);
  EXPECT_EQ(args[0].value, "");
}

TEST(CommandLineGrammar, LineFeedInsideQuotesEndsTheValue) {
  auto args = Enumerate("/P \"ab\ncd\"");
  ASSERT_GE(args.size(), 1u);
  EXPECT_EQ(args[0].value, "ab");
}

TEST(CommandLineGrammar, EmptyTextAndMissingIndexGiveMinusOne) {
  EXPECT_TRUE(Enumerate("").empty());
  EXPECT_TRUE(Enumerate("no options here").empty());
  CCmdLine line;
  line.SetText("/S");
  char name[kParamTextSize] = "junk";
  char value[kParamTextSize] = "junk";
  EXPECT_EQ(line.GetArg(1, name, value), -1);
  EXPECT_STREQ(name, "");
  EXPECT_STREQ(value, "");
}

TEST(CommandLineGrammar, LengthPrefixWithoutQuoteGivesMinusOne) {
  EXPECT_TRUE(Enumerate("/P5 /S").empty());
}

TEST(CommandLineGrammar, LengthPrefixRunningPastTheTextReadsNothingPastIt) {
  auto args = Enumerate(R"(/P200 "short")");
  ASSERT_EQ(args.size(), 1u);
  EXPECT_EQ(args[0].value, "short\"");
  // A huge prefix neither overflows nor reads beyond the text.
  args = Enumerate(R"(/P99999999999999999999 "ab")");
  ASSERT_EQ(args.size(), 1u);
  EXPECT_EQ(args[0].value, "ab\"");
}

TEST(CommandLineGrammar, UnterminatedQuoteAtTheEnd) {
  auto args = Enumerate(R"(/P "abc)");
  ASSERT_EQ(args.size(), 1u);
  EXPECT_EQ(args[0].value, "abc");
}

bool Unclosed(const std::string& text) {
  CCmdLine line;
  line.SetText(text);
  return line.HasUnclosedValue();
}

TEST(CommandLineGrammar, ValuesWithoutTheirClosingQuoteAreTold) {
  EXPECT_FALSE(Unclosed(""));
  EXPECT_FALSE(Unclosed(R"(/P "a" /O "" /S /M6 "VP-100" /J "1")"));
  EXPECT_FALSE(Unclosed(R"(/P11 "Printer "A"" /O "LPT1:")")) << "quotes inside a prefixed value";
  EXPECT_FALSE(Unclosed(R"(/S /X)"));
  EXPECT_TRUE(Unclosed(R"(/P "abc)"));
  EXPECT_TRUE(Unclosed(R"(/D "drv /P "abc" /S)")) << "the rest of the line pairs the quotes";
  EXPECT_TRUE(Unclosed(R"(/P200 "short")"));
  EXPECT_TRUE(Unclosed(R"(/P5 "abcdefgh")")) << "the prefix ends before the closing quote";
  EXPECT_TRUE(Unclosed(R"(/P5 "abcde)"));
  // Cut at 259 characters, the last value loses its quote.
  EXPECT_TRUE(Unclosed("/P \"" + std::string(400, 'x') + "\""));
}

TEST(CommandLineGrammar, TextAndValuesAreCutAt259Characters) {
  std::string longValue(400, 'x');
  CCmdLine line;
  line.SetText("/P \"" + longValue + "\"");
  EXPECT_EQ(std::string(line.Text()).size(), 259u);
  char name[kParamTextSize];
  char value[kParamTextSize];
  EXPECT_EQ(line.GetArg(0, name, value), 255);
  EXPECT_EQ(std::string(value), std::string(255, 'x'));
}

TEST(ParamFileLine, ValueRunsFromFirstToLastQuote) {
  char name[80];
  char value[kParamTextSize];
  ASSERT_TRUE(ParseParamLine("/P \"A \"quoted\" name\"\n", name, value));
  EXPECT_STREQ(name, "P");
  EXPECT_STREQ(value, "A \"quoted\" name");
}

TEST(ParamFileLine, FlagsAndLinesWithoutSlash) {
  char name[80];
  char value[kParamTextSize];
  ASSERT_TRUE(ParseParamLine("/BE\n", name, value));
  EXPECT_STREQ(name, "BE");
  EXPECT_FALSE(ParseParamLine("just text\n", name, value));
  EXPECT_STREQ(name, "");
}

TEST(ParamFileLine, LongNamesAndValuesAreCut) {
  char name[80];
  char value[kParamTextSize];
  std::string line = "/" + std::string(200, 'N') + " \"" + std::string(1000, 'v') + "\"";
  ASSERT_TRUE(ParseParamLine(line, name, value));
  EXPECT_EQ(std::string(name).size(), 79u);
  EXPECT_EQ(std::string(value).size(), 259u);
}

TEST(ParamBlock, SetOptionMatchesNamesWithoutCase) {
  CVglParam param;
  param.SetOption("p", "printer");
  param.SetOption("kvm", "k");
  param.SetOption("Bn", "n");
  param.SetOption("r", "");
  param.SetOption("be", "");
  param.SetOption("X", "ignored");
  param.SetOption("F", "file");
  EXPECT_STREQ(param.PrinterName, "printer");
  EXPECT_STREQ(param.KVM, "k");
  EXPECT_STREQ(param.BN, "n");
  EXPECT_EQ(param.RemoveFlag, 1);
  EXPECT_EQ(param.FlagBE, 1);
  EXPECT_STREQ(param.ParamFileToRead, "");
}

TEST(ParamBlock, CommandLineFillsFieldsAndCapturesFiles) {
  CVglParam param;
  param.SetText(R"(/P "one" /P "two" /X "skip" /F "VG_1.tmp" /A "C:\keep.tmp" /j "7")");
  param.ApplyCommandLine();
  EXPECT_STREQ(param.PrinterName, "two");
  EXPECT_STREQ(param.ParamFileToRead, "VG_1.tmp");
  EXPECT_STREQ(param.ParamFileName, "C:\\keep.tmp");
  EXPECT_STREQ(param.JobID, "7");
}

TEST(ParamBlock, BeFlagNeedsAllFourTexts) {
  CVglParam param;
  param.ApplyParamLine("/BE\n");
  param.ApplyParamLine("/BH \"h\"\n");
  param.ApplyParamLine("/BU \"u\"\n");
  param.ApplyParamLine("/BD \"d\"\n");
  param.ApplyBeRule();
  EXPECT_EQ(param.FlagBE, 0);
  param.SetOption("BE", "");
  param.SetOption("BI", "i");
  param.ApplyBeRule();
  EXPECT_EQ(param.FlagBE, 1);
}

TEST(ParamBlock, FileTextHasFixedOrderAndSkipsEmptyFields) {
  CVglParam param;
  param.SetOption("KVM", "kv");
  param.SetOption("J", "12");
  param.SetOption("P", "Prn \"x\"");
  param.SetOption("S", "");
  param.SetOption("R", "");
  param.SetOption("BN", "n");
  EXPECT_EQ(param.FormatParamFile(),
            "/P \"Prn \"x\"\"\n/J \"12\"\n/S\n/R\n/BN \"n\"\n/KVM \"kv\"\n");
}

TEST(ParamBlock, FileTextReadsBackToTheSameFields) {
  CVglParam written;
  for (const char* option : {"P", "D", "O", "M", "J", "BH", "BU", "BD", "BI", "BN", "KVM"}) {
    written.SetOption(option, (std::string("v \"") + option + "\" /x").c_str());
  }
  for (const char* flag : {"S", "R", "E", "U", "C", "BE"}) written.SetOption(flag, "");
  const std::string text = written.FormatParamFile();

  CVglParam read;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    read.ApplyParamLine(std::string_view(text).substr(start, end - start + 1));
    start = end + 1;
  }
  read.ApplyBeRule();
  EXPECT_EQ(read.FormatParamFile(), text);
}

TEST(ParamBlock, ConsumedFilesLieInsideTheirFolder) {
  EXPECT_TRUE(IsInsideFolder("C:\\Temp\\VG_1.tmp", "C:\\Temp\\"));
  EXPECT_TRUE(IsInsideFolder("c:\\temp\\sub\\VG_1.tmp", "C:\\Temp"));
  EXPECT_FALSE(IsInsideFolder("C:\\Temp", "C:\\Temp\\"));
  EXPECT_FALSE(IsInsideFolder("C:\\Temp\\", "C:\\Temp\\"));
  EXPECT_FALSE(IsInsideFolder("C:\\Temporary\\x.tmp", "C:\\Temp")) << "a sibling folder";
  EXPECT_FALSE(IsInsideFolder("C:\\Temp\\..\\boot.ini", "C:\\Temp"));
  EXPECT_FALSE(IsInsideFolder("C:\\Temp\\x:stream", "C:\\Temp"));
  EXPECT_FALSE(IsInsideFolder("D:\\Temp\\x.tmp", "C:\\Temp"));
  EXPECT_FALSE(IsInsideFolder("C:\\x.tmp", ""));
}

TEST(ParamBlock, HtmlHelpFileNeedsChmBehindTheLastDot) {
  EXPECT_EQ(IsHtmlHelpFile("C:\\help\\guide.CHM"), 1);
  EXPECT_EQ(IsHtmlHelpFile("a.b.chm"), 1);
  EXPECT_EQ(IsHtmlHelpFile("guide.chm.txt"), 0);
  EXPECT_EQ(IsHtmlHelpFile("chm"), 0);
  EXPECT_EQ(IsHtmlHelpFile(""), 0);
  EXPECT_EQ(IsHtmlHelpFile(nullptr), 0);
}

}  // namespace
