#pragma once
// The status tables: code rows map reply values to a status number, status records give a
// status number its texts, notification numbers, display category and sound. Built-in rows
// are compiled in; rows from the model's profile go in front of them (see status_ctrl.h).
#include <cstddef>
#include <cstdint>

// Wildcards of a code row. -1 as an error code matches a reply without ER (whose empty value
// 0xFF is the low byte of -1); -1 as a warning code needs a reply without WR codes.
constexpr int16_t kMatchAny = -2;
constexpr int16_t kMatchAbsent = -1;

struct StatusCodeRow {
  int16_t state;
  int16_t error;
  int16_t warning;
  uint32_t inkFlags;  // 0, or a combination of kInkFirstLowest and kInkOtherLowest
  uint16_t statusNo;
};

constexpr size_t kStatusTextSize = 1024;

// Reply kinds of a status channel.
constexpr int32_t kReplyKindNone = 0;
constexpr int32_t kReplyKindBdc = 1;  // "@BDC ST" replies
constexpr int32_t kReplyKindSecond = 2;

// Status numbers with a meaning outside the code rows.
constexpr int32_t kStatusDefault = -1;  // the default record of a reply kind
constexpr int32_t kStatusCommError = 21;
constexpr int32_t kStatusCommErrorReported = 22;
constexpr int32_t kStatusOtherModel = 16;

struct StatusRecord {
  int32_t kind;
  int32_t statusNo;
  int32_t simpleNo;
  int32_t notifyNo;
  int32_t category;  // 1 to 12, key of a CategoryRow
  int32_t reserved1;
  int32_t helpNo;  // selects "TSS%03d" and "TSF%03d"
  int32_t reserved2;
  int32_t soundResNo;  // WAVE resource id, 0 = none
  int32_t reserved3;
  int32_t reserved4;
  // Each text is inline when inlineText is 1, else a string resource id in its first 32 bits.
  char text1[kStatusTextSize];
  char text2[kStatusTextSize];
  int32_t inlineText;
};

// Six numbers keyed by the first (the display category); the views read them unchanged.
struct CategoryRow {
  int32_t values[6];
};

constexpr size_t kBuiltInCodeRowCount = 18;
constexpr size_t kBuiltInRecordCount = 23;
constexpr size_t kCategoryRowCount = 12;

// The built-in rows in table order.
const StatusCodeRow* BuiltInCodeRows();
const StatusRecord* BuiltInRecords();
const CategoryRow* CategoryRows();

// The category row whose first number is category, or nullptr.
const CategoryRow* FindCategoryRow(int32_t category);

// 1 for the "@BDC ST" channels, 2 for channel 0x02000001, 0 for any other channel.
int32_t ReplyKindOfChannel(uint32_t channel);

// The status number paired with 1001 (12) or 1002 (11); 0 for any other number.
int32_t PairedStatusNo(int32_t statusNo);

// The string resource id held by a text of a record whose inlineText is 0.
uint32_t TextResourceId(const char (&text)[kStatusTextSize]);
void SetTextResourceId(char (&text)[kStatusTextSize], uint32_t id);
