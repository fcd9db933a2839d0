// Status replies come from the printer: any bytes must parse or fail without reading past the
// given size, and a parsed reply must keep its field limits through the decode.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "printer/status_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // An exact copy, so that a read past the end is caught even for inputs in larger buffers.
  std::unique_ptr<uint8_t[]> exact(new uint8_t[size ? size : 1]);
  if (size) std::memcpy(exact.get(), data, size);

  StatusReply reply;
  if (ParseStatusReply(exact.get(), size, &reply)) {
    if (reply.inkCount < 1 && reply.ink[0] != 0) std::abort();
    if (reply.inkCount > kMaxInkItems || reply.warningCount > kMaxWarningCodes) std::abort();
    if (reply.warnings[kMaxWarningCodes] != 0) std::abort();
    for (uint8_t level : reply.ink) {
      if (level > 100 && level != kInkNotAvailable) std::abort();
    }
  }

  static const CStatusCtrl table;
  DecodedStatus decoded;
  if (DecodeStatus(table, 0x10000005, exact.get(), size, 0, nullptr, &decoded)) {
    const StatusRecord* record = table.GetRecord(decoded.recordIndex);
    if (record == nullptr || record->statusNo != decoded.statusNo) std::abort();
    if (FindCategoryRow(record->category) == nullptr) std::abort();
  }
  return 0;
}
