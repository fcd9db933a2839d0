// The Driver key check of the viewer entries: a driver with its key passes quietly; without
// one the user is told to reinstall, in the resource library's words when one is named.
#include <gtest/gtest.h>

#include <string>

#include "support/win_test_support.h"

namespace {

const char kDriverRoot[] = "software\\KORVA\\VGL3\\Driver\\";
const char kReinstall[] =
    "Unable to establish bi directional communication.\nPlease re install your printer driver.";

TEST(DriverKeyCheckTest, ADriverWithItsKeyPassesWithoutAMessage) {
  const std::string driver = vgtest::UniqueName("VG Checked");
  vgtest::SetString(HKEY_LOCAL_MACHINE, kDriverRoot + driver, "ModelID", "VP-100");
  vgtest::ProcessResult run = vgtest::RunProgram("vgdriverkeyprobe.exe", "\"" + driver + "\"");
  vgtest::DeleteKeyTree(HKEY_LOCAL_MACHINE, kDriverRoot + driver);
  ASSERT_TRUE(run.finished) << "a message box would have held it";
  EXPECT_EQ(run.exitCode, 1u);
}

TEST(DriverKeyCheckTest, AMissingKeyIsReportedInTheResourceLibrarysWords) {
  const std::string driver = vgtest::UniqueName("VG Missing");
  const std::string resDll = vgtest::BinDir() + "\\vgres.dll";
  vgtest::ChildProcess probe;
  ASSERT_TRUE(probe.Start("vgdriverkeyprobe.exe", "\"" + driver + "\" \"" + resDll + "\""));
  const vgtest::MessageBoxSeen box = vgtest::WaitForMessageBox(probe.Id(), 15000);
  ASSERT_TRUE(box.found);
  EXPECT_EQ(box.title, "KORVA Vigil 3") << "string 1100";
  EXPECT_EQ(box.text, kReinstall) << "string 1235";
  EXPECT_EQ(probe.Wait(10000), 0u);
}

TEST(DriverKeyCheckTest, WithoutAResourceLibraryTheBuiltInTextsAreShown) {
  const std::string driver = vgtest::UniqueName("VG Missing");
  for (const std::string& resDll :
       {std::string(), vgtest::BinDir() + "\\" + vgtest::UniqueName("absent") + ".dll"}) {
    vgtest::ChildProcess probe;
    const std::string args = "\"" + driver + "\"" + (resDll.empty() ? "" : " \"" + resDll + "\"");
    ASSERT_TRUE(probe.Start("vgdriverkeyprobe.exe", args));
    const vgtest::MessageBoxSeen box = vgtest::WaitForMessageBox(probe.Id(), 15000);
    ASSERT_TRUE(box.found) << args;
    EXPECT_EQ(box.title, "KORVA Vigil3") << args;
    EXPECT_EQ(box.text, kReinstall) << args;
    EXPECT_EQ(probe.Wait(10000), 0u) << args;
  }
}

}  // namespace
