// Path rules of the installation profile and the decisions behind the logon-user lookups.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/logon_rules.h"
#include "common/profile_paths.h"

namespace {

using namespace std::string_literals;

TEST(ProfilePaths, FoldersAndTrailingBackslash) {
  using vgprofile::FolderOf;
  using vgprofile::FolderWithSeparatorOf;
  using vgprofile::StripOneTrailingBackslash;
  EXPECT_EQ(StripOneTrailingBackslash("C:\\Vgl\\"), "C:\\Vgl");
  EXPECT_EQ(StripOneTrailingBackslash("C:\\Vgl"), "C:\\Vgl");
  EXPECT_EQ(StripOneTrailingBackslash("C:\\Vgl\\\\"), "C:\\Vgl\\") << "only one is removed";
  EXPECT_EQ(StripOneTrailingBackslash(""), "");
  EXPECT_EQ(FolderOf("C:\\Vgl\\model.ini"), "C:\\Vgl");
  EXPECT_EQ(FolderOf("model.ini"), "");
  EXPECT_EQ(FolderWithSeparatorOf("C:\\Vgl\\model.ini"), "C:\\Vgl\\");
  EXPECT_EQ(FolderWithSeparatorOf("model.ini"), "");
}

TEST(ProfilePaths, JoinNeverCutsAPath) {
  char out[10];
  std::memset(out, 'x', sizeof out);
  EXPECT_TRUE(vgprofile::JoinBounded(out, sizeof out, "C:\\a\\", "b.dl"));
  EXPECT_STREQ(out, "C:\\a\\b.dl");
  EXPECT_TRUE(vgprofile::JoinBounded(out, sizeof out, "", "123456789"));
  EXPECT_STREQ(out, "123456789") << "nine characters and the terminator fit exactly";
  EXPECT_FALSE(vgprofile::JoinBounded(out, sizeof out, "C:\\a\\", "b.dll"));
  EXPECT_STREQ(out, "") << "a path that does not fit leaves nothing";
  EXPECT_FALSE(vgprofile::JoinBounded(out, sizeof out, "0123456789", ""));
  EXPECT_FALSE(vgprofile::JoinBounded(nullptr, 10, "a", "b"));
}

TEST(ProfilePaths, ProfileReadLimit) {
  EXPECT_FALSE(vgprofile::IsUsableProfileRead(0));
  EXPECT_TRUE(vgprofile::IsUsableProfileRead(1));
  EXPECT_TRUE(vgprofile::IsUsableProfileRead(257));
  EXPECT_FALSE(vgprofile::IsUsableProfileRead(258));
  EXPECT_FALSE(vgprofile::IsUsableProfileRead(259)) << "the read was cut";
}

TEST(TerminalServerRules, OneCheckPerWindowsFamilyAndVersion) {
  using vglogon::ChooseTerminalServerCheck;
  using vglogon::TerminalServerCheck;
  EXPECT_EQ(ChooseTerminalServerCheck(false, 4, 10), TerminalServerCheck::kNotNt);
  EXPECT_EQ(ChooseTerminalServerCheck(false, 5, 1), TerminalServerCheck::kNotNt);
  EXPECT_EQ(ChooseTerminalServerCheck(true, 3, 51), TerminalServerCheck::kProductSuite);
  EXPECT_EQ(ChooseTerminalServerCheck(true, 4, 0), TerminalServerCheck::kProductSuite);
  EXPECT_EQ(ChooseTerminalServerCheck(true, 5, 0), TerminalServerCheck::kSuiteMask);
  EXPECT_EQ(ChooseTerminalServerCheck(true, 5, 1), TerminalServerCheck::kAlways);
  EXPECT_EQ(ChooseTerminalServerCheck(true, 5, 2), TerminalServerCheck::kAlways);
  EXPECT_EQ(ChooseTerminalServerCheck(true, 6, 0), TerminalServerCheck::kAlways);
  EXPECT_EQ(ChooseTerminalServerCheck(true, 10, 0), TerminalServerCheck::kAlways);
}

TEST(TerminalServerRules, ProductSuiteEntriesCompareExactly) {
  using vglogon::MultiSzContains;
  const std::string suite = "Small Business\0Terminal Server\0\0"s;
  EXPECT_TRUE(MultiSzContains(suite, "Terminal Server"));
  EXPECT_TRUE(MultiSzContains("Terminal Server"s, "Terminal Server")) << "no terminator stored";
  EXPECT_FALSE(MultiSzContains("terminal server\0\0"s, "Terminal Server")) << "case counts";
  EXPECT_FALSE(MultiSzContains("Terminal Server Lite\0\0"s, "Terminal Server"));
  EXPECT_FALSE(MultiSzContains("Terminal\0\0"s, "Terminal Server"));
  EXPECT_FALSE(MultiSzContains("Enterprise\0\0Terminal Server\0\0"s, "Terminal Server"))
      << "the list ends at its first empty entry";
  EXPECT_FALSE(MultiSzContains(""s, "Terminal Server"));
}

TEST(ShellRules, ShellNameMatchesAnyLetterCaseAsPrefix) {
  using vglogon::IsShellProcess;
  EXPECT_TRUE(IsShellProcess("explorer.exe", "explorer.exe"));
  EXPECT_TRUE(IsShellProcess("EXPLORER.EXE", "Explorer.exe"));
  EXPECT_TRUE(IsShellProcess("explorer.exe.bak", "explorer.exe")) << "a prefix is enough";
  EXPECT_FALSE(IsShellProcess("explore.exe", "explorer.exe"));
  EXPECT_FALSE(IsShellProcess("services.exe", "explorer.exe"));
  EXPECT_FALSE(IsShellProcess("services.exe", "")) << "an empty shell name matches nothing";
  EXPECT_EQ(vglogon::ShellNameOrDefault(""), "explorer.exe");
  EXPECT_EQ(vglogon::ShellNameOrDefault("myshell.exe"), "myshell.exe");
}

}  // namespace
