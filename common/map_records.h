#pragma once
// The window tables in shared memory: each maps a printer name to the handles of the
// windows that one process has open for that printer, so that other processes find them
// again. The records belong to whoever wrote them last, possibly another program: every scan
// stays inside the table's 500 records and every name is read only within its field.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The deliverable whose mapping names a caller uses. The two sets are separate tables: a
// process sees only the records of its own set.
enum class MapNameSet {
  kPrinterLibrary,  // vgprn: "VglV3MapFile_QOLT_02", "VglV3MapFile2_QOLT_02"
  kMonitor,         // vgmon: "VglV3MapFile_QOLT", "VglV3MapFile2_QOLT"
};

// Window kinds of a record.
constexpr int kMapKindPreferences = 0;
constexpr int kMapKindStatus = 1;
constexpr int kMapKindStatusAlt = 2;  // shares the status window's slot
constexpr int kMapKindThird = 3;

// Copies the mapping name of the table that the name selects into out[outSize]: the port
// name's length decides when usePort is set, the printer name's otherwise. Returns the
// length of the mapping name; 0 when a pointer is missing or out is too small.
int GetMapFileName(char* out, size_t outSize, const char* printerName, const char* portName,
                   int usePort, MapNameSet set);

namespace vgmap {

constexpr size_t kMapRecordCount = 500;
// Names of up to this many characters go to the short-name table, longer ones to the
// long-name table. A name fills its field exactly when it has this many characters: the
// reserved field after it, zeroed when the record is taken, then ends it.
constexpr size_t kShortNameSize = 260;
constexpr size_t kLongNameSize = 520;

constexpr unsigned char kFreeRecord = 0x00;  // first name byte of a free record
constexpr unsigned char kEndMarker = 0xFF;   // first name byte: this record and all after are free

// The record layouts, packed and little-endian; handles are the 32-bit values of 32-bit
// processes. The table code reads and writes them through byte offsets (the buffer may sit at
// any address); the structures pin the layout that other programs rely on.
#pragma pack(push, 1)
struct MapRecord {
  char name[kShortNameSize];
  uint16_t reserved;
  uint32_t statusWindow;       // kinds 1 and 2
  uint32_t preferencesWindow;  // kind 0
  uint32_t thirdWindow;        // kind 3
};
struct MapRecord2 {
  char name[kLongNameSize];
  uint16_t reserved;
  uint32_t statusWindow;
  uint32_t preferencesWindow;
  uint32_t thirdWindow;
};
#pragma pack(pop)

static_assert(sizeof(MapRecord) == 274, "short-name record layout");
static_assert(offsetof(MapRecord, reserved) == 260, "short-name record layout");
static_assert(offsetof(MapRecord, statusWindow) == 262, "short-name record layout");
static_assert(offsetof(MapRecord, preferencesWindow) == 266, "short-name record layout");
static_assert(offsetof(MapRecord, thirdWindow) == 270, "short-name record layout");
static_assert(sizeof(MapRecord2) == 534, "long-name record layout");
static_assert(offsetof(MapRecord2, reserved) == 520, "long-name record layout");
static_assert(offsetof(MapRecord2, statusWindow) == 522, "long-name record layout");
static_assert(offsetof(MapRecord2, preferencesWindow) == 526, "long-name record layout");
static_assert(offsetof(MapRecord2, thirdWindow) == 530, "long-name record layout");

enum class MapTableKind { kShortNames, kLongNames };

constexpr size_t kShortTableSize = sizeof(MapRecord) * kMapRecordCount;
constexpr size_t kLongTableSize = sizeof(MapRecord2) * kMapRecordCount;
static_assert(kShortTableSize == 137000 && kLongTableSize == 267000, "mapping sizes");

// The table a name belongs to, by its length.
MapTableKind TableForName(std::string_view name);
// Bytes of the table's mapping (500 records).
size_t MapTableSize(MapTableKind table);
// The mapping name of a table in a name set.
const char* MapFileName(MapNameSet set, MapTableKind table);
// The name of the mutex that guards one table (the mapping name with "_Lock").
std::string MapLockName(MapNameSet set, MapTableKind table);

// The name a window is registered under: the port name when the printer name is empty.
std::string_view MapKeyName(std::string_view printerName, std::string_view portName);

// True when the name can be a record's name in that table: not empty, no zero byte, not
// beginning with the end marker's byte, and not longer than the name field.
bool IsStorableName(MapTableKind table, std::string_view name);

// A taken record as it stands: its name and its three slots.
struct MapRecordEntry {
  std::string name;
  uint32_t statusWindow = 0;       // kinds 1 and 2
  uint32_t preferencesWindow = 0;  // kind 0
  uint32_t thirdWindow = 0;        // kind 3
};

// Whether a window handle read from a record still names a live window.
using LiveWindowTest = std::function<bool(uint32_t window)>;

enum class MapRegisterResult {
  kStored,      // the handle is in the kind's slot
  kWindowOpen,  // the slot holds a live window; it was handed back
  kTableFull,   // a new name found no free record; nothing was taken
  kBadKind,     // the kind is not 0 to 3; nothing was taken
  kBadName,     // the name cannot be stored in this table; nothing was taken
};

// The records of one mapped table. Only the whole records inside the buffer are used, at
// most 500; the buffer stays the caller's.
class MapRecordTable {
 public:
  MapRecordTable(MapTableKind table, unsigned char* bytes, size_t size);

  // Makes a new table empty; the process that created the mapping calls it once.
  void MarkEmpty();

  // Stores window in the kind's slot of the name's record, taking a free record for a new
  // name. A slot that holds a live window is left alone and that window goes to *existing
  // (0 otherwise; existing may be null).
  MapRegisterResult Register(std::string_view name, int kind, uint32_t window,
                             uint32_t* existing, const LiveWindowTest& isWindow);

  // The live window in the kind's slot of the name's record, or 0.
  uint32_t Find(std::string_view name, int kind, const LiveWindowTest& isWindow) const;

  // Clears the kind's slot of the name's record; frees the record when its other slots are
  // empty too.
  void Unregister(std::string_view name, int kind);

  size_t RecordCount() const { return count_; }

  // The taken records before the end marker, in table order.
  std::vector<MapRecordEntry> TakenRecords() const;

 private:
  static constexpr size_t kNoRecord = static_cast<size_t>(-1);

  unsigned char* Record(size_t index) const { return bytes_ + index * recordSize_; }
  std::string_view NameOf(size_t index) const;
  // The first record with the name before the end marker, or kNoRecord.
  size_t FindRecord(std::string_view name) const;
  // The first free record or the end-marker record, or kNoRecord when the table is full.
  size_t FindFreeRecord() const;
  size_t SlotOffset(int kind) const;
  uint32_t ReadSlot(size_t index, size_t offset) const;
  void WriteSlot(size_t index, size_t offset, uint32_t value);

  MapTableKind table_;
  unsigned char* bytes_;
  size_t nameSize_;
  size_t recordSize_;
  size_t count_;
};

}  // namespace vgmap
