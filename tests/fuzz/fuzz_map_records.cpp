// Register, find and unregister sequences over window tables of arbitrary bytes, as another
// process may have left them. Nothing outside the table's records may be read (the guard
// areas are poisoned for AddressSanitizer) or written (the guard bytes are checked), and
// what a call reports must agree with what a lookup sees afterwards.
//
// Input: [flags] [operation count] [operations, 4 bytes each] [table bytes, repeated to
// fill the table]. flags bit 0: long-name table; bit 1: start from an empty table; bit 2:
// a buffer shorter than a whole table; bit 3: every record taken up to an end marker near
// the table's end (flags >> 4 records before it).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/map_records.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#include <sanitizer/asan_interface.h>
#define VG_POISON(p, n) ASAN_POISON_MEMORY_REGION(p, n)
#define VG_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION(p, n)
#endif
#endif
#ifndef VG_POISON
#define VG_POISON(p, n) ((void)(p), (void)(n))
#define VG_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

namespace {

using vgmap::MapRecordTable;
using vgmap::MapRegisterResult;
using vgmap::MapTableKind;

constexpr size_t kGuard = 256;
constexpr unsigned char kGuardByte = 0x5A;

void Check(bool condition) {
  if (!condition) std::abort();
}

bool IsLive(uint32_t window) { return (window & 1) != 0; }

// Names of every interesting shape, plus names copied from the table's own records so that
// damaged records are matched too.
std::string PickName(uint8_t selector, MapTableKind table, const unsigned char* bytes,
                     size_t recordCount) {
  switch (selector % 12) {
    case 0: return "Printer";
    case 1: return "PRINTER";
    case 2: return "LPT1:";
    case 3: return std::string(260, 'X');
    case 4: return std::string(261, 'X');
    case 5: return std::string(520, 'x');
    case 6: return std::string(521, 'x');
    case 7: return "";
    case 8: return "\xFF" "Printer";
    case 9: return std::string("Pri\0nter", 8);
    default: break;
  }
  if (recordCount == 0) return "Empty";
  const size_t recordSize =
      table == MapTableKind::kShortNames ? sizeof(vgmap::MapRecord) : sizeof(vgmap::MapRecord2);
  const size_t field = recordSize - 14;
  const char* name = reinterpret_cast<const char*>(bytes + (selector % recordCount) * recordSize);
  return std::string(name, strnlen(name, field));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const uint8_t flags = data[0];
  const size_t opCount = data[1] % 64;
  const size_t opBytes = 2 + opCount * 4 <= size ? opCount * 4 : (size - 2) / 4 * 4;
  const uint8_t* ops = data + 2;
  const uint8_t* seed = ops + opBytes;
  const size_t seedSize = size - 2 - opBytes;

  const MapTableKind table = (flags & 1) ? MapTableKind::kLongNames : MapTableKind::kShortNames;
  size_t tableSize = vgmap::MapTableSize(table);
  if ((flags & 4) && seedSize > 0) tableSize = (seed[0] * 1031u) % tableSize;

  std::vector<unsigned char> buffer(kGuard + tableSize + kGuard, kGuardByte);
  unsigned char* bytes = buffer.data() + kGuard;
  for (size_t i = 0; i < tableSize; ++i) bytes[i] = seedSize > 0 ? seed[i % seedSize] : 0;

  MapRecordTable records(table, bytes, tableSize);
  const size_t recordSize =
      table == MapTableKind::kShortNames ? sizeof(vgmap::MapRecord) : sizeof(vgmap::MapRecord2);
  const size_t used = records.RecordCount() * recordSize;
  if ((flags & 8) && records.RecordCount() > 0) {
    const size_t last = records.RecordCount() - 1;
    const size_t marker = last - (flags >> 4) % (last + 1);
    for (size_t i = 0; i < marker; ++i) {
      unsigned char& first = bytes[i * recordSize];
      if (first == vgmap::kFreeRecord || first == vgmap::kEndMarker) first = 'a';
    }
    bytes[marker * recordSize] = vgmap::kEndMarker;
  }
  // The bytes behind the last whole record belong to nobody either.
  const std::vector<unsigned char> tail(bytes + used, bytes + tableSize);

  VG_POISON(buffer.data(), kGuard);
  VG_POISON(bytes + tableSize, kGuard);
  const vgmap::LiveWindowTest live = IsLive;
  if (flags & 2) records.MarkEmpty();

  for (size_t op = 0; op + 4 <= opBytes; op += 4) {
    const uint8_t what = ops[op] % 3;
    const int kind = static_cast<int8_t>(ops[op + 1]) % 6;  // -5..5: mostly valid
    const std::string name = PickName(ops[op + 2], table, bytes, records.RecordCount());
    const uint32_t window = ops[op + 3] * 0x01010101u;
    const bool validKind = kind >= 0 && kind <= 3;
    const bool storable = vgmap::IsStorableName(table, name);

    if (what == 0) {
      uint32_t existing = 0xDEADBEEF;
      const MapRegisterResult result = records.Register(name, kind, window, &existing, live);
      switch (result) {
        case MapRegisterResult::kStored:
          Check(storable && validKind && existing == 0);
          Check(records.Find(name, kind, live) == (IsLive(window) ? window : 0));
          break;
        case MapRegisterResult::kWindowOpen:
          Check(storable && validKind && existing != 0 && IsLive(existing));
          Check(records.Find(name, kind, live) == existing);
          break;
        case MapRegisterResult::kTableFull:
          Check(storable && validKind && existing == 0);
          Check(records.Find(name, kind, live) == 0);
          break;
        case MapRegisterResult::kBadKind:
          Check(storable && !validKind && existing == 0);
          break;
        case MapRegisterResult::kBadName:
          Check(!storable && existing == 0);
          break;
      }
    } else if (what == 1) {
      const uint32_t found = records.Find(name, kind, live);
      Check(found == 0 || (storable && validKind && IsLive(found)));
    } else {
      records.Unregister(name, kind);
    }
  }

  VG_UNPOISON(buffer.data(), kGuard);
  VG_UNPOISON(bytes + tableSize, kGuard);
  for (size_t i = 0; i < kGuard; ++i) {
    Check(buffer[i] == kGuardByte);
    Check(bytes[tableSize + i] == kGuardByte);
  }
  Check(tail.empty() || std::memcmp(bytes + used, tail.data(), tail.size()) == 0);
  return 0;
}
