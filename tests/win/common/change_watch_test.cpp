// What a cache's watch notices: registry keys that change below it, that are made or removed,
// files that come, go or are rewritten, a process that ends; and what it must not notice.
#include <gtest/gtest.h>

#include <string>

#include "common/change_watch_win.h"
#include "support/win_test_support.h"

namespace {

class ChangeWatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    base_ = "Software\\" + vgtest::UniqueName("VgWatch");
    dir_ = vgtest::MakeTempDir("watch");
  }
  void TearDown() override {
    vgtest::DeleteKeyTree(HKEY_CURRENT_USER, base_);
    vgtest::RemoveTree(dir_);
  }

  std::string base_;
  std::string dir_;
};

TEST_F(ChangeWatchTest, NothingWatchedIsNeverStillTrue) {
  ChangeWatch watch;
  EXPECT_FALSE(watch.StillTrue()) << "a cache without a watch must look again";
  watch.WatchFile(dir_ + "\\absent.ini");
  EXPECT_TRUE(watch.StillTrue());
  watch.Clear();
  EXPECT_FALSE(watch.StillTrue());
}

TEST_F(ChangeWatchTest, AKeyWithItsSubtree) {
  const std::string watched = base_ + "\\Watched";
  vgtest::SetDword(HKEY_CURRENT_USER, watched + "\\Driver\\One", "Value", 1);
  vgtest::SetDword(HKEY_CURRENT_USER, base_ + "\\Beside", "Value", 1);
  ChangeWatch watch;
  ASSERT_TRUE(watch.WatchKey(HKEY_CURRENT_USER, watched.c_str(), true));
  EXPECT_TRUE(watch.StillTrue());
  EXPECT_TRUE(watch.StillTrue()) << "asking changes nothing";

  // Reading below it and writing values beside it are no change of it.
  vgtest::SetDword(HKEY_CURRENT_USER, base_ + "\\Beside", "Value", 2);
  EXPECT_EQ(vgtest::GetDword(HKEY_CURRENT_USER, watched + "\\Driver\\One", "Value", 0), 1u);
  EXPECT_TRUE(watch.StillTrue());

  vgtest::SetDword(HKEY_CURRENT_USER, watched + "\\Driver\\One", "Value", 2);
  EXPECT_FALSE(watch.StillTrue()) << "a value below";
  EXPECT_FALSE(watch.StillTrue()) << "a change stays seen";

  ChangeWatch again;
  ASSERT_TRUE(again.WatchKey(HKEY_CURRENT_USER, watched.c_str(), true));
  vgtest::SetDword(HKEY_CURRENT_USER, watched + "\\Driver\\Two", "Value", 1);
  EXPECT_FALSE(again.StillTrue()) << "a new key below";

  ChangeWatch values;
  ASSERT_TRUE(values.WatchKey(HKEY_CURRENT_USER, (watched + "\\Driver").c_str(), false));
  vgtest::SetDword(HKEY_CURRENT_USER, watched + "\\Driver\\Two", "Value", 2);
  EXPECT_TRUE(values.StillTrue()) << "without the subtree, values of keys below do not count";
  vgtest::SetDword(HKEY_CURRENT_USER, watched + "\\Driver", "Own", 1);
  EXPECT_FALSE(values.StillTrue()) << "its own values do";
}

TEST_F(ChangeWatchTest, AWatchedKeyThatIsRemoved) {
  vgtest::SetDword(HKEY_CURRENT_USER, base_ + "\\Inner", "Value", 1);
  ChangeWatch watch;
  ASSERT_TRUE(watch.WatchKey(HKEY_CURRENT_USER, (base_ + "\\Inner").c_str(), true));
  EXPECT_TRUE(watch.StillTrue());
  // The system does not tell a key's own watch that the key went; its parent's watch does.
  vgtest::DeleteKeyTree(HKEY_CURRENT_USER, base_ + "\\Inner");
  EXPECT_FALSE(watch.StillTrue());
}

TEST_F(ChangeWatchTest, AMissingKeyIsWatchedThroughItsParent) {
  vgtest::SetDword(HKEY_CURRENT_USER, base_, "Value", 1);
  ChangeWatch watch;
  ASSERT_TRUE(watch.WatchKey(HKEY_CURRENT_USER, (base_ + "\\Not\\Yet").c_str(), false));
  EXPECT_TRUE(watch.StillTrue());
  vgtest::SetDword(HKEY_CURRENT_USER, base_ + "\\Not\\Yet", "Value", 1);
  EXPECT_FALSE(watch.StillTrue()) << "the key was made";
}

TEST_F(ChangeWatchTest, TheRootForHivesComingAndGoing) {
  vgtest::SetDword(HKEY_CURRENT_USER, base_, "Value", 1);
  ChangeWatch values;
  ASSERT_TRUE(values.WatchKey(HKEY_USERS, "", false));
  vgtest::SetDword(HKEY_CURRENT_USER, base_, "Value", 2);
  EXPECT_TRUE(values.StillTrue()) << "a user's values are no hive coming or going";

  const std::string hive = vgtest::UniqueName("VgHive");
  ChangeWatch watch;
  ASSERT_TRUE(watch.WatchKey(HKEY_USERS, "", false));
  vgtest::SetDword(HKEY_USERS, hive, "Value", 1);
  EXPECT_FALSE(watch.StillTrue()) << "a new key right under the root";
  ChangeWatch gone;
  ASSERT_TRUE(gone.WatchKey(HKEY_USERS, "", false));
  vgtest::DeleteKeyTree(HKEY_USERS, hive);
  EXPECT_FALSE(gone.StillTrue()) << "a key right under the root removed";
}

TEST_F(ChangeWatchTest, FilesComingGoingAndRewritten) {
  const std::string file = dir_ + "\\model.ini";
  ChangeWatch watch;
  watch.WatchFile(file);
  EXPECT_TRUE(watch.StillTrue());
  vgtest::WriteFile(file, "[A]\r\n");
  EXPECT_FALSE(watch.StillTrue()) << "a file that appeared";

  ChangeWatch present;
  present.WatchFile(file);
  EXPECT_TRUE(present.StillTrue());
  vgtest::WriteFile(file, "[A]\r\nx=1\r\n");
  EXPECT_FALSE(present.StillTrue()) << "a file rewritten";

  ChangeWatch gone;
  gone.WatchFile(file);
  ASSERT_TRUE(::DeleteFileA(file.c_str()));
  EXPECT_FALSE(gone.StillTrue()) << "a file removed";
}

TEST_F(ChangeWatchTest, InOneMomentAFileIsLookedAtOnce) {
  const std::string file = dir_ + "\\model.ini";
  vgtest::WriteFile(file, "[A]\r\n");
  ChangeWatch watch;
  {
    ChangeWatch::Moment moment;
    watch.WatchFile(file);
    vgtest::WriteFile(file, "[A]\r\nx=1\r\n");
    EXPECT_TRUE(watch.StillTrue()) << "the file as this moment first saw it";
    {
      ChangeWatch::Moment inner;
      EXPECT_TRUE(watch.StillTrue()) << "a moment inside is part of the outer one";
    }
    EXPECT_TRUE(watch.StillTrue());
  }
  EXPECT_FALSE(watch.StillTrue()) << "the next moment sees the change";
}

TEST_F(ChangeWatchTest, AProcessThatEnds) {
  vgtest::ChildProcess child;
  ASSERT_TRUE(child.Start("vglogonprobe.exe", "sleep 60000"));
  ChangeWatch watch;
  ASSERT_TRUE(watch.WatchProcess(child.Id()));
  EXPECT_TRUE(watch.StillTrue());
  child.Kill();
  EXPECT_FALSE(watch.StillTrue());

  ChangeWatch none;
  EXPECT_FALSE(none.WatchProcess(0xFFFFFFF0)) << "no such process";
  EXPECT_FALSE(none.StillTrue());
}

}  // namespace
