#pragma once
// The "STATUS" lines of a model's profile: each line of the language section whose key is
// "STATUS" and two digits (any case, blanks and tabs in the key ignored) carries seven
// comma-separated fields: state, error, warning, first text, second text, display, alert.
// CProfileInfo reads them in file order into a list of CElements.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Characters of one field, and of one line read from the file.
constexpr size_t kProfileFieldMax = 519;
constexpr size_t kProfileTextSize = kProfileFieldMax + 1;

// One STATUS line as First and Next hand it out.
struct ProfileLine {
  int16_t state;
  int16_t error;
  int16_t warning;
  char text1[kProfileTextSize];
  char text2[kProfileTextSize];
  int32_t display;
  int32_t alert;  // 0 or 1
};

// One STATUS line; the lines form a singly linked list in file order.
class CElements {
 public:
  CElements() = default;
  virtual ~CElements();
  CElements(const CElements&) = delete;
  CElements& operator=(const CElements&) = delete;

  int32_t m_nState = 0;
  int32_t m_nError = 0;
  int32_t m_nWarning = 0;
  std::string m_strText1;
  std::string m_strText2;
  int32_t m_nDisplay = 0;
  int32_t m_nAlert = 0;
  CElements* m_pNext = nullptr;
};

// True when the key (the text before "=", blanks and tabs removed) begins with "STATUS" and
// two digits, compared without regard to case.
bool IsStatusKey(std::string_view key);

// The lines of one section of an INI text: lines are split at LF (a CR before it is dropped)
// and cut at kProfileFieldMax characters, the rest of an overlong line is dropped. The section
// begins after the header "[" + name + "]" (name compared without regard to case) and ends at
// the next line that begins with "[" or at the end of the text.
class SectionLineReader {
 public:
  SectionLineReader(std::string_view text, std::string_view section);
  // The next line inside the section (without its line end); false at the section's end.
  bool Next(std::string_view* line);

 private:
  bool NextRawLine(std::string_view* line);

  std::string_view m_text;
  std::string_view m_section;
  size_t m_nPos = 0;
  bool m_bEntered = false;
  bool m_bDone = false;
};

class CProfileInfo {
 public:
  CProfileInfo() = default;
  virtual ~CProfileInfo();
  CProfileInfo(const CProfileInfo&) = delete;
  CProfileInfo& operator=(const CProfileInfo&) = delete;

  // Replaces the lines with the STATUS lines of the named section of a whole INI text. An
  // empty section name reads nothing.
  void Read(std::string_view fileText, std::string_view sectionName);
  // One text line of the section: a STATUS line is appended to the list, others are ignored.
  void ParseLine(std::string_view text);

  // 1 and a copy of the first (or next) line, 0 at the end of the list.
  int First(ProfileLine* out);
  int Next(ProfileLine* out);

  // The number of lines less one: the last line closes the list and makes no row.
  int GetRowCount() const { return m_nCount - 1; }
  int GetLineCount() const { return m_nCount; }
  void Clear();

 private:
  // Reads the next field from m_nPos: blanks and tabs skipped, quotes dropped (a comma between
  // quotes stays in the field), at most kProfileFieldMax characters kept.
  void ReadField(std::string_view text, std::string* out);
  int32_t ReadNumberField(std::string_view text);
  int CopyCurrent(ProfileLine* out) const;

  CElements* m_pFirst = nullptr;
  int m_nCount = 0;
  int32_t m_nState = 0;
  int32_t m_nError = 0;
  int32_t m_nWarning = 0;
  std::string m_strText1;
  std::string m_strText2;
  int32_t m_nDisplay = 0;
  int32_t m_nAlert = 0;
  size_t m_nPos = 0;
  CElements* m_pIter = nullptr;
  CElements* m_pLast = nullptr;  // appending stays cheap for long lists
};

// A decimal number as "%d" reads it: leading white space, an optional sign, digits; 0 when
// there are no digits; values beyond 32 bits are held at the nearest limit.
int32_t ParseDecimal(std::string_view text);
