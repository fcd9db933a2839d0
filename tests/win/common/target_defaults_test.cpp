// Default settings and notification items copied from a profile INI into a target key.
#include <gtest/gtest.h>

#include <string>

#include "common/target_defaults_win.h"
#include "support/test_target_keys.h"
#include "support/win_test_support.h"

namespace {

const char kSandboxParent[] = "Software\\VgTest";

class TargetDefaultsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = vgtest::MakeTempDir("defaults");
    key_ = std::string(kSandboxParent) + "\\" + vgtest::UniqueName("defaults") + "\\P0";
    vgtest::SetDword(HKEY_CURRENT_USER, key_, "Setting", 0);
  }
  void TearDown() override {
    vgtest::DeleteKeyTree(HKEY_CURRENT_USER, key_.substr(0, key_.rfind('\\')));
    ::RegDeleteKeyA(HKEY_CURRENT_USER, kSandboxParent);
    vgtest::RemoveTree(dir_);
  }

  // A profile INI with the model's section; a file of its own each time.
  std::string Ini(const std::string& section) {
    const std::string path = dir_ + "\\" + vgtest::UniqueName("model") + ".ini";
    vgtest::WriteFile(path, "[Other]\r\nITEMNUM=9\r\nITEM009=1\r\n[VP-1]\r\n" + section);
    return path;
  }
  int Defaults(const std::string& ini) {
    return SetRegDefaultValue(HKEY_CURRENT_USER, ini.c_str(), "VP-1", key_.c_str());
  }
  int Items(const std::string& ini) {
    return ChkNtfyReg(HKEY_CURRENT_USER, key_.c_str(), "VP-1", ini.c_str());
  }
  DWORD Value(const char* name) { return vgtest::TargetDword(key_, name); }
  DWORD Item(const char* name) { return vgtest::TargetDword(key_ + "\\Notify", name); }
  bool HasItem(const char* name) { return vgtest::HasTargetValue(key_ + "\\Notify", name); }

  std::string dir_;
  std::string key_;
};

TEST_F(TargetDefaultsTest, SwitchesAlwaysLimitsOnlyWhenGiven) {
  vgtest::SetDword(HKEY_CURRENT_USER, key_, "InkNearEndB", 7);
  vgtest::SetDword(HKEY_CURRENT_USER, key_, "TrayIconSelected", 5);
  const std::string ini = Ini(
      "SoundNotifyEnable=1\r\nBeepBuzzerEnable=1\r\nTrayIconEnable=2\r\n"
      "InkNearEndC=20\r\nMaxIC=4\r\nPaperNearEnd=-1\r\nSlipMax=0\r\n"
      "ITEMNUM=1\r\nITEM001=1\r\n");
  EXPECT_EQ(Defaults(ini), kDefaultsWritten);
  EXPECT_EQ(Value("SoundNotifyEnable"), 1u);
  EXPECT_EQ(Value("BeepBuzzerEnable"), 1u);
  EXPECT_EQ(Value("TrayIconEnable"), 2u);
  EXPECT_EQ(Value("TrayIconSelected"), 0u) << "an absent switch is written as 0";
  EXPECT_EQ(Value("InkNearEndB"), 7u) << "an absent limit leaves the value alone";
  EXPECT_EQ(Value("InkNearEndC"), 20u);
  EXPECT_EQ(Value("MaxIC"), 4u);
  EXPECT_EQ(Value("SlipMax"), 0u);
  EXPECT_FALSE(vgtest::HasTargetValue(key_, "PaperNearEnd")) << "-1 stands for absent";
  EXPECT_FALSE(vgtest::HasTargetValue(key_, "SizeUnitH"));
  EXPECT_FALSE(vgtest::HasTargetValue(key_, "MaxCaset"));
  EXPECT_EQ(Item("001"), 1u);
}

TEST_F(TargetDefaultsTest, NoItemCountLeavesTheSwitchesWritten) {
  EXPECT_EQ(Defaults(Ini("SoundNotifyEnable=1\r\nITEM001=1\r\n")), kDefaultsNoItems);
  EXPECT_EQ(Value("SoundNotifyEnable"), 1u);
  EXPECT_FALSE(HasItem("001"));

  EXPECT_EQ(Defaults(Ini("SoundNotifyEnable=1\r\nITEMNUM=0\r\nITEM001=1\r\n")), kDefaultsNoItems);
  EXPECT_EQ(Defaults(Ini("ITEMNUM=-2\r\nITEM001=1\r\n")), kDefaultsNoItems);

  // Without an INI every key is absent.
  EXPECT_EQ(Defaults(""), kDefaultsNoItems);
  EXPECT_EQ(Value("SoundNotifyEnable"), 0u);
  EXPECT_EQ(SetRegDefaultValue(HKEY_CURRENT_USER, nullptr, "VP-1", key_.c_str()),
            kDefaultsNoItems);
}

TEST_F(TargetDefaultsTest, AMissingKeyIsNotCreated) {
  const std::string missing = key_ + "x";
  EXPECT_EQ(SetRegDefaultValue(HKEY_CURRENT_USER, Ini("ITEMNUM=1\r\nITEM001=1\r\n").c_str(), "VP-1",
                               missing.c_str()),
            kDefaultsNoKey);
  EXPECT_FALSE(vgtest::KeyExists(HKEY_CURRENT_USER, missing));
}

TEST_F(TargetDefaultsTest, ItemCountBoundsTheItemsAndOnlyThreeDigitItemsCount) {
  const std::string ini = Ini(
      "ITEMNUM=3\r\nITEM12=1\r\nITEM0003=1\r\nITEM001=1\r\nITEM005=0\r\nITEM014=7\r\n"
      "ITEM015=1\r\nITEM016=1\r\n");
  EXPECT_EQ(Items(ini), 1);
  EXPECT_EQ(Item("001"), 1u);
  EXPECT_EQ(Item("005"), 0u);
  EXPECT_EQ(Item("014"), 7u);
  EXPECT_FALSE(HasItem("015")) << "only the first three items";
  EXPECT_FALSE(HasItem("016"));
  EXPECT_FALSE(HasItem("12"));
  EXPECT_FALSE(HasItem("012"));
  EXPECT_FALSE(HasItem("0003"));
  EXPECT_FALSE(HasItem("003"));
  EXPECT_FALSE(HasItem("009")) << "another model's section";
}

TEST_F(TargetDefaultsTest, ExistingChoicesAreKept) {
  const std::string ini = Ini("ITEMNUM=3\r\nITEM001=1\r\nITEM002=1\r\nITEM003=1\r\n");
  vgtest::SetDword(HKEY_CURRENT_USER, key_ + "\\Notify", "001", 0);
  vgtest::SetString(HKEY_CURRENT_USER, key_ + "\\Notify", "002", "odd");
  EXPECT_EQ(Items(ini), 1);
  EXPECT_EQ(Item("001"), 0u) << "the user's choice stays";
  EXPECT_EQ(vgtest::GetString(HKEY_CURRENT_USER, key_ + "\\Notify", "002"), "odd")
      << "a value of another type is a choice too";
  EXPECT_EQ(Item("003"), 1u) << "a missing item is added";
}

TEST_F(TargetDefaultsTest, ASectionTooBigForItsBufferFails) {
  // Lines of 100 characters until the section (each line end counts one byte) exceeds the
  // buffer.
  std::string section = "ITEMNUM=1\r\nITEM001=1\r\n";
  const std::string filler = "Filler" + std::string(90, 'x');
  for (int i = 0; section.size() < kNotifySectionSize + 8000; ++i) {
    section += filler + std::to_string(i) + "=1\r\n";
  }
  EXPECT_EQ(Items(Ini(section)), 0);
  EXPECT_FALSE(HasItem("001"));
  EXPECT_TRUE(vgtest::KeyExists(HKEY_CURRENT_USER, key_ + "\\Notify"))
      << "the subkey is made before the section is read";
}

TEST_F(TargetDefaultsTest, ANotifyPathThatDoesNotFitFails) {
  const std::string longKey = std::string(253, 'k');  // + "\Notify" is 260 characters
  EXPECT_EQ(ChkNtfyReg(HKEY_CURRENT_USER, longKey.c_str(), "VP-1",
                       Ini("ITEMNUM=1\r\nITEM001=1\r\n").c_str()),
            0);
  EXPECT_FALSE(vgtest::KeyExists(HKEY_CURRENT_USER, longKey));
  EXPECT_EQ(ChkNtfyReg(HKEY_CURRENT_USER, nullptr, "VP-1", "x.ini"), 0);
}

}  // namespace
