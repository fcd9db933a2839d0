#include "tools/footprint/proc_text.h"

namespace vgfoot {

namespace {

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// A hexadecimal number at the front of text, which is advanced past it.
bool TakeHex(std::string_view* text, uint64_t* value) {
  size_t i = 0;
  uint64_t result = 0;
  while (i < text->size() && IsHexDigit((*text)[i]) && i < 16) {
    const char c = (*text)[i];
    const int digit = c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
    result = result * 16 + static_cast<uint64_t>(digit);
    ++i;
  }
  if (i == 0) return false;
  text->remove_prefix(i);
  *value = result;
  return true;
}

// A decimal number after leading blanks; false when there is none.
bool TakeDecimal(std::string_view* text, uint64_t* value) {
  size_t i = 0;
  while (i < text->size() && ((*text)[i] == ' ' || (*text)[i] == '\t')) ++i;
  const size_t start = i;
  uint64_t result = 0;
  while (i < text->size() && (*text)[i] >= '0' && (*text)[i] <= '9' && i - start < 19) {
    result = result * 10 + static_cast<uint64_t>((*text)[i] - '0');
    ++i;
  }
  if (i == start) return false;
  text->remove_prefix(i);
  *value = result;
  return true;
}

std::string_view NextLine(std::string_view* text) {
  const size_t end = text->find('\n');
  std::string_view line = text->substr(0, end);
  text->remove_prefix(end == std::string_view::npos ? text->size() : end + 1);
  return line;
}

// The header of a mapping: "begin-end perms offset dev inode [name]".
bool ParseMappingHeader(std::string_view line, Mapping* mapping) {
  uint64_t begin = 0;
  uint64_t end = 0;
  if (!TakeHex(&line, &begin) || line.empty() || line.front() != '-') return false;
  line.remove_prefix(1);
  if (!TakeHex(&line, &end) || line.empty() || line.front() != ' ' || end < begin) return false;
  // Four blank-separated fields (permissions, offset, device, inode), then the name (which
  // may contain blanks).
  for (int field = 0; field < 4; ++field) {
    while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
    while (!line.empty() && line.front() != ' ') line.remove_prefix(1);
  }
  while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
  mapping->begin = begin;
  mapping->end = end;
  mapping->anonymousKb = 0;
  mapping->swapKb = 0;
  mapping->name = std::string(line);
  return true;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

std::vector<Mapping> ParseSmaps(std::string_view text) {
  std::vector<Mapping> mappings;
  bool inMapping = false;
  while (!text.empty()) {
    std::string_view line = NextLine(&text);
    Mapping header;
    if (!line.empty() && IsHexDigit(line.front()) && ParseMappingHeader(line, &header)) {
      mappings.push_back(std::move(header));
      inMapping = true;
      continue;
    }
    if (!inMapping) continue;
    uint64_t value = 0;
    if (StartsWith(line, "Anonymous:")) {
      line.remove_prefix(10);
      if (TakeDecimal(&line, &value)) mappings.back().anonymousKb = value;
    } else if (StartsWith(line, "Swap:")) {
      line.remove_prefix(5);
      if (TakeDecimal(&line, &value)) mappings.back().swapKb = value;
    }
  }
  return mappings;
}

bool ParseSchedstat(std::string_view text, uint64_t* nanoseconds) {
  uint64_t value = 0;
  if (nanoseconds == nullptr || !TakeDecimal(&text, &value)) return false;
  *nanoseconds = value;
  return true;
}

bool ParseStatusKb(std::string_view text, std::string_view field, uint64_t* kb) {
  if (kb == nullptr || field.empty()) return false;
  while (!text.empty()) {
    std::string_view line = NextLine(&text);
    // "RssAnon:\t    2304 kB"
    if (line.size() <= field.size() || line.substr(0, field.size()) != field ||
        line[field.size()] != ':') {
      continue;
    }
    line.remove_prefix(field.size() + 1);
    uint64_t value = 0;
    if (!TakeDecimal(&line, &value)) return false;
    *kb = value;
    return true;
  }
  return false;
}

bool ParseStatCpuTicks(std::string_view text, uint64_t* ticks) {
  // "PID (COMM) STATE PPID ...": the name may hold blanks and parentheses, so the fields are
  // counted from its last ')'. utime and stime are the 14th and 15th fields.
  const size_t close = text.rfind(')');
  if (ticks == nullptr || close == std::string_view::npos) return false;
  text.remove_prefix(close + 1);
  constexpr int kFieldsBeforeUtime = 11;  // from STATE (field 3) to field 13
  for (int field = 0; field < kFieldsBeforeUtime; ++field) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    const size_t blank = text.find(' ');
    if (text.empty() || blank == std::string_view::npos) return false;
    text.remove_prefix(blank);
  }
  uint64_t user = 0;
  uint64_t system = 0;
  if (!TakeDecimal(&text, &user) || !TakeDecimal(&text, &system)) return false;
  *ticks = user + system;
  return true;
}

bool IsPrivateAnonymousPage(uint64_t entry) {
  constexpr uint64_t kPresent = uint64_t{1} << 63;
  constexpr uint64_t kSwapped = uint64_t{1} << 62;
  constexpr uint64_t kFileOrShared = uint64_t{1} << 61;
  return (entry & (kPresent | kSwapped)) != 0 && (entry & kFileOrShared) == 0;
}

bool CommandLineHas(std::string_view commandLine, std::string_view program, std::string_view tag) {
  if (program.empty() || tag.empty()) return false;
  // The program is the first argument's file name (Wine puts the Windows path there).
  const std::string_view first = commandLine.substr(0, commandLine.find('\0'));
  const size_t slash = first.find_last_of("\\/");
  const std::string_view file = slash == std::string_view::npos ? first : first.substr(slash + 1);
  if (file.size() != program.size()) return false;
  for (size_t i = 0; i < file.size(); ++i) {
    if ((file[i] | 0x20) != (program[i] | 0x20)) return false;
  }
  return commandLine.find(tag) != std::string_view::npos;
}

}  // namespace vgfoot
