#pragma once
// The "Language" section of a model's profile INI: one line per language section, as
// name=primary,sub with hexadecimal numbers, and the choice of the section for a user's
// language. Windows reads the section; these functions only look at the bytes it returned.
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace vglang {

constexpr uint16_t kEnglish = 0x09;
constexpr uint16_t kEnglishUnitedStates = 0x0409;  // 1033

struct LanguageLine {
  std::string_view name;  // the section name, before the first "="
  uint16_t primary = 0;
  uint16_t sub = 0;
};

// Every hexadecimal digit from left to right, every other character skipped, kept to 16
// bits (so "0x09" and " 9" are both 9).
uint16_t ParseHexDigits(std::string_view text);

// Splits one line at the first "=" and the following ","; text after a second comma is
// ignored. A line without "=" is a name with both numbers 0.
LanguageLine ParseLanguageLine(std::string_view line);

// The lines of a section as returned by the private-profile call: each line ends with a
// zero byte, so the number of zero bytes is the number of lines; bytes after the last zero
// are not a line. The views point into block.
std::vector<LanguageLine> ParseLanguageSection(std::string_view block);

// A language identifier's parts: primary language in the low 10 bits, sub-language above.
constexpr uint16_t PrimaryOf(uint16_t langId) { return langId & 0x3FF; }
constexpr uint16_t SubOf(uint16_t langId) { return static_cast<uint16_t>(langId >> 10); }

// The entry for a language identifier, scanning in file order: both numbers match; else the
// first line of the same primary language; else the first English line; else the first
// line. -1 when there are no lines.
int ChooseLanguageEntry(const std::vector<LanguageLine>& lines, uint16_t langId);

// Says whether the "ResDll" of the named section names a file that exists.
using ResDllExistsFn = std::function<bool(std::string_view sectionName)>;

// The language section to use: the entry for the user's language if its resource library
// exists, else the entry for English (United States), else the first line in file order whose
// resource library exists, else none (an empty view).
std::string_view ChooseLanguageSection(const std::vector<LanguageLine>& lines, uint16_t userLangId,
                                       const ResDllExistsFn& resDllExists);

}  // namespace vglang
