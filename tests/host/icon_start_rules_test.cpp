// The command lines of the tray icon program: its log-on registration and its start at once,
// and the parameter file that a registration names.
#include <gtest/gtest.h>

#include <string>

#include "common/vgl_param.h"
#include "ui/icon_start_rules.h"

namespace {

using namespace vgstart;

constexpr char kProgram[] = "C:\\Program Files\\KORVA\\Vigil3\\VP-100\\vgicon.exe";

TEST(IconStart, RunValueIsNamedByThePrinterElseItsPort) {
  EXPECT_EQ(RunValueName("Office", "LPT1:"), "Office");
  EXPECT_EQ(RunValueName("", "LPT1:"), "LPT1:");
}

TEST(IconStart, LogOnStartNamesItsParameterFileAndQuotesTheProgram) {
  EXPECT_EQ(AutoStartCommandLine(kProgram, "C:\\Temp\\VG_1A2B.tmp").value(),
            "\"C:\\Program Files\\KORVA\\Vigil3\\VP-100\\vgicon.exe\" /A \"C:\\Temp\\VG_1A2B.tmp\"");
  EXPECT_EQ(ParamFileCommandLine("C:\\x\\vgicon.exe", "VG_1A2B.tmp").value(),
            "\"C:\\x\\vgicon.exe\" /F \"VG_1A2B.tmp\"");
}

TEST(IconStart, OptionsCarryTheNamesWithTheirLengthsAndTheRemoveFlag) {
  EXPECT_EQ(OptionsCommandLine("C:\\i.exe", "Office \"2\"", "LPT1:", "VP-100", false).value(),
            "\"C:\\i.exe\" /P10 \"Office \"2\"\" /O5 \"LPT1:\" /M \"VP-100\"");
  EXPECT_EQ(OptionsCommandLine("C:\\i.exe", "", "USB001", "VP-100", true).value(),
            "\"C:\\i.exe\" /P0 \"\" /O6 \"USB001\" /M \"VP-100\" /R");
}

TEST(IconStart, TheCommandLinesReadBackAsTheIconProgramReadsThem) {
  const std::string line =
      OptionsCommandLine(kProgram, "Office \"A\" /S", "LPT1:", "VP-100", true).value();
  CVglParam param;
  param.SetText(line);
  param.ApplyCommandLine();
  EXPECT_STREQ(param.PrinterName, "Office \"A\" /S");
  EXPECT_STREQ(param.PortName, "LPT1:");
  EXPECT_STREQ(param.ModelID, "VP-100");
  EXPECT_EQ(param.RemoveFlag, 1);
  EXPECT_EQ(param.FlagS, 0) << "a slash inside a name begins no option";

  // A model with a quote carries its length, or the quote it leaves open hides the R flag.
  const std::string quotedModel =
      OptionsCommandLine(kProgram, "Office", "LPT1:", "VP\"100", true).value();
  EXPECT_NE(quotedModel.find("/M6 \"VP\"100\" /R"), std::string::npos) << quotedModel;
  CVglParam withQuote;
  withQuote.SetText(quotedModel);
  withQuote.ApplyCommandLine();
  EXPECT_STREQ(withQuote.ModelID, "VP\"100");
  EXPECT_EQ(withQuote.RemoveFlag, 1);

  CVglParam fromFile;
  fromFile.SetText(ParamFileCommandLine(kProgram, "VG_12.tmp").value());
  fromFile.ApplyCommandLine();
  EXPECT_STREQ(fromFile.ParamFileToRead, "VG_12.tmp");
}

TEST(IconStart, LinesThatDoNotFitFiveHundredTwentyBytesAreNotUsed) {
  // Quotes, blank and "/A" around the two texts take eight bytes; the terminator one more.
  const std::string file(kCommandLineSize - 1 - 8 - std::string(kProgram).size(), 'f');
  ASSERT_TRUE(AutoStartCommandLine(kProgram, file));
  EXPECT_EQ(AutoStartCommandLine(kProgram, file)->size(), kCommandLineSize - 1);
  EXPECT_FALSE(AutoStartCommandLine(kProgram, file + "f"));
  EXPECT_FALSE(OptionsCommandLine(kProgram, std::string(259, 'p'), std::string(259, 'o'), "M",
                                  false));
}

TEST(RunValueFile, TheAutoStartFileOfEitherFormIsFound) {
  EXPECT_EQ(RunValueParamFile("\"C:\\P F\\vgicon.exe\" /A \"C:\\Temp\\VG_1.tmp\""),
            "C:\\Temp\\VG_1.tmp");
  EXPECT_EQ(RunValueParamFile("C:\\icon.exe /A \"C:\\Temp\\VG_2.tmp\""), "C:\\Temp\\VG_2.tmp");
  EXPECT_EQ(RunValueParamFile("C:\\icon.exe /a \"C:\\Temp\\VG_3.tmp\""), "C:\\Temp\\VG_3.tmp");
  // Another form: the text between the first and the last quote, as earlier versions read it.
  EXPECT_EQ(RunValueParamFile("x.exe /P5 \"Print\" /O5 \"LPT1:\""), "Print\" /O5 \"LPT1:");
  EXPECT_EQ(RunValueParamFile("x.exe"), "");
  EXPECT_EQ(RunValueParamFile("x.exe \"unclosed"), "");
  const std::string longValue = "\"" + std::string(300, 'p') + "\" /A \"C:\\T\\VG_4.tmp\"";
  EXPECT_EQ(RunValueParamFile(longValue), std::string(300, 'p') + "\" /A \"C:\\T\\VG_4.tmp");
}

TEST(RunValueFile, OnlyThisSystemsParameterFilesMayBeRemoved) {
  EXPECT_TRUE(IsOwnParamFileName("C:\\Temp\\VG_1A2B.tmp"));
  EXPECT_TRUE(IsOwnParamFileName("c:\\temp\\vg_1a2b.TMP"));
  EXPECT_TRUE(IsOwnParamFileName("VG_1A2B.tmp"));
  EXPECT_FALSE(IsOwnParamFileName("C:\\Temp\\data.tmp"));
  EXPECT_FALSE(IsOwnParamFileName("C:\\VG_dir\\data.tmp")) << "the file's own name counts";
  EXPECT_FALSE(IsOwnParamFileName("C:\\Temp\\VG_1A2B.txt"));
  EXPECT_FALSE(IsOwnParamFileName(""));
}

}  // namespace
