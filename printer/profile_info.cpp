#include "printer/profile_info.h"

#include <cstring>
#include <limits>
#include <memory>
#include <new>

#include "common/text_util.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

CElements::~CElements() = default;

bool IsStatusKey(std::string_view key) {
  return key.size() >= 8 && vgtext::StartsWithNoCase(key, "STATUS") && IsDigit(key[6]) &&
         IsDigit(key[7]);
}

int32_t ParseDecimal(std::string_view text) {
  size_t pos = 0;
  while (pos < text.size() && (IsBlank(text[pos]) || text[pos] == '\r' || text[pos] == '\n' ||
                               text[pos] == '\v' || text[pos] == '\f')) {
    ++pos;
  }
  bool negative = false;
  if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) {
    negative = text[pos] == '-';
    ++pos;
  }
  // Accumulated as a negative number so that the lowest value fits.
  constexpr int64_t kLow = std::numeric_limits<int32_t>::min();
  constexpr int64_t kHigh = std::numeric_limits<int32_t>::max();
  int64_t value = 0;
  for (; pos < text.size() && IsDigit(text[pos]); ++pos) {
    value = value * 10 - (text[pos] - '0');
    if (value < kLow) value = kLow - 1;  // stays out of range; clamped below
  }
  if (!negative) value = -value;
  if (value < kLow) return static_cast<int32_t>(kLow);
  if (value > kHigh) return static_cast<int32_t>(kHigh);
  return static_cast<int32_t>(value);
}

SectionLineReader::SectionLineReader(std::string_view text, std::string_view section)
    : m_text(text), m_section(section), m_bDone(section.empty()) {}

bool SectionLineReader::NextRawLine(std::string_view* line) {
  if (m_nPos >= m_text.size()) return false;
  size_t end = m_text.find('\n', m_nPos);
  if (end == std::string_view::npos) end = m_text.size();
  std::string_view raw = m_text.substr(m_nPos, end - m_nPos);
  m_nPos = end + 1;
  if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
  if (raw.size() > kProfileFieldMax) raw = raw.substr(0, kProfileFieldMax);
  *line = raw;
  return true;
}

bool SectionLineReader::Next(std::string_view* line) {
  std::string_view raw;
  while (!m_bDone && NextRawLine(&raw)) {
    if (raw.empty() || raw[0] != '[') {
      if (m_bEntered) {
        *line = raw;
        return true;
      }
      continue;
    }
    if (m_bEntered) break;
    std::string_view name = raw.substr(1);
    m_bEntered = name.size() > m_section.size() && name[m_section.size()] == ']' &&
                 vgtext::StartsWithNoCase(name, m_section);
  }
  m_bDone = true;
  return false;
}

CProfileInfo::~CProfileInfo() { Clear(); }

void CProfileInfo::Clear() {
  // Iterative, so that a long list cannot exhaust the stack.
  CElements* line = m_pFirst;
  while (line != nullptr) {
    CElements* next = line->m_pNext;
    delete line;
    line = next;
  }
  m_pFirst = nullptr;
  m_pLast = nullptr;
  m_pIter = nullptr;
  m_nCount = 0;
}

void CProfileInfo::Read(std::string_view fileText, std::string_view sectionName) {
  m_pIter = nullptr;
  Clear();
  SectionLineReader reader(fileText, sectionName);
  std::string_view line;
  while (reader.Next(&line)) ParseLine(line);
}

void CProfileInfo::ReadField(std::string_view text, std::string* out) {
  out->clear();
  while (m_nPos < text.size() && IsBlank(text[m_nPos])) ++m_nPos;
  bool quoted = false;
  for (; m_nPos < text.size(); ++m_nPos) {
    char c = text[m_nPos];
    if (c == '"') {
      quoted = !quoted;
      continue;
    }
    if (c == ',' && !quoted) {
      ++m_nPos;  // the separator belongs to no field
      return;
    }
    if (out->size() < kProfileFieldMax) out->push_back(c);
  }
}

int32_t CProfileInfo::ReadNumberField(std::string_view text) {
  std::string field;
  ReadField(text, &field);
  return ParseDecimal(field);
}

void CProfileInfo::ParseLine(std::string_view text) {
  size_t equals = text.find('=');
  if (equals == std::string_view::npos) return;
  char key[9] = {};
  size_t keyLength = 0;
  for (size_t i = 0; i < equals && keyLength < 8; ++i) {
    if (!IsBlank(text[i])) key[keyLength++] = text[i];
  }
  if (!IsStatusKey(std::string_view(key, keyLength))) return;

  // Out of memory drops the line; nothing is thrown past the parser.
  try {
    m_nPos = equals + 1;
    m_nState = ReadNumberField(text);
    m_nError = ReadNumberField(text);
    m_nWarning = ReadNumberField(text);
    ReadField(text, &m_strText1);
    ReadField(text, &m_strText2);
    m_nDisplay = ReadNumberField(text);
    m_nAlert = ReadNumberField(text);

    std::unique_ptr<CElements> line(new CElements());
    line->m_nState = m_nState;
    line->m_nError = m_nError;
    line->m_nWarning = m_nWarning;
    line->m_strText1 = m_strText1;
    line->m_strText2 = m_strText2;
    line->m_nDisplay = m_nDisplay;
    line->m_nAlert = m_nAlert;
    CElements* appended = line.release();
    if (m_pLast == nullptr) {
      m_pFirst = appended;
    } else {
      m_pLast->m_pNext = appended;
    }
    m_pLast = appended;
    ++m_nCount;
  } catch (const std::bad_alloc&) {
  }
}

int CProfileInfo::CopyCurrent(ProfileLine* out) const {
  if (out == nullptr || m_pIter == nullptr) return 0;
  out->state = static_cast<int16_t>(m_pIter->m_nState);
  out->error = static_cast<int16_t>(m_pIter->m_nError);
  out->warning = static_cast<int16_t>(m_pIter->m_nWarning);
  vgtext::CopyBounded(out->text1, sizeof(out->text1), m_pIter->m_strText1);
  vgtext::CopyBounded(out->text2, sizeof(out->text2), m_pIter->m_strText2);
  out->display = m_pIter->m_nDisplay;
  out->alert = m_pIter->m_nAlert != 0 ? 1 : 0;
  return 1;
}

int CProfileInfo::First(ProfileLine* out) {
  m_pIter = m_pFirst;
  return Next(out);
}

int CProfileInfo::Next(ProfileLine* out) {
  if (CopyCurrent(out) == 0) return 0;
  m_pIter = m_pIter->m_pNext;
  return 1;
}
