// The window tables' records as other processes see them: byte layout, where a new name
// lands, which slot a kind uses, and that damaged tables are never read or written outside
// their records.
#include "common/map_records.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

using vgmap::kEndMarker;
using vgmap::MapRecordTable;
using vgmap::MapRegisterResult;
using vgmap::MapTableKind;

constexpr size_t kGuard = 64;
constexpr unsigned char kGuardByte = 0xA5;

size_t RecordSize(MapTableKind table) {
  return table == MapTableKind::kShortNames ? sizeof(vgmap::MapRecord) : sizeof(vgmap::MapRecord2);
}

// A table buffer between guard bytes, and the set of windows that count as alive.
class Table {
 public:
  explicit Table(MapTableKind table, size_t size = 0)
      : kind_(table),
        size_(size != 0 ? size : vgmap::MapTableSize(table)),
        buffer_(kGuard + size_ + kGuard, kGuardByte),
        records_(table, Bytes(), size_) {
    std::memset(Bytes(), 0, size_);
  }

  unsigned char* Bytes() { return buffer_.data() + kGuard; }
  unsigned char* Record(size_t index) { return Bytes() + index * RecordSize(kind_); }
  MapRecordTable& Records() { return records_; }
  size_t Size() const { return size_; }

  MapRegisterResult Register(const std::string& name, int kind, uint32_t window,
                             uint32_t* existing = nullptr) {
    return records_.Register(name, kind, window, existing, Live());
  }
  uint32_t Find(const std::string& name, int kind) { return records_.Find(name, kind, Live()); }
  void Unregister(const std::string& name, int kind) { records_.Unregister(name, kind); }

  std::string NameAt(size_t index) {
    const size_t field = RecordSize(kind_) - 14;
    const char* name = reinterpret_cast<const char*>(Record(index));
    return std::string(name, strnlen(name, field));
  }
  uint32_t SlotAt(size_t index, size_t offsetAfterName) {
    const unsigned char* p = Record(index) + RecordSize(kind_) - 14 + offsetAfterName;
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
  }
  // Fills records [0, count) with distinct names and a status window each.
  void Fill(size_t count) {
    for (size_t i = 0; i < count; ++i) {
      ASSERT_EQ(Register("Filler " + std::to_string(i), 1, 0x1000 + static_cast<uint32_t>(i)),
                MapRegisterResult::kStored);
    }
  }
  bool GuardsIntact() const {
    for (size_t i = 0; i < kGuard; ++i) {
      if (buffer_[i] != kGuardByte || buffer_[kGuard + size_ + i] != kGuardByte) return false;
    }
    return true;
  }
  std::vector<unsigned char> Snapshot() const { return buffer_; }

  std::set<uint32_t> live;

 private:
  vgmap::LiveWindowTest Live() {
    return [this](uint32_t window) { return live.count(window) != 0; };
  }

  MapTableKind kind_;
  size_t size_;
  std::vector<unsigned char> buffer_;
  MapRecordTable records_;
};

TEST(MapFileNames, EachDeliverableHasItsOwnSetAndTheNameLengthPicksTheTable) {
  EXPECT_STREQ(vgmap::MapFileName(MapNameSet::kPrinterLibrary, MapTableKind::kShortNames),
               "VglV3MapFile_QOLT_02");
  EXPECT_STREQ(vgmap::MapFileName(MapNameSet::kPrinterLibrary, MapTableKind::kLongNames),
               "VglV3MapFile2_QOLT_02");
  EXPECT_STREQ(vgmap::MapFileName(MapNameSet::kMonitor, MapTableKind::kShortNames),
               "VglV3MapFile_QOLT");
  EXPECT_STREQ(vgmap::MapFileName(MapNameSet::kMonitor, MapTableKind::kLongNames),
               "VglV3MapFile2_QOLT");
  EXPECT_EQ(vgmap::MapTableSize(MapTableKind::kShortNames), 137000u);
  EXPECT_EQ(vgmap::MapTableSize(MapTableKind::kLongNames), 267000u);

  const std::string name260(260, 'p');
  const std::string name261(261, 'p');
  char out[64];
  EXPECT_EQ(GetMapFileName(out, sizeof out, name260.c_str(), "", 0, MapNameSet::kPrinterLibrary), 20);
  EXPECT_STREQ(out, "VglV3MapFile_QOLT_02");
  EXPECT_EQ(GetMapFileName(out, sizeof out, name261.c_str(), "", 0, MapNameSet::kPrinterLibrary), 21);
  EXPECT_STREQ(out, "VglV3MapFile2_QOLT_02");
  // The flag chooses which name's length counts.
  EXPECT_EQ(GetMapFileName(out, sizeof out, name261.c_str(), "LPT1:", 1, MapNameSet::kMonitor), 17);
  EXPECT_STREQ(out, "VglV3MapFile_QOLT");
  EXPECT_EQ(GetMapFileName(out, sizeof out, "P", name261.c_str(), 1, MapNameSet::kMonitor), 18);
  EXPECT_STREQ(out, "VglV3MapFile2_QOLT");
}

TEST(MapFileNames, MissingArgumentsOrTooSmallOutputGiveZero) {
  char out[64] = "unchanged";
  EXPECT_EQ(GetMapFileName(nullptr, sizeof out, "P", "", 0, MapNameSet::kMonitor), 0);
  EXPECT_EQ(GetMapFileName(out, sizeof out, nullptr, "", 0, MapNameSet::kMonitor), 0);
  EXPECT_EQ(GetMapFileName(out, sizeof out, "P", nullptr, 0, MapNameSet::kMonitor), 0);
  EXPECT_STREQ(out, "unchanged");
  char small[17];
  EXPECT_EQ(GetMapFileName(small, sizeof small, "P", "", 0, MapNameSet::kMonitor), 0);
}

TEST(MapKeyName, PortNameStandsInForAnEmptyPrinterName) {
  EXPECT_EQ(vgmap::MapKeyName("Printer", "LPT1:"), "Printer");
  EXPECT_EQ(vgmap::MapKeyName("", "LPT1:"), "LPT1:");
  EXPECT_EQ(vgmap::MapKeyName("", ""), "");
}

TEST(MapRecordLayout, FieldsLieWhereOtherProgramsReadThem) {
  for (MapTableKind kind : {MapTableKind::kShortNames, MapTableKind::kLongNames}) {
    SCOPED_TRACE(kind == MapTableKind::kShortNames ? "short" : "long");
    Table table(kind);
    const size_t nameField = RecordSize(kind) - 14;
    std::memset(table.Record(0), 0x77, RecordSize(kind));  // stale bytes of an old record
    table.Record(0)[0] = kEndMarker;
    ASSERT_EQ(table.Register("Printer", 1, 0x11223344), MapRegisterResult::kStored);
    ASSERT_EQ(table.Register("Printer", 0, 0x55667788), MapRegisterResult::kStored);
    ASSERT_EQ(table.Register("Printer", 3, 0x01020304), MapRegisterResult::kStored);
    const unsigned char* r = table.Record(0);
    EXPECT_EQ(std::memcmp(r, "Printer", 8), 0);
    EXPECT_EQ(r[nameField], 0);
    EXPECT_EQ(r[nameField + 1], 0);
    const unsigned char expected[12] = {0x44, 0x33, 0x22, 0x11, 0x88, 0x77,
                                        0x66, 0x55, 0x04, 0x03, 0x02, 0x01};
    EXPECT_EQ(std::memcmp(r + nameField + 2, expected, sizeof expected), 0);
    EXPECT_EQ(table.Record(1)[0], kEndMarker);
  }
}

TEST(MapRegister, NewTableTakesRecordsInOrderAndMovesTheEndMarker) {
  Table table(MapTableKind::kShortNames);
  table.Records().MarkEmpty();
  EXPECT_EQ(table.Record(0)[0], kEndMarker);
  ASSERT_EQ(table.Register("First", 1, 10), MapRegisterResult::kStored);
  ASSERT_EQ(table.Register("Second", 0, 20), MapRegisterResult::kStored);
  EXPECT_EQ(table.NameAt(0), "First");
  EXPECT_EQ(table.NameAt(1), "Second");
  EXPECT_EQ(table.Record(2)[0], kEndMarker);
  EXPECT_EQ(table.Record(3)[0], 0);
  table.live = {10, 20};
  EXPECT_EQ(table.Find("First", 1), 10u);
  EXPECT_EQ(table.Find("Second", 0), 20u);
  EXPECT_EQ(table.Find("Second", 1), 0u);
  EXPECT_EQ(table.Find("Third", 1), 0u);
}

TEST(MapRegister, AFreedRecordIsReusedBeforeTheEndMarker) {
  Table table(MapTableKind::kShortNames);
  table.Records().MarkEmpty();
  table.Register("A", 1, 1);
  table.Register("B", 1, 2);
  table.Register("C", 1, 3);
  table.Unregister("B", 1);
  EXPECT_EQ(table.Record(1)[0], 0);
  ASSERT_EQ(table.Register("D", 0, 4), MapRegisterResult::kStored);
  EXPECT_EQ(table.NameAt(1), "D");
  EXPECT_EQ(table.SlotAt(1, 2), 0u) << "the old status window of B is gone";
  EXPECT_EQ(table.SlotAt(1, 6), 4u);
  EXPECT_EQ(table.Record(3)[0], kEndMarker);
}

TEST(MapRegister, AFullTableTakesNothing) {
  Table table(MapTableKind::kShortNames);
  table.Records().MarkEmpty();
  table.Fill(vgmap::kMapRecordCount);
  EXPECT_EQ(table.NameAt(499), "Filler 499");
  const auto before = table.Snapshot();
  EXPECT_EQ(table.Register("One too many", 1, 7), MapRegisterResult::kTableFull);
  EXPECT_EQ(table.Snapshot(), before);
  EXPECT_TRUE(table.GuardsIntact()) << "the end marker never moves past the last record";
  // Records of a full table still take new windows, and the last one is found.
  table.live = {0x1000 + 499};
  EXPECT_EQ(table.Find("filler 499", 1), 0x1000u + 499);
}

TEST(MapRegister, ATableThatOnceFilledUpReusesFreedRecords) {
  Table table(MapTableKind::kShortNames);
  table.Records().MarkEmpty();
  table.Fill(vgmap::kMapRecordCount);  // no end marker is left
  table.Unregister("Filler 250", 1);
  ASSERT_EQ(table.Register("Newcomer", 1, 99), MapRegisterResult::kStored);
  EXPECT_EQ(table.NameAt(250), "Newcomer");
  table.live = {99};
  EXPECT_EQ(table.Find("NEWCOMER", 1), 99u);
}

TEST(MapRegister, LiveWindowBlocksItsSlotAndADeadOneDoesNot) {
  Table table(MapTableKind::kShortNames);
  table.Records().MarkEmpty();
  table.live = {5};
  ASSERT_EQ(table.Register("P", 1, 5), MapRegisterResult::kStored);
  uint32_t existing = 123;
  EXPECT_EQ(table.Register("P", 1, 6, &existing), MapRegisterResult::kWindowOpen);
  EXPECT_EQ(existing, 5u);
  EXPECT_EQ(table.SlotAt(0, 2), 5u);

  table.live = {6};  // window 5 was destroyed without unregistering
  EXPECT_EQ(table.Find("P", 1), 0u);
  existing = 123;
  EXPECT_EQ(table.Register("P", 1, 6, &existing), MapRegisterResult::kStored);
  EXPECT_EQ(existing, 0u);
  EXPECT_EQ(table.Find("P", 1), 6u);
  EXPECT_EQ(table.Record(1)[0], kEndMarker) << "no second record for the same name";
}

TEST(MapRegister, NullWindowAsksWithoutBlocking) {
  Table table(MapTableKind::kShortNames);
  table.Records().MarkEmpty();
  uint32_t existing = 1;
  EXPECT_EQ(table.Register("Q", 1, 0, &existing), MapRegisterResult::kStored);
  EXPECT_EQ(existing, 0u);
  // The null handle blocks nobody.
  table.live = {8};
  EXPECT_EQ(table.Register("Q", 1, 8), MapRegisterResult::kStored);
  EXPECT_EQ(table.Register("Q", 1, 0, &existing), MapRegisterResult::kWindowOpen);
  EXPECT_EQ(existing, 8u);
}

TEST(MapRegister, KindsOneAndTwoShareASlotAndZeroAndThreeHaveTheirOwn) {
  Table table(MapTableKind::kShortNames);
  table.Records().MarkEmpty();
  table.live = {1, 2, 3, 4};
  ASSERT_EQ(table.Register("P", 1, 1), MapRegisterResult::kStored);
  uint32_t existing = 0;
  EXPECT_EQ(table.Register("P", 2, 2, &existing), MapRegisterResult::kWindowOpen);
  EXPECT_EQ(existing, 1u);
  EXPECT_EQ(table.Find("P", 2), 1u);
  EXPECT_EQ(table.Register("P", 0, 3), MapRegisterResult::kStored);
  EXPECT_EQ(table.Register("P", 3, 4), MapRegisterResult::kStored);
  EXPECT_EQ(table.Find("P", 0), 3u);
  EXPECT_EQ(table.Find("P", 3), 4u);
  EXPECT_EQ(table.Find("P", 1), 1u);
  table.Unregister("P", 2);
  EXPECT_EQ(table.Find("P", 1), 0u) << "kind 2 clears the shared slot";
}

TEST(MapRegister, KindsOutsideZeroToThreeAreRefusedAndTakeNothing) {
  Table table(MapTableKind::kShortNames);
  table.Records().MarkEmpty();
  table.live = {9};
  table.Register("P", 1, 9);
  const auto before = table.Snapshot();
  for (int kind : {4, -1, 1000}) {
    uint32_t existing = 77;
    EXPECT_EQ(table.Register("P", kind, 9, &existing), MapRegisterResult::kBadKind);
    EXPECT_EQ(existing, 0u);
    EXPECT_EQ(table.Register("New name", kind, 9, &existing), MapRegisterResult::kBadKind);
    EXPECT_EQ(table.Find("P", kind), 0u);
    table.Unregister("P", kind);
  }
  EXPECT_EQ(table.Snapshot(), before);
}

TEST(MapUnregister, FreesTheRecordOnlyWhenItsOtherSlotsAreEmpty) {
  Table table(MapTableKind::kShortNames);
  table.Records().MarkEmpty();
  table.live = {1, 2, 3};
  table.Register("P", 0, 1);
  table.Register("P", 1, 2);
  table.Register("P", 3, 3);
  table.Unregister("P", 1);
  EXPECT_EQ(table.NameAt(0), "P");
  table.Unregister("P", 3);
  EXPECT_EQ(table.NameAt(0), "P");
  EXPECT_EQ(table.Find("P", 0), 1u);
  table.Unregister("p", 0);
  EXPECT_EQ(table.Record(0)[0], 0) << "free";
  EXPECT_EQ(table.SlotAt(0, 6), 0u);
  EXPECT_EQ(table.Find("P", 0), 0u);
  // The next new name takes the freed record.
  table.Register("Other", 1, 2);
  EXPECT_EQ(table.NameAt(0), "Other");
  // Unknown names change nothing.
  const auto before = table.Snapshot();
  table.Unregister("Nobody", 1);
  EXPECT_EQ(table.Snapshot(), before);
}

TEST(MapNames, ComparedWithoutRegardToCase) {
  Table table(MapTableKind::kShortNames);
  table.Records().MarkEmpty();
  table.live = {4};
  table.Register("Office Printer 3", 1, 4);
  EXPECT_EQ(table.Find("OFFICE printer 3", 1), 4u);
  EXPECT_EQ(table.Register("office PRINTER 3", 0, 4), MapRegisterResult::kStored);
  EXPECT_EQ(table.Record(1)[0], kEndMarker) << "one record for both spellings";
  EXPECT_EQ(table.Find("Office Printer", 1), 0u);
  EXPECT_EQ(table.Find("Office Printer 33", 1), 0u);
}

TEST(MapNames, ANameMayFillItsWholeField) {
  for (MapTableKind kind : {MapTableKind::kShortNames, MapTableKind::kLongNames}) {
    Table table(kind);
    table.Records().MarkEmpty();
    const size_t field = RecordSize(kind) - 14;
    const std::string full(field, 'N');
    table.live = {6};
    ASSERT_EQ(table.Register(full, 1, 6), MapRegisterResult::kStored);
    EXPECT_EQ(table.Record(0)[field - 1], 'N');
    EXPECT_EQ(table.Record(0)[field], 0) << "the reserved field ends it";
    EXPECT_EQ(table.Find(full, 1), 6u);
    EXPECT_EQ(table.Find(full.substr(1), 1), 0u);
    EXPECT_EQ(table.Register(full + "N", 1, 6), MapRegisterResult::kBadName);
  }
}

TEST(MapNames, UnterminatedNamesOfOtherWritersAreReadWithinTheirField) {
  Table table(MapTableKind::kShortNames);
  // A record of another writer: 260 name bytes without terminator, then non-zero bytes
  // where a terminator would be looked for, and a live window in the status slot.
  std::memset(table.Record(0), 'X', 262);
  table.Record(0)[262] = 0x21;
  table.Record(1)[0] = kEndMarker;
  table.live = {0x21};
  EXPECT_EQ(table.Find(std::string(260, 'X'), 1), 0x21u);
  EXPECT_EQ(table.Find(std::string(259, 'X'), 1), 0u);
  uint32_t existing = 0;
  EXPECT_EQ(table.Register(std::string(260, 'x'), 1, 5, &existing), MapRegisterResult::kWindowOpen);
  EXPECT_EQ(existing, 0x21u);
  EXPECT_EQ(table.Register(std::string(259, 'X'), 1, 5), MapRegisterResult::kStored);
  EXPECT_EQ(table.NameAt(1), std::string(259, 'X'));
}

TEST(MapNames, NamesThatCannotBeStoredAreRefused) {
  Table table(MapTableKind::kShortNames);
  table.Records().MarkEmpty();
  const auto before = table.Snapshot();
  const std::string leadingMarker = "\xFFPrinter";
  for (const std::string& name : {std::string(), leadingMarker, std::string("A\0B", 3),
                                  std::string(261, 'L')}) {
    EXPECT_EQ(table.Register(name, 1, 1), MapRegisterResult::kBadName);
    EXPECT_EQ(table.Find(name, 1), 0u);
    table.Unregister(name, 1);
  }
  EXPECT_EQ(table.Snapshot(), before);
  EXPECT_TRUE(vgmap::IsStorableName(MapTableKind::kLongNames, std::string(520, 'L')));
  EXPECT_FALSE(vgmap::IsStorableName(MapTableKind::kLongNames, std::string(521, 'L')));
  EXPECT_EQ(vgmap::TableForName(std::string(260, 'L')), MapTableKind::kShortNames);
  EXPECT_EQ(vgmap::TableForName(std::string(261, 'L')), MapTableKind::kLongNames);
}

TEST(MapDamagedTables, ScansStopAtTheEndMarkerAndAtTheLastRecord) {
  Table table(MapTableKind::kLongNames);
  table.Records().MarkEmpty();
  table.live = {3};
  // A leftover record behind the end marker is not seen.
  std::strcpy(reinterpret_cast<char*>(table.Record(5)), "Hidden");
  table.Record(5)[522] = 3;
  EXPECT_EQ(table.Find("Hidden", 1), 0u);
  // Every record taken by names and no marker anywhere: no scan leaves the table.
  std::memset(table.Bytes(), 'Z', table.Size());
  const auto before = table.Snapshot();
  EXPECT_EQ(table.Find("Missing", 1), 0u);
  EXPECT_EQ(table.Register("Missing", 1, 3), MapRegisterResult::kTableFull);
  table.Unregister("Missing", 1);
  EXPECT_EQ(table.Snapshot(), before);
  EXPECT_TRUE(table.GuardsIntact());
}

TEST(MapDamagedTables, FirstOfTwoRecordsWithOneNameWins) {
  Table table(MapTableKind::kShortNames);
  table.Records().MarkEmpty();
  table.live = {1, 2};
  table.Register("A", 1, 0);
  table.Register("B", 1, 2);
  std::strcpy(reinterpret_cast<char*>(table.Record(1)), "a");  // a second "A" left by a race
  table.Register("A", 1, 1);
  EXPECT_EQ(table.SlotAt(0, 2), 1u);
  EXPECT_EQ(table.Find("A", 1), 1u);
}

TEST(MapDamagedTables, ABufferShorterThanATableUsesOnlyItsWholeRecords) {
  Table table(MapTableKind::kShortNames, 2 * 274 + 100);
  EXPECT_EQ(table.Records().RecordCount(), 2u);
  table.Records().MarkEmpty();
  ASSERT_EQ(table.Register("A", 1, 1), MapRegisterResult::kStored);
  ASSERT_EQ(table.Register("B", 1, 2), MapRegisterResult::kStored);
  EXPECT_EQ(table.Register("C", 1, 3), MapRegisterResult::kTableFull);
  EXPECT_EQ(table.Record(2)[0], 0) << "no end marker in the partial record";
  EXPECT_TRUE(table.GuardsIntact());

  MapRecordTable none(MapTableKind::kShortNames, nullptr, 1000);
  EXPECT_EQ(none.RecordCount(), 0u);
  none.MarkEmpty();
  EXPECT_EQ(none.Register("A", 1, 1, nullptr, nullptr), MapRegisterResult::kTableFull);
}

TEST(MapDamagedTables, WithoutALivenessTestEveryHandleCountsAsDead) {
  Table table(MapTableKind::kShortNames);
  table.Records().MarkEmpty();
  table.Register("A", 1, 5);
  EXPECT_EQ(table.Records().Find("A", 1, nullptr), 0u);
  EXPECT_EQ(table.Records().Register("A", 1, 6, nullptr, nullptr), MapRegisterResult::kStored);
  EXPECT_EQ(table.SlotAt(0, 2), 6u);
}

TEST(MapTakenRecords, TakenRecordsInTableOrderWithTheirSlots) {
  for (const MapTableKind kind : {MapTableKind::kShortNames, MapTableKind::kLongNames}) {
    Table table(kind);
    table.Records().MarkEmpty();
    EXPECT_TRUE(table.Records().TakenRecords().empty()) << "a new table";
    const std::string full(kind == MapTableKind::kShortNames ? 260 : 520, 'F');
    table.Register("Printer A", 1, 0x10);
    table.Register("Printer A", 0, 0x20);
    table.Register("Printer B", 3, 0x30);
    table.Register(full, 2, 0x40);
    table.Unregister("Printer B", 3);  // freed: skipped, and its place stays in the order
    const auto records = table.Records().TakenRecords();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].name, "Printer A");
    EXPECT_EQ(records[0].statusWindow, 0x10u);
    EXPECT_EQ(records[0].preferencesWindow, 0x20u);
    EXPECT_EQ(records[0].thirdWindow, 0u);
    EXPECT_EQ(records[1].name, full) << "a name that fills its field";
    EXPECT_EQ(records[1].statusWindow, 0x40u);
  }
}

TEST(MapTakenRecords, ReadingStopsAtTheEndMarkerAndAtTheLastRecord) {
  Table table(MapTableKind::kShortNames);
  table.Records().MarkEmpty();
  table.Register("Kept", 1, 1);
  table.Register("Behind", 1, 2);
  table.Record(1)[0] = kEndMarker;  // "Behind" now lies past the end
  const auto records = table.Records().TakenRecords();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].name, "Kept");

  // A table whose writer left no end marker: every record is read, and nothing beyond.
  Table full(MapTableKind::kShortNames, 3 * sizeof(vgmap::MapRecord) + 100);
  for (size_t i = 0; i < 3; ++i) std::memset(full.Record(i), 'x', sizeof(vgmap::MapRecord));
  EXPECT_EQ(full.Records().TakenRecords().size(), 3u);
  EXPECT_TRUE(full.GuardsIntact());
}

}  // namespace
