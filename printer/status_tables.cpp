#include "printer/status_tables.h"

#include <cstring>

#include "common/qvapi.h"

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

constexpr BuiltInRecordRow kRecordRows[kBuiltInRecordCount] = {
    {1, 14, 12, 12, 4, 16010, 3506, 3006}, {1, 18, 999, 12, 1, 0, 3507, 3007},
    {1, 33, 6, 12, 6, 16004, 3508, 3008},  {1, 7, 999, 12, 5, 0, 3509, 3009},
    {1, 6, 5, 12, 7, 16003, 3510, 3010},   {1, 37, 999, 12, 4, 0, 3511, 3011},
    {1, 5, 3, 12, 3, 16001, 3512, 3012},   {1, 36, 999, 12, 1, 0, 3513, 3013},
    {1, 34, 3, 12, 3, 16001, 3540, 3036},  {1, 38, 999, 12, 4, 0, 3542, 3038},
    {1, 35, 5, 12, 8, 16003, 3541, 3037},  {1, 17, 999, 12, 1, 0, 3501, 3001},
    {1, 11, 999, 999, 1, 0, 3502, 3002},   {1, 1, 1, 1, 1, 0, 3504, 3004},
    {1, 32, 2, 12, 4, 16000, 3505, 3005},  {1, 16, 12, 12, 4, 16010, 3525, 3025},
    {1, 21, 11, 11, 2, 16009, 3528, 2002}, {1, 22, 14, 14, 2, 16009, 3528, 2002},
    {2, 22, 11, 11, 2, 16009, 3528, 2002}, {2, -1, 11, 11, 2, 16009, 3530, 2102},
    {1, -1, 12, 12, 4, 16010, 3529, 2101}, {0, 1000, 1, 1, 1, 0, 3527, 2001},
    {0, -1, 11, 11, 2, 16009, 3528, 2002},
};

constexpr CategoryRow kCategoryRows[kCategoryRowCount] = {
    {{1, 511, 1, 759, 0, 0}},   {{2, 512, 1, 750, 0, 1}},   {{3, 512, 1, 760, 0, 1}},
    {{4, 512, 1, 758, 0, 1}},   {{5, 512, 1, 758, 777, 1}}, {{6, 512, 1, 762, 771, 1}},
    {{7, 512, 1, 752, 771, 1}}, {{8, 512, 1, 751, 771, 1}}, {{9, 511, 1, 759, 0, 1}},
    {{10, 512, 1, 759, 0, 1}},  {{11, 510, 1, 759, 0, 1}},  {{12, 510, 1, 758, 0, 1}},
};

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
