#include "common/cmd_line.h"

#include <cstring>

#include "common/text_util.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool EndsName(char c) {
  return IsDigit(c) || c == '"' || c == '/' || c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

size_t NameEnd(std::string_view text, size_t start) {
  size_t end = start;
  while (end < text.size() && !EndsName(text[end])) ++end;
  return end;
}

template <size_t N>
size_t CopyBounded(char (&out)[N], std::string_view text) {
  return vgtext::CopyBounded(out, N, text);
}

}  // namespace

size_t CopyParamText(char (&out)[kParamTextSize], std::string_view text) {
  return CopyBounded(out, text);
}

CCmdLine::CCmdLine() { m_szCmdLine[0] = '\0'; }

CCmdLine::~CCmdLine() = default;

void CCmdLine::SetText(std::string_view text) { CopyParamText(m_szCmdLine, text); }

unsigned long CCmdLine::ReadLengthPrefix(std::string_view text, size_t& pos) {
  unsigned long length = 0;
  while (pos < text.size() && text[pos] != '"' && text[pos] != '/' && text[pos] != '\n') {
    if (IsDigit(text[pos])) {
      // A prefix can never be longer than the text; stop growing instead of overflowing.
      if (length <= kParamTextSize) length = length * 10 + static_cast<unsigned>(text[pos] - '0');
    }
    ++pos;
  }
  return length;
}

bool CCmdLine::FindArg(int index, ArgSpan* out) const {
  const std::string_view text(m_szCmdLine, strnlen(m_szCmdLine, kParamTextSize));
  bool inQuotes = false;
  // After a length-prefixed value, quotes leave the state alone until the next option.
  bool quotesIgnored = false;
  int current = 0;
  size_t pos = 0;
  while (pos < text.size()) {
    const char c = text[pos];
    if (c == '"') {
      if (!quotesIgnored) inQuotes = !inQuotes;
      ++pos;
      continue;
    }
    if (c != '/' || inQuotes) {
      ++pos;
      continue;
    }

    quotesIgnored = false;
    const size_t nameStart = pos + 1;
    const size_t nameEnd = NameEnd(text, nameStart);
    size_t cursor = nameEnd;
    const unsigned long length = ReadLengthPrefix(text, cursor);
    const bool hasQuote = cursor < text.size() && text[cursor] == '"';

    std::string_view optionValue;
    bool closed = true;
    size_t next = nameEnd;  // N = 0: the generic scan toggles over the quoted value
    if (length > 0) {
      if (!hasQuote) {
        out->closed = true;
        return false;
      }
      const size_t valueStart = cursor + 1;
      const size_t available = text.size() - valueStart;
      optionValue = text.substr(valueStart, length < available ? length : available);
      closed = length < available && text[valueStart + length] == '"';
      next = valueStart + optionValue.size() + 1;  // over the value and its closing quote
      quotesIgnored = true;
    } else if (hasQuote) {
      const size_t valueStart = cursor + 1;
      size_t valueEnd = valueStart;
      while (valueEnd < text.size() && text[valueEnd] != '"' && text[valueEnd] != '\n') {
        ++valueEnd;
      }
      optionValue = text.substr(valueStart, valueEnd - valueStart);
      closed = valueEnd < text.size();
    }

    if (current == index) {
      out->name = text.substr(nameStart, nameEnd - nameStart);
      out->value = optionValue;
      out->closed = closed;
      return true;
    }
    ++current;
    pos = next;
  }
  out->closed = !inQuotes;  // a quote that the scan left open
  return false;
}

int CCmdLine::GetArg(int index, char* name, char* value) const {
  if (name) name[0] = '\0';
  if (value) value[0] = '\0';
  if (name == nullptr || value == nullptr || index < 0) return -1;
  ArgSpan arg;
  if (!FindArg(index, &arg)) return -1;
  char nameBuffer[kParamTextSize];
  char valueBuffer[kParamTextSize];
  CopyParamText(nameBuffer, arg.name);
  size_t copied = CopyParamText(valueBuffer, arg.value);
  std::memcpy(name, nameBuffer, std::strlen(nameBuffer) + 1);
  std::memcpy(value, valueBuffer, copied + 1);
  return static_cast<int>(copied);
}

bool CCmdLine::HasUnclosedValue() const {
  ArgSpan arg;
  for (int index = 0; FindArg(index, &arg); ++index) {
    if (!arg.closed) return true;
  }
  return !arg.closed;  // the last call tells whether the text ends inside quotes
}

bool ParseParamLine(std::string_view line, char (&name)[80], char (&value)[kParamTextSize]) {
  name[0] = '\0';
  value[0] = '\0';
  const size_t slash = line.find('/');
  if (slash == std::string_view::npos) return false;
  const size_t nameEnd = NameEnd(line, slash + 1);
  CopyBounded(name, line.substr(slash + 1, nameEnd - slash - 1));

  const size_t quote = line.find('"', nameEnd);
  if (quote == std::string_view::npos) {
    // Flag lines carry no quoted value; their value plays no part.
    CopyParamText(value, line);
    return true;
  }
  std::string_view rest = line.substr(quote + 1);
  const size_t last = rest.rfind('"');
  if (last != std::string_view::npos) {
    rest = rest.substr(0, last);
  } else {
    while (!rest.empty() && (rest.back() == '\n' || rest.back() == '\r')) rest.remove_suffix(1);
  }
  CopyParamText(value, rest);
  return true;
}
