// The per-printer target keys against the real registry and the real spooler under Wine.
// Most cases work in a sandbox base of their own (HKCU Software\VgTest\<unique>\...); the
// lookups by name use the shared base, with printer names of their own.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "common/debug_log_win.h"
#include "common/target_keys_win.h"
#include "common/unique_handle.h"
#include "common/win.h"

#include <sddl.h>
#include "support/scoped_registry_value.h"
#include "support/step_events.h"
#include "support/test_model.h"
#include "support/test_printer.h"
#include "support/win_test_support.h"

namespace {

const std::string kBase = "software\\KORVA\\VGL3\\VGLData\\KVLTarget";
const std::string kPortBase = "software\\KORVA\\VGL3\\VGLData\\KVNTarget";
const char kSandboxParent[] = "Software\\VgTest";
const char kWinlogon[] = "software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
const char kProfileList[] = "software\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
const char kPrintersKey[] = "System\\CurrentControlSet\\Control\\Print\\Printers";

std::string Numbered(const std::string& base, int number) {
  char name[24];
  std::snprintf(name, sizeof name, "\\P%016d", number);
  return base + name;
}

std::string NameOf(HKEY root, const std::string& path) {
  return vgtest::GetString(root, path, "Name");
}

// A thread's share of lookups: each must find the key.
struct LookupWork {
  std::string name;
  std::string key;
  int wrong = 0;
};

DWORD WINAPI LookUpRepeatedly(void* context) {
  auto* work = static_cast<LookupWork*>(context);
  for (int i = 0; i < 150; ++i) {
    char path[kTargetKeyPathSize] = {};
    HKEY root = nullptr;
    if (GetCurrentTargetPrnKey(work->name.c_str(), 0, path, &root) != kTargetFound ||
        work->key != path) {
      ++work->wrong;
    }
    Registry key;
    if (OpenTargetKey(work->name.c_str(), "", KEY_READ, &key, path) != kTargetFound ||
        !key.IsOpen() || work->key != path) {
      ++work->wrong;
    }
  }
  return 0;
}

// One of several programs that find no key for the same port at the same moment.
struct CheckWork {
  HANDLE go = nullptr;
  std::string port;
  int result = -1;
  std::string path;
};

DWORD WINAPI CheckWhenGo(void* context) {
  auto* work = static_cast<CheckWork*>(context);
  ::WaitForSingleObject(work->go, 60000);
  char path[kTargetKeyPathSize] = {};
  int kind = -1;
  work->result = CheckTargetRegKey("", work->port.c_str(), "", &kind, path);
  work->path = path;
  return 0;
}

class TargetKeysTest : public ::testing::Test {
 protected:
  void TearDown() override {
    for (const auto& path : made_) vgtest::DeleteKeyTree(HKEY_CURRENT_USER, path);
    vgtest::DeleteKeyTree(HKEY_CURRENT_USER, std::string(kSandboxParent) + "\\" + sandbox_);
    ::RegDeleteKeyA(HKEY_CURRENT_USER, kSandboxParent);  // only when no other test uses it
  }

  // A base key that no other test sees, with the port-name base beside it.
  std::string SandboxBase() const {
    return std::string(kSandboxParent) + "\\" + sandbox_ + "\\" + kBase;
  }
  std::string SandboxPortBase() const {
    return std::string(kSandboxParent) + "\\" + sandbox_ + "\\" + kPortBase;
  }

  // A new target key named name under base; removed at the end.
  std::string Make(const std::string& base, const std::string& name) {
    char path[kTargetKeyPathSize] = {};
    CopyPath(path, base);
    EXPECT_EQ(CreateTargetPrnKey(HKEY_CURRENT_USER, name.c_str(), path), 0);
    made_.push_back(path);
    return path;
  }
  std::string MakeNameless(const std::string& base) {
    const std::string path = Make(base, "nameless");
    HKEY key = nullptr;
    ::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_ALL_ACCESS, &key);
    ::RegDeleteValueA(key, "Name");
    ::RegCloseKey(key);
    return path;
  }
  static void CopyPath(char (&out)[kTargetKeyPathSize], const std::string& text) {
    std::snprintf(out, sizeof out, "%s", text.c_str());
  }
  static bool Exists(const std::string& path) {
    return vgtest::KeyExists(HKEY_CURRENT_USER, path);
  }
  // The lookup by name in the shared bases.
  static int Lookup(const std::string& name, int kind, std::string* path = nullptr) {
    char found[kTargetKeyPathSize] = {};
    HKEY root = nullptr;
    const int result = GetCurrentTargetPrnKey(name.c_str(), kind, found, &root);
    if (path) *path = found;
    EXPECT_EQ(root, HKEY_CURRENT_USER) << "this test runs as the logon user";
    return result;
  }

  std::string sandbox_ = vgtest::UniqueName("targets");
  std::vector<std::string> made_;
};

TEST_F(TargetKeysTest, NewKeysTakeTheLowestFreeNumber) {
  const std::string base = SandboxBase();
  ASSERT_FALSE(Exists(base));
  const std::string first = Make(base, "First");
  EXPECT_EQ(first, Numbered(base, 0)) << "the base key is created on the way";
  EXPECT_EQ(NameOf(HKEY_CURRENT_USER, first), "First");
  EXPECT_EQ(vgtest::GetDword(HKEY_CURRENT_USER, first, "Setting", 99), 0u);
  EXPECT_EQ(vgtest::GetDword(HKEY_CURRENT_USER, first, "Timer", 99), 10u);

  Make(base, "Second");
  EXPECT_EQ(Make(base, "Third"), Numbered(base, 2));
  ASSERT_EQ(DeleteTargetKey(HKEY_CURRENT_USER, Numbered(base, 1).c_str()), 0);
  EXPECT_EQ(Make(base, "Gap"), Numbered(base, 1)) << "a freed number is taken again";
  EXPECT_EQ(Make(base, "Next"), Numbered(base, 3));
}

TEST_F(TargetKeysTest, CreationReportsABaseKeyThatCannotBeMade) {
  char path[kTargetKeyPathSize] = "software\\VgNowhere";
  EXPECT_EQ(CreateTargetPrnKey(reinterpret_cast<HKEY>(0x1234), "x", path), 4);
  EXPECT_STREQ(path, "software\\VgNowhere") << "the path stays the base path";
}

TEST_F(TargetKeysTest, LookupByNameInAnyLetterCase) {
  const std::string printer = vgtest::UniqueName("VgTgtPrinter");
  const std::string made = Make(kBase, printer);
  std::string path;
  EXPECT_EQ(Lookup(printer, 0, &path), kTargetFound);
  EXPECT_EQ(path, made);
  std::string upper = printer;
  for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  EXPECT_EQ(Lookup(upper, 0, &path), kTargetFound);
  EXPECT_EQ(path, made);

  EXPECT_EQ(Lookup(printer + "x", 0, &path), kTargetNotFound);
  EXPECT_EQ(path, kBase) << "the base path when not found";
  EXPECT_NE(Lookup(printer, 1, &path), kTargetFound) << "printer names are not port names";
  EXPECT_EQ(path, kPortBase);
  EXPECT_EQ(Lookup("", 0), kTargetNotFound) << "an empty name matches no key";

  char out[kTargetKeyPathSize] = "untouched";
  HKEY root = reinterpret_cast<HKEY>(0x1);
  EXPECT_EQ(GetCurrentTargetPrnKey(printer.c_str(), 2, out, &root), kTargetBadArgument);
  EXPECT_EQ(root, reinterpret_cast<HKEY>(0x1));
  EXPECT_STREQ(out, "untouched");
}

TEST_F(TargetKeysTest, AKeyFoundBeforeIsTakenOnlyWhileItCarriesTheName) {
  const std::string printer = vgtest::UniqueName("VgTgtKept");
  const std::string other = vgtest::UniqueName("VgTgtOther");
  const std::string made = Make(kBase, printer);
  std::string path;
  ASSERT_EQ(Lookup(printer, 0, &path), kTargetFound);
  EXPECT_EQ(path, made);
  EXPECT_EQ(Lookup(printer, 0, &path), kTargetFound);
  EXPECT_EQ(path, made);

  // Renamed: the key now belongs to another printer.
  vgtest::SetString(HKEY_CURRENT_USER, made, "Name", other);
  EXPECT_EQ(Lookup(printer, 0, &path), kTargetNotFound) << "never another printer's key";
  EXPECT_EQ(path, kBase);
  EXPECT_EQ(Lookup(other, 0, &path), kTargetFound);
  vgtest::SetString(HKEY_CURRENT_USER, made, "Name", printer);
  EXPECT_EQ(Lookup(printer, 0, &path), kTargetFound);
  EXPECT_EQ(path, made);

  // Removed.
  ASSERT_EQ(DeleteTargetKey(HKEY_CURRENT_USER, made.c_str()), 0);
  EXPECT_EQ(Lookup(printer, 0, &path), kTargetNotFound);

  // Rebuilt: the number went to another printer, this printer's key has another one.
  vgtest::SetString(HKEY_CURRENT_USER, made, "Name", other);
  const std::string rebuilt = Make(kBase, printer);
  ASSERT_NE(rebuilt, made);
  EXPECT_EQ(Lookup(printer, 0, &path), kTargetFound);
  EXPECT_EQ(path, rebuilt);
  EXPECT_EQ(Lookup(other, 0, &path), kTargetFound);
  EXPECT_EQ(path, made);
}

TEST_F(TargetKeysTest, OpenTargetKeyHandsOutTheKeyItChecked) {
  const std::string printer = vgtest::UniqueName("VgTgtOpen");
  const std::string port = vgtest::UniqueName("VGOPEN") + ":";
  const std::string made = Make(kBase, printer);
  const std::string portKey = Make(kPortBase, port);
  for (int round = 0; round < 2; ++round) {  // found by walking the base key, then kept
    Registry key;
    char path[kTargetKeyPathSize] = {};
    HKEY root = nullptr;
    ASSERT_EQ(OpenTargetKey(printer.c_str(), port.c_str(), KEY_ALL_ACCESS, &key, path, &root),
              kTargetFound);
    ASSERT_TRUE(key.IsOpen());
    EXPECT_EQ(std::string(path), made);
    EXPECT_EQ(root, HKEY_CURRENT_USER);
    EXPECT_EQ(SetComStatus(key, 5u + round), 0);
    EXPECT_EQ(vgtest::GetDword(HKEY_CURRENT_USER, made, "ComStatus", 99), 5u + round);
    EXPECT_EQ(GetComStatus(key), 5 + round);
  }
  Registry byPort;
  ASSERT_EQ(OpenTargetKey("", port.c_str(), KEY_READ, &byPort), kTargetFound);
  EXPECT_EQ(vgtest::GetDword(HKEY_CURRENT_USER, portKey, "ComStatus", 99), 99u);
  EXPECT_EQ(GetComStatus(byPort), kComStatusDefault);

  ASSERT_EQ(DeleteTargetKey(HKEY_CURRENT_USER, made.c_str()), 0);
  Registry gone;
  EXPECT_EQ(OpenTargetKey(printer.c_str(), port.c_str(), KEY_ALL_ACCESS, &gone), kTargetNotFound);
  EXPECT_FALSE(gone.IsOpen());
  EXPECT_FALSE(vgtest::KeyExists(HKEY_CURRENT_USER, made)) << "a missing key is not made";
  EXPECT_EQ(SetComStatus(gone, 1), 2) << "a closed key takes no value";
  EXPECT_EQ(SetTargetStatus(gone, reinterpret_cast<const BYTE*>("x"), 1, 4), 2);
}

TEST_F(TargetKeysTest, TwoThreadsLookUpAndOpenAtOnce) {
  // A status window's worker and its window thread may ask at the same moment.
  const std::string first = vgtest::UniqueName("VgTgtThreadA");
  const std::string second = vgtest::UniqueName("VgTgtThreadB");
  const std::string firstKey = Make(kBase, first);
  const std::string secondKey = Make(kBase, second);
  LookupWork works[] = {{first, firstKey}, {second, secondKey}, {first, firstKey}};
  HANDLE threads[3] = {};
  for (int i = 0; i < 3; ++i) {
    threads[i] = ::CreateThread(nullptr, 0, LookUpRepeatedly, &works[i], 0, nullptr);
    ASSERT_NE(threads[i], nullptr);
  }
  EXPECT_EQ(::WaitForMultipleObjects(3, threads, TRUE, 60000), WAIT_OBJECT_0);
  for (int i = 0; i < 3; ++i) {
    ::CloseHandle(threads[i]);
    EXPECT_EQ(works[i].wrong, 0) << works[i].name;
  }
}

TEST_F(TargetKeysTest, DeletingAKeyTakesEverythingBelowIt) {
  const std::string key = Make(SandboxBase(), "Tree");
  vgtest::SetDword(HKEY_CURRENT_USER, key + "\\Notify", "001", 1);
  vgtest::SetDword(HKEY_CURRENT_USER, key + "\\Notify\\Deeper\\Still", "x", 1);
  vgtest::SetDword(HKEY_CURRENT_USER, key + "\\Other", "y", 1);
  EXPECT_EQ(DeleteTargetKey(HKEY_CURRENT_USER, key.c_str()), 0);
  EXPECT_FALSE(Exists(key));
  EXPECT_TRUE(Exists(SandboxBase())) << "only the key itself goes";
  EXPECT_EQ(DeleteTargetKey(HKEY_CURRENT_USER, key.c_str()), -1);
  EXPECT_EQ(DeleteTargetKey(HKEY_CURRENT_USER, ""), -1) << "never the root itself";

  const std::string unused = Make(SandboxBase(), "Unused");
  EXPECT_EQ(DeleteUnusedKey(HKEY_CURRENT_USER, unused.c_str()), 0);
  EXPECT_FALSE(Exists(unused));
  EXPECT_EQ(DeleteUnusedKey(HKEY_CURRENT_USER, unused.c_str()), -1);
}

TEST_F(TargetKeysTest, StaleKeysGoInOnePassAndLiveOnesStay) {
  vgtest::TestPrinter live(L"VgLive ");
  ASSERT_TRUE(live.Installed());
  const std::string base = SandboxBase();
  const std::string liveKey = Make(base, live.AnsiName());
  const std::string gone1 = Make(base, vgtest::UniqueName("VgGoneA"));
  const std::string gone2 = Make(base, vgtest::UniqueName("VgGoneB"));
  const std::string nameless = MakeNameless(base);
  const std::string namedPort = Make(SandboxPortBase(), "LPT9:");
  const std::string namelessPort = MakeNameless(SandboxPortBase());

  EXPECT_EQ(DeleteNoneReg(HKEY_CURRENT_USER, base.c_str()), 0);
  EXPECT_TRUE(Exists(liveKey));
  EXPECT_FALSE(Exists(gone1));
  EXPECT_FALSE(Exists(gone2)) << "the key after a removed one is visited too";
  EXPECT_FALSE(Exists(nameless));
  EXPECT_TRUE(Exists(namedPort)) << "port keys are not printers of the spooler";
  EXPECT_FALSE(Exists(namelessPort));

  EXPECT_EQ(Make(base, "Refill"), Numbered(base, 1));
}

TEST_F(TargetKeysTest, CleanUpLogsWhatItRemovesAndWhy) {
  const std::string base = SandboxBase();
  const std::string gone = vgtest::UniqueName("VgGone");
  Make(base, gone);
  MakeNameless(base);
  Make(SandboxPortBase(), "LPT8:");

  VgTraceEnable(true);
  const std::string log = VgLogPath();
  const size_t offset = vgtest::FileSize(log);
  EXPECT_EQ(DeleteNoneReg(HKEY_CURRENT_USER, base.c_str()), 0);
  EXPECT_EQ(DeleteNoneReg(HKEY_CURRENT_USER, (base + "x").c_str()), -1);
  VgTraceEnable(false);
  ASSERT_NE(log, "");
  std::vector<std::string> texts;
  for (const auto& line : vgtest::LogLinesOf(log, ::GetCurrentProcessId(), 4, offset)) {
    texts.push_back(line.substr(17));  // after the process id and the tick count
  }
  EXPECT_EQ(texts, (std::vector<std::string>{
                       "0x80000001 subkey = " + base,
                       "RegEnumKeyEx : P0000000000000000",
                       "RegQueryValueEx " + gone,
                       "This key is delete. #2 (" + gone + ")",
                       "RegEnumKeyEx : P0000000000000001",
                       "RegQueryValueEx ",
                       "This key is delete. #1 (P0000000000000001)",
                       "0x80000001 subkey = " + base + "x",
                       "can't open TopKey : 0x80000001 " + base + "x",
                   }));
}

TEST_F(TargetKeysTest, KeyOfAPrinterWithoutPrintProcessorGoes) {
  vgtest::TestPrinter broken(L"VgNoProc ");
  ASSERT_TRUE(broken.Installed());
  const std::string base = SandboxBase();
  const std::string key = Make(base, broken.AnsiName());
  Make(SandboxPortBase(), "COM9:");

  ASSERT_EQ(DeleteNoneReg(HKEY_CURRENT_USER, base.c_str()), 0);
  ASSERT_TRUE(Exists(key)) << "the printer is complete so far";

  // The spooler keeps a printer's settings as values of its key; without this one the
  // printer reports no print processor.
  vgtest::ScopedRegistryValue processor(
      HKEY_LOCAL_MACHINE, std::string(kPrintersKey) + "\\" + broken.AnsiName(), "Print Processor");
  processor.Remove();
  EXPECT_EQ(DeleteNoneReg(HKEY_CURRENT_USER, base.c_str()), 0);
  EXPECT_FALSE(Exists(key));
}

TEST_F(TargetKeysTest, CleanUpNeedsBothBaseKeys) {
  EXPECT_EQ(DeleteNoneReg(HKEY_CURRENT_USER, SandboxBase().c_str()), -1);
  const std::string stale = Make(SandboxBase(), vgtest::UniqueName("VgGone"));
  EXPECT_EQ(DeleteNoneReg(HKEY_CURRENT_USER, SandboxBase().c_str()), -1)
      << "no port-name base beside it";
  EXPECT_FALSE(Exists(stale)) << "the printer-name pass ran all the same";

  // Under a port-name base only the nameless keys go.
  const std::string port = Make(SandboxPortBase(), "LPT7:");
  const std::string nameless = MakeNameless(SandboxPortBase());
  EXPECT_EQ(DeleteNoneReg(HKEY_CURRENT_USER, SandboxPortBase().c_str()), 0);
  EXPECT_TRUE(Exists(port));
  EXPECT_FALSE(Exists(nameless));
}

TEST_F(TargetKeysTest, RebuildMakesTheKeyAndReportsTheLibrary) {
  vgtest::TestModel model;
  model.WriteIni("PrnDll=absent.dll\r\n");
  char path[kTargetKeyPathSize] = {};
  CopyPath(path, SandboxBase());
  EXPECT_EQ(RebuildTargetKey(HKEY_CURRENT_USER, "VgRebuilt", "LPT1:", model.Model().c_str(), 0,
                             path),
            kRebuildNoLibrary);
  EXPECT_EQ(std::string(path), Numbered(SandboxBase(), 0));
  EXPECT_EQ(NameOf(HKEY_CURRENT_USER, path), "VgRebuilt");

  // A library without the defaults export.
  model.Install("vgplanted.dll", "planted.dll");
  model.WriteIni("PrnDll=planted.dll\r\n");
  CopyPath(path, SandboxPortBase());
  EXPECT_EQ(RebuildTargetKey(HKEY_CURRENT_USER, "", "LPT1:", model.Model().c_str(), 1, path),
            kRebuildNoExport);
  EXPECT_EQ(NameOf(HKEY_CURRENT_USER, path), "LPT1:") << "kind 1 names the key by its port";

  // No "PrnDll" at all.
  model.WriteIni("");
  CopyPath(path, SandboxPortBase());
  EXPECT_EQ(RebuildTargetKey(HKEY_CURRENT_USER, "", "LPT2:", model.Model().c_str(), 1, path),
            kRebuildNoLibrary);

  CopyPath(path, "software\\VgNowhere");
  EXPECT_EQ(RebuildTargetKey(reinterpret_cast<HKEY>(0x1234), "x", "y", "z", 0, path),
            kRebuildCreateFailed);
}

TEST_F(TargetKeysTest, CheckFindsOrRebuildsByPrinterOrPort) {
  const std::string printer = vgtest::UniqueName("VgTgtCheck");
  const std::string made = Make(kBase, printer);
  int kind = -1;
  char path[kTargetKeyPathSize] = {};
  HKEY root = nullptr;
  EXPECT_EQ(CheckTargetRegKey(printer.c_str(), "LPT1:", "", &kind, path, &root), 0);
  EXPECT_EQ(kind, 0);
  EXPECT_EQ(std::string(path), made);
  EXPECT_EQ(root, HKEY_CURRENT_USER);

  // No printer name: the port's key, made when missing (no model, so no library to fill it).
  const std::string port = vgtest::UniqueName("VGPORT") + ":";
  std::snprintf(path, sizeof path, "stale");
  EXPECT_EQ(CheckTargetRegKey("", port.c_str(), "", &kind, path), kRebuildNoLibrary);
  made_.push_back(path);
  EXPECT_EQ(kind, 1);
  EXPECT_EQ(std::string(path).rfind(kPortBase + "\\P", 0), 0u) << path;
  EXPECT_EQ(NameOf(HKEY_CURRENT_USER, path), port);
  const std::string first = path;
  EXPECT_EQ(CheckTargetRegKey(nullptr, port.c_str(), nullptr, &kind, path), 0);
  EXPECT_EQ(std::string(path), first) << "found the second time";
}

TEST_F(TargetKeysTest, ProgramsThatFindNoKeyAtOnceMakeOneAndAllTakeIt) {
  // A monitor starting while a user opens the status window: both look, find nothing and make
  // the key. Each must end with the one key, whole (named), and no second one.
  constexpr int kPrograms = 6;
  for (int round = 0; round < 6; ++round) {
    const std::string port = vgtest::UniqueName("VGRACE") + ":";
    ScopedHandle go(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    CheckWork works[kPrograms];
    HANDLE threads[kPrograms] = {};
    for (int i = 0; i < kPrograms; ++i) {
      works[i].go = go.Get();
      works[i].port = port;
      threads[i] = ::CreateThread(nullptr, 0, CheckWhenGo, &works[i], 0, nullptr);
      ASSERT_NE(threads[i], nullptr);
    }
    ::SetEvent(go.Get());
    EXPECT_EQ(::WaitForMultipleObjects(kPrograms, threads, TRUE, 60000), WAIT_OBJECT_0);
    for (HANDLE thread : threads) ::CloseHandle(thread);

    std::vector<std::string> named;
    for (int number = 0; number < 200; ++number) {
      const std::string path = Numbered(kPortBase, number);
      if (NameOf(HKEY_CURRENT_USER, path) == port) named.push_back(path);
    }
    for (const std::string& path : named) made_.push_back(path);
    ASSERT_EQ(named.size(), 1u) << "round " << round;
    for (const CheckWork& work : works) {
      EXPECT_TRUE(work.result == kTargetFound || work.result == kRebuildNoLibrary)
          << "round " << round << ": " << work.result;
      EXPECT_EQ(work.path, named[0]) << "round " << round;
    }
  }
}

TEST_F(TargetKeysTest, ARemovedPrinterLosesItsKeyAtTheNextRebuild) {
  vgtest::TestPrinter staying(L"VgStays ");
  ASSERT_TRUE(staying.Installed());
  char path[kTargetKeyPathSize] = {};
  int kind = -1;
  ASSERT_EQ(CheckTargetRegKey(staying.AnsiName().c_str(), "FILE:", "", &kind, path),
            kRebuildNoLibrary);
  const std::string stayingKey = path;
  made_.push_back(stayingKey);

  std::string removedName;
  std::string removedKey;
  {
    vgtest::TestPrinter removed(L"VgRemoved ");
    ASSERT_TRUE(removed.Installed());
    removedName = removed.AnsiName();
    ASSERT_EQ(CheckTargetRegKey(removedName.c_str(), "FILE:", "", &kind, path), kRebuildNoLibrary);
    removedKey = path;
    made_.push_back(removedKey);
    EXPECT_EQ(Lookup(removedName, 0), kTargetFound);
  }
  EXPECT_EQ(Lookup(removedName, 0), kTargetFound) << "nothing happens before a rebuild";

  const std::string other = vgtest::UniqueName("VgTgtOther");
  ASSERT_EQ(CheckTargetRegKey(other.c_str(), "FILE:", "", &kind, path), kRebuildNoLibrary);
  made_.push_back(path);
  EXPECT_EQ(Lookup(removedName, 0), kTargetNotFound);
  EXPECT_NE(NameOf(HKEY_CURRENT_USER, removedKey), removedName) << "gone, or its number reused";
  EXPECT_EQ(Lookup(staying.AnsiName(), 0), kTargetFound);
}

TEST_F(TargetKeysTest, StatusValuesGoToThePrintersKey) {
  const std::string printer = vgtest::UniqueName("VgTgtStatus");
  const std::string port = vgtest::UniqueName("VGSTPORT") + ":";
  const BYTE reply[] = "@BDC ST\r\nST:04;";
  EXPECT_EQ(SetTargetStatus(printer.c_str(), "", reply, sizeof reply, 4), 1);
  EXPECT_EQ(SetComStatus(printer.c_str(), "", 1), 1);
  EXPECT_EQ(GetComStatus(printer.c_str(), ""), kComStatusDefault) << "no key: the default";

  const std::string key = Make(kBase, printer);
  EXPECT_EQ(GetComStatus(printer.c_str(), port.c_str()), 2) << "no value: the default";
  EXPECT_EQ(SetComStatus(printer.c_str(), port.c_str(), 1), 0);
  EXPECT_EQ(GetComStatus(printer.c_str(), port.c_str()), 1);
  EXPECT_EQ(SetComStatus(printer.c_str(), nullptr, 4), 0);
  EXPECT_EQ(vgtest::GetDword(HKEY_CURRENT_USER, key, "ComStatus", 99), 4u);

  EXPECT_EQ(SetTargetStatus(printer.c_str(), "", reply, sizeof reply, 0x10000005), 0);
  EXPECT_EQ(vgtest::GetDword(HKEY_CURRENT_USER, key, "Channel", 0), 0x10000005u);
  HKEY open = nullptr;
  ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &open), ERROR_SUCCESS);
  BYTE stored[64] = {};
  DWORD size = sizeof stored;
  DWORD type = 0;
  EXPECT_EQ(::RegQueryValueExA(open, "Status", nullptr, &type, stored, &size), ERROR_SUCCESS);
  ::RegCloseKey(open);
  EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(stored), size),
            std::string(reinterpret_cast<const char*>(reply), sizeof reply));

  // Without a printer name the port's key is meant.
  const std::string portKey = Make(kPortBase, port);
  EXPECT_EQ(SetComStatus("", port.c_str(), 3), 0);
  EXPECT_EQ(vgtest::GetDword(HKEY_CURRENT_USER, portKey, "ComStatus", 99), 3u);
  EXPECT_EQ(GetComStatus(printer.c_str(), port.c_str()), 4) << "the printer's own stays";
}

// The logon user's hive, seen from a process of another account. The helper program runs as
// Windows 2000 without a shell process, so the logon user is the Winlogon default; that is
// made an account other than this one, whose profile entry the test adds.
class LogonUserHiveTest : public ::testing::Test {
 protected:
  static constexpr char kProbe[] = "vgtargetprobe.exe";

  void SetUp() override {
    shell_.SetString(vgtest::UniqueName("noshell") + ".exe");
    profile_ = vgtest::UniqueName("S-1-5-21-99");
    userBase_ = profile_ + "\\" + kBase;
  }
  void TearDown() override {
    vgtest::DeleteKeyTree(HKEY_LOCAL_MACHINE, std::string(kProfileList) + "\\" + profile_);
    vgtest::DeleteKeyTree(HKEY_USERS, profile_);
    vgtest::SetProgramWindowsVersion(kProbe, "");
  }

  // The logon user becomes the account of the SID; false when the system has no name for it.
  bool LogonUserIs(const std::string& sidText) {
    PSID sid = nullptr;
    if (!::ConvertStringSidToSidA(sidText.c_str(), &sid)) return false;
    char user[256] = {};
    char domain[256] = {};
    DWORD userSize = sizeof user;
    DWORD domainSize = sizeof domain;
    SID_NAME_USE use;
    const bool named = ::LookupAccountSidA(nullptr, sid, user, &userSize, domain, &domainSize,
                                           &use) != FALSE;
    ::LocalFree(sid);
    if (!named) return false;
    user_.SetString(user);
    domain_.SetString(domain);
    return true;
  }
  // The account this test program runs as.
  static bool OwnAccount(char (&user)[256], char (&domain)[256]) {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    BYTE info[1024];
    DWORD size = 0;
    bool named = false;
    if (::GetTokenInformation(token, TokenUser, info, sizeof info, &size)) {
      DWORD userSize = sizeof user;
      DWORD domainSize = sizeof domain;
      SID_NAME_USE use;
      named = ::LookupAccountSidA(nullptr, reinterpret_cast<TOKEN_USER*>(info)->User.Sid, user,
                                  &userSize, domain, &domainSize, &use) != FALSE;
    }
    ::CloseHandle(token);
    return named;
  }
  // The profile entry of the test names this SID.
  void ProfileSid(const std::string& sidText) {
    PSID sid = nullptr;
    ASSERT_TRUE(::ConvertStringSidToSidA(sidText.c_str(), &sid));
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_LOCAL_MACHINE,
                                (std::string(kProfileList) + "\\" + profile_).c_str(), 0, nullptr,
                                0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ::RegSetValueExA(key, "Sid", 0, REG_BINARY, static_cast<const BYTE*>(sid),
                     ::GetLengthSid(sid));
    ::RegCloseKey(key);
    ::LocalFree(sid);
  }

  struct Answer {
    int result = -1;
    std::string root;
    std::string path;
  };
  Answer Run(const std::string& version, const std::string& arguments) {
    vgtest::SetProgramWindowsVersion(kProbe, version);
    const std::string dir = vgtest::MakeTempDir("probe");
    const std::string file = dir + "\\result.txt";
    vgtest::ProcessResult run = vgtest::RunProgram(kProbe, arguments + " \"" + file + "\"");
    Answer answer;
    std::istringstream in(vgtest::ReadFile(file));
    std::string result;
    if (run.finished && run.exitCode == 0 && std::getline(in, result)) {
      answer.result = std::stoi(result);
      std::getline(in, answer.root);
      std::getline(in, answer.path);
    }
    vgtest::RemoveTree(dir);
    return answer;
  }

  vgtest::ScopedRegistryValue shell_{HKEY_LOCAL_MACHINE, kWinlogon, "Shell"};
  vgtest::ScopedRegistryValue user_{HKEY_LOCAL_MACHINE, kWinlogon, "DefaultUserName"};
  vgtest::ScopedRegistryValue domain_{HKEY_LOCAL_MACHINE, kWinlogon, "DefaultDomainName"};
  std::string profile_;
  std::string userBase_;
};

TEST_F(LogonUserHiveTest, AnotherAccountReadsAndWritesTheLogonUsersKeys) {
  ASSERT_TRUE(LogonUserIs("S-1-5-18"));
  ProfileSid("S-1-5-18");
  const std::string printer = vgtest::UniqueName("VgHivePrinter");
  vgtest::SetString(HKEY_USERS, Numbered(userBase_, 0), "Name", printer);

  Answer answer = Run("win2k", "lookup " + printer + " 0 logon");
  EXPECT_EQ(answer.result, kTargetFound);
  EXPECT_EQ(answer.root, "HKU");
  EXPECT_EQ(answer.path, Numbered(userBase_, 0));

  answer = Run("win2k", "lookup " + printer + " 0 own");
  EXPECT_EQ(answer.root, "HKCU") << "the monitor's own hive for other printer types";
  EXPECT_EQ(answer.path, kBase);

  // A missing key is made in the logon user's hive.
  const std::string port = vgtest::UniqueName("VGHIVE") + ":";
  answer = Run("win2k", "check \"\" " + port + " \"\"");
  EXPECT_EQ(answer.result, kRebuildNoLibrary);
  EXPECT_EQ(answer.root, "HKU");
  EXPECT_EQ(answer.path, Numbered(profile_ + "\\" + kPortBase, 0));
  EXPECT_EQ(NameOf(HKEY_USERS, answer.path), port);

  answer = Run("win98", "lookup " + printer + " 0 logon");
  EXPECT_EQ(answer.root, "HKCU") << "9x has one user";
  EXPECT_EQ(answer.path, kBase);
}

TEST_F(LogonUserHiveTest, TheHiveIsFoundAgainWhenTheProfilesOrTheLogonUserChange) {
  ASSERT_TRUE(LogonUserIs("S-1-5-18"));
  ProfileSid("S-1-5-18");
  const std::string printer = vgtest::UniqueName("VgHivePrinter");
  vgtest::SetString(HKEY_USERS, Numbered(userBase_, 0), "Name", printer);

  // One helper process keeps what it found between the steps.
  const std::string tag = vgtest::UniqueName("vgtargetsteps");
  vgtest::StepEvents events(tag);
  const std::string dir = vgtest::MakeTempDir("steps");
  const std::string file = dir + "\\steps.txt";
  vgtest::SetProgramWindowsVersion(kProbe, "win2k");
  vgtest::ChildProcess helper;
  ASSERT_TRUE(events.IsReady());
  ASSERT_TRUE(helper.Start(kProbe, "steps " + tag + " \"" + file + "\" 5 " + printer + " 0"));
  auto step = [&] {
    std::string line, last;
    if (!events.Step()) return std::string("no answer");
    std::istringstream lines(vgtest::ReadFile(file));
    while (std::getline(lines, line)) last = line;
    return last;
  };
  const std::string inHive = "0|HKU|" + Numbered(userBase_, 0);
  EXPECT_EQ(step(), inHive);
  EXPECT_EQ(step(), inHive);

  vgtest::DeleteKeyTree(HKEY_LOCAL_MACHINE, std::string(kProfileList) + "\\" + profile_);
  EXPECT_EQ(step(), "1|HKCU|" + kBase) << "the logon user's profile is gone";
  ProfileSid("S-1-5-18");
  EXPECT_EQ(step(), inHive) << "and back";

  // The process's own account logs on: its own hive.
  char user[256] = {};
  char domain[256] = {};
  ASSERT_TRUE(OwnAccount(user, domain));
  user_.SetString(user);
  domain_.SetString(domain);
  EXPECT_EQ(step(), "1|HKCU|" + kBase);
  helper.Kill();
  vgtest::RemoveTree(dir);
}

TEST_F(LogonUserHiveTest, WithoutTheLogonUsersProfileTheOwnHiveServes) {
  ASSERT_TRUE(LogonUserIs("S-1-5-18"));
  ProfileSid("S-1-5-19");  // another account's profile
  const std::string printer = vgtest::UniqueName("VgHivePrinter");
  Answer answer = Run("win2k", "lookup " + printer + " 1 logon");
  EXPECT_EQ(answer.result, kTargetNotFound);
  EXPECT_EQ(answer.root, "HKCU");
  EXPECT_EQ(answer.path, kPortBase);

  // With no logon user at all there is nobody to search for.
  ProfileSid("S-1-5-18");
  user_.Remove();
  domain_.Remove();
  answer = Run("win2k", "lookup " + printer + " 0 logon");
  EXPECT_EQ(answer.root, "HKCU") << "no logon user found";
}

}  // namespace
