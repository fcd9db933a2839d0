#include "common/map_records_win.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "common/named_lock_win.h"

namespace {

using vgmap::MapRecordTable;
using vgmap::MapTableKind;

// Long enough for any real holder (a few bytes are read and written under the lock), short
// enough that a hung holder does not keep a window from opening. When it cannot be had the
// operation goes on unlocked: the worst outcome is then the one of a table without a lock (two
// records with one name, the first of which wins lookups), which is better than refusing to
// show a window.
constexpr DWORD kLockWaitMs = 3000;

// Holds the table's named mutex.
class TableLock {
 public:
  TableLock(MapNameSet set, MapTableKind table)
      : lock_(vgmap::MapLockName(set, table), kLockWaitMs) {}

 private:
  NamedLock lock_;
};

uint32_t ToRecordHandle(HWND window) {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window));
}

HWND FromRecordHandle(uint32_t value) {
  return reinterpret_cast<HWND>(static_cast<uintptr_t>(value));
}

bool IsLiveWindow(uint32_t value) { return ::IsWindow(FromRecordHandle(value)) != FALSE; }

std::string_view ViewOf(const char* text) { return text != nullptr ? text : ""; }

// The whole table, or null when the mapping is smaller than the table (never read past it).
ScopedMapView MapTable(HANDLE mapping, MapTableKind table) {
  return ScopedMapView(
      ::MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, vgmap::MapTableSize(table)));
}

unsigned char* Bytes(const ScopedMapView& view) { return static_cast<unsigned char*>(view.Get()); }

// Creates or opens the table's mapping; the process that creates it makes the table empty.
// The caller holds the table's lock. Null when the mapping or its view cannot be had; *noView
// tells the two apart.
ScopedHandle CreateTable(MapNameSet set, MapTableKind table, bool* noView) {
  *noView = false;
  const DWORD size = static_cast<DWORD>(vgmap::MapTableSize(table));
  ScopedHandle section(::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                            size, vgmap::MapFileName(set, table)));
  if (!section.IsValid()) return section;
  const bool created = ::GetLastError() != ERROR_ALREADY_EXISTS;
  if (created) {
    ScopedMapView view = MapTable(section.Get(), table);
    if (!view.IsValid()) {
      *noView = true;
      return ScopedHandle();
    }
    MapRecordTable(table, Bytes(view), size).MarkEmpty();
  }
  return section;
}

}  // namespace

int RegisterMapWindow(MapNameSet set, const char* printerName, const char* portName,
                      int windowKind, HWND window, HWND* existingWindow, ScopedHandle* mapping) {
  if (existingWindow != nullptr) *existingWindow = nullptr;
  if (mapping != nullptr) mapping->Close();
  const std::string_view name = vgmap::MapKeyName(ViewOf(printerName), ViewOf(portName));
  const MapTableKind table = vgmap::TableForName(name);
  if (!vgmap::IsStorableName(table, name)) return kMapBadName;

  TableLock lock(set, table);
  bool noView = false;
  ScopedHandle section = CreateTable(set, table, &noView);
  if (!section.IsValid()) return noView ? kMapNoView : kMapNoMapping;
  ScopedMapView view = MapTable(section.Get(), table);
  if (!view.IsValid()) return kMapNoView;

  MapRecordTable records(table, Bytes(view), vgmap::MapTableSize(table));
  uint32_t existing = 0;
  const vgmap::MapRegisterResult result =
      records.Register(name, windowKind, ToRecordHandle(window), &existing, IsLiveWindow);
  view.Close();
  if (mapping != nullptr) *mapping = std::move(section);
  switch (result) {
    case vgmap::MapRegisterResult::kWindowOpen:
      if (existingWindow != nullptr) *existingWindow = FromRecordHandle(existing);
      return kMapWindowOpen;
    case vgmap::MapRegisterResult::kBadKind:
      return kMapWindowOpen;
    case vgmap::MapRegisterResult::kBadName:  // not reached: the name was checked above
    case vgmap::MapRegisterResult::kStored:
    case vgmap::MapRegisterResult::kTableFull:
      break;
  }
  return kMapRegistered;
}

void UnregisterMapWindow(MapNameSet set, HANDLE mapping, const char* printerName,
                         const char* portName, int windowKind, int usePort) {
  if (mapping == nullptr || mapping == INVALID_HANDLE_VALUE) return;
  const std::string_view name = usePort != 0 ? ViewOf(portName) : ViewOf(printerName);
  const MapTableKind table = vgmap::TableForName(name);
  if (!vgmap::IsStorableName(table, name)) return;

  TableLock lock(set, table);
  ScopedMapView view = MapTable(mapping, table);
  if (!view.IsValid()) return;
  MapRecordTable(table, Bytes(view), vgmap::MapTableSize(table)).Unregister(name, windowKind);
}

HWND FindMapWindow(MapNameSet set, const char* printerName, const char* portName,
                   int windowKind) {
  const std::string_view name = vgmap::MapKeyName(ViewOf(printerName), ViewOf(portName));
  const MapTableKind table = vgmap::TableForName(name);
  if (!vgmap::IsStorableName(table, name)) return nullptr;

  TableLock lock(set, table);
  ScopedHandle section(::OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, vgmap::MapFileName(set, table)));
  if (!section.IsValid()) return nullptr;
  ScopedMapView view = MapTable(section.Get(), table);
  if (!view.IsValid()) return nullptr;
  const MapRecordTable records(table, Bytes(view), vgmap::MapTableSize(table));
  return FromRecordHandle(records.Find(name, windowKind, IsLiveWindow));
}

ScopedHandle HoldMapTable(MapNameSet set, MapTableKind table) {
  TableLock lock(set, table);
  bool noView = false;
  return CreateTable(set, table, &noView);
}

std::vector<vgmap::MapRecordEntry> ReadMapRecords(MapNameSet set, MapTableKind table) {
  TableLock lock(set, table);
  ScopedHandle section(::OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, vgmap::MapFileName(set, table)));
  if (!section.IsValid()) return {};
  ScopedMapView view = MapTable(section.Get(), table);
  if (!view.IsValid()) return {};
  return MapRecordTable(table, Bytes(view), vgmap::MapTableSize(table)).TakenRecords();
}
