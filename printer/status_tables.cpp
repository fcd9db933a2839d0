#include "printer/status_tables.h"

#include <cstring>

#include "common/qvapi.h"
#include "resources/vgres_ids.h"

namespace {

constexpr int16_t A = kMatchAny;
constexpr int16_t X = kMatchAbsent;

// clang-format off
constexpr StatusCodeRow kCodeRows[kBuiltInCodeRowCount] = {
    // state, error, warning, ink flags, status number
    {0, X,  X, 0, 21},
    {0, 0,  A, 0, 14},
    {0, 1,  A, 0, 18},
    {0, 2,  A, 0, 33},
    {0, 3,  A, 0, 7},
    {0, 4,  A, 0, 6},
    {0, 5,  A, 0, 37},
    {0, 6,  A, 0, 5},
    {0, 7,  A, 0, 36},
    {0, 9,  A, 0, 34},
    {0, 11, A, 0, 38},
    {0, 14, A, 0, 35},
    {1, A,  A, 0, 17},
    {2, A,  A, 0, 11},
    {3, A,  A, 0, 11},
    {4, A,  A, 0, 1},
    {5, A,  A, 0, 32},
    {A, A,  A, 0, 21},
};
// clang-format on

// The columns of a built-in record that differ between records; the rest is the same for all.
struct BuiltInRecordRow {
  int32_t kind;
  int32_t statusNo;
  int32_t simpleNo;
  int32_t notifyNo;
  int32_t category;
  int32_t soundResNo;
  uint32_t text1Id;
  uint32_t text2Id;
};

// clang-format off
constexpr BuiltInRecordRow kRecordRows[kBuiltInRecordCount] = {
    // kind, status number, simple status number, notification number, category, sound,
    // title, explanation
    {1, 14, 12, 12, 4, IDW_NOTIFY_ERROR, IDS_STATUS_ERROR, IDS_STATUS_ERROR_TEXT},
    {1, 18, 999, 12, 1, 0, IDS_STATUS_CLEANING, IDS_STATUS_CLEANING_TEXT},
    {1, 33, 6, 12, 6, IDW_NOTIFY_PAPER_JAM, IDS_STATUS_PAPER_JAM, IDS_STATUS_PAPER_JAM_TEXT},
    {1, 7, 999, 12, 5, 0, IDS_STATUS_COVER_OPEN, IDS_STATUS_COVER_OPEN_TEXT},
    {1, 6, 5, 12, 7, IDW_NOTIFY_INK, IDS_STATUS_INK_OUT, IDS_STATUS_INK_OUT_TEXT},
    {1, 37, 999, 12, 4, 0, IDS_STATUS_CARTRIDGE_CHANGE, IDS_STATUS_CARTRIDGE_CHANGE_TEXT},
    {1, 5, 3, 12, 3, IDW_NOTIFY_PAPER_OUT, IDS_STATUS_PAPER_OUT, IDS_STATUS_PAPER_OUT_TEXT},
    {1, 36, 999, 12, 1, 0, IDS_STATUS_INK_DRYING, IDS_STATUS_INK_DRYING_TEXT},
    {1, 34, 3, 12, 3, IDW_NOTIFY_PAPER_OUT, IDS_STATUS_NO_SLIP, IDS_STATUS_NO_SLIP_TEXT},
    {1, 38, 999, 12, 4, 0, IDS_STATUS_REMOVE_PAPER, IDS_STATUS_REMOVE_PAPER_TEXT},
    {1, 35, 5, 12, 8, IDW_NOTIFY_INK, IDS_STATUS_CARTRIDGE_ERROR, IDS_STATUS_CARTRIDGE_ERROR_TEXT},
    {1, 17, 999, 12, 1, 0, IDS_STATUS_WARMING_UP, IDS_STATUS_WARMING_UP_TEXT},
    {1, 11, 999, 999, 1, 0, IDS_STATUS_BUSY, IDS_STATUS_BUSY_TEXT},
    {1, 1, 1, 1, 1, 0, IDS_STATUS_READY, IDS_STATUS_READY_TEXT},
    {1, 32, 2, 12, 4, IDW_NOTIFY_OFFLINE, IDS_STATUS_OFFLINE, IDS_STATUS_OFFLINE_TEXT},
    {1, 16, 12, 12, 4, IDW_NOTIFY_ERROR, IDS_STATUS_OTHER_MODEL, IDS_STATUS_OTHER_MODEL_TEXT},
    {1, 21, 11, 11, 2, IDW_NOTIFY_COMM_ERROR, IDS_STATUS_COMM_ERROR, IDS_STATUS_COMM_ERROR_TEXT},
    {1, 22, 14, 14, 2, IDW_NOTIFY_COMM_ERROR, IDS_STATUS_COMM_ERROR, IDS_STATUS_COMM_ERROR_TEXT},
    {2, 22, 11, 11, 2, IDW_NOTIFY_COMM_ERROR, IDS_STATUS_COMM_ERROR, IDS_STATUS_COMM_ERROR_TEXT},
    {2, -1, 11, 11, 2, IDW_NOTIFY_COMM_ERROR, IDS_STATUS_UNAVAILABLE, IDS_STATUS_UNAVAILABLE_TEXT},
    {1, -1, 12, 12, 4, IDW_NOTIFY_ERROR, IDS_STATUS_UNKNOWN, IDS_STATUS_UNKNOWN_TEXT},
    {0, 1000, 1, 1, 1, 0, IDS_STATUS_SEARCH, IDS_STATUS_SEARCH_TEXT},
    {0, -1, 11, 11, 2, IDW_NOTIFY_COMM_ERROR, IDS_STATUS_COMM_ERROR, IDS_STATUS_COMM_ERROR_TEXT},
};
// clang-format on

// clang-format off
constexpr CategoryRow kCategoryRows[kCategoryRowCount] = {
    // category, printer picture, 1, status icon, overlay icon (0 none), 1 when the icon blinks
    {{1, IDB_PRINTER_BLUE, 1, IDI_STATUS_READY, 0, 0}},
    {{2, IDB_PRINTER_RED, 1, IDI_STATUS_COMM_ERROR, 0, 1}},
    {{3, IDB_PRINTER_RED, 1, IDI_STATUS_PAPER_OUT, 0, 1}},
    {{4, IDB_PRINTER_RED, 1, IDI_STATUS_ERROR, 0, 1}},
    {{5, IDB_PRINTER_RED, 1, IDI_STATUS_ERROR, IDI_OVERLAY_COVER_OPEN, 1}},
    {{6, IDB_PRINTER_RED, 1, IDI_STATUS_PAPER_JAM, IDI_OVERLAY_ATTENTION, 1}},
    {{7, IDB_PRINTER_RED, 1, IDI_STATUS_INK_OUT, IDI_OVERLAY_ATTENTION, 1}},
    {{8, IDB_PRINTER_RED, 1, IDI_STATUS_CARTRIDGE_ERROR, IDI_OVERLAY_ATTENTION, 1}},
    {{9, IDB_PRINTER_BLUE, 1, IDI_STATUS_READY, 0, 1}},
    {{10, IDB_PRINTER_RED, 1, IDI_STATUS_READY, 0, 1}},
    {{11, IDB_PRINTER_YELLOW, 1, IDI_STATUS_READY, 0, 1}},
    {{12, IDB_PRINTER_YELLOW, 1, IDI_STATUS_ERROR, 0, 1}},
};
// clang-format on

// The records with their resource-id texts, built once on first use.
struct BuiltInRecordTable {
  StatusRecord records[kBuiltInRecordCount];

  BuiltInRecordTable() : records() {
    for (size_t i = 0; i < kBuiltInRecordCount; ++i) {
      const BuiltInRecordRow& row = kRecordRows[i];
      StatusRecord& record = records[i];
      record.kind = row.kind;
      record.statusNo = row.statusNo;
      record.simpleNo = row.simpleNo;
      record.notifyNo = row.notifyNo;
      record.category = row.category;
      record.reserved1 = -1;
      record.helpNo = 0;
      record.reserved2 = 0;
      record.soundResNo = row.soundResNo;
      record.reserved3 = 1600;
      record.reserved4 = 0;
      SetTextResourceId(record.text1, row.text1Id);
      SetTextResourceId(record.text2, row.text2Id);
      record.inlineText = 0;
    }
  }
};

}  // namespace

const StatusCodeRow* BuiltInCodeRows() { return kCodeRows; }

const StatusRecord* BuiltInRecords() {
  static const BuiltInRecordTable table;
  return table.records;
}

const CategoryRow* CategoryRows() { return kCategoryRows; }

const CategoryRow* FindCategoryRow(int32_t category) {
  for (const CategoryRow& row : kCategoryRows) {
    if (row.values[0] == category) return &row;
  }
  return nullptr;
}

int32_t ReplyKindOfChannel(uint32_t channel) {
  switch (channel) {
    case qvapi::kChannel4:
    case qvapi::kChannel10000005:
    case qvapi::kChannelParallel:
    case qvapi::kChannel10000003:
      return kReplyKindBdc;
    case qvapi::kChannel02000001:
      return kReplyKindSecond;
    default:
      return kReplyKindNone;
  }
}

int32_t PairedStatusNo(int32_t statusNo) {
  switch (statusNo) {
    case 1001:
      return 12;
    case 1002:
      return 11;
    default:
      return 0;
  }
}

uint32_t TextResourceId(const char (&text)[kStatusTextSize]) {
  uint32_t id = 0;
  std::memcpy(&id, text, sizeof(id));
  return id;
}

void SetTextResourceId(char (&text)[kStatusTextSize], uint32_t id) {
  std::memset(text, 0, sizeof(text));
  std::memcpy(text, &id, sizeof(id));
}
