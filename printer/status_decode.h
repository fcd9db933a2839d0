#pragma once
// From a reply (or a forced status number) to a status record: parse, match a code row,
// find the record, fall back to the reply kind's default record. No allocation; the log
// lines go to an optional sink so that the Windows side can put them in its trace.
#include <cstddef>
#include <cstdint>

#include "printer/status_ctrl.h"
#include "printer/status_reply.h"

class StatusLog {
 public:
  virtual ~StatusLog() = default;
  // One finished line, ending in "\n".
  virtual void Write(const char* line) = 0;
};

// The status number of the first code row that matches the reply, or 0. Logs the reply's
// values and, on a match, the row's index.
int32_t MatchStatusNo(const CStatusCtrl& table, const StatusReply& reply, StatusLog* log = nullptr);

// The index of the record of that kind and number, or -1 (see CStatusCtrl::FindRecord).
// Logs the index.
int SearchStatusRecord(const CStatusCtrl& table, int32_t kind, int32_t statusNo,
                       StatusLog* log = nullptr);

struct DecodedStatus {
  bool hasReply = false;
  StatusReply reply;  // all zero when no reply was parsed
  int32_t kind = kReplyKindNone;
  int32_t statusNo = 0;  // the number of the record found
  int recordIndex = -1;
};

// The two table lookups of a decode and the sink for its own lines. The Windows decoder
// answers them with its traced operations; TableLookup goes straight to a table.
class StatusLookup {
 public:
  virtual ~StatusLookup() = default;
  virtual int32_t GetStatusNo(const StatusReply& reply) = 0;
  virtual int SearchStatusInfo(int32_t kind, int32_t statusNo) = 0;
  virtual void Write(const char* line) = 0;
};

class TableLookup final : public StatusLookup {
 public:
  explicit TableLookup(const CStatusCtrl& table, StatusLog* log = nullptr)
      : m_table(table), m_pLog(log) {}
  int32_t GetStatusNo(const StatusReply& reply) override;
  int SearchStatusInfo(int32_t kind, int32_t statusNo) override;
  void Write(const char* line) override;

 private:
  const CStatusCtrl& m_table;
  StatusLog* m_pLog;
};

// The steps of a decode after the channel and reply were logged: a reply of a kind-1 channel
// is parsed (an invalid one fails) and matched; a non-zero forced number replaces the
// matched one; without either the number is -1. A number without a record falls back to -1,
// the kind's default record. Returns false when the reply is invalid or no record is found.
bool DecodeStatus(StatusLookup& lookup, uint32_t channel, const void* reply, size_t size,
                  int32_t forcedStatusNo, DecodedStatus* out);
// The same straight over a table.
bool DecodeStatus(const CStatusCtrl& table, uint32_t channel, const void* reply, size_t size,
                  int32_t forcedStatusNo, StatusLog* log, DecodedStatus* out);

// The printing state of a decoded status: 0 without a reply, 2 while the state is 3, else 1.
int PrintingState(bool hasReply, const StatusReply& reply);
