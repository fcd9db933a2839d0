// A model's profile as a whole and the replies decoded through it: the section's STATUS lines
// become tables whose rows and records agree, and every reply on every status channel decodes
// to a record of those tables, or fails, without reading past the reply.
//
// Input: [section name] "\n" [INI text] "\0" then replies, each [channel byte] [length byte]
// [bytes].
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "printer/status_decode.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

const uint32_t kChannels[] = {0x00000004, 0x10000005, 0x10010003, 0x10000003, 0x02000001, 0};

void CheckDecode(const CStatusCtrl& table, uint32_t channel, const uint8_t* reply, size_t size) {
  std::unique_ptr<uint8_t[]> exact(new uint8_t[size ? size : 1]);
  if (size) std::memcpy(exact.get(), reply, size);
  DecodedStatus decoded;
  if (!DecodeStatus(table, channel, exact.get(), size, 0, nullptr, &decoded)) {
    // Only an invalid reply on a reply channel fails: every kind has its default record.
    StatusReply parsed;
    Check(ReplyKindOfChannel(channel) == kReplyKindBdc && !ParseStatusReply(exact.get(), size, &parsed));
    return;
  }
  const StatusRecord* record = table.GetRecord(decoded.recordIndex);
  Check(record != nullptr && record->statusNo == decoded.statusNo && record->kind == decoded.kind);
  Check(FindCategoryRow(record->category) != nullptr);
  if (decoded.hasReply && decoded.statusNo != kStatusDefault) {
    // The number came from the first matching code row.
    const int row = table.FindCodeRow(decoded.reply);
    Check(row >= 0 && table.GetCodeRow(row)->statusNo == decoded.statusNo);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t newline = input.find('\n');
  if (newline == std::string_view::npos) return 0;
  const std::string_view section = input.substr(0, newline);
  size_t end = input.find('\0', newline + 1);
  if (end == std::string_view::npos) end = size;
  const std::string ini(input.substr(newline + 1, end - newline - 1));

  CStatusCtrl table;
  const int built = table.LoadProfile(ini, section);
  const int rows = table.GetRowCount();
  Check(built == 1 || built == kBuildOneLine || built == kBuildNoRecords);
  Check(rows == (built == 1 ? table.ProfileInfo().GetLineCount() - 1 : 0));
  Check(table.GetRecordCount() == rows + static_cast<int>(kBuiltInRecordCount));
  Check(table.GetCodeRowCount() == rows + static_cast<int>(kBuiltInCodeRowCount));
  for (int i = 0; i < rows; ++i) {
    // Each profile row's number finds a record with that number among the profile records.
    const StatusCodeRow* row = table.GetCodeRow(i);
    const int index = table.FindRecord(kReplyKindBdc, row->statusNo);
    Check(index >= 0 && index <= i);
    Check(table.GetRecord(index)->statusNo == row->statusNo);
  }
  Check(table.GetRecord(-1) == nullptr && table.GetRecord(table.GetRecordCount()) == nullptr);
  Check(table.GetCodeRow(table.GetCodeRowCount()) == nullptr);

  size_t at = end + 1;
  while (at + 2 <= size) {
    const uint32_t channel = kChannels[data[at] % (sizeof kChannels / sizeof kChannels[0])];
    const size_t length = data[at + 1] < size - at - 2 ? data[at + 1] : size - at - 2;
    CheckDecode(table, channel, data + at + 2, length);
    at += 2 + length;
  }
  return 0;
}
