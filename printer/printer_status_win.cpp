#include "printer/printer_status_win.h"

#include <cstring>

#include "common/text_util.h"
#include "printer/status_decode.h"

CPrinterStatus::CPrinterStatus(bool hasReply, const StatusReply& reply, const CategoryRow* category,
                               const HelpSource& help, const StatusRecord& record,
                               HMODULE resourceModule)
    : m_bHasReply(hasReply ? TRUE : FALSE),
      m_stHelpSource(help),
      m_stRecord(record),
      m_hResource(resourceModule) {
  m_stReply = hasReply ? reply : ZeroedStatusReply();
  std::memset(&m_stCategory, 0, sizeof(m_stCategory));
  if (category != nullptr) m_stCategory = *category;
}

const HelpLink& CPrinterStatus::Help() const {
  if (!m_bHelpFound) {
    m_stHelp = FindHelpLink(m_stHelpSource, m_stRecord.helpNo);
    m_bHelpFound = true;
  }
  return m_stHelp;
}

CPrinterStatus::~CPrinterStatus() = default;

int CPrinterStatus::GetPrintingState() const { return PrintingState(HasReply(), m_stReply); }

int CPrinterStatus::GetText(const char (&text)[kStatusTextSize], char* out, int size) const {
  if (out == nullptr || size <= 0) return 0;
  out[0] = '\0';
  const int limit = size < static_cast<int>(kStatusTextSize) ? size : kStatusTextSize;
  if (m_stRecord.inlineText != 0) {
    return static_cast<int>(
        vgtext::CopyBounded(out, limit, vgtext::BoundedView(text, kStatusTextSize)));
  }
  const uint32_t id = TextResourceId(text);
  // Without the resource library LoadString would search the program's own resources.
  if (m_hResource == nullptr || id == 0 || id > 0xFFFF) return 0;
  const int length = ::LoadStringA(m_hResource, id, out, limit);
  if (length <= 0) out[0] = '\0';
  return length > 0 ? length : 0;
}

int CPrinterStatus::GetText1(char* out, int size) const {
  return GetText(m_stRecord.text1, out, size);
}

int CPrinterStatus::GetText2(char* out, int size) const {
  return GetText(m_stRecord.text2, out, size);
}
