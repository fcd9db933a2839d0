#include "common/language_table.h"

namespace vglang {

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

uint16_t ParseHexDigits(std::string_view text) {
  uint16_t value = 0;
  for (char c : text) {
    int digit = HexValue(c);
    if (digit >= 0) value = static_cast<uint16_t>((value << 4) | digit);
  }
  return value;
}

LanguageLine ParseLanguageLine(std::string_view line) {
  LanguageLine entry;
  const size_t equals = line.find('=');
  entry.name = line.substr(0, equals);
  if (equals == std::string_view::npos) return entry;
  std::string_view numbers = line.substr(equals + 1);
  const size_t comma = numbers.find(',');
  entry.primary = ParseHexDigits(numbers.substr(0, comma));
  if (comma == std::string_view::npos) return entry;
  std::string_view sub = numbers.substr(comma + 1);
  entry.sub = ParseHexDigits(sub.substr(0, sub.find(',')));
  return entry;
}

std::vector<LanguageLine> ParseLanguageSection(std::string_view block) {
  std::vector<LanguageLine> lines;
  size_t start = 0;
  for (;;) {
    const size_t zero = block.find('\0', start);
    if (zero == std::string_view::npos) break;
    lines.push_back(ParseLanguageLine(block.substr(start, zero - start)));
    start = zero + 1;
  }
  return lines;
}

int ChooseLanguageEntry(const std::vector<LanguageLine>& lines, uint16_t langId) {
  const uint16_t primary = PrimaryOf(langId);
  const uint16_t sub = SubOf(langId);
  int samePrimary = -1;
  int english = -1;
  for (size_t i = 0; i < lines.size(); ++i) {
    const int index = static_cast<int>(i);
    if (lines[i].primary == primary) {
      if (lines[i].sub == sub) return index;
      if (samePrimary < 0) samePrimary = index;
    }
    if (lines[i].primary == kEnglish && english < 0) english = index;
  }
  if (samePrimary >= 0) return samePrimary;
  if (english >= 0) return english;
  return lines.empty() ? -1 : 0;
}

std::string_view ChooseLanguageSection(const std::vector<LanguageLine>& lines, uint16_t userLangId,
                                       const ResDllExistsFn& resDllExists) {
  if (lines.empty() || !resDllExists) return std::string_view();
  for (uint16_t langId : {userLangId, kEnglishUnitedStates}) {
    const int chosen = ChooseLanguageEntry(lines, langId);
    if (chosen >= 0 && resDllExists(lines[chosen].name)) return lines[chosen].name;
  }
  for (const LanguageLine& line : lines) {
    if (resDllExists(line.name)) return line.name;
  }
  return std::string_view();
}

}  // namespace vglang
