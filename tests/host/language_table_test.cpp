// The "Language" section of a profile INI and the choice of a language section.
#include "common/language_table.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

using vglang::ChooseLanguageEntry;
using vglang::ChooseLanguageSection;
using vglang::LanguageLine;
using vglang::ParseHexDigits;
using vglang::ParseLanguageLine;
using vglang::ParseLanguageSection;

constexpr uint16_t kGermanAustria = 0x0C07;  // primary 7, sub-language 3

// A section block as the private-profile call returns it: lines ending in zero bytes.
std::string Block(const std::vector<std::string>& lines) {
  std::string block;
  for (const auto& line : lines) block += line + std::string(1, '\0');
  return block;
}

TEST(LanguageNumbers, HexDigitsFromLeftToRightOthersSkipped) {
  EXPECT_EQ(ParseHexDigits("0x09"), 0x09);
  EXPECT_EQ(ParseHexDigits("9"), 0x09);
  EXPECT_EQ(ParseHexDigits(" 0x0C "), 0x0C);
  EXPECT_EQ(ParseHexDigits("0Xab"), 0xAB) << "both letter cases";
  EXPECT_EQ(ParseHexDigits("1-2 3"), 0x123) << "other characters are skipped, not ends";
  EXPECT_EQ(ParseHexDigits("zz"), 0);
  EXPECT_EQ(ParseHexDigits(""), 0);
  EXPECT_EQ(ParseHexDigits("12345"), 0x2345) << "16 bits: the leftmost digits fall off";
  EXPECT_EQ(ParseHexDigits("0xFFFF"), 0xFFFF);
}

TEST(LanguageNumbers, LineSplitsAtFirstEqualsAndFollowingComma) {
  LanguageLine line = ParseLanguageLine("English=0x09,0x01");
  EXPECT_EQ(line.name, "English");
  EXPECT_EQ(line.primary, 0x09);
  EXPECT_EQ(line.sub, 0x01);

  line = ParseLanguageLine("German=0x07,0x03,ignored 0xFF");
  EXPECT_EQ(line.primary, 0x07);
  EXPECT_EQ(line.sub, 0x03) << "text after a second comma is ignored";

  line = ParseLanguageLine("A=B=1,2");
  EXPECT_EQ(line.name, "A");
  EXPECT_EQ(line.primary, 0xB1) << "a later '=' is just another character";
  EXPECT_EQ(line.sub, 0x02);

  line = ParseLanguageLine("French=0x0C");
  EXPECT_EQ(line.primary, 0x0C);
  EXPECT_EQ(line.sub, 0) << "no comma, no sub-language";

  line = ParseLanguageLine("NoNumbers");
  EXPECT_EQ(line.name, "NoNumbers");
  EXPECT_EQ(line.primary, 0);
  EXPECT_EQ(line.sub, 0);
}

TEST(LanguageSection, OneLinePerZeroByte) {
  const std::string block = Block({"English=9,1", "Japanese=0x11,0x01"});
  auto lines = ParseLanguageSection(block);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].name, "English");
  EXPECT_EQ(lines[1].name, "Japanese");
  EXPECT_EQ(lines[1].primary, 0x11);

  EXPECT_TRUE(ParseLanguageSection("").empty());
  EXPECT_TRUE(ParseLanguageSection("Cut=9,1").empty()) << "bytes after the last zero are no line";
  const std::string cut("A=9,1\0Cu", 8);
  lines = ParseLanguageSection(cut);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].name, "A");
}

class LanguageChoice : public ::testing::Test {
 protected:
  int Choose(const std::vector<std::string>& text, uint16_t langId) {
    block_ = Block(text);
    lines_ = ParseLanguageSection(block_);
    return ChooseLanguageEntry(lines_, langId);
  }
  std::string block_;
  std::vector<LanguageLine> lines_;
};

TEST_F(LanguageChoice, BothNumbersWinOverAnEarlierSamePrimary) {
  EXPECT_EQ(Choose({"English=9,1", "German=7,1", "GermanAT=7,3", "GermanAT2=7,3"}, kGermanAustria),
            2);
}

TEST_F(LanguageChoice, FirstSamePrimaryWhenNoLineNamesBoth) {
  EXPECT_EQ(Choose({"English=9,1", "German=7,1", "Swiss=7,2"}, kGermanAustria), 1);
}

TEST_F(LanguageChoice, FirstEnglishWhenThePrimaryIsMissing) {
  EXPECT_EQ(Choose({"French=0xC,1", "British=9,2", "American=9,1"}, kGermanAustria), 1);
}

TEST_F(LanguageChoice, FirstLineWhenNeitherLanguageNorEnglish) {
  EXPECT_EQ(Choose({"French=0xC,1", "Japanese=0x11,1"}, kGermanAustria), 0);
}

TEST_F(LanguageChoice, NoLinesNoEntry) { EXPECT_EQ(Choose({}, kGermanAustria), -1); }

TEST_F(LanguageChoice, LanguageIdentifierSplitsTenAndSixBits) {
  // 0x0409 is primary 9, sub-language 1; the full identifier never matches a primary.
  EXPECT_EQ(Choose({"Whole=0x409,0", "UK=9,2", "US=9,1"}, 0x0409), 2);
  EXPECT_EQ(vglang::PrimaryOf(0xFC07), 0x07);
  EXPECT_EQ(vglang::SubOf(0xFC07), 0x3F);
}

class SectionChoice : public ::testing::Test {
 protected:
  std::string_view Choose(const std::vector<std::string>& text, uint16_t langId,
                          const std::set<std::string>& withResDll) {
    block_ = Block(text);
    lines_ = ParseLanguageSection(block_);
    asked_.clear();
    return ChooseLanguageSection(lines_, langId, [&](std::string_view name) {
      asked_.emplace_back(name);
      return withResDll.count(std::string(name)) > 0;
    });
  }
  std::string block_;
  std::vector<LanguageLine> lines_;
  std::vector<std::string> asked_;
};

TEST_F(SectionChoice, UserLanguageWhenItsLibraryExists) {
  EXPECT_EQ(Choose({"English=9,1", "German=7,1"}, kGermanAustria, {"English", "German"}), "German");
  EXPECT_EQ(asked_, std::vector<std::string>({"German"}));
}

TEST_F(SectionChoice, EnglishUnitedStatesWhenTheUserLanguageLacksItsLibrary) {
  EXPECT_EQ(Choose({"British=9,2", "German=7,1", "American=9,1"}, kGermanAustria,
                   {"British", "American"}),
            "American");
  EXPECT_EQ(asked_, std::vector<std::string>({"German", "American"}));
}

TEST_F(SectionChoice, EnglishLineStandsInForMissingGerman) {
  // No German line: the user's choice is the first English line; it exists.
  EXPECT_EQ(Choose({"French=0xC,1", "British=9,2", "American=9,1"}, kGermanAustria,
                   {"British", "American"}),
            "British");
}

TEST_F(SectionChoice, FirstLineWhenThereIsNoEnglishEither) {
  EXPECT_EQ(Choose({"French=0xC,1", "Japanese=0x11,1"}, kGermanAustria, {"French", "Japanese"}),
            "French");
}

TEST_F(SectionChoice, FirstExistingLibraryInFileOrder) {
  EXPECT_EQ(Choose({"German=7,3", "French=0xC,1", "American=9,1", "Japanese=0x11,1"},
                   kGermanAustria, {"Japanese", "French"}),
            "French");
  EXPECT_EQ(asked_, std::vector<std::string>({"German", "American", "German", "French"}));
}

TEST_F(SectionChoice, NoExistingLibraryNoSection) {
  EXPECT_EQ(Choose({"German=7,3", "American=9,1"}, kGermanAustria, {}), "");
}

TEST_F(SectionChoice, MissingSectionAsksNothing) {
  EXPECT_EQ(Choose({}, kGermanAustria, {"German"}), "");
  EXPECT_TRUE(asked_.empty());
}

}  // namespace
