// The printer identity (CBaseInfo) and the registry exports, against real keys and profile
// INIs; the target-key rebuild through a copy of the built vgprn.dll.
#include <gtest/gtest.h>

#include <string>

#include "common/system_library_win.h"
#include "common/target_keys_win.h"
#include "common/vgprn_exports.h"
#include "printer/base_info_win.h"
#include "printer/vgprn_app_win.h"
#include "support/test_model.h"
#include "support/test_target_keys.h"
#include "support/win_test_support.h"

namespace {

using vgtest::HasTargetValue;
using vgtest::TargetDword;

const char kModelDefaults[] =
    "SoundNotifyEnable=1\r\nBeepBuzzerEnable=1\r\nTrayIconEnable=1\r\nInkNearEndC=20\r\n"
    "ITEMNUM=3\r\nITEM001=1\r\nITEM12=1\r\nITEM002=1\r\nITEM0003=1\r\nITEM011=1\r\nITEM014=1\r\n";

class RegistryExportsTest : public ::testing::Test {
 protected:
  std::string Find(const std::string& name, int kind = 0) {
    char path[kTargetKeyPathSize] = {};
    HKEY root = nullptr;
    if (GetCurrentTargetPrnKey(name.c_str(), kind, path, &root) != kTargetFound) return "";
    keys_.Adopt(path);
    return path;
  }

  vgtest::TestModel model_;
  vgtest::ScopedTargetKeys keys_;
  std::string printer_ = vgtest::UniqueName("VgRegPrinter");
};

TEST_F(RegistryExportsTest, SecondCallResetsTheSwitchesButKeepsTheUsersItems) {
  model_.WriteIni(kModelDefaults);
  const std::string key = keys_.Make(vgtest::kTargetBase, printer_);
  vgtest::SetDword(HKEY_CURRENT_USER, key, "InkNearEndB", 7);

  ASSERT_EQ(PrSetRegDefaultValue(printer_.c_str(), model_.Driver().c_str(), "LPT1:",
                                 model_.Model().c_str(), model_.IniPath().c_str()),
            0);
  EXPECT_EQ(TargetDword(key, "SoundNotifyEnable"), 1u);
  EXPECT_EQ(TargetDword(key, "TrayIconSelected"), 0u);
  EXPECT_EQ(TargetDword(key, "InkNearEndB"), 7u) << "not in the INI: left alone";
  EXPECT_EQ(TargetDword(key, "InkNearEndC"), 20u);
  const std::string notify = key + "\\Notify";
  EXPECT_EQ(TargetDword(notify, "001"), 1u);
  EXPECT_EQ(TargetDword(notify, "002"), 1u);
  EXPECT_EQ(TargetDword(notify, "011"), 1u);
  EXPECT_FALSE(HasTargetValue(notify, "014")) << "past ITEMNUM";

  // The user turns things off; a second call restores the switches only.
  vgtest::SetDword(HKEY_CURRENT_USER, key, "SoundNotifyEnable", 0);
  vgtest::SetDword(HKEY_CURRENT_USER, notify, "001", 0);
  HKEY open = nullptr;
  ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, notify.c_str(), 0, KEY_ALL_ACCESS, &open),
            ERROR_SUCCESS);
  ::RegDeleteValueA(open, "002");
  ::RegCloseKey(open);

  ASSERT_EQ(PrSetRegDefaultValue(printer_.c_str(), model_.Driver().c_str(), "LPT1:",
                                 model_.Model().c_str(), nullptr),
            0)
      << "the profile INI is found by driver and model";
  EXPECT_EQ(TargetDword(key, "SoundNotifyEnable"), 1u);
  EXPECT_EQ(TargetDword(notify, "001"), 0u) << "the user's choice stays";
  EXPECT_EQ(TargetDword(notify, "002"), 1u) << "a missing item comes back";

  EXPECT_STREQ(TheApp().BaseInfo().PrinterName(), printer_.c_str());
  EXPECT_STREQ(TheApp().CurrentPrinterName(), printer_.c_str());
  EXPECT_EQ(std::string(TheApp().BaseInfo().TargetKeyPath()), key);
}

TEST_F(RegistryExportsTest, IncompleteIdentityOrItemsAreReported) {
  model_.WriteIni("SoundNotifyEnable=1\r\n");  // no ITEMNUM
  const std::string key = keys_.Make(vgtest::kTargetBase, printer_);
  EXPECT_EQ(PrSetRegDefaultValue(printer_.c_str(), model_.Driver().c_str(), "LPT1:",
                                 model_.Model().c_str(), model_.IniPath().c_str()),
            4);
  EXPECT_EQ(TargetDword(key, "SoundNotifyEnable"), 1u) << "the settings stay written";

  vgtest::SetDword(HKEY_CURRENT_USER, key, "SoundNotifyEnable", 0);
  EXPECT_EQ(PrSetRegDefaultValue(printer_.c_str(), "", "LPT1:", model_.Model().c_str(),
                                 model_.IniPath().c_str()),
            1);
  EXPECT_EQ(PrSetRegDefaultValue(printer_.c_str(), model_.Driver().c_str(), nullptr,
                                 model_.Model().c_str(), nullptr),
            1);
  EXPECT_EQ(PrSetRegDefaultValue(nullptr, nullptr, nullptr, nullptr, nullptr), 1);
  EXPECT_EQ(TargetDword(key, "SoundNotifyEnable"), 0u) << "nothing written";
  EXPECT_FALSE(TheApp().BaseInfo().IsValid());

  EXPECT_EQ(PrReleaseRegistry(printer_.c_str(), model_.Driver().c_str(), "LPT1:",
                              model_.Model().c_str()),
            0);
  EXPECT_TRUE(TheApp().BaseInfo().IsValid());
  EXPECT_EQ(PrReleaseRegistry(printer_.c_str(), model_.Driver().c_str(), "",
                              model_.Model().c_str()),
            1);
  EXPECT_EQ(TargetDword(key, "SoundNotifyEnable"), 0u) << "releasing writes no defaults";
}

TEST_F(RegistryExportsTest, PortOnlyIdentityIsNoIdentity) {
  // The identity needs all four names, so a printer known only by its port gets no
  // defaults from the export; its key is reached through the lookup by port name.
  model_.WriteIni(kModelDefaults);
  const std::string port = vgtest::UniqueName("VGREGPORT") + ":";
  const std::string key = keys_.Make(vgtest::kPortTargetBase, port);
  EXPECT_EQ(PrSetRegDefaultValue("", model_.Driver().c_str(), port.c_str(),
                                 model_.Model().c_str(), model_.IniPath().c_str()),
            1);
  EXPECT_FALSE(HasTargetValue(key, "SoundNotifyEnable"));
  char path[kTargetKeyPathSize] = {};
  HKEY root = nullptr;
  ASSERT_EQ(FindTargetKey("", port.c_str(), path, &root), kTargetFound);
  EXPECT_EQ(std::string(path), key);
}

// CBaseInfo on its own instance (the rebuild of a missing key has no library to fill it).
class BaseInfoTest : public RegistryExportsTest {};

TEST_F(BaseInfoTest, StateFollowsWhatIsKnown) {
  CBaseInfo info;
  EXPECT_EQ(info.State(), CBaseInfo::kStateNotSet);
  EXPECT_EQ(info.Set(printer_.c_str(), "drv", "", "model", nullptr, nullptr), -1);
  EXPECT_EQ(info.Set(nullptr, "drv", "LPT1:", "model", nullptr, nullptr), -1);
  EXPECT_EQ(info.Set(printer_.c_str(), "drv", "LPT1:", "", nullptr, nullptr), -1);
  EXPECT_FALSE(info.IsValid());

  // A model without a profile: the names only.
  EXPECT_EQ(info.Set(printer_.c_str(), "drv", "LPT1:", vgtest::UniqueName("NoModel").c_str(),
                     nullptr, "res.dll"),
            CBaseInfo::kStateIdentity);
  EXPECT_STREQ(info.DriverName(), "drv");
  EXPECT_STREQ(info.PortName(), "LPT1:");
  EXPECT_STREQ(info.ProfilePath(), "");
  EXPECT_STREQ(info.ResDllName(), "");
  EXPECT_STREQ(info.TargetKeyPath(), "") << "no key is looked for without a profile";

  model_.WriteIni("");
  const std::string key = keys_.Make(vgtest::kTargetBase, printer_);
  EXPECT_EQ(info.Set(printer_.c_str(), model_.Driver().c_str(), "LPT1:", model_.Model().c_str(),
                     nullptr, nullptr),
            CBaseInfo::kStateComplete);
  EXPECT_EQ(std::string(info.ProfilePath()), model_.IniPath());
  EXPECT_STREQ(info.ResDllName(), "vgres.dll") << "from the language section";
  EXPECT_EQ(std::string(info.TargetKeyPath()), key);

  EXPECT_EQ(info.Set(printer_.c_str(), model_.Driver().c_str(), "LPT1:", model_.Model().c_str(),
                     "C:\\given.ini", "given.dll"),
            CBaseInfo::kStateComplete);
  EXPECT_STREQ(info.ProfilePath(), "C:\\given.ini");
  EXPECT_STREQ(info.ResDllName(), "given.dll");

  // Without its resource library file the language section does not count.
  ::DeleteFileA((model_.Dir() + "\\vgres.dll").c_str());
  model_.WriteIni("");
  EXPECT_EQ(info.Set(printer_.c_str(), model_.Driver().c_str(), "LPT1:", model_.Model().c_str(),
                     nullptr, nullptr),
            CBaseInfo::kStateIdentity);
  EXPECT_EQ(std::string(info.TargetKeyPath()), key) << "the key is still found";
}

TEST_F(BaseInfoTest, AMissingKeyIsMadeAndItsPathKept) {
  model_.WriteIni("");
  CBaseInfo info;
  EXPECT_EQ(info.Set(printer_.c_str(), model_.Driver().c_str(), "LPT1:", model_.Model().c_str(),
                     nullptr, nullptr),
            CBaseInfo::kStateComplete);
  const std::string made = Find(printer_);
  ASSERT_FALSE(made.empty());
  EXPECT_EQ(std::string(info.TargetKeyPath()), made);
}

TEST_F(BaseInfoTest, TheWindowTableMappingIsClosedWithTheIdentity) {
  HANDLE first = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE second = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  DWORD flags = 0;
  {
    CBaseInfo info;
    info.SetMapFile(first);
    EXPECT_EQ(info.MapFile(), first);
    info.SetMapFile(second);
    EXPECT_FALSE(::GetHandleInformation(first, &flags)) << "a replaced mapping is closed";
    EXPECT_TRUE(::GetHandleInformation(second, &flags));
  }
  EXPECT_FALSE(::GetHandleInformation(second, &flags));
}

// The rebuild loads the model's printer library, here a copy of the built vgprn.dll.
class RebuildThroughLibraryTest : public RegistryExportsTest {
 protected:
  void SetUp() override {
    library_ = vgtest::UniqueName("vgprn") + ".dll";
    model_.Install("vgprn.dll", library_);
    model_.WriteIni("PrnDll=" + library_ + "\r\n" + kModelDefaults);
  }
  void ExpectFilledWithDefaults(const std::string& key) {
    ASSERT_FALSE(key.empty());
    EXPECT_EQ(TargetDword(key, "SoundNotifyEnable"), 1u);
    EXPECT_EQ(TargetDword(key, "BeepBuzzerEnable"), 1u);
    EXPECT_EQ(TargetDword(key, "InkNearEndC"), 20u);
    EXPECT_EQ(TargetDword(key, "Timer"), 10u);
    EXPECT_EQ(TargetDword(key + "\\Notify", "001"), 1u);
    EXPECT_EQ(TargetDword(key + "\\Notify", "011"), 1u);
  }
  std::string library_;
};

TEST_F(RebuildThroughLibraryTest, CheckRebuildsAndFillsAMissingKey) {
  int kind = -1;
  char path[kTargetKeyPathSize] = {};
  EXPECT_EQ(CheckTargetRegKey(printer_.c_str(), "LPT1:", model_.Model().c_str(), &kind, path), 0)
      << "the library's defaults call succeeded";
  const std::string key = Find(printer_);
  EXPECT_EQ(std::string(path), key);
  ExpectFilledWithDefaults(key);
  EXPECT_EQ(::GetModuleHandleA((model_.Dir() + "\\" + library_).c_str()), nullptr)
      << "the library is freed again";
}

TEST_F(RebuildThroughLibraryTest, AnExportRebuildsADeletedKeyThroughItsOwnLibrary) {
  ScopedModule library(::LoadLibraryA((model_.Dir() + "\\" + library_).c_str()));
  ASSERT_TRUE(library.IsValid());
  auto release = GetProcAs<int(__cdecl*)(const char*, const char*, const char*, const char*)>(
      library.Get(), "PrReleaseRegistry");
  ASSERT_NE(release, nullptr);

  ASSERT_EQ(release(printer_.c_str(), model_.Driver().c_str(), "LPT1:", model_.Model().c_str()), 0);
  const std::string first = Find(printer_);
  ExpectFilledWithDefaults(first);

  // The key goes; the next call that needs it brings it back with the model's values.
  ASSERT_EQ(DeleteTargetKey(HKEY_CURRENT_USER, first.c_str()), 0);
  ASSERT_EQ(Find(printer_), "");
  ASSERT_EQ(release(printer_.c_str(), model_.Driver().c_str(), "LPT1:", model_.Model().c_str()), 0);
  ExpectFilledWithDefaults(Find(printer_));
}

}  // namespace
