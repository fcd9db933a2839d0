#include "common/map_records.h"

#include <cstring>

#include "common/instance_names.h"
#include "common/text_util.h"

int GetMapFileName(char* out, size_t outSize, const char* printerName, const char* portName,
                   int usePort, MapNameSet set) {
  if (out == nullptr || printerName == nullptr || portName == nullptr) return 0;
  const std::string_view name = usePort != 0 ? portName : printerName;
  const std::string_view mapName = vgmap::MapFileName(set, vgmap::TableForName(name));
  if (mapName.size() >= outSize) return 0;
  return static_cast<int>(vgtext::CopyBounded(out, outSize, mapName));
}

namespace vgmap {

namespace {

// Field offsets behind the name, the same in both layouts.
constexpr size_t kStatusOffset = offsetof(MapRecord, statusWindow) - kShortNameSize;
constexpr size_t kPreferencesOffset = offsetof(MapRecord, preferencesWindow) - kShortNameSize;
constexpr size_t kThirdOffset = offsetof(MapRecord, thirdWindow) - kShortNameSize;
static_assert(offsetof(MapRecord2, statusWindow) - kLongNameSize == kStatusOffset &&
                  offsetof(MapRecord2, preferencesWindow) - kLongNameSize == kPreferencesOffset &&
                  offsetof(MapRecord2, thirdWindow) - kLongNameSize == kThirdOffset,
              "both layouts place the slots alike behind the name");

bool IsValidKind(int kind) { return kind >= kMapKindPreferences && kind <= kMapKindThird; }

bool IsAlive(const LiveWindowTest& isWindow, uint32_t window) {
  // A missing test counts every handle as dead, so nothing stale can block a registration.
  return window != 0 && isWindow && isWindow(window);
}

}  // namespace

MapTableKind TableForName(std::string_view name) {
  return name.size() <= kShortNameSize ? MapTableKind::kShortNames : MapTableKind::kLongNames;
}

size_t MapTableSize(MapTableKind table) {
  return table == MapTableKind::kShortNames ? kShortTableSize : kLongTableSize;
}

const char* MapFileName(MapNameSet set, MapTableKind table) {
  const bool shortNames = table == MapTableKind::kShortNames;
  if (set == MapNameSet::kMonitor) return shortNames ? "VglV3MapFile_QOLT" : "VglV3MapFile2_QOLT";
  return shortNames ? "VglV3MapFile_QOLT_02" : "VglV3MapFile2_QOLT_02";
}

std::string MapLockName(MapNameSet set, MapTableKind table) {
  // Mutexes and mappings share one namespace: the lock needs a name of its own.
  return std::string(MapFileName(set, table)) + "_Lock";
}

std::string_view MapKeyName(std::string_view printerName, std::string_view portName) {
  return vgnames::PrinterKey(printerName, portName);
}

bool IsStorableName(MapTableKind table, std::string_view name) {
  const size_t limit = table == MapTableKind::kShortNames ? kShortNameSize : kLongNameSize;
  // A zero inside would end the stored name early, and a leading 0xFF would read as the end
  // marker: neither could be found again.
  return !name.empty() && name.size() <= limit && name.find('\0') == std::string_view::npos &&
         static_cast<unsigned char>(name[0]) != kEndMarker;
}

MapRecordTable::MapRecordTable(MapTableKind table, unsigned char* bytes, size_t size)
    : table_(table),
      bytes_(bytes),
      nameSize_(table == MapTableKind::kShortNames ? kShortNameSize : kLongNameSize),
      recordSize_(table == MapTableKind::kShortNames ? sizeof(MapRecord) : sizeof(MapRecord2)),
      count_(0) {
  if (bytes_ != nullptr) {
    count_ = size / recordSize_;
    if (count_ > kMapRecordCount) count_ = kMapRecordCount;
  }
}

void MapRecordTable::MarkEmpty() {
  if (count_ > 0) Record(0)[0] = kEndMarker;
}

std::string_view MapRecordTable::NameOf(size_t index) const {
  // A name that fills its field has no terminator inside it.
  return vgtext::BoundedView(reinterpret_cast<const char*>(Record(index)), nameSize_);
}

size_t MapRecordTable::FindRecord(std::string_view name) const {
  for (size_t i = 0; i < count_; ++i) {
    const unsigned char first = Record(i)[0];
    if (first == kEndMarker) break;
    if (first == kFreeRecord) continue;
    if (vgtext::EqualsNoCase(NameOf(i), name)) return i;
  }
  return kNoRecord;
}

size_t MapRecordTable::FindFreeRecord() const {
  for (size_t i = 0; i < count_; ++i) {
    const unsigned char first = Record(i)[0];
    if (first == kFreeRecord || first == kEndMarker) return i;
  }
  return kNoRecord;
}

size_t MapRecordTable::SlotOffset(int kind) const {
  switch (kind) {
    case kMapKindPreferences:
      return nameSize_ + kPreferencesOffset;
    case kMapKindThird:
      return nameSize_ + kThirdOffset;
    default:
      return nameSize_ + kStatusOffset;
  }
}

uint32_t MapRecordTable::ReadSlot(size_t index, size_t offset) const {
  const unsigned char* p = Record(index) + offset;
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

void MapRecordTable::WriteSlot(size_t index, size_t offset, uint32_t value) {
  unsigned char* p = Record(index) + offset;
  p[0] = static_cast<unsigned char>(value);
  p[1] = static_cast<unsigned char>(value >> 8);
  p[2] = static_cast<unsigned char>(value >> 16);
  p[3] = static_cast<unsigned char>(value >> 24);
}

MapRegisterResult MapRecordTable::Register(std::string_view name, int kind, uint32_t window,
                                           uint32_t* existing, const LiveWindowTest& isWindow) {
  if (existing != nullptr) *existing = 0;
  if (!IsStorableName(table_, name)) return MapRegisterResult::kBadName;
  if (!IsValidKind(kind)) return MapRegisterResult::kBadKind;
  const size_t slot = SlotOffset(kind);

  size_t index = FindRecord(name);
  if (index != kNoRecord) {
    const uint32_t current = ReadSlot(index, slot);
    if (IsAlive(isWindow, current)) {
      if (existing != nullptr) *existing = current;
      return MapRegisterResult::kWindowOpen;
    }
    WriteSlot(index, slot, window);
    return MapRegisterResult::kStored;
  }

  // A new name takes the first free record. When the scan above met no end marker either,
  // freed records are still reused, so a table that once filled up does not stay closed.
  index = FindFreeRecord();
  if (index == kNoRecord) return MapRegisterResult::kTableFull;
  unsigned char* record = Record(index);
  const bool wasEnd = record[0] == kEndMarker;
  std::memset(record, 0, recordSize_);
  std::memcpy(record, name.data(), name.size());
  if (wasEnd && index + 1 < count_) Record(index + 1)[0] = kEndMarker;
  WriteSlot(index, slot, window);
  return MapRegisterResult::kStored;
}

uint32_t MapRecordTable::Find(std::string_view name, int kind,
                              const LiveWindowTest& isWindow) const {
  if (!IsStorableName(table_, name) || !IsValidKind(kind)) return 0;
  const size_t index = FindRecord(name);
  if (index == kNoRecord) return 0;
  const uint32_t window = ReadSlot(index, SlotOffset(kind));
  return IsAlive(isWindow, window) ? window : 0;
}

std::vector<MapRecordEntry> MapRecordTable::TakenRecords() const {
  std::vector<MapRecordEntry> records;
  for (size_t i = 0; i < count_; ++i) {
    const unsigned char first = Record(i)[0];
    if (first == kEndMarker) break;
    if (first == kFreeRecord) continue;
    MapRecordEntry entry;
    entry.name = std::string(NameOf(i));
    entry.statusWindow = ReadSlot(i, nameSize_ + kStatusOffset);
    entry.preferencesWindow = ReadSlot(i, nameSize_ + kPreferencesOffset);
    entry.thirdWindow = ReadSlot(i, nameSize_ + kThirdOffset);
    records.push_back(std::move(entry));
  }
  return records;
}

void MapRecordTable::Unregister(std::string_view name, int kind) {
  if (!IsStorableName(table_, name) || !IsValidKind(kind)) return;
  const size_t index = FindRecord(name);
  if (index == kNoRecord) return;
  const size_t slot = SlotOffset(kind);
  bool othersEmpty = true;
  for (const size_t other : {kPreferencesOffset, kStatusOffset, kThirdOffset}) {
    if (nameSize_ + other != slot && ReadSlot(index, nameSize_ + other) != 0) othersEmpty = false;
  }
  if (othersEmpty) Record(index)[0] = kFreeRecord;
  WriteSlot(index, slot, 0);
}

}  // namespace vgmap
