// Parameter files in the temporary folder and the Driver-key fill-in, on the real file system
// and registry.
#include <gtest/gtest.h>

#include <string>

#include "common/vgl_param.h"
#include "support/win_test_support.h"

namespace {

std::string TempFolder() {
  char temp[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, temp);
  return temp;
}

TEST(ParamFile, CreatedFileHoldsTheLinesAndReadsBack) {
  CVglParam writer;
  writer.SetOption("J", "42");
  writer.SetOption("KVM", "kv \"x\"");
  ASSERT_EQ(writer.CreateParamFile("Printer A", "LPT1:", "VP-100"), 1);
  EXPECT_EQ(writer.TempFolder, TempFolder());
  const std::string name = writer.ParamFileName;
  EXPECT_EQ(name.substr(0, 3), "VG_");
  EXPECT_EQ(name.substr(name.size() - 4), ".tmp");
  const std::string full = TempFolder() + name;
  EXPECT_EQ(vgtest::ReadFile(full),
            "/P \"Printer A\"\r\n/O \"LPT1:\"\r\n/M \"VP-100\"\r\n/J \"42\"\r\n/KVM \"kv \"x\"\"\r\n");

  // A /F option naming the bare file name finds it in the temporary folder and deletes it.
  CVglParam reader(("/F \"" + name + "\" /P \"overridden\"").c_str());
  EXPECT_STREQ(reader.PrinterName, "Printer A") << "the file's options win";
  EXPECT_STREQ(reader.PortName, "LPT1:");
  EXPECT_STREQ(reader.JobID, "42");
  EXPECT_STREQ(reader.KVM, "kv \"x\"");
  EXPECT_FALSE(vgtest::FileExists(full));
}

TEST(ParamFile, FFilesAreConsumedOnlyFromTheTemporaryFolder) {
  // In a folder of the temporary folder, by its full path: consumed.
  const std::string dir = vgtest::MakeTempDir("ffile");
  const std::string inside = dir + "\\job.tmp";
  vgtest::WriteFile(inside, "/P \"Inside\"\r\n");
  CVglParam first(("/F \"" + inside + "\"").c_str());
  EXPECT_STREQ(first.PrinterName, "Inside");
  EXPECT_FALSE(vgtest::FileExists(inside));
  // Reached from the temporary folder through "..": read, never deleted.
  const std::string fileName = vgtest::UniqueName("outside") + ".txt";
  const std::string outside = "C:\\" + fileName;
  vgtest::WriteFile(outside, "/P \"Outside\"\r\n");
  std::string up = dir;  // from the folder up to the root of its drive
  for (char c : dir.substr(3)) {
    if (c == '\\') up += "\\..";
  }
  up += "\\..\\" + fileName;
  for (const std::string& name : {outside, up}) {
    CVglParam param(("/F \"" + name + "\"").c_str());
    EXPECT_STREQ(param.PrinterName, "Outside") << name;
    EXPECT_TRUE(vgtest::FileExists(outside)) << "a file outside the temporary folder stays";
  }
  ::DeleteFileA(outside.c_str());
  vgtest::RemoveTree(dir);
}

TEST(ParamFile, AFileIsReadAndKept) {
  const std::string dir = vgtest::MakeTempDir("afile");
  const std::string path = dir + "\\auto.tmp";
  vgtest::WriteFile(path, "/P \"Kept\"\r\n/BE\r\n/BH \"h\"\r\n/BU \"u\"\r\n/BD \"d\"\r\n");
  CVglParam param(("/A \"" + path + "\"").c_str());
  EXPECT_STREQ(param.PrinterName, "Kept");
  EXPECT_STREQ(param.ParamFileName, "");
  EXPECT_EQ(param.FlagBE, 0) << "BI is missing";
  EXPECT_TRUE(vgtest::FileExists(path));
  vgtest::RemoveTree(dir);
}

TEST(ParamFile, OverlongLinesAreCutWithoutTheirRestBecomingOptions) {
  const std::string dir = vgtest::MakeTempDir("longline");
  const std::string path = dir + "\\long.tmp";
  std::string value(1400, 'v');
  value.replace(1350, 8, "/J \"99\"");
  vgtest::WriteFile(path, "/P \"" + value + "\"\r\n/O \"USB001\"\r\n");
  CVglParam param(("/A \"" + path + "\"").c_str());
  EXPECT_EQ(std::string(param.PrinterName), std::string(259, 'v'));
  EXPECT_STREQ(param.JobID, "");
  EXPECT_STREQ(param.PortName, "USB001");
  vgtest::RemoveTree(dir);
}

TEST(ParamFile, DeleteLooksInTheTemporaryFolderToo) {
  CVglParam param;
  ASSERT_EQ(param.CreateParamFile("P", "O", "M"), 1);
  const std::string name = param.ParamFileName;
  CVglParam other;
  EXPECT_NE(other.DeleteParamFile(name.c_str()), 0);
  EXPECT_FALSE(vgtest::FileExists(TempFolder() + name));
  EXPECT_EQ(other.DeleteParamFile(name.c_str()), 0);
}

TEST(ParamFile, MissingFileLeavesTheBlockAsTheCommandLineSaid) {
  CVglParam param("/F \"VG_nonexistent.tmp\" /P \"Only\"");
  EXPECT_STREQ(param.PrinterName, "Only");
  EXPECT_EQ(param.ReadParamFile(), 0);
}

TEST(ParamFile, RunRegistrationReplacesItsEarlierFileOnly) {
  const std::string printer = vgtest::UniqueName("RunPrinter");
  const char kRun[] = "software\\Microsoft\\Windows\\CurrentVersion\\Run";
  // An earlier registration's file, and a file that merely ends in .tmp.
  CVglParam earlier;
  ASSERT_EQ(earlier.CreateParamFile(printer.c_str(), "", "M"), 1);
  const std::string earlierPath = TempFolder() + earlier.ParamFileName;
  vgtest::SetString(HKEY_CURRENT_USER, kRun, printer.c_str(),
                    "C:\\icon.exe /A \"" + earlierPath + "\"");

  CVglParam param;
  ASSERT_EQ(param.CreateRunParamFile(printer.c_str(), "", "VP-100"), 1);
  EXPECT_FALSE(vgtest::FileExists(earlierPath));
  const std::string created = std::string(param.TempFolder) + param.ParamFileName;
  EXPECT_EQ(param.ParamFileName[0], '\\');
  EXPECT_TRUE(vgtest::FileExists(created));

  const std::string dir = vgtest::MakeTempDir("notours");
  const std::string foreign = dir + "\\data.tmp";
  vgtest::WriteFile(foreign, "keep");
  vgtest::SetString(HKEY_CURRENT_USER, kRun, printer.c_str(), "x.exe /A \"" + foreign + "\"");
  CVglParam again;
  ASSERT_EQ(again.CreateRunParamFile(printer.c_str(), "", "VP-100"), 1);
  EXPECT_TRUE(vgtest::FileExists(foreign)) << "only our own VG_ files are removed";

  ::DeleteFileA(created.c_str());
  ::DeleteFileA((std::string(again.TempFolder) + again.ParamFileName).c_str());
  vgtest::RemoveTree(dir);
  HKEY run = nullptr;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, kRun, 0, KEY_ALL_ACCESS, &run) == ERROR_SUCCESS) {
    ::RegDeleteValueA(run, printer.c_str());
    ::RegCloseKey(run);
  }
}

TEST(ParamBlockFill, ModelIdComesFromTheDriverKey) {
  const std::string driver = vgtest::UniqueName("Driver");
  const std::string key = "software\\KORVA\\VGL3\\Driver\\" + driver;
  vgtest::SetString(HKEY_LOCAL_MACHINE, key, "ModelID", "VP-100");
  CVglParam param(("/D \"" + driver + "\"").c_str());
  EXPECT_STREQ(param.ModelID, "VP-100");
  CVglParam keeps(("/D \"" + driver + "\" /M \"Other\"").c_str());
  EXPECT_STREQ(keeps.ModelID, "Other");
  EXPECT_EQ(keeps.FillModelID(), 1);
  vgtest::DeleteKeyTree(HKEY_LOCAL_MACHINE, key);
  CVglParam gone(("/D \"" + driver + "\"").c_str());
  EXPECT_STREQ(gone.ModelID, "");
  EXPECT_EQ(gone.FillModelID(), 0);
}

}  // namespace
