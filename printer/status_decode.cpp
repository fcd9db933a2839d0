#include "printer/status_decode.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

void LogLine(StatusLog* log, const char* format, ...) __attribute__((format(printf, 2, 3)));

void LogLine(StatusLog* log, const char* format, ...) {
  if (log == nullptr) return;
  char line[128];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof(line), format, args);
  va_end(args);
  log->Write(line);
}

}  // namespace

int32_t MatchStatusNo(const CStatusCtrl& table, const StatusReply& reply, StatusLog* log) {
  LogLine(log, "Printer status : ST:0x%02X, ER:0x%02X, WR[0]:0x%02X (Num:%d)\n", reply.state,
          reply.error, reply.warnings[0], reply.warningCount);
  const int index = table.FindCodeRow(reply);
  if (index < 0) return 0;
  LogLine(log, "Table index : %d\n", index);
  return table.GetCodeRow(index)->statusNo;
}

int SearchStatusRecord(const CStatusCtrl& table, int32_t kind, int32_t statusNo, StatusLog* log) {
  const int index = table.FindRecord(kind, statusNo);
  LogLine(log, "Table index : %d\n", index);
  return index;
}

int32_t TableLookup::GetStatusNo(const StatusReply& reply) {
  return MatchStatusNo(m_table, reply, m_pLog);
}

int TableLookup::SearchStatusInfo(int32_t kind, int32_t statusNo) {
  return SearchStatusRecord(m_table, kind, statusNo, m_pLog);
}

void TableLookup::Write(const char* line) {
  if (m_pLog != nullptr) m_pLog->Write(line);
}

bool DecodeStatus(StatusLookup& lookup, uint32_t channel, const void* reply, size_t size,
                  int32_t forcedStatusNo, DecodedStatus* out) {
  if (out == nullptr) return false;
  *out = DecodedStatus();
  out->reply = ZeroedStatusReply();
  out->kind = ReplyKindOfChannel(channel);

  int32_t statusNo = kStatusDefault;
  if (reply != nullptr && out->kind == kReplyKindBdc) {
    if (!ParseStatusReply(reply, size, &out->reply)) return false;
    out->hasReply = true;
    statusNo = lookup.GetStatusNo(out->reply);
  }
  if (forcedStatusNo != 0) statusNo = forcedStatusNo;

  char line[32];
  std::snprintf(line, sizeof(line), "StatusNo : %d\n", statusNo);
  lookup.Write(line);
  int index = lookup.SearchStatusInfo(out->kind, statusNo);
  if (index < 0) {
    statusNo = kStatusDefault;
    index = lookup.SearchStatusInfo(out->kind, statusNo);
    if (index < 0) return false;
  }
  out->statusNo = statusNo;
  out->recordIndex = index;
  return true;
}

bool DecodeStatus(const CStatusCtrl& table, uint32_t channel, const void* reply, size_t size,
                  int32_t forcedStatusNo, StatusLog* log, DecodedStatus* out) {
  TableLookup lookup(table, log);
  return DecodeStatus(lookup, channel, reply, size, forcedStatusNo, out);
}

int PrintingState(bool hasReply, const StatusReply& reply) {
  if (!hasReply) return 0;
  return reply.state == 3 ? 2 : 1;
}
