// The English resource library and the example model profile hold what the programs look up.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "resources/vgres_ids.h"
#include "support/win_test_support.h"

namespace {

std::string LoadText(HMODULE module, UINT id) {
  char text[1024] = {};
  int length = ::LoadStringA(module, id, text, sizeof text);
  return std::string(text, length > 0 ? length : 0);
}

// The text ids of every built-in status record (title, explanation).
const UINT kStatusTextIds[][2] = {
    {3506, 3006}, {3507, 3007}, {3508, 3008}, {3509, 3009}, {3510, 3010},
    {3511, 3011}, {3512, 3012}, {3513, 3013}, {3540, 3036}, {3542, 3038},
    {3541, 3037}, {3501, 3001}, {3502, 3002}, {3504, 3004}, {3505, 3005},
    {3525, 3025}, {3528, 2002}, {3530, 2102}, {3529, 2101}, {3527, 2001},
};

class ResourceLibraryTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    const std::string path = vgtest::BinDir() + "\\vgres.dll";
    module_ = GetParam() ? ::LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)
                         : ::LoadLibraryA(path.c_str());
    ASSERT_NE(module_, nullptr) << ::GetLastError();
  }
  void TearDown() override {
    if (module_) ::FreeLibrary(module_);
  }
  HMODULE module_ = nullptr;
};

TEST_P(ResourceLibraryTest, HoldsTheMessageTextsAndTheDefaultInterval) {
  EXPECT_EQ(LoadText(module_, IDS_APP_TITLE), "KORVA Vigil 3");
  EXPECT_EQ(LoadText(module_, IDS_FILE_NOT_FOUND), "Could not find specified file.");
  EXPECT_EQ(LoadText(module_, IDS_NO_MEMORY), "Cannot allocate memory.");
  EXPECT_EQ(LoadText(module_, IDS_NO_PRINTER_INFO), "Unable to find printer information.");
  EXPECT_EQ(LoadText(module_, IDS_FILE_OPEN_FAILED), "Failed to open the specified file.");
  EXPECT_EQ(LoadText(module_, IDS_ERR_OTHERS),
            "Unable to establish bi directional communication.\nPlease re install your printer "
            "driver.");
  for (UINT id : {IDS_NO_PRINTER_DRIVER_INFO, IDS_ERR_FILE_REPLACED, IDS_ERR_QVAPI_IN_USE}) {
    EXPECT_GT(LoadText(module_, id).size(), 20u) << id;
  }
  // Read as a decimal number by the monitor and the status window; 2 to 60 seconds.
  const int seconds = std::stoi(LoadText(module_, IDS_DEFAULT_TIMER));
  EXPECT_EQ(seconds, 10);
}

TEST_P(ResourceLibraryTest, HoldsATitleAndAnExplanationForEveryBuiltInStatus) {
  for (const auto& pair : kStatusTextIds) {
    const std::string title = LoadText(module_, pair[0]);
    const std::string text = LoadText(module_, pair[1]);
    EXPECT_FALSE(title.empty()) << pair[0];
    EXPECT_LE(title.size(), 30u) << title;  // a heading, not a sentence
    EXPECT_GT(text.size(), title.size()) << pair[1];
  }
  EXPECT_EQ(LoadText(module_, IDS_STATUS_READY), "Ready");
  EXPECT_EQ(LoadText(module_, IDS_STATUS_PAPER_OUT), "Paper out");
  EXPECT_EQ(LoadText(module_, IDS_STATUS_COMM_ERROR), "Communication error");
  EXPECT_EQ(LoadText(module_, 3503), "");  // no record uses this pair
}

INSTANTIATE_TEST_SUITE_P(AsDataAndAsLibrary, ResourceLibraryTest, ::testing::Bool());

class ExampleProfileTest : public ::testing::Test {
 protected:
  std::string Read(const char* section, const char* key) {
    char value[1024] = {};
    ::GetPrivateProfileStringA(section, key, "", value, sizeof value, path_.c_str());
    return value;
  }
  int ReadInt(const char* section, const char* key) {
    return static_cast<int>(::GetPrivateProfileIntA(section, key, -12345, path_.c_str()));
  }
  std::vector<std::string> Lines(const char* section) {
    std::vector<char> buffer(32767, '\0');
    DWORD length = ::GetPrivateProfileSectionA(section, buffer.data(),
                                               static_cast<DWORD>(buffer.size()), path_.c_str());
    std::vector<std::string> lines;
    for (DWORD pos = 0; pos < length && buffer[pos];) {
      lines.emplace_back(&buffer[pos]);
      pos += static_cast<DWORD>(lines.back().size()) + 1;
    }
    return lines;
  }
  const std::string path_ = vgtest::BinDir() + "\\profiles\\VP-100.ini";
};

TEST_F(ExampleProfileTest, NamesTheLibrariesAndTheLanguage) {
  EXPECT_EQ(Read("Install", "DRVNAME"), "KORVA VP-100");
  EXPECT_EQ(Read("VP-100", "PrnDll"), "vgprn.dll");
  const std::vector<std::string> languages = Lines("Language");
  ASSERT_EQ(languages.size(), 2u);
  EXPECT_EQ(languages[0], "English=0x09,0x01");
  EXPECT_EQ(languages[1], "German=0x07,0x01");
  EXPECT_EQ(Read("English", "ResDll"), "vgres.dll");
  EXPECT_EQ(Read("English", "WAVRES"), "vgres.dll");
  EXPECT_EQ(Read("German", "ResDll"), "vgres_de.dll");
  EXPECT_EQ(Read("German", "WAVRES"), "vgres_de.dll");
  for (const char* section : {"English", "German"}) {
    EXPECT_TRUE(vgtest::FileExists(vgtest::BinDir() + "\\" + Read(section, "ResDll"))) << section;
    EXPECT_EQ(ReadInt(section, "SOUND"), 1) << section;
    EXPECT_FALSE(Read(section, "HelpFile").empty()) << section;
    EXPECT_FALSE(Read(section, "TSS000").empty()) << section;
  }
  EXPECT_NE(Read("German", "HelpFile"), Read("English", "HelpFile"));
}

// The build stores the profile in code page 1252, in which Windows reads it: the German
// status texts arrive with their umlauts as single bytes.
TEST_F(ExampleProfileTest, ItsGermanTextsAreInTheWindowsCodePage) {
  const std::string bytes = vgtest::ReadFile(path_);
  EXPECT_EQ(bytes.find("\xC3"), std::string::npos) << "UTF-8 sequences left in the profile";
  EXPECT_NE(Read("German", "STATUS03").find("dr\xFC" "cken Sie dann die Vorschubtaste"),
            std::string::npos)
      << Read("German", "STATUS03");
}

TEST_F(ExampleProfileTest, GivesEveryMonitorAndSettingsKeyAUsableValue) {
  EXPECT_EQ(ReadInt("VP-100", "TIMEOUT"), 30);
  EXPECT_EQ(ReadInt("VP-100", "MonitorInitTime"), 1000);
  for (const char* key : {"TimeOutCount", "TimeOutCountReadyErr", "TimeOutCountConfirmErr",
                          "ComErrDisableNum", "InkNearEndB", "InkNearEndC", "SizeUnitH", "SlipMax",
                          "MaxCaset", "MaxIC", "PaperNearEnd"}) {
    EXPECT_GT(ReadInt("VP-100", key), 0) << key;
  }
  for (const char* key : {"EnableGetStatusErr", "SoundNotifyEnable", "BeepBuzzerEnable",
                          "TrayIconEnable", "TrayIconSelected", "LoopBuzzer"}) {
    const int value = ReadInt("VP-100", key);
    EXPECT_TRUE(value == 0 || value == 1) << key << " = " << value;
  }
  for (const char* key : {"BMPBlue", "BMPRed", "BMPYellow", "KVWVER"}) {
    EXPECT_FALSE(Read("VP-100", key).empty()) << key;
  }
}

// The status window paints these files instead of the resource library's pictures: the
// same size and a 256-colour palette, blue, red and yellow like 511, 512 and 510.
TEST_F(ExampleProfileTest, ItsPicturesAreShippedBesideTheProgramsInTheStatusWindowsFormat) {
  std::vector<std::string> pictures;
  for (const char* key : {"BMPBlue", "BMPRed", "BMPYellow"}) {
    const std::string name = Read("VP-100", key);
    ASSERT_FALSE(name.empty()) << key;
    const std::string data = vgtest::ReadFile(vgtest::BinDir() + "\\" + name);
    ASSERT_GT(data.size(), sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)) << name;
    EXPECT_EQ(data.compare(0, 2, "BM"), 0) << name;
    BITMAPINFOHEADER header;
    std::memcpy(&header, data.data() + sizeof(BITMAPFILEHEADER), sizeof header);
    EXPECT_EQ(header.biWidth, 75) << name;
    EXPECT_EQ(header.biHeight, 60) << name;
    EXPECT_EQ(header.biBitCount, 8) << name;
    EXPECT_EQ(header.biClrUsed, 256u) << name;
    for (const std::string& other : pictures) EXPECT_NE(data, other) << name;
    pictures.push_back(data);
  }
}

TEST_F(ExampleProfileTest, CountsItsNotificationItemsAndClosesItsStatusLines) {
  int items = 0;
  for (const std::string& line : Lines("VP-100")) {
    if (line.size() > 8 && line.compare(0, 4, "ITEM") == 0 && line[7] == '=' &&
        line.find_first_not_of("0123456789", 4) == 7) {
      ++items;
    }
  }
  EXPECT_EQ(ReadInt("VP-100", "ITEMNUM"), items);
  EXPECT_EQ(Read("VP-100", "ITEM011"), "1");  // communication errors are told by default

  // Every language has the same status lines, each of seven fields (the codes, then the
  // texts, display and alert); the last line only closes the list.
  std::vector<std::vector<std::string>> codes;
  for (const char* section : {"English", "German"}) {
    std::vector<std::string> status;
    for (const std::string& line : Lines(section)) {
      if (line.compare(0, 6, "STATUS") == 0) status.push_back(line);
    }
    ASSERT_GE(status.size(), 3u) << section;
    std::vector<std::string> keys;
    for (const std::string& line : status) {
      size_t commas = 0;
      bool quoted = false;
      for (char c : line) {
        if (c == '"') quoted = !quoted;
        if (c == ',' && !quoted) ++commas;
      }
      EXPECT_EQ(commas, 6u) << line;
      // The key and the three codes.
      size_t end = 0;
      for (int field = 0; field < 3 && end != std::string::npos; ++field) end = line.find(',', end + 1);
      keys.push_back(line.substr(0, end));
    }
    codes.push_back(keys);
  }
  EXPECT_EQ(codes[1], codes[0]);
}

}  // namespace
