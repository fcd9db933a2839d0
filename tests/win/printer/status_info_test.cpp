// The decoder on Windows: STATUS lines from a real profile INI, decoded statuses with their
// texts and category rows, the trace lines, and the help links from the data file.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "common/debug_log_win.h"
#include "printer/status_info_win.h"
#include "support/win_test_support.h"

namespace {

constexpr DWORD kBdcChannel = 0x10000005;
constexpr DWORD kSecondChannel = 0x02000001;
const std::string kStart = "@BDC ST\r\n";

// A model profile in a temporary folder: a language section with STATUS lines, and the
// resource library file that makes the section eligible.
class ProfileFolder {
 public:
  explicit ProfileFolder(const std::string& englishBody, const std::string& extra = "") {
    dir_ = vgtest::MakeTempDir("statusini");
    ini_ = dir_ + "\\model.ini";
    vgtest::WriteFile(dir_ + "\\res.dll", "placeholder: only its existence is looked at");
    vgtest::WriteFile(ini_,
                      "[Language]\r\nGerman=0x07,0x01\r\nEnglish=0x09,0x01\r\n"
                      "[Install]\r\nDRVNAME=Test printer\r\n"
                      "[German]\r\nResDll=missing_de.dll\r\nSTATUS01=9,9,9,de,de,1,1\r\n"
                      "STATUS02=9,9,9,de,de,1,1\r\n"
                      "[English]\r\nResDll=res.dll\r\n" +
                          englishBody + "[After]\r\nSTATUS01=8,8,8,after,after,1,1\r\n" + extra);
  }
  ~ProfileFolder() { vgtest::RemoveTree(dir_); }
  const std::string& Dir() const { return dir_; }
  const char* Ini() const { return ini_.c_str(); }

 private:
  std::string dir_;
  std::string ini_;
};

const char* kTwoRows =
    "STATUS01=0,5,-2,\"Paper out, tray 1\",\"Load paper\",1,1\r\n"
    "status02 = 0,-2,16,\"Ink low\",\"Replace soon\",2,0\r\n"
    "STATUS03=end\r\n";

std::unique_ptr<CPrinterStatus> Decode(CStatusInfo& info, DWORD channel, const std::string& reply,
                                       int forced = 0) {
  return std::unique_ptr<CPrinterStatus>(
      info.CreateStatusObject(channel, reply.data(), static_cast<int>(reply.size()), forced, 0));
}

std::unique_ptr<CPrinterStatus> Forced(CStatusInfo& info, DWORD channel, int forced) {
  return std::unique_ptr<CPrinterStatus>(info.CreateStatusObject(channel, nullptr, 0, forced, 0));
}

std::string Text1(const CPrinterStatus& status) {
  char text[kStatusTextSize];
  status.GetText1(text, sizeof(text));
  return text;
}

std::string Text2(const CPrinterStatus& status) {
  char text[kStatusTextSize];
  status.GetText2(text, sizeof(text));
  return text;
}

TEST(StatusInfoProfile, RowsFromTheLanguageSectionComeFirst) {
  ProfileFolder profile(kTwoRows);
  CStatusInfo info(profile.Ini());
  EXPECT_EQ(info.GetLoadResult(), 1);
  ASSERT_EQ(info.GetStatusCtrl().GetRowCount(), 2) << "the last STATUS line closes the list";

  auto status = Decode(info, kBdcChannel, kStart + "ST:00;ER:05;\f");
  ASSERT_TRUE(status);
  EXPECT_EQ(status->GetStatusNo(), 37) << "number of the identical built-in row";
  EXPECT_EQ(status->GetSimpleStatusNo(), 12);
  EXPECT_EQ(status->GetNotifyNo(), 12);
  EXPECT_EQ(status->GetSoundResNo(), 0);
  EXPECT_EQ(status->GetCategory(), 4);
  EXPECT_EQ(Text1(*status), "Paper out, tray 1") << "the profile's text, not the built-in one";
  EXPECT_EQ(Text2(*status), "Load paper");
  const int32_t row4[6] = {4, 512, 1, 758, 0, 1};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(status->GetCategoryRow().values[i], row4[i]);
  EXPECT_EQ(status->GetPrintingState(), 1);
  EXPECT_TRUE(status->HasReply());
  EXPECT_EQ(status->GetHelpType(), kHelpNone);

  status = Decode(info, kBdcChannel, kStart + "ST:00;ER:00;WR:10;TC:0102;\f");
  ASSERT_TRUE(status);
  EXPECT_EQ(status->GetStatusNo(), 100);
  EXPECT_EQ(status->GetCategory(), 12);
  EXPECT_EQ(Text1(*status), "Ink low");
  EXPECT_EQ(status->GetCounter(), 0x0102);
}

TEST(StatusInfoProfile, TablesAreSharedUntilTheProfileChanges) {
  ProfileFolder profile(kTwoRows);
  CStatusInfo first(profile.Ini());
  CStatusInfo second(profile.Ini());
  EXPECT_EQ(&first.GetStatusCtrl(), &second.GetStatusCtrl()) << "built once for both";
  EXPECT_EQ(second.GetLoadResult(), 1);

  // Rewritten: a decoder made now reads the new lines; one made before keeps its tables.
  ProfileFolder other("STATUS01=0,5,-2,\"Cover open\",\"Close it\",1,1\r\nSTATUS02=end\r\n");
  vgtest::WriteFile(profile.Ini(), vgtest::ReadFile(other.Ini()));
  CStatusInfo third(profile.Ini());
  EXPECT_NE(&third.GetStatusCtrl(), &first.GetStatusCtrl());
  EXPECT_EQ(third.GetStatusCtrl().GetRowCount(), 1);
  auto status = Decode(third, kBdcChannel, kStart + "ST:00;ER:05;\f");
  ASSERT_TRUE(status);
  EXPECT_EQ(Text1(*status), "Cover open");
  status = Decode(first, kBdcChannel, kStart + "ST:00;ER:05;\f");
  ASSERT_TRUE(status);
  EXPECT_EQ(Text1(*status), "Paper out, tray 1");

  // The language section's resource library went: no section, built-in rows only.
  ASSERT_TRUE(::DeleteFileA((profile.Dir() + "\\res.dll").c_str()));
  CStatusInfo fourth(profile.Ini());
  EXPECT_EQ(fourth.GetStatusCtrl().GetRowCount(), 0);
  EXPECT_EQ(fourth.GetLoadResult(), kBuildNoRecords);
}

TEST(StatusInfoProfile, WithoutUsableLinesOnlyBuiltInRows) {
  ProfileFolder noLines("Other=1\r\n");
  ProfileFolder oneLine("STATUS01=0,5,-2,a,b,1,1\r\n");
  const std::string missing = noLines.Dir() + "\\absent.ini";
  struct Case {
    const char* path;
    int result;
  };
  const Case cases[] = {{nullptr, kBuildNoRecords},
                        {"", kBuildNoRecords},
                        {missing.c_str(), kBuildNoRecords},
                        {noLines.Ini(), kBuildNoRecords},
                        {oneLine.Ini(), kBuildOneLine}};
  for (const Case& c : cases) {
    CStatusInfo info(c.path);
    EXPECT_EQ(info.GetLoadResult(), c.result) << (c.path ? c.path : "null");
    EXPECT_EQ(info.GetStatusCtrl().GetRowCount(), 0);
    auto status = Decode(info, kBdcChannel, kStart + "ST:00;\f");
    ASSERT_TRUE(status);
    EXPECT_EQ(status->GetStatusNo(), 21) << "row 1 of the built-in rows";
    EXPECT_EQ(status->GetSimpleStatusNo(), 11);
    EXPECT_EQ(status->GetSoundResNo(), 16009);
    EXPECT_EQ(status->GetCategoryRow().values[1], 512);
  }
}

TEST(StatusInfoDecode, OutcomesOfTheDecodeSteps) {
  CStatusInfo info;
  EXPECT_FALSE(Decode(info, kBdcChannel, kStart + "ER:05;\f")) << "no ST field";
  EXPECT_FALSE(Decode(info, kBdcChannel, kStart + "ST:00;IQ:10,20;\f"));
  EXPECT_FALSE(info.CreateStatusObject(kBdcChannel, kStart.data(), -5, 0, 0));

  auto status = Decode(info, kBdcChannel, kStart + "ST:03;\f");
  ASSERT_TRUE(status);
  EXPECT_EQ(status->GetStatusNo(), 11);
  EXPECT_EQ(status->GetPrintingState(), 2);

  status = Forced(info, kBdcChannel, 555);
  ASSERT_TRUE(status) << "a forced number without a record falls back";
  EXPECT_EQ(status->GetStatusNo(), -1);
  EXPECT_EQ(status->GetSimpleStatusNo(), 12);
  EXPECT_EQ(status->GetPrintingState(), 0);
  EXPECT_FALSE(status->HasReply());
  EXPECT_EQ(status->GetReply().state, 0) << "zero-filled without a reply";

  status = Forced(info, kSecondChannel, 21);
  ASSERT_TRUE(status);
  EXPECT_EQ(status->GetStatusNo(), -1) << "kind 2 has no 21: its default record";
  EXPECT_EQ(status->GetSimpleStatusNo(), 11);

  status = Forced(info, kBdcChannel, 22);
  ASSERT_TRUE(status);
  EXPECT_EQ(status->GetSimpleStatusNo(), 14);

  status = Decode(info, 0x12345678, "whatever the channel says");
  ASSERT_TRUE(status);
  EXPECT_EQ(status->GetStatusNo(), -1);
  EXPECT_EQ(status->GetRecord().kind, 0);
  EXPECT_EQ(status->GetSimpleStatusNo(), 11);
}

TEST(StatusInfoDecode, TextsAreBoundedAndResourceTextsNeedTheLibrary) {
  ProfileFolder profile(kTwoRows);
  CStatusInfo info(profile.Ini());
  auto status = Decode(info, kBdcChannel, kStart + "ST:00;ER:05;\f");
  ASSERT_TRUE(status);
  char small[5];
  EXPECT_EQ(status->GetText1(small, sizeof(small)), 4);
  EXPECT_STREQ(small, "Pape");
  EXPECT_EQ(status->GetText1(nullptr, 10), 0);

  // A built-in record holds string ids; without a resource library there is no text.
  status = Decode(info, kBdcChannel, kStart + "ST:04;\f");
  ASSERT_TRUE(status);
  EXPECT_EQ(status->GetRecord().inlineText, 0);
  char text[kStatusTextSize] = "stale";
  EXPECT_EQ(status->GetText1(text, sizeof(text)), 0);
  EXPECT_STREQ(text, "");
}

TEST(StatusInfoDecode, ResourceTextsComeFromTheResourceLibrary) {
  const std::string path = vgtest::BinDir() + "\\vgres.dll";
  if (!vgtest::FileExists(path)) GTEST_SKIP() << "no resource library in " << vgtest::BinDir();
  HMODULE resources = ::LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(resources, nullptr);
  CStatusInfo info;
  info.SetResourceModule(resources);
  auto status = Decode(info, kBdcChannel, kStart + "ST:04;\f");
  ASSERT_TRUE(status);
  char expected[kStatusTextSize] = {};
  ::LoadStringA(resources, 3504, expected, sizeof(expected));
  EXPECT_EQ(Text1(*status), expected);
  ::LoadStringA(resources, 3004, expected, sizeof(expected));
  EXPECT_EQ(Text2(*status), expected);
  status.reset();
  ::FreeLibrary(resources);
}

TEST(StatusInfoTrace, DecodeWritesItsLines) {
  VgTraceEnable(true);
  const std::string logPath = VgLogPath();
  ASSERT_FALSE(logPath.empty());
  const size_t offset = vgtest::FileSize(logPath);
  {
    CStatusInfo info;
    auto status = Decode(info, kBdcChannel, kStart + "ST:00;ER:05;WR:10,11;\f");
    ASSERT_TRUE(status);
  }
  VgTraceEnable(false);
  std::vector<std::string> lines = vgtest::LogLinesOf(logPath, ::GetCurrentProcessId(), 4, offset);
  const std::vector<std::string> expected = {
      "CStatusInfo::CreateStatusObject",
      "Channel : 10000005",
      "Received status : @BDC ST",
      "Size : 31",
      "CStatusInfo::GetStatusNo",
      "Printer status : ST:0x00, ER:0x05, WR[0]:0x10 (Num:2)",
      "Table index : 6",
      "StatusNo : 37",
      "CStatusInfo::SearchStatusInfo",
      "Table index : 5",
  };
  // Each expected text appears, in this order, at the end of a line.
  size_t next = 0;
  for (std::string line : lines) {
    // The reply's own CR LF ends up inside the log text.
    while (!line.empty() && line.back() == '\r') line.pop_back();
    if (next < expected.size() && line.size() >= expected[next].size() &&
        line.compare(line.size() - expected[next].size(), std::string::npos, expected[next]) == 0) {
      ++next;
    }
  }
  EXPECT_EQ(next, expected.size())
      << "missing from the log: " << (next < expected.size() ? expected[next] : "");
}

// The data file's troubleshooting entries with an installation folder under a Driver key.
class StatusInfoHelp : public ::testing::Test {
 protected:
  void SetUp() override {
    driver_ = vgtest::UniqueName("drv");
    driverKey_ = "software\\KORVA\\VGL3\\Driver\\" + driver_;
  }
  void TearDown() override { vgtest::DeleteKeyTree(HKEY_LOCAL_MACHINE, driverKey_); }

  std::string driver_;
  std::string driverKey_;
};

bool HtmlClassExists() {
  HKEY key = nullptr;
  const bool exists = ::RegOpenKeyExA(HKEY_CLASSES_ROOT, ".HTM", 0, KEY_READ, &key) == 0;
  if (key) ::RegCloseKey(key);
  return exists;
}

// The class key of HTML files for one test. Its name is fixed by the system, so it cannot be
// unique: it is created only when missing and then removed again.
class HtmlClassForTest {
 public:
  HtmlClassForTest() {
    if (HtmlClassExists()) return;
    HKEY key = nullptr;
    created_ = ::RegCreateKeyExA(HKEY_CLASSES_ROOT, ".HTM", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                 &key, nullptr) == 0;
    if (key) ::RegCloseKey(key);
  }
  ~HtmlClassForTest() {
    if (created_) ::RegDeleteKeyA(HKEY_CLASSES_ROOT, ".HTM");
  }
  HtmlClassForTest(const HtmlClassForTest&) = delete;
  HtmlClassForTest& operator=(const HtmlClassForTest&) = delete;

 private:
  bool created_ = false;
};

TEST_F(StatusInfoHelp, DataFileNameAndHtmlFlag) {
  CStatusInfo info;
  EXPECT_EQ(info.SetDatFile("C:\\model.ini"), 1);
  EXPECT_STREQ(info.GetDatFile(), "C:\\model.ini");
  EXPECT_EQ(info.IsHtmlHelp(), HtmlClassExists());
  {
    HtmlClassForTest htmlClass;
    ASSERT_TRUE(HtmlClassExists());
    info.SetDatFile("C:\\model.ini");
    EXPECT_TRUE(info.IsHtmlHelp()) << "tested again when the name is set";
  }
  EXPECT_EQ(info.SetDatFile(nullptr), 1);
  EXPECT_STREQ(info.GetDatFile(), "");
  EXPECT_FALSE(info.IsHtmlHelp());
  const std::string tooLong = "C:\\" + std::string(300, 'a') + ".ini";
  EXPECT_EQ(info.SetDatFile(tooLong.c_str()), 1);
  EXPECT_STREQ(info.GetDatFile(), "") << "a cut name would name another file";
}

TEST_F(StatusInfoHelp, TroubleshootingFileOfTheInstallation) {
  ProfileFolder profile(kTwoRows + std::string("TSS000=Paper\r\nTSF000=trouble000.htm\r\n"));
  vgtest::WriteFile(profile.Dir() + "\\trouble000.htm", "<html></html>");
  vgtest::SetString(HKEY_LOCAL_MACHINE, driverKey_, "InstallPath", profile.Dir() + "\\");

  CStatusInfo info(profile.Ini());
  info.SetDriverName(driver_.c_str());
  auto status = Decode(info, kBdcChannel, kStart + "ST:00;ER:05;\f");
  ASSERT_TRUE(status);
  EXPECT_EQ(status->GetHelpType(), kHelpNone) << "no data file, no help";

  HtmlClassForTest htmlClass;
  info.SetDatFile(profile.Ini());
  ASSERT_TRUE(info.IsHtmlHelp());
  status = Decode(info, kBdcChannel, kStart + "ST:00;ER:05;\f");
  ASSERT_TRUE(status);
  EXPECT_EQ(status->GetHelpType(), kHelpFile);
  EXPECT_EQ(std::string(status->GetHelpPath()), profile.Dir() + "\\trouble000.htm");

  // Built-in records carry help number 0 too.
  status = Forced(info, kBdcChannel, 22);
  ASSERT_TRUE(status);
  EXPECT_EQ(status->GetHelpType(), kHelpFile);
}

TEST_F(StatusInfoHelp, NoLinkWithoutEntryFileOrResource) {
  ProfileFolder withEntry(kTwoRows + std::string("TSS000=Paper\r\nTSF000=absent.htm\r\n"));
  ProfileFolder withoutEntry(kTwoRows + std::string("TSF000=trouble000.htm\r\n"));
  vgtest::WriteFile(withoutEntry.Dir() + "\\trouble000.htm", "<html></html>");
  vgtest::SetString(HKEY_LOCAL_MACHINE, driverKey_, "InstallPath", withEntry.Dir());

  // The troubleshooting file is missing, and this module has no trouble resource 11010.
  HtmlClassForTest htmlClass;
  CStatusInfo info(withEntry.Ini());
  info.SetDriverName(driver_.c_str());
  info.SetDatFile(withEntry.Ini());
  info.SetResourceModule(::GetModuleHandleA("kernel32.dll"));
  auto status = Decode(info, kBdcChannel, kStart + "ST:00;ER:05;\f");
  ASSERT_TRUE(status);
  EXPECT_EQ(status->GetHelpType(), kHelpNone);
  EXPECT_STREQ(status->GetHelpPath(), "");

  // Without "TSS000" the file is not looked for.
  CStatusInfo other(withoutEntry.Ini());
  other.SetDriverName(driver_.c_str());
  other.SetDatFile(withoutEntry.Ini());
  status = Decode(other, kBdcChannel, kStart + "ST:00;ER:05;\f");
  ASSERT_TRUE(status);
  EXPECT_EQ(status->GetHelpType(), kHelpNone);
}

TEST_F(StatusInfoHelp, TroubleResourceOfTheResourceLibrary) {
  const std::string path = vgtest::BinDir() + "\\vgres.dll";
  if (!vgtest::FileExists(path)) GTEST_SKIP() << "no resource library in " << vgtest::BinDir();
  HMODULE resources = ::LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(resources, nullptr);
  HRSRC expected = ::FindResourceA(resources, MAKEINTRESOURCEA(11010), RT_RCDATA);
  if (expected == nullptr) {
    ::FreeLibrary(resources);
    GTEST_SKIP() << "the resource library has no trouble resource 11010";
  }
  ProfileFolder profile(kTwoRows + std::string("TSS000=Paper\r\n"));
  CStatusInfo info(profile.Ini());
  info.SetDatFile(profile.Ini());
  info.SetResourceModule(resources);
  auto status = Decode(info, kBdcChannel, kStart + "ST:00;ER:05;\f");
  ASSERT_TRUE(status);
  EXPECT_EQ(status->GetHelpType(), kHelpResource);
  EXPECT_EQ(status->GetHelpResource(), expected);
  status.reset();
  ::FreeLibrary(resources);
}

}  // namespace
