// Decisions of the dialogs that need no window: the replacement font, the about box's
// version lines, which systems have visual styles, and the Driver key path.
#include <gtest/gtest.h>

#include <string>

#include "ui/about_versions.h"
#include "ui/dialog_font_rules.h"
#include "ui/driver_key_path.h"
#include "ui/theme_rules.h"

namespace vgui {
namespace {

DialogFontFacts Facts(std::string_view face, int32_t height, int32_t dpi = 96) {
  DialogFontFacts facts;
  facts.doubleByteSystem = true;
  facts.hasFont = true;
  facts.face = face;
  facts.height = height;
  facts.dpi = dpi;
  facts.hasStockFont = true;
  return facts;
}

TEST(ReplacementFont, EightPointSansSerifTakesTheGuiFontAsItIs) {
  // A template's 8 pt font at 96 dpi has the height -11.
  const FontReplacement font = DecideReplacementFont(Facts("MS Sans Serif", -11));
  EXPECT_TRUE(font.make);
  EXPECT_TRUE(font.keepStockHeight);
}

TEST(ReplacementFont, OtherPointSizesKeepTheirSize) {
  FontReplacement font = DecideReplacementFont(Facts("MS Sans Serif", -13));  // 10 pt
  EXPECT_TRUE(font.make);
  EXPECT_FALSE(font.keepStockHeight);
  EXPECT_EQ(font.height, -13);
  font = DecideReplacementFont(Facts("Helv", -16, 120));  // 10 pt at 120 dpi
  EXPECT_TRUE(font.make);
  EXPECT_EQ(font.height, -17);
  font = DecideReplacementFont(Facts("Helv", 12));  // a positive height is the point size
  EXPECT_EQ(font.height, -16);
}

TEST(ReplacementFont, OnlyOnDoubleByteSystemsAndOnlyForTheOldFaces) {
  DialogFontFacts facts = Facts("MS Sans Serif", -11);
  facts.doubleByteSystem = false;
  EXPECT_FALSE(DecideReplacementFont(facts).make);
  EXPECT_FALSE(DecideReplacementFont(Facts("ms sans serif", -11)).make) << "case counts";
  EXPECT_FALSE(DecideReplacementFont(Facts("MS Shell Dlg", -11)).make);
  EXPECT_FALSE(DecideReplacementFont(Facts("Tahoma", -11)).make);
  facts = Facts("Helv", -11);
  facts.hasFont = false;
  EXPECT_FALSE(DecideReplacementFont(facts).make);
  facts = Facts("Helv", -11);
  facts.hasStockFont = false;
  EXPECT_FALSE(DecideReplacementFont(facts).make);
}

TEST(ReplacementFont, ZeroHeightIsUsedAsItIs) {
  const FontReplacement font = DecideReplacementFont(Facts("Helv", 0));
  EXPECT_TRUE(font.make);
  EXPECT_FALSE(font.keepStockHeight);
  EXPECT_EQ(font.height, 0);
}

TEST(ReplacementFont, PointSizeAndMulDivRounding) {
  EXPECT_EQ(PointSizeOf(-11, 96), 8);
  EXPECT_EQ(PointSizeOf(-13, 96), 10);
  EXPECT_EQ(PointSizeOf(9, 96), 9);
  EXPECT_EQ(PointSizeOf(-11, 1), 792) << "an unknown dpi counts as 1";
  EXPECT_EQ(MulDivRounded(10, 96, 72), 13);
  EXPECT_EQ(MulDivRounded(-10, 96, 72), -13);
  EXPECT_EQ(MulDivRounded(3, 1, 2), 2) << "halves away from zero";
  EXPECT_EQ(MulDivRounded(-3, 1, 2), -2);
  EXPECT_EQ(MulDivRounded(1, 2, 0), -1);
  EXPECT_EQ(MulDivRounded(0x7FFFFFFF, 4, 1), -1);
}

TEST(AboutVersionLines, ProductVersionFromTheProfile) {
  ProductVersion product = ProductVersionOf(true, "3.00");
  EXPECT_TRUE(product.show);
  EXPECT_EQ(product.text, "3.00");
  product = ProductVersionOf(true, "N/A");
  EXPECT_FALSE(product.show) << "\"N/A\" leaves the line as it is";
  EXPECT_EQ(product.text, "0");
  product = ProductVersionOf(false, "3.00");
  EXPECT_FALSE(product.show) << "no profile, nothing read";
  EXPECT_EQ(product.text, "0");
  product = ProductVersionOf(true, "");
  EXPECT_FALSE(product.show);
  EXPECT_EQ(product.text, "0");
  EXPECT_TRUE(ProductVersionOf(true, "n/a").show) << "only the exact text means none";
}

TEST(AboutVersionLines, CommunicationLibraryLine) {
  const ProductVersion none = ProductVersionOf(true, "N/A");
  const ProductVersion product = ProductVersionOf(true, "3.00");
  EXPECT_EQ(VersionLine(CommunicationLibraryVersion(false, "", "", none)), "Ver. 0");
  EXPECT_EQ(CommunicationLibraryVersion(false, "7", "8", product), "3.00");
  EXPECT_EQ(CommunicationLibraryVersion(true, "2.1", "1.0", product), "2.1");
  EXPECT_EQ(CommunicationLibraryVersion(true, "", "1.0", product), "1.0");
  EXPECT_EQ(CommunicationLibraryVersion(true, "", "", product), "") << "the line stays";
  EXPECT_EQ(VersionLine("1.2.3"), "Ver. 1.2.3");
}

TEST(VisualStyles, FromWindowsXpOnNtOnly) {
  EXPECT_FALSE(HasVisualStyles(true, 4, 0));
  EXPECT_FALSE(HasVisualStyles(true, 5, 0));
  EXPECT_TRUE(HasVisualStyles(true, 5, 1));
  EXPECT_TRUE(HasVisualStyles(true, 5, 2));
  EXPECT_TRUE(HasVisualStyles(true, 6, 0));
  EXPECT_FALSE(HasVisualStyles(false, 4, 90));
  EXPECT_FALSE(HasVisualStyles(false, 5, 1));
}

TEST(DriverKey, PathAndNameBothWays) {
  EXPECT_EQ(MakeDriverKeyPath("KORVA VP-100"), "software\\KORVA\\VGL3\\Driver\\KORVA VP-100");
  EXPECT_EQ(MakeDriverKeyPath(""), "");
  EXPECT_EQ(MakeDriverKeyPath(std::string(240, 'd')), "") << "would not fit 260 bytes";
  EXPECT_EQ(DriverNameOf("software\\KORVA\\VGL3\\Driver\\KORVA VP-100"), "KORVA VP-100");
  EXPECT_EQ(DriverNameOf("SOFTWARE\\korva\\VGL3\\Driver\\X"), "X");
  EXPECT_EQ(DriverNameOf("software\\Other\\X"), "");
}

TEST(DriverKey, ProcessWidePathIsStoredWhole) {
  SetDriverKeyPath("software\\KORVA\\VGL3\\Driver\\A");
  EXPECT_STREQ(DriverKeyPath(), "software\\KORVA\\VGL3\\Driver\\A");
  SetDriverKeyPath(std::string(300, 'x'));
  EXPECT_STREQ(DriverKeyPath(), "") << "a cut path names another key";
  SetDriverKeyPath("");
  EXPECT_STREQ(DriverKeyPath(), "");
}

}  // namespace
}  // namespace vgui
