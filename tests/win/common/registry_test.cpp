// Registry: what callers rely on when a key is missing, new, read-only or read past its end.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/registry_win.h"
#include "support/win_test_support.h"

namespace {

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { path_ = "Software\\VgTest\\" + vgtest::UniqueName("registry"); }
  void TearDown() override {
    vgtest::DeleteKeyTree(HKEY_CURRENT_USER, path_);
    ::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\VgTest");  // only when nothing else is left
  }
  std::string path_;
};

TEST_F(RegistryTest, ClosedObjectAnswersAsForMissingValues) {
  Registry missing(HKEY_CURRENT_USER, path_.c_str());
  ASSERT_FALSE(missing.IsOpen());
  EXPECT_EQ(missing.ReadDWord("Value"), 0xFFFFFFFFu);
  EXPECT_EQ(missing.GetDWordValue("Value", 1234u), 1234u);
  EXPECT_EQ(missing.GetString("Value", "fallback"), "fallback");
  EXPECT_TRUE(missing.GetBinary("Value").empty());
  EXPECT_EQ(missing.GetValueType("Value"), 0u);
  EXPECT_EQ(missing.GetValueSize("Value"), 0u);
  EXPECT_EQ(missing.EnumKey(0), "");
  std::string value = "untouched";
  EXPECT_FALSE(missing.QueryString("Value", &value));
  EXPECT_EQ(value, "untouched");
  EXPECT_EQ(missing.SetDWord("Value", 1), 0);
  EXPECT_EQ(missing.SetBinary("Value", "ab", 2), 0);
  EXPECT_FALSE(vgtest::KeyExists(HKEY_CURRENT_USER, path_)) << "a closed object touches nothing";
}

TEST_F(RegistryTest, CreateTellsANewKeyFromAnExistingOne) {
  Registry first;
  EXPECT_EQ(first.Create(HKEY_CURRENT_USER, path_.c_str()), 1);
  EXPECT_TRUE(first.IsOpen());
  Registry second;
  EXPECT_EQ(second.Create(HKEY_CURRENT_USER, path_.c_str()), 0);
  EXPECT_TRUE(second.IsOpen()) << "an existing key is opened";
  EXPECT_EQ(second.SetDWord("Shared", 7), 1);
  EXPECT_EQ(first.ReadDWord("Shared"), 7u) << "both objects hold the same key";
}

TEST_F(RegistryTest, AccessMaskDefaults) {
  Registry created(HKEY_CURRENT_USER, path_.c_str(), true);
  ASSERT_TRUE(created.IsOpen());
  EXPECT_EQ(created.Access(), static_cast<REGSAM>(KEY_ALL_ACCESS));
  EXPECT_EQ(created.SetDWord("Written", 1), 1);

  Registry opened(HKEY_CURRENT_USER, path_.c_str());
  ASSERT_TRUE(opened.IsOpen());
  EXPECT_EQ(opened.Access(), static_cast<REGSAM>(KEY_READ));
  EXPECT_EQ(opened.ReadDWord("Written"), 1u);
  EXPECT_EQ(opened.SetDWord("Written", 2), 0) << "a key opened for reading refuses writes";

  Registry reopened;
  EXPECT_TRUE(reopened.Open(HKEY_CURRENT_USER, path_.c_str(), 0));
  EXPECT_EQ(reopened.Access(), static_cast<REGSAM>(KEY_READ));
  Registry createdLater;
  createdLater.Create(HKEY_CURRENT_USER, path_.c_str(), nullptr, 0);
  EXPECT_EQ(createdLater.Access(), static_cast<REGSAM>(KEY_ALL_ACCESS));
  EXPECT_EQ(createdLater.SetDWord("Written", 3), 1);
}

TEST_F(RegistryTest, ValuesReadBackWithTheirTypeAndSize) {
  Registry key(HKEY_CURRENT_USER, path_.c_str(), true);
  ASSERT_TRUE(key.IsOpen());
  const BYTE bytes[] = {0, 1, 2, 0xFF, 0};
  ASSERT_EQ(key.SetBinary("Bytes", bytes, sizeof bytes), 1);
  ASSERT_EQ(key.SetDWord("Number", 0x12345678), 1);
  EXPECT_EQ(key.GetValueType("Bytes"), static_cast<DWORD>(REG_BINARY));
  EXPECT_EQ(key.GetValueSize("Bytes"), sizeof bytes);
  EXPECT_EQ(key.GetBinary("Bytes"), std::vector<BYTE>(bytes, bytes + sizeof bytes));
  EXPECT_EQ(key.GetDWordValue("Number", 5), 0x12345678u);
  EXPECT_EQ(key.SetBinary("Null", nullptr, 4), 0) << "no data for a non-zero size";
  EXPECT_EQ(key.SetBinary("Empty", nullptr, 0), 1);
  EXPECT_TRUE(key.GetBinary("Empty").empty()) << "an empty value gives no buffer";
}

TEST_F(RegistryTest, FailedReadsLeaveTheDefaults) {
  Registry key(HKEY_CURRENT_USER, path_.c_str(), true);
  ASSERT_TRUE(key.IsOpen());
  EXPECT_EQ(key.ReadDWord("Missing"), 0xFFFFFFFFu);
  EXPECT_EQ(key.GetDWordValue("Missing", 42), 42u);
  EXPECT_EQ(key.GetString("Missing", "dflt"), "dflt");
  EXPECT_TRUE(key.GetBinary("Missing").empty());

  // A value that does not fit the reader's size is a failed read, not a cut one.
  key.SetString("Long", std::string(40, 'x').c_str());
  EXPECT_EQ(key.GetString("Long", "dflt", 16), "dflt");
  std::string value = "untouched";
  EXPECT_FALSE(key.QueryString("Long", &value, 16));
  EXPECT_EQ(value, "untouched");
  EXPECT_TRUE(key.QueryString("Long", &value, 41));
  EXPECT_EQ(value, std::string(40, 'x'));

  // A 32-bit read of a value of another width is a failure.
  const BYTE two[] = {1, 2};
  key.SetBinary("Short", two, sizeof two);
  EXPECT_EQ(key.GetDWordValue("Short", 9), 9u);
  const BYTE eight[8] = {1};
  key.SetBinary("Wide", eight, sizeof eight);
  EXPECT_EQ(key.ReadDWord("Wide"), 0xFFFFFFFFu);
}

TEST_F(RegistryTest, EnumKeyListsSubkeysAndEndsWithEmpty) {
  {
    Registry parent(HKEY_CURRENT_USER, path_.c_str(), true);
    Registry child;
    ASSERT_EQ(child.Create(parent.Key(), "Alpha", "AlphaClass"), 1);
  }
  Registry parent(HKEY_CURRENT_USER, path_.c_str());
  std::string className = "before";
  EXPECT_EQ(parent.EnumKey(0, &className), "Alpha");
  EXPECT_EQ(className, "AlphaClass");
  className = "before";
  EXPECT_EQ(parent.EnumKey(1, &className), "");
  EXPECT_EQ(parent.EnumKey(1000), "");
}

TEST_F(RegistryTest, OpeningAnotherKeyReleasesTheFirst) {
  Registry key(HKEY_CURRENT_USER, path_.c_str(), true);
  ASSERT_TRUE(key.IsOpen());
  EXPECT_FALSE(key.Open(HKEY_CURRENT_USER, (path_ + "\\Missing").c_str()));
  EXPECT_FALSE(key.IsOpen());
  EXPECT_EQ(key.Key(), nullptr);
  EXPECT_EQ(key.ReadDWord("x"), 0xFFFFFFFFu);
}

}  // namespace
