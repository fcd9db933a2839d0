// The installation profile against real registry keys and INI files.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/install_profile_win.h"
#include "support/win_test_support.h"

namespace {

const char kDriverParent[] = "software\\KORVA\\VGL3\\Driver";
const char kDriverRoot[] = "software\\KORVA\\VGL3\\Driver\\";
const char kProfileKey[] = "software\\KORVA\\VGL3\\Profile";
constexpr LANGID kGermanAustria = 0x0C07;

class InstallProfileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    driver_ = vgtest::UniqueName("VgDriver");
    model_ = vgtest::UniqueName("VGMODEL");
    dir_ = vgtest::MakeTempDir("profile");
    profileKeyExisted_ = vgtest::KeyExists(HKEY_LOCAL_MACHINE, kProfileKey);
  }
  void TearDown() override {
    vgtest::DeleteKeyTree(HKEY_LOCAL_MACHINE, kDriverRoot + driver_);
    ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, kDriverParent);  // only when no other driver is left
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProfileKey, 0, KEY_ALL_ACCESS, &key) ==
        ERROR_SUCCESS) {
      ::RegDeleteValueA(key, model_.c_str());
      ::RegCloseKey(key);
    }
    if (!profileKeyExisted_) ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, kProfileKey);
    vgtest::RemoveTree(dir_);
  }

  void SetDriverValue(const char* name, const std::string& value) {
    vgtest::SetString(HKEY_LOCAL_MACHINE, kDriverRoot + driver_, name, value);
  }
  void SetModelProfile(const std::string& path) {
    vgtest::SetString(HKEY_LOCAL_MACHINE, kProfileKey, model_.c_str(), path);
  }
  // Each INI gets a name of its own: files are never rewritten under a reader's cache.
  std::string WriteIni(const std::string& text, const std::string& folder = "") {
    const std::string path =
        (folder.empty() ? dir_ : folder) + "\\" + vgtest::UniqueName("model") + ".ini";
    vgtest::WriteFile(path, text);
    return path;
  }
  std::string Touch(const std::string& name) {
    const std::string path = dir_ + "\\" + name;
    vgtest::WriteFile(path, "x");
    return path;
  }
  std::string SubDir(const std::string& name) {
    const std::string path = dir_ + "\\" + name;
    ::CreateDirectoryA(path.c_str(), nullptr);
    return path;
  }

  std::string driver_;
  std::string model_;
  std::string dir_;
  bool profileKeyExisted_ = false;
  char out_[kInstallPathSize] = {};
};

TEST_F(InstallProfileTest, FileExistsForFilesAndFoldersWithoutTrailingBackslash) {
  const std::string file = Touch("present.dll");
  EXPECT_EQ(FileExists(file.c_str()), 1);
  EXPECT_EQ(FileExists(dir_.c_str()), 1);
  EXPECT_EQ(FileExists((dir_ + "\\").c_str()), 0);
  EXPECT_EQ(FileExists((dir_ + "\\absent.dll").c_str()), 0);
  EXPECT_EQ(FileExists((dir_ + "\\*.dll").c_str()), 0) << "a pattern is not a file";
  EXPECT_EQ(FileExists((dir_ + "\\present.dl?").c_str()), 0);
  EXPECT_EQ(FileExists(""), 0);
  EXPECT_EQ(FileExists(nullptr), 0);
}

TEST_F(InstallProfileTest, DriverValueNeedsEveryArgumentAndAFittingValue) {
  SetDriverValue("VG_RUN", "C:\\prog.exe");
  EXPECT_EQ(GetDriverValue(out_, "VG_RUN", driver_.c_str(), model_.c_str()), 1);
  EXPECT_STREQ(out_, "C:\\prog.exe");
  EXPECT_EQ(GetDriverValue(out_, "VG_RUN", driver_.c_str(), "any"), 1)
      << "the model identifier need only be non-empty";

  std::snprintf(out_, sizeof out_, "stale");
  EXPECT_EQ(GetDriverValue(out_, "VG_RUN", driver_.c_str(), ""), 0);
  EXPECT_STREQ(out_, "");
  EXPECT_EQ(GetDriverValue(out_, "VG_RUN", "", model_.c_str()), 0);
  EXPECT_EQ(GetDriverValue(out_, "VG_RUN", nullptr, model_.c_str()), 0);
  EXPECT_EQ(GetDriverValue(nullptr, "VG_RUN", driver_.c_str(), model_.c_str()), 0);
  EXPECT_EQ(GetDriverValue(out_, "Missing", driver_.c_str(), model_.c_str()), 0);
  EXPECT_EQ(GetDriverValue(out_, "VG_RUN", (driver_ + "x").c_str(), model_.c_str()), 0);

  SetDriverValue("Long", std::string(259, 'a'));
  EXPECT_EQ(GetDriverValue(out_, "Long", driver_.c_str(), model_.c_str()), 1);
  EXPECT_EQ(std::string(out_).size(), 259u);
  SetDriverValue("Long", std::string(260, 'a'));
  EXPECT_EQ(GetDriverValue(out_, "Long", driver_.c_str(), model_.c_str()), 0)
      << "a value longer than a path buffer is not cut";
  EXPECT_STREQ(out_, "");
}

TEST_F(InstallProfileTest, ProfileNamingAMissingFileCountsAsAbsent) {
  const std::string real = WriteIni("[Install]\r\n");
  SetDriverValue("Profile", real);
  SetModelProfile("C:\\from\\profile\\key.ini");
  EXPECT_EQ(GetProfilePath(out_, driver_.c_str(), model_.c_str()), 1);
  EXPECT_EQ(std::string(out_), real);

  SetDriverValue("Profile", dir_ + "\\gone.ini");
  EXPECT_EQ(GetProfilePath(out_, driver_.c_str(), model_.c_str()), 1);
  EXPECT_STREQ(out_, "C:\\from\\profile\\key.ini");

  SetDriverValue("Profile", "");
  EXPECT_EQ(GetProfilePath(out_, driver_.c_str(), model_.c_str()), 1);
  EXPECT_STREQ(out_, "C:\\from\\profile\\key.ini");
}

TEST_F(InstallProfileTest, KeptProfilePathFollowsTheKeysAndTheFile) {
  const std::string first = WriteIni("[Install]\r\n");
  const std::string second = WriteIni("[Install]\r\n");
  SetDriverValue("Profile", first);
  SetModelProfile("C:\\from\\profile\\key.ini");
  auto path = [&] {
    EXPECT_EQ(GetProfilePath(out_, driver_.c_str(), model_.c_str()), 1);
    return std::string(out_);
  };
  EXPECT_EQ(path(), first);
  EXPECT_EQ(path(), first);

  ASSERT_TRUE(::DeleteFileA(first.c_str()));
  EXPECT_EQ(path(), "C:\\from\\profile\\key.ini") << "the Driver key's file went";
  vgtest::WriteFile(first, "[Install]\r\n");
  EXPECT_EQ(path(), first) << "and came back";

  SetDriverValue("Profile", second);
  EXPECT_EQ(path(), second) << "the Driver key changed";

  SetDriverValue("Profile", "");
  SetModelProfile("C:\\other\\key.ini");
  EXPECT_EQ(path(), "C:\\other\\key.ini") << "the Profile key changed";

  vgtest::DeleteKeyTree(HKEY_LOCAL_MACHINE, kDriverRoot + driver_);
  SetModelProfile(second);
  EXPECT_EQ(path(), second) << "the Driver key went";
}

TEST_F(InstallProfileTest, KeptProfileNumbersFollowTheFile) {
  const std::string ini = dir_ + "\\numbers.ini";
  vgtest::WriteFile(ini, "[Model]\r\nTIMEOUT=30\r\n");
  EXPECT_EQ(GetProfileIntOf("Model", "TIMEOUT", 7, ini.c_str()), 30);
  EXPECT_EQ(GetProfileIntOf("Model", "TIMEOUT", 7, ini.c_str()), 30);
  EXPECT_EQ(GetProfileIntOf("Model", "Missing", 7, ini.c_str()), 7);
  EXPECT_EQ(GetProfileIntOf("Model", "Missing", 8, ini.c_str()), 8) << "each default its own";
  EXPECT_EQ(GetProfileIntOf("Other", "TIMEOUT", 7, ini.c_str()), 7);

  vgtest::WriteFile(ini, "[Model]\r\nTIMEOUT=45\r\nMissing=1\r\n");
  EXPECT_EQ(GetProfileIntOf("Model", "TIMEOUT", 7, ini.c_str()), 45) << "the file was rewritten";
  EXPECT_EQ(GetProfileIntOf("Model", "Missing", 7, ini.c_str()), 1);
  ASSERT_TRUE(::DeleteFileA(ini.c_str()));
  EXPECT_EQ(GetProfileIntOf("Model", "TIMEOUT", 7, ini.c_str()), 7) << "the file went";
  EXPECT_EQ(GetProfileIntOf("Model", "TIMEOUT", 7, ""), 7);
}

TEST_F(InstallProfileTest, ProfileKeyWithoutTheModelStillSucceedsEmpty) {
  SetModelProfile("C:\\x.ini");  // makes sure the Profile key exists
  const std::string otherModel = model_ + "_other";
  std::snprintf(out_, sizeof out_, "stale");
  EXPECT_EQ(GetProfilePath(out_, driver_.c_str(), otherModel.c_str()), 1);
  EXPECT_STREQ(out_, "");

  std::snprintf(out_, sizeof out_, "stale");
  EXPECT_EQ(GetProfilePath(out_, "", model_.c_str()), 0);
  EXPECT_STREQ(out_, "");
  EXPECT_EQ(GetProfilePath(out_, driver_.c_str(), ""), 0);
  EXPECT_EQ(GetProfilePath(nullptr, driver_.c_str(), model_.c_str()), 0);
}

TEST_F(InstallProfileTest, InstallPathWithOrWithoutBackslashGivesOneFolder) {
  const std::string folder = SubDir("install");
  SetDriverValue("InstallPath", folder);
  EXPECT_EQ(GetInstallDir(out_, driver_.c_str(), model_.c_str()), 1);
  EXPECT_EQ(std::string(out_), folder + "\\");

  SetDriverValue("InstallPath", folder + "\\");
  std::snprintf(out_, sizeof out_, "stale");
  EXPECT_EQ(GetInstallDir(out_, driver_.c_str(), model_.c_str()), 1);
  EXPECT_EQ(std::string(out_), folder + "\\");

  SetDriverValue("InstallPath", folder + "\\\\");
  EXPECT_EQ(GetInstallDir(out_, driver_.c_str(), model_.c_str()), 0)
      << "only one backslash is removed";
}

TEST_F(InstallProfileTest, MissingInstallFolderFailsWithoutFallingBack) {
  SetDriverValue("Profile", WriteIni("[Install]\r\n"));
  SetDriverValue("InstallPath", dir_ + "\\not-there");
  std::snprintf(out_, sizeof out_, "stale");
  EXPECT_EQ(GetInstallDir(out_, driver_.c_str(), model_.c_str()), 0);
  EXPECT_STREQ(out_, "");
}

TEST_F(InstallProfileTest, InstallFolderFallsBackToTheProfileFolder) {
  const std::string folder = SubDir("profiles");
  SetDriverValue("Profile", WriteIni("[Install]\r\n", folder));
  EXPECT_EQ(GetInstallDir(out_, driver_.c_str(), model_.c_str()), 1);
  EXPECT_EQ(std::string(out_), folder + "\\");

  // From the Profile key when the Driver key has nothing: the folder must exist.
  vgtest::DeleteKeyTree(HKEY_LOCAL_MACHINE, kDriverRoot + driver_);
  SetModelProfile(folder + "\\named-only.ini");
  EXPECT_EQ(GetInstallDir(out_, driver_.c_str(), model_.c_str()), 1);
  EXPECT_EQ(std::string(out_), folder + "\\");
  SetModelProfile(dir_ + "\\nowhere\\named-only.ini");
  EXPECT_EQ(GetInstallDir(out_, driver_.c_str(), model_.c_str()), 0);
  EXPECT_EQ(GetInstallDir(out_, driver_.c_str(), ""), 0);
}

TEST_F(InstallProfileTest, SiblingProgramsFromTheDriverKeyOrTheInstallFolder) {
  const std::string folder = SubDir("install");
  SetDriverValue("InstallPath", folder);
  EXPECT_EQ(GetPopupProgramPath(out_, driver_.c_str(), model_.c_str()), 0)
      << "the default file does not exist yet";
  EXPECT_STREQ(out_, "");

  vgtest::WriteFile(folder + "\\VGPOP1.EXE", "x");
  vgtest::WriteFile(folder + "\\VGICON2.EXE", "x");
  EXPECT_EQ(GetPopupProgramPath(out_, driver_.c_str(), model_.c_str()), 1);
  EXPECT_EQ(std::string(out_), folder + "\\VGPOP1.EXE");
  EXPECT_EQ(GetIconProgramPath(out_, driver_.c_str(), model_.c_str()), 1);
  EXPECT_EQ(std::string(out_), folder + "\\VGICON2.EXE");

  const std::string named = Touch("popup-elsewhere.exe");
  SetDriverValue("VG_RUN", named);
  SetDriverValue("VG_ICN", dir_ + "\\icon-missing.exe");
  EXPECT_EQ(GetPopupProgramPath(out_, driver_.c_str(), model_.c_str()), 1);
  EXPECT_EQ(std::string(out_), named);
  EXPECT_EQ(GetIconProgramPath(out_, driver_.c_str(), model_.c_str()), 1);
  EXPECT_EQ(std::string(out_), folder + "\\VGICON2.EXE") << "a missing file is no answer";
}

TEST_F(InstallProfileTest, PrinterLibraryFromTheModelSection) {
  const std::string folder = SubDir("install");
  const std::string ini = WriteIni("[" + model_ + "]\r\nPrnDll=vgprn.dll\r\n");
  SetDriverValue("Profile", ini);
  SetDriverValue("InstallPath", folder);
  EXPECT_EQ(GetPrnDllPath(out_, driver_.c_str(), model_.c_str()), 1);
  EXPECT_EQ(std::string(out_), folder + "\\vgprn.dll") << "the file need not exist";

  // Without an installation folder the file is taken from the current folder.
  SetDriverValue("InstallPath", dir_ + "\\not-there");
  EXPECT_EQ(GetPrnDllPath(out_, driver_.c_str(), model_.c_str()), 1);
  EXPECT_STREQ(out_, ".\\vgprn.dll");
}

TEST_F(InstallProfileTest, MissingPrinterLibraryFailsEvenWithAnInstallFolder) {
  SetDriverValue("Profile", WriteIni("[" + model_ + "]\r\nOther=1\r\n[Other]\r\nPrnDll=x.dll\r\n"));
  SetDriverValue("InstallPath", SubDir("install"));
  std::snprintf(out_, sizeof out_, "stale");
  EXPECT_EQ(GetPrnDllPath(out_, driver_.c_str(), model_.c_str()), 0);
  EXPECT_STREQ(out_, "");

  vgtest::DeleteKeyTree(HKEY_LOCAL_MACHINE, kDriverRoot + driver_);
  EXPECT_EQ(GetPrnDllPath(out_, driver_.c_str(), model_.c_str()), 0) << "no profile at all";
}

TEST_F(InstallProfileTest, ProfileReadsStopShortOf258Characters) {
  // Only without an installation folder does so long a name still fit a path.
  SetDriverValue("InstallPath", dir_ + "\\not-there");
  const std::string fits(257, 'p');
  const std::string tooLong(258, 'p');
  const std::string cut(300, 'p');
  SetDriverValue("Profile", WriteIni("[" + model_ + "]\r\nPrnDll=" + fits + "\r\n"));
  EXPECT_EQ(GetPrnDllPath(out_, driver_.c_str(), model_.c_str()), 1);
  EXPECT_EQ(std::string(out_), ".\\" + fits);

  SetDriverValue("Profile", WriteIni("[" + model_ + "]\r\nPrnDll=" + tooLong + "\r\n"));
  EXPECT_EQ(GetPrnDllPath(out_, driver_.c_str(), model_.c_str()), 0);
  SetDriverValue("Profile", WriteIni("[" + model_ + "]\r\nPrnDll=" + cut + "\r\n"));
  EXPECT_EQ(GetPrnDllPath(out_, driver_.c_str(), model_.c_str()), 0) << "a cut name is no name";

  SetModelProfile(WriteIni("[Install]\r\nDRVNAME=" + std::string(257, 'n') + "\r\n"));
  EXPECT_EQ(GetDriverName(model_.c_str(), out_), 1);
  EXPECT_EQ(std::string(out_), std::string(257, 'n'));
  SetModelProfile(WriteIni("[Install]\r\nDRVNAME=" + std::string(258, 'n') + "\r\n"));
  EXPECT_EQ(GetDriverName(model_.c_str(), out_), 1);
  EXPECT_EQ(std::string(out_), "KORVA " + model_);
}

TEST_F(InstallProfileTest, DriverNameFromInstallSectionOrModel) {
  SetModelProfile(WriteIni("[install]\r\ndrvname=KORVA Vigil Printer 3000\r\n"));
  EXPECT_EQ(GetDriverName(model_.c_str(), out_), 1);
  EXPECT_STREQ(out_, "KORVA Vigil Printer 3000") << "section and key in any letter case";

  SetModelProfile(WriteIni("[Install]\r\nOther=1\r\n"));
  EXPECT_EQ(GetDriverName(model_.c_str(), out_), 1);
  EXPECT_EQ(std::string(out_), "KORVA " + model_);

  SetModelProfile(dir_ + "\\missing.ini");
  EXPECT_EQ(GetDriverName(model_.c_str(), out_), 1) << "a missing file has no DRVNAME";
  EXPECT_EQ(std::string(out_), "KORVA " + model_);

  SetModelProfile("");
  std::snprintf(out_, sizeof out_, "stale");
  EXPECT_EQ(GetDriverName(model_.c_str(), out_), 0);
  EXPECT_STREQ(out_, "");
  EXPECT_EQ(GetDriverName((model_ + "_none").c_str(), out_), 0);
  EXPECT_EQ(GetDriverName("", out_), 0);
  EXPECT_EQ(GetDriverName(model_.c_str(), nullptr), 0);
}

class LanguageSectionTest : public InstallProfileTest {
 protected:
  // A profile with four language sections, each naming its own resource library.
  std::string FourLanguages() {
    return WriteIni(
        "[Language]\r\nFrench=0x0C,0x01\r\nGerman=0x07,0x01\r\nGermanAT=0x07,0x03\r\n"
        "American=0x09,0x01\r\n"
        "[French]\r\nResDll=fr.dll\r\n[German]\r\nResDll=de.dll\r\n"
        "[GermanAT]\r\nResDll=at.dll\r\nCaption=Servus\r\nRetries=7\r\n"
        "[American]\r\nResDll=us.dll\r\n");
  }
  std::string Section(LANGID langId, const std::string& ini, int* result = nullptr) {
    char name[kInstallPathSize] = "stale";
    DWORD size = sizeof name;
    int rc = GetLanguageSectionFor(langId, name, &size, ini.c_str());
    if (result) *result = rc;
    return name;
  }
};

TEST_F(LanguageSectionTest, FallsBackByWhichResourceLibrariesExist) {
  const std::string ini = FourLanguages();
  for (const char* dll : {"fr.dll", "de.dll", "at.dll", "us.dll"}) Touch(dll);
  int rc = 1;
  EXPECT_EQ(Section(kGermanAustria, ini, &rc), "GermanAT");
  EXPECT_EQ(rc, 0);

  ::DeleteFileA((dir_ + "\\at.dll").c_str());
  EXPECT_EQ(Section(kGermanAustria, ini), "American") << "then English (United States)";
  ::DeleteFileA((dir_ + "\\us.dll").c_str());
  EXPECT_EQ(Section(kGermanAustria, ini), "French") << "then the first that exists";
  ::DeleteFileA((dir_ + "\\fr.dll").c_str());
  ::DeleteFileA((dir_ + "\\de.dll").c_str());
  EXPECT_EQ(Section(kGermanAustria, ini, &rc), "");
  EXPECT_EQ(rc, 0) << "no usable section is not a failure";
}

TEST_F(LanguageSectionTest, KeptChoiceFollowsTheIniAndTheResourceLibraries) {
  const std::string ini = FourLanguages();
  Touch("us.dll");
  EXPECT_EQ(Section(kGermanAustria, ini), "American");
  EXPECT_EQ(Section(kGermanAustria, ini), "American");
  Touch("at.dll");
  EXPECT_EQ(Section(kGermanAustria, ini), "GermanAT") << "a resource library appeared";
  EXPECT_EQ(Section(0x0409, ini), "American") << "another language has its own choice";

  vgtest::WriteFile(ini, "[Language]\r\nAustrian=0x07,0x03\r\n[Austrian]\r\nResDll=at.dll\r\n");
  EXPECT_EQ(Section(kGermanAustria, ini), "Austrian") << "the profile was rewritten";
  ::DeleteFileA((dir_ + "\\at.dll").c_str());
  EXPECT_EQ(Section(kGermanAustria, ini), "");
}

TEST_F(LanguageSectionTest, ResourceLibraryIsLookedForBesideTheIni) {
  const std::string folder = SubDir("elsewhere");
  const std::string ini = WriteIni(
      "[Language]\r\nFrench=0x0C,0x01\r\nAmerican=9,1\r\n[French]\r\nResDll=fr.dll\r\n"
      "[American]\r\nResDll=us.dll\r\n",
      folder);
  Touch("us.dll");  // in the parent folder: does not count
  vgtest::WriteFile(folder + "\\fr.dll", "x");
  EXPECT_EQ(Section(0x0409, ini), "French");
}

TEST_F(LanguageSectionTest, UserLanguageOfThisSystem) {
  const LANGID user = ::GetUserDefaultLangID();
  char line[64];
  std::snprintf(line, sizeof line, "Mine=0x%02X,0x%02X", user & 0x3FF, user >> 10);
  const std::string ini = WriteIni(std::string("[Language]\r\nOther=0x7F,0x01\r\n") + line +
                                   "\r\nEnglish=0x09,0x01\r\n[Other]\r\nResDll=o.dll\r\n"
                                   "[Mine]\r\nResDll=m.dll\r\n[English]\r\nResDll=e.dll\r\n");
  for (const char* dll : {"o.dll", "m.dll", "e.dll"}) Touch(dll);
  char name[kInstallPathSize] = {};
  DWORD size = sizeof name;
  EXPECT_EQ(GetLanguageSection(name, &size, ini.c_str()), 0);
  EXPECT_STREQ(name, "Mine");
}

TEST_F(LanguageSectionTest, MissingSectionOrFileGivesNoName) {
  EXPECT_EQ(Section(0x0409, WriteIni("[Other]\r\nA=1\r\n")), "");
  int rc = 1;
  EXPECT_EQ(Section(0x0409, dir_ + "\\absent.ini", &rc), "");
  EXPECT_EQ(rc, 0);
}

TEST_F(LanguageSectionTest, LongSectionIsReadWhole) {
  std::string text = "[Language]\r\n";
  for (int i = 0; i < 40; ++i) {
    char line[80];
    std::snprintf(line, sizeof line, "Filler%02d_with_a_long_section_name=0x7F,0x%02X\r\n", i, i);
    text += line;
  }
  text += "Last=0x07,0x03\r\n[Last]\r\nResDll=last.dll\r\n";
  Touch("last.dll");
  EXPECT_EQ(Section(kGermanAustria, WriteIni(text)), "Last");
}

TEST_F(LanguageSectionTest, BufferSizeRule) {
  const std::string ini = FourLanguages();
  Touch("at.dll");
  char name[16] = "stale";
  DWORD size = 8;  // "GermanAT" has 8 characters: no room for the terminator
  EXPECT_EQ(GetLanguageSectionFor(kGermanAustria, name, &size, ini.c_str()), kLangBufferTooSmall);
  EXPECT_EQ(size, 9u);
  EXPECT_STREQ(name, "");
  EXPECT_EQ(GetLanguageSectionFor(kGermanAustria, name, &size, ini.c_str()), 0);
  EXPECT_STREQ(name, "GermanAT");
  size = 0;
  EXPECT_EQ(GetLanguageSectionFor(kGermanAustria, name, &size, ini.c_str()), kLangBufferTooSmall);
  EXPECT_EQ(size, 9u);

  size = sizeof name;
  EXPECT_EQ(GetLanguageSection(nullptr, &size, ini.c_str()), kLangBadArgument);
  EXPECT_EQ(GetLanguageSection(name, nullptr, ini.c_str()), kLangBadArgument);
  EXPECT_EQ(GetLanguageSection(name, &size, ""), kLangBadArgument);
  EXPECT_EQ(GetLanguageSection(name, &size, nullptr), kLangBadArgument);
}

TEST_F(LanguageSectionTest, LanguageStringsAndNumbers) {
  const LANGID user = ::GetUserDefaultLangID();
  char line[64];
  std::snprintf(line, sizeof line, "Mine=0x%02X,0x%02X", user & 0x3FF, user >> 10);
  const std::string ini =
      WriteIni(std::string("[Language]\r\n") + line +
               "\r\n[Mine]\r\nResDll=m.dll\r\nCaption=Printer status\r\nRetries=12\r\n");
  Touch("m.dll");
  char value[kInstallPathSize] = {};
  EXPECT_EQ(GetLangProfileString("Caption", value, sizeof value, ini.c_str()), 0);
  EXPECT_STREQ(value, "Printer status");
  char small[8] = {};
  EXPECT_EQ(GetLangProfileString("Caption", small, sizeof small, ini.c_str()), 0);
  EXPECT_STREQ(small, "Printer") << "bounded by the caller's size";
  EXPECT_EQ(GetLangProfileString("Missing", value, sizeof value, ini.c_str()), -1);
  EXPECT_STREQ(value, "");
  EXPECT_EQ(GetLangProfileString(nullptr, value, sizeof value, ini.c_str()), -1);
  EXPECT_EQ(GetLangProfileString("Caption", value, 0, ini.c_str()), -1);
  EXPECT_EQ(GetLangProfileString("Caption", value, sizeof value, ""), -1);

  EXPECT_EQ(GetLangProfileInt("Retries", 3, ini.c_str()), 12);
  EXPECT_EQ(GetLangProfileInt("Missing", 3, ini.c_str()), 3);
  EXPECT_EQ(GetLangProfileInt("Retries", 3, ""), -1);

  ::DeleteFileA((dir_ + "\\m.dll").c_str());
  EXPECT_EQ(GetLangProfileString("Caption", value, sizeof value, ini.c_str()), -1)
      << "no section with a resource library";
  EXPECT_EQ(GetLangProfileInt("Retries", 3, ini.c_str()), 3);
}

TEST_F(LanguageSectionTest, ResourceLibraryPath) {
  const LANGID user = ::GetUserDefaultLangID();
  char line[64];
  std::snprintf(line, sizeof line, "Mine=0x%02X,0x%02X", user & 0x3FF, user >> 10);
  const std::string folder = SubDir("install");
  const std::string ini =
      WriteIni(std::string("[Language]\r\n") + line + "\r\n[Mine]\r\nResDll=vgres.dll\r\n");
  SetDriverValue("Profile", ini);
  SetDriverValue("InstallPath", folder);
  std::snprintf(out_, sizeof out_, "stale");
  EXPECT_EQ(GetResDllPath(out_, driver_.c_str(), model_.c_str()), 0)
      << "the library beside the profile INI does not exist yet";
  EXPECT_STREQ(out_, "");
  Touch("vgres.dll");
  EXPECT_EQ(GetResDllPath(out_, driver_.c_str(), model_.c_str()), 1);
  EXPECT_EQ(std::string(out_), folder + "\\vgres.dll");
}

}  // namespace
