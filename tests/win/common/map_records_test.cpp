// The window tables in real named mappings, with real windows, from one process and from
// two. Every printer name is unique to its test, and every registration is removed again.
#include "common/map_records_win.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <thread>

#include "common/text_util.h"
#include "support/hidden_window.h"
#include "support/win_test_support.h"

namespace {

using vgmap::MapTableKind;

constexpr MapNameSet kLibrary = MapNameSet::kPrinterLibrary;

// Every window must really exist, or a null handle would pass for an empty slot.
class TestWindow : public vgtest::HiddenWindow {
 public:
  TestWindow() {
    if (Get() == nullptr) ADD_FAILURE() << "no window: error " << ::GetLastError();
  }
};

bool TableExists(MapNameSet set, MapTableKind table) {
  ScopedHandle section(::OpenFileMappingA(FILE_MAP_READ, FALSE, vgmap::MapFileName(set, table)));
  return section.IsValid();
}

// What a reader of the raw table sees: the records named name before the end marker, and
// the first byte of the record after the last one in use. count -1: no table.
struct RawView {
  int count = -1;
  int firstIndex = -1;
  unsigned char afterLast = 0;
};

RawView ReadRaw(MapNameSet set, const std::string& name) {
  RawView raw;
  const MapTableKind table = vgmap::TableForName(name);
  ScopedHandle section(::OpenFileMappingA(FILE_MAP_READ, FALSE, vgmap::MapFileName(set, table)));
  if (!section.IsValid()) return raw;
  const size_t size = vgmap::MapTableSize(table);
  ScopedMapView view(::MapViewOfFile(section.Get(), FILE_MAP_READ, 0, 0, size));
  if (!view.IsValid()) return raw;
  const auto* bytes = static_cast<const unsigned char*>(view.Get());
  const size_t recordSize = size / vgmap::kMapRecordCount;
  const size_t field = recordSize - 14;
  raw.count = 0;
  for (size_t i = 0; i < vgmap::kMapRecordCount; ++i) {
    const unsigned char* record = bytes + i * recordSize;
    if (record[0] == vgmap::kEndMarker) break;
    if (vgtext::EqualsNoCase(vgtext::BoundedView(reinterpret_cast<const char*>(record), field),
                             name)) {
      if (raw.count++ == 0) raw.firstIndex = static_cast<int>(i);
      if (i + 1 < vgmap::kMapRecordCount) raw.afterLast = record[recordSize];
    }
  }
  return raw;
}

TEST(MapWindows, ADeadWindowDoesNotBlockTheNextRegistration) {
  const std::string printer = vgtest::UniqueName("MapDead");
  ScopedHandle keep;  // keeps the table alive between the calls
  TestWindow first;
  ASSERT_EQ(RegisterMapWindow(kLibrary, printer.c_str(), "LPT1:", 1, first.Get(), nullptr, &keep),
            kMapRegistered);
  ASSERT_TRUE(keep.IsValid());
  EXPECT_EQ(FindMapWindow(kLibrary, printer.c_str(), "LPT1:", 1), first.Get());

  // While it lives, it blocks, and it is handed back (also to a mere query).
  TestWindow second;
  HWND existing = nullptr;
  ScopedHandle mapping;
  EXPECT_EQ(RegisterMapWindow(kLibrary, printer.c_str(), "", 1, second.Get(), &existing, &mapping),
            kMapWindowOpen);
  EXPECT_EQ(existing, first.Get());
  EXPECT_TRUE(mapping.IsValid());
  existing = nullptr;
  EXPECT_EQ(RegisterMapWindow(kLibrary, printer.c_str(), "", 1, nullptr, &existing, nullptr),
            kMapWindowOpen);
  EXPECT_EQ(existing, first.Get());

  first.Destroy();  // gone without unregistering
  EXPECT_EQ(FindMapWindow(kLibrary, printer.c_str(), "", 1), nullptr);
  existing = reinterpret_cast<HWND>(1);
  EXPECT_EQ(RegisterMapWindow(kLibrary, printer.c_str(), "", 1, second.Get(), &existing, &mapping),
            kMapRegistered);
  EXPECT_EQ(existing, nullptr);
  EXPECT_EQ(FindMapWindow(kLibrary, printer.c_str(), "", 1), second.Get());
  EXPECT_EQ(ReadRaw(kLibrary, printer).count, 1);

  UnregisterMapWindow(kLibrary, mapping.Get(), printer.c_str(), "", 1, 0);
  EXPECT_EQ(FindMapWindow(kLibrary, printer.c_str(), "", 1), nullptr);
  EXPECT_EQ(ReadRaw(kLibrary, printer).count, 0);
}

TEST(MapWindows, OneRecordServesThePreferencesDialogAndTheStatusWindow) {
  const std::string printer = vgtest::UniqueName("MapShared");
  TestWindow preferences;
  TestWindow status;
  ScopedHandle prefMapping;
  ScopedHandle statusMapping;
  ASSERT_EQ(RegisterMapWindow(kLibrary, printer.c_str(), "", 0, preferences.Get(), nullptr,
                              &prefMapping),
            kMapRegistered);
  ASSERT_EQ(RegisterMapWindow(kLibrary, printer.c_str(), "", 1, status.Get(), nullptr,
                              &statusMapping),
            kMapRegistered);
  const RawView raw = ReadRaw(kLibrary, printer);
  EXPECT_EQ(raw.count, 1);
  EXPECT_EQ(FindMapWindow(kLibrary, printer.c_str(), "", 0), preferences.Get());
  EXPECT_EQ(FindMapWindow(kLibrary, printer.c_str(), "", 1), status.Get());
  EXPECT_EQ(FindMapWindow(kLibrary, printer.c_str(), "", 2), status.Get());
  EXPECT_EQ(FindMapWindow(kLibrary, printer.c_str(), "", 3), nullptr);

  UnregisterMapWindow(kLibrary, statusMapping.Get(), printer.c_str(), "", 1, 0);
  EXPECT_EQ(ReadRaw(kLibrary, printer).count, 1) << "the preferences dialog still uses it";
  EXPECT_EQ(FindMapWindow(kLibrary, printer.c_str(), "", 1), nullptr);
  EXPECT_EQ(FindMapWindow(kLibrary, printer.c_str(), "", 0), preferences.Get());

  UnregisterMapWindow(kLibrary, prefMapping.Get(), printer.c_str(), "", 0, 0);
  EXPECT_EQ(ReadRaw(kLibrary, printer).count, 0);
  // The freed record goes to the next new name.
  const std::string next = vgtest::UniqueName("MapShared");
  ASSERT_EQ(RegisterMapWindow(kLibrary, next.c_str(), "", 1, status.Get(), nullptr,
                              &statusMapping),
            kMapRegistered);
  EXPECT_EQ(ReadRaw(kLibrary, next).firstIndex, raw.firstIndex);
  UnregisterMapWindow(kLibrary, statusMapping.Get(), next.c_str(), "", 1, 0);
}

TEST(MapWindows, LongPrinterNamesGoToTheLongNameTable) {
  std::string printer = vgtest::UniqueName("MapLong");
  printer += std::string(261 - printer.size(), 'L');
  ASSERT_EQ(printer.size(), 261u);
  TestWindow status;
  ScopedHandle mapping;
  ASSERT_EQ(RegisterMapWindow(kLibrary, printer.c_str(), "", 1, status.Get(), nullptr, &mapping),
            kMapRegistered);
  EXPECT_TRUE(TableExists(kLibrary, MapTableKind::kLongNames));
  EXPECT_EQ(ReadRaw(kLibrary, printer).count, 1);
  EXPECT_EQ(FindMapWindow(kLibrary, printer.c_str(), "", 1), status.Get());
  // The same text cut to 260 characters is another printer, in the other table.
  EXPECT_EQ(FindMapWindow(kLibrary, printer.substr(0, 260).c_str(), "", 1), nullptr);
  UnregisterMapWindow(kLibrary, mapping.Get(), printer.c_str(), "", 1, 0);
  EXPECT_EQ(ReadRaw(kLibrary, printer).count, 0);
}

TEST(MapWindows, AnEmptyPrinterNameRegistersUnderThePortName) {
  const std::string port = vgtest::UniqueName("MapPort");
  TestWindow status;
  ScopedHandle mapping;
  ASSERT_EQ(RegisterMapWindow(kLibrary, "", port.c_str(), 1, status.Get(), nullptr, &mapping),
            kMapRegistered);
  EXPECT_EQ(ReadRaw(kLibrary, port).count, 1);
  EXPECT_EQ(FindMapWindow(kLibrary, "", port.c_str(), 1), status.Get());
  EXPECT_EQ(FindMapWindow(kLibrary, port.c_str(), "", 1), status.Get()) << "one name space";
  // Unregistering by printer name (flag clear) does not touch the port's record.
  UnregisterMapWindow(kLibrary, mapping.Get(), "", port.c_str(), 1, 0);
  EXPECT_EQ(FindMapWindow(kLibrary, "", port.c_str(), 1), status.Get());
  UnregisterMapWindow(kLibrary, mapping.Get(), "", port.c_str(), 1, 1);
  EXPECT_EQ(FindMapWindow(kLibrary, "", port.c_str(), 1), nullptr);
  EXPECT_EQ(ReadRaw(kLibrary, port).count, 0);
}

TEST(MapWindows, FindingNeverCreatesATable) {
  // Nobody in this test run uses the monitor's long-name table.
  std::string printer = vgtest::UniqueName("MapNone");
  printer += std::string(300 - printer.size(), 'N');
  ASSERT_FALSE(TableExists(MapNameSet::kMonitor, MapTableKind::kLongNames));
  EXPECT_EQ(FindMapWindow(MapNameSet::kMonitor, printer.c_str(), "", 1), nullptr);
  EXPECT_FALSE(TableExists(MapNameSet::kMonitor, MapTableKind::kLongNames));

  // A table lives only while a process holds it: a registration whose mapping is closed at
  // once leaves nothing behind when nobody else holds the table.
  TestWindow status;
  EXPECT_EQ(RegisterMapWindow(MapNameSet::kMonitor, printer.c_str(), "", 1, status.Get(), nullptr,
                              nullptr),
            kMapRegistered);
  EXPECT_FALSE(TableExists(MapNameSet::kMonitor, MapTableKind::kLongNames));
  EXPECT_EQ(FindMapWindow(MapNameSet::kMonitor, printer.c_str(), "", 1), nullptr);
}

TEST(MapWindows, ANewTableIsEmptyAndTheEndMarkerFollowsItsFirstRecord) {
  const std::string printer = vgtest::UniqueName("MapNew");
  ASSERT_FALSE(TableExists(MapNameSet::kMonitor, MapTableKind::kShortNames));
  TestWindow status;
  ScopedHandle mapping;
  ASSERT_EQ(RegisterMapWindow(MapNameSet::kMonitor, printer.c_str(), "", 1, status.Get(),
                              nullptr, &mapping),
            kMapRegistered);
  const RawView raw = ReadRaw(MapNameSet::kMonitor, printer);
  EXPECT_EQ(raw.firstIndex, 0);
  EXPECT_EQ(raw.afterLast, vgmap::kEndMarker);
  // The two deliverables' tables are separate.
  EXPECT_EQ(FindMapWindow(kLibrary, printer.c_str(), "", 1), nullptr);
  EXPECT_EQ(FindMapWindow(MapNameSet::kMonitor, printer.c_str(), "", 1), status.Get());
  UnregisterMapWindow(MapNameSet::kMonitor, mapping.Get(), printer.c_str(), "", 1, 0);
}

TEST(MapWindows, RefusedKindsAndNames) {
  const std::string printer = vgtest::UniqueName("MapRefused");
  TestWindow status;
  HWND existing = status.Get();
  ScopedHandle mapping;
  EXPECT_EQ(RegisterMapWindow(kLibrary, printer.c_str(), "", 4, status.Get(), &existing, &mapping),
            kMapWindowOpen);
  EXPECT_EQ(existing, nullptr);
  EXPECT_EQ(ReadRaw(kLibrary, printer).count, 0);
  EXPECT_EQ(FindMapWindow(kLibrary, printer.c_str(), "", 4), nullptr);

  mapping.Reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));  // must be closed by the call
  EXPECT_EQ(RegisterMapWindow(kLibrary, "", "", 1, status.Get(), nullptr, &mapping), kMapBadName);
  EXPECT_FALSE(mapping.IsValid());
  EXPECT_EQ(RegisterMapWindow(kLibrary, nullptr, nullptr, 1, status.Get(), nullptr, &mapping),
            kMapBadName);
  const std::string tooLong(521, 'T');
  EXPECT_EQ(RegisterMapWindow(kLibrary, tooLong.c_str(), "", 1, status.Get(), nullptr, &mapping),
            kMapBadName);
  EXPECT_EQ(FindMapWindow(kLibrary, "", "", 1), nullptr);
  UnregisterMapWindow(kLibrary, nullptr, printer.c_str(), "", 1, 0);  // no mapping: nothing
}

// Holds a table's lock on another thread for holdMs.
class LockHolder {
 public:
  LockHolder(MapNameSet set, MapTableKind table, DWORD holdMs) {
    held_.Reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    const std::string name = vgmap::MapLockName(set, table);
    thread_ = std::thread([this, name, holdMs] {
      ScopedHandle mutex(::CreateMutexA(nullptr, FALSE, name.c_str()));
      ::WaitForSingleObject(mutex.Get(), INFINITE);
      ::SetEvent(held_.Get());
      ::Sleep(holdMs);
      ::ReleaseMutex(mutex.Get());
    });
    ::WaitForSingleObject(held_.Get(), 5000);
  }
  ~LockHolder() { thread_.join(); }

 private:
  ScopedHandle held_;
  std::thread thread_;
};

TEST(MapWindows, OperationsWaitForTheTableLockButNotForever) {
  const std::string printer = vgtest::UniqueName("MapLock");
  TestWindow status;
  ScopedHandle mapping;
  {
    LockHolder holder(kLibrary, MapTableKind::kShortNames, 400);
    const DWORD start = ::GetTickCount();
    ASSERT_EQ(RegisterMapWindow(kLibrary, printer.c_str(), "", 1, status.Get(), nullptr, &mapping),
              kMapRegistered);
    const DWORD waited = ::GetTickCount() - start;
    EXPECT_GE(waited, 300u);
    EXPECT_LT(waited, 2500u);
  }
  {
    // A holder that does not let go in time does not keep the window from registering.
    LockHolder holder(kLibrary, MapTableKind::kShortNames, 3800);
    const DWORD start = ::GetTickCount();
    EXPECT_EQ(FindMapWindow(kLibrary, printer.c_str(), "", 1), status.Get());
    const DWORD waited = ::GetTickCount() - start;
    EXPECT_GE(waited, 2500u);
    EXPECT_LT(waited, 4500u);
  }
  UnregisterMapWindow(kLibrary, mapping.Get(), printer.c_str(), "", 1, 0);
  EXPECT_EQ(FindMapWindow(kLibrary, printer.c_str(), "", 1), nullptr);
}

// The helper process vgmapclient, told to register one kind and to look up another.
class MapClient {
 public:
  MapClient(const std::string& printer, const std::string& port, int kind, int otherKind)
      : dir_(vgtest::MakeTempDir("mapclient")), events_(vgtest::UniqueName("MapClientEvent")) {
    ready_.Reset(::CreateEventA(nullptr, TRUE, FALSE, (events_ + "_ready").c_str()));
    go_.Reset(::CreateEventA(nullptr, TRUE, FALSE, (events_ + "_go").c_str()));
    const std::string args = Quote(printer) + " " + Quote(port) + " " + std::to_string(kind) +
                             " " + std::to_string(otherKind) + " " + events_ + " \"" + dir_ +
                             "\\result.txt\"";
    started_ = child_.Start("vgmapclient.exe", args);
  }
  ~MapClient() {
    ::SetEvent(go_.Get());
    if (child_.Wait(10000) == STILL_ACTIVE) child_.Kill();
    vgtest::RemoveTree(dir_);
  }

  // Waits until the client has registered; false when it did not in time.
  bool WaitRegistered() {
    if (!started_) return false;
    // A client that ends early (exit code 2 to 4) does not keep the test waiting.
    const HANDLE waits[2] = {ready_.Get(), child_.Handle()};
    if (::WaitForMultipleObjects(2, waits, FALSE, 15000) != WAIT_OBJECT_0) return false;
    unsigned long existing = 0, own = 0, found = 0;
    const std::string text = vgtest::ReadFile(dir_ + "\\result.txt");
    if (std::sscanf(text.c_str(), "%d %lx %lx %lx", &result, &existing, &own, &found) != 4) {
      return false;
    }
    existingWindow = reinterpret_cast<HWND>(existing);
    window = reinterpret_cast<HWND>(own);
    foundWindow = reinterpret_cast<HWND>(found);
    return true;
  }
  // Lets the client unregister and end; its exit code.
  DWORD Finish() {
    ::SetEvent(go_.Get());
    return child_.Wait(10000);
  }
  void Kill() {
    child_.Kill();
    child_.Wait(10000);
  }

  int result = -1;
  HWND existingWindow = nullptr;
  HWND window = nullptr;
  HWND foundWindow = nullptr;

 private:
  static std::string Quote(const std::string& name) {
    return name.empty() ? "-" : "\"" + name + "\"";
  }

  std::string dir_;
  std::string events_;
  ScopedHandle ready_;
  ScopedHandle go_;
  vgtest::ChildProcess child_;
  bool started_ = false;
};

TEST(MapWindowsAcrossProcesses, EachProcessSeesTheOthersRecordForOnePrinter) {
  const std::string printer = vgtest::UniqueName("MapCross");
  TestWindow preferences;
  ScopedHandle mapping;
  ASSERT_EQ(RegisterMapWindow(kLibrary, printer.c_str(), "", 0, preferences.Get(), nullptr,
                              &mapping),
            kMapRegistered);

  MapClient client(printer, "", 1, 0);
  ASSERT_TRUE(client.WaitRegistered());
  EXPECT_EQ(client.result, kMapRegistered);
  ASSERT_NE(client.window, nullptr);
  EXPECT_EQ(client.foundWindow, preferences.Get()) << "the client sees our dialog";
  EXPECT_EQ(FindMapWindow(kLibrary, printer.c_str(), "", 1), client.window);
  EXPECT_EQ(ReadRaw(kLibrary, printer).count, 1) << "both windows share one record";

  // The client's live status window blocks ours.
  TestWindow status;
  HWND existing = nullptr;
  ScopedHandle second;
  EXPECT_EQ(RegisterMapWindow(kLibrary, printer.c_str(), "", 1, status.Get(), &existing, &second),
            kMapWindowOpen);
  EXPECT_EQ(existing, client.window);

  EXPECT_EQ(client.Finish(), 0u);
  EXPECT_EQ(FindMapWindow(kLibrary, printer.c_str(), "", 1), nullptr);
  EXPECT_EQ(FindMapWindow(kLibrary, printer.c_str(), "", 0), preferences.Get());
  UnregisterMapWindow(kLibrary, mapping.Get(), printer.c_str(), "", 0, 0);
  EXPECT_EQ(ReadRaw(kLibrary, printer).count, 0);
}

TEST(MapWindowsAcrossProcesses, AProcessThatDiedLeavesNoLiveWindowBehind) {
  const std::string port = vgtest::UniqueName("MapDied");
  TestWindow status;
  ScopedHandle mapping;
  // Holding the table keeps the dead client's record in it.
  ASSERT_EQ(RegisterMapWindow(kLibrary, "", port.c_str(), 0, status.Get(), nullptr, &mapping),
            kMapRegistered);
  MapClient client("", port, 1, 1);
  ASSERT_TRUE(client.WaitRegistered());
  EXPECT_EQ(client.result, kMapRegistered);
  EXPECT_EQ(client.foundWindow, client.window);
  EXPECT_EQ(FindMapWindow(kLibrary, "", port.c_str(), 1), client.window);
  client.Kill();

  EXPECT_EQ(FindMapWindow(kLibrary, "", port.c_str(), 1), nullptr);
  ScopedHandle second;
  EXPECT_EQ(RegisterMapWindow(kLibrary, "", port.c_str(), 1, status.Get(), nullptr, &second),
            kMapRegistered);
  EXPECT_EQ(FindMapWindow(kLibrary, "", port.c_str(), 1), status.Get());
  UnregisterMapWindow(kLibrary, second.Get(), "", port.c_str(), 1, 1);
  UnregisterMapWindow(kLibrary, mapping.Get(), "", port.c_str(), 0, 1);
  EXPECT_EQ(ReadRaw(kLibrary, port).count, 0);
}

TEST(MapWindowsAcrossProcesses, AHeldTableShowsTheRecordsThatOutliveTheirWindows) {
  // A watcher holds the table, so that what the others leave can still be read once they
  // have all gone: a record that a process took away with its window is gone, and one of a
  // process that died stays, naming a window that no longer exists.
  ScopedHandle held = HoldMapTable(kLibrary, vgmap::MapTableKind::kShortNames);
  ASSERT_TRUE(held.IsValid());
  const std::string tidy = vgtest::UniqueName("MapHeldTidy");
  const std::string died = vgtest::UniqueName("MapHeldDied");
  const auto recordsOf = [](const std::string& name) {
    std::vector<vgmap::MapRecordEntry> found;
    for (const auto& record : ReadMapRecords(kLibrary, vgmap::MapTableKind::kShortNames)) {
      if (record.name == name) found.push_back(record);
    }
    return found;
  };
  {
    MapClient client(tidy, "", 1, 0);
    ASSERT_TRUE(client.WaitRegistered());
    const auto records = recordsOf(tidy);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].statusWindow, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(client.window)));
    EXPECT_EQ(client.Finish(), 0u);
  }
  EXPECT_TRUE(recordsOf(tidy).empty());

  HWND gone = nullptr;
  {
    MapClient client(died, "", 1, 0);
    ASSERT_TRUE(client.WaitRegistered());
    gone = client.window;
    client.Kill();
  }
  const auto left = recordsOf(died);
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left[0].statusWindow, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(gone)));
  EXPECT_FALSE(::IsWindow(gone));
  EXPECT_EQ(left[0].preferencesWindow, 0u);
  EXPECT_EQ(FindMapWindow(kLibrary, died.c_str(), "", 1), nullptr) << "it blocks nobody";
}

}  // namespace
