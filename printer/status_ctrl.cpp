#include "printer/status_ctrl.h"

#include <cstring>
#include <new>

#include "common/text_util.h"

namespace {

// The start of every profile row before the line's values go in.
constexpr StatusCodeRow kCodeRowTemplate = {kMatchAny, kMatchAny, kMatchAny, 0,
                                            kFirstProfileStatusNo};

void InitProfileRecord(StatusRecord* record) {
  std::memset(record, 0, sizeof(*record));
  record->kind = kReplyKindBdc;
  record->statusNo = kFirstProfileStatusNo;
  record->simpleNo = 0;
  record->notifyNo = 0;
  record->category = 4;
  record->reserved1 = -1;
  record->helpNo = 0;
  record->reserved2 = 0;
  record->soundResNo = 0;
  record->reserved3 = 1600;
  record->reserved4 = 0;
  record->inlineText = 1;
}

bool FieldMatches(int16_t rowValue, uint8_t replyValue) {
  return rowValue == kMatchAny || static_cast<uint8_t>(rowValue) == replyValue;
}

}  // namespace

bool CodeRowMatches(const StatusCodeRow& row, const StatusReply& reply, uint32_t* inkClass) {
  if (!FieldMatches(row.state, reply.state)) return false;
  if (!FieldMatches(row.error, reply.error)) return false;
  if (row.warning != kMatchAny) {
    bool warningOk =
        (row.warning == kMatchAbsent && reply.warningCount == 0) ||
        (reply.warningCount > 0 && reply.warnings[0] == static_cast<uint8_t>(row.warning));
    if (!warningOk) return false;
  }
  const uint32_t flags = row.inkFlags & kInkClassMask;
  if (flags == 0) return true;
  if (*inkClass == 0) *inkClass = InkClass(reply);
  return flags == *inkClass;
}

int32_t ProfileCategory(int32_t display, int32_t alert) {
  const bool alerting = alert != 0;
  switch (display) {
    case 1:
      return alerting ? 4 : 10;
    case 2:
      return alerting ? 11 : 12;
    default:
      return alerting ? 1 : 9;
  }
}

CStatusCtrl::~CStatusCtrl() = default;

void CStatusCtrl::FreeRows() {
  m_pRecords.reset();
  m_pCodeRows.reset();
  m_nRows = 0;
}

int CStatusCtrl::LoadProfile(std::string_view fileText, std::string_view sectionName) {
  m_cProfile.Read(fileText, sectionName);
  return BuildRows();
}

int32_t CStatusCtrl::BuiltInStatusNo(const ProfileLine& line) {
  const StatusCodeRow* rows = BuiltInCodeRows();
  for (size_t i = 0; i < kBuiltInCodeRowCount; ++i) {
    if (rows[i].state == line.state && rows[i].error == line.error &&
        rows[i].warning == line.warning) {
      return rows[i].statusNo;
    }
  }
  return 0;
}

int CStatusCtrl::BuildRows() {
  FreeRows();
  const int wanted = m_cProfile.GetRowCount();
  if (wanted == 0) return kBuildOneLine;
  if (wanted < 0) return kBuildNoRecords;
  m_pRecords.reset(new (std::nothrow) StatusRecord[wanted]);
  if (!m_pRecords) return kBuildNoRecords;
  m_pCodeRows.reset(new (std::nothrow) StatusCodeRow[wanted]);
  if (!m_pCodeRows) {
    FreeRows();
    return kBuildNoCodeRows;
  }

  m_nNextStatusNo = kFirstProfileStatusNo;
  // A line copy holds two texts of 520 bytes: one on the heap for the whole build.
  std::unique_ptr<ProfileLine> line(new (std::nothrow) ProfileLine());
  if (!line) {
    FreeRows();
    return kBuildNoRecords;
  }
  int more = m_cProfile.First(line.get());
  for (int i = 0; i < wanted && more; ++i) {
    StatusCodeRow row = kCodeRowTemplate;
    StatusRecord& record = m_pRecords[i];
    InitProfileRecord(&record);

    row.state = line->state;
    row.error = line->error;
    row.warning = line->warning;

    const int32_t classNo = line->state != 0 ? 1 : 12;
    record.simpleNo = classNo;
    record.notifyNo = classNo;
    vgtext::CopyBounded(record.text1, sizeof(record.text1), line->text1);
    vgtext::CopyBounded(record.text2, sizeof(record.text2), line->text2);
    record.category = ProfileCategory(line->display, line->alert);

    int32_t statusNo = BuiltInStatusNo(*line);
    if (statusNo == 0) {
      // A code row holds 16 bits: a higher number would wrap onto another row's record.
      if (m_nNextStatusNo > 0xFFFF) break;
      statusNo = m_nNextStatusNo++;
    }
    record.statusNo = statusNo;
    row.statusNo = static_cast<uint16_t>(statusNo);

    m_pCodeRows[i] = row;
    ++m_nRows;
    more = m_cProfile.Next(line.get());
  }
  return m_nRows == wanted ? 1 : 0;
}

const StatusRecord* CStatusCtrl::GetRecord(int index) const {
  if (index < 0) return nullptr;
  if (index < m_nRows) return &m_pRecords[index];
  index -= m_nRows;
  if (index < m_nBuiltInRecords) return &BuiltInRecords()[index];
  return nullptr;
}

const StatusCodeRow* CStatusCtrl::GetCodeRow(int index) const {
  if (index < 0) return nullptr;
  if (index < m_nRows) return &m_pCodeRows[index];
  index -= m_nRows;
  if (index < m_nBuiltInCodeRows) return &BuiltInCodeRows()[index];
  return nullptr;
}

int CStatusCtrl::FindCodeRow(const StatusReply& reply) const {
  uint32_t inkClass = 0;
  for (int i = 0; i < m_nRows; ++i) {
    if (CodeRowMatches(m_pCodeRows[i], reply, &inkClass)) return i;
  }
  const StatusCodeRow* builtIn = BuiltInCodeRows();
  for (int i = 0; i < m_nBuiltInCodeRows; ++i) {
    if (CodeRowMatches(builtIn[i], reply, &inkClass)) return m_nRows + i;
  }
  return -1;
}

int CStatusCtrl::FindRecord(int32_t kind, int32_t statusNo) const {
  int index = 0;
  for (const StatusRecord* record = GetRecord(0); record != nullptr; record = GetRecord(++index)) {
    if (record->kind == kReplyKindNone && record->statusNo == kStatusDefault) {
      return kind == kReplyKindNone && statusNo == kStatusDefault ? index : -1;
    }
    if (record->kind == kind && record->statusNo == statusNo) return index;
  }
  return -1;
}
