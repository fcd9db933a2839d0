#include "tools/qvsim/standin_rules.h"

#include "common/text_util.h"
#include "tools/qvsim/qvsim_text.h"

namespace qvsim {

namespace {

constexpr std::string_view kReturnOption = "/Ret=WM:";

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// 1 to 8 hexadecimal digits from *pos on.
bool ReadHex(std::string_view text, size_t* pos, uint32_t* value) {
  uint32_t result = 0;
  size_t digits = 0;
  while (*pos < text.size() && HexDigit(text[*pos]) >= 0) {
    if (++digits > 8) return false;
    result = (result << 4) | static_cast<uint32_t>(HexDigit(text[*pos]));
    ++*pos;
  }
  *value = result;
  return digits > 0;
}

bool ReadDecimal(std::string_view text, size_t* pos, uint32_t* value) {
  const size_t start = *pos;
  while (*pos < text.size() && text[*pos] >= '0' && text[*pos] <= '9') ++*pos;
  return *pos > start && ParseUInt32(text.substr(start, *pos - start), value);
}

}  // namespace

std::optional<ReturnAddress> FindReturnAddress(std::string_view commandLine) {
  // The last one counts: the options follow the program's path, which may hold anything.
  size_t at = std::string_view::npos;
  for (size_t from = 0;;) {
    const size_t next = vgtext::FindNoCase(commandLine.substr(from), kReturnOption);
    if (next == std::string_view::npos) break;
    at = from + next;
    from = at + 1;
  }
  if (at == std::string_view::npos) return std::nullopt;
  size_t pos = at + kReturnOption.size();
  ReturnAddress address;
  if (!ReadHex(commandLine, &pos, &address.window)) return std::nullopt;
  if (pos >= commandLine.size() || commandLine[pos] != ';') return std::nullopt;
  ++pos;
  if (!ReadHex(commandLine, &pos, &address.message)) return std::nullopt;
  if (pos < commandLine.size() && commandLine[pos] != ' ' && commandLine[pos] != '\t') {
    return std::nullopt;
  }
  return address;
}

std::string FormatStartRecord(const StartRecord& record) {
  return std::to_string(record.seq) + " pid=" + std::to_string(record.pid) + " \"" + record.module +
         "\" " + record.commandLine;
}

bool ParseStartRecord(std::string_view line, StartRecord* out) {
  StartRecord record;
  size_t pos = 0;
  if (!ReadDecimal(line, &pos, &record.seq)) return false;
  constexpr std::string_view kPid = " pid=";
  if (line.substr(pos, kPid.size()) != kPid) return false;
  pos += kPid.size();
  if (!ReadDecimal(line, &pos, &record.pid)) return false;
  if (line.substr(pos, 2) != " \"") return false;
  pos += 2;
  const size_t close = line.find('"', pos);
  if (close == std::string_view::npos) return false;
  record.module = std::string(line.substr(pos, close - pos));
  pos = close + 1;
  if (pos < line.size()) {
    if (line[pos] != ' ') return false;
    record.commandLine = std::string(line.substr(pos + 1));
  }
  *out = std::move(record);
  return true;
}

std::string ProgramKeyName(std::string_view fileName) {
  if (fileName.empty() || fileName.find_first_of("\\/") != std::string_view::npos) {
    return std::string();
  }
  std::string name;
  for (char c : fileName) name += vgtext::ToLower(c);
  return name;
}

bool ParseAnswerDelay(std::string_view text, uint32_t* ms) {
  if (vgtext::EqualsNoCase(text, "never")) {
    *ms = kNeverAnswer;
    return true;
  }
  uint32_t value = 0;
  size_t pos = 0;
  if (!ReadDecimal(text, &pos, &value) || pos != text.size() || value == kNeverAnswer) {
    return false;
  }
  *ms = value;
  return true;
}

std::string FormatAnswerDelay(uint32_t ms) {
  return ms == kNeverAnswer ? std::string("never") : std::to_string(ms);
}

}  // namespace qvsim
