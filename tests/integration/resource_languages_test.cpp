// The German resource library (vgres_de.dll) is a full translation of the English one
// (vgres.dll): the same resources under the same numbers, every text translated, every
// template with the same controls in the same order, and access keys that a dialog uses once.
#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "common/unique_handle.h"
#include "resources/vgres_ids.h"
#include "support/win_test_support.h"

// After the project's Windows header, which it needs.
#include <commctrl.h>

namespace {

// A resource as its type and number (names other than numbers are kept as text).
using ResourceKey = std::pair<std::string, std::string>;

std::string KeyText(LPCSTR value) {
  return IS_INTRESOURCE(value) ? "#" + std::to_string(reinterpret_cast<ULONG_PTR>(value))
                               : std::string(value);
}

BOOL CALLBACK AddName(HMODULE, LPCSTR type, LPSTR name, LONG_PTR param) {
  reinterpret_cast<std::set<ResourceKey>*>(param)->insert({KeyText(type), KeyText(name)});
  return TRUE;
}

BOOL CALLBACK AddType(HMODULE module, LPSTR type, LONG_PTR param) {
  ::EnumResourceNamesA(module, type, &AddName, param);
  return TRUE;
}

// Every resource of the library but the single images of its icons, whose numbers the
// resource compiler hands out (the icon groups, which the code loads, are compared).
std::set<ResourceKey> ResourcesOf(HMODULE module) {
  std::set<ResourceKey> all;
  ::EnumResourceTypesA(module, &AddType, reinterpret_cast<LONG_PTR>(&all));
  std::set<ResourceKey> kept;
  for (const ResourceKey& key : all) {
    if (key.first != "#3") kept.insert(key);
  }
  return kept;
}

std::wstring WideText(HMODULE module, UINT id) {
  const wchar_t* text = nullptr;
  // With a zero size, LoadStringW hands out a pointer to the resource's own text.
  const int length = ::LoadStringW(module, id, reinterpret_cast<wchar_t*>(&text), 0);
  return length > 0 && text != nullptr ? std::wstring(text, length) : std::wstring();
}

bool HasLetters(const std::wstring& text) {
  for (wchar_t c : text) {
    if (std::iswalpha(c)) return true;
  }
  return false;
}

// The letter after each single "&" (a doubled one is a plain ampersand), lower case.
std::vector<wchar_t> AccessKeys(const std::wstring& text) {
  std::vector<wchar_t> keys;
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != L'&') continue;
    if (text[i + 1] == L'&') {
      ++i;
      continue;
    }
    keys.push_back(static_cast<wchar_t>(std::towlower(text[i + 1])));
  }
  return keys;
}

std::wstring WindowTextW(HWND window) {
  wchar_t text[1024] = {};
  ::GetWindowTextW(window, text, 1024);
  return text;
}

std::string ClassOf(HWND window) {
  char name[64] = {};
  ::GetClassNameA(window, name, sizeof name);
  return name;
}

INT_PTR CALLBACK QuietProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

class ResourceLanguagesTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
  }
  void SetUp() override {
    english_.Reset(::LoadLibraryA((vgtest::BinDir() + "\\vgres.dll").c_str()));
    german_.Reset(::LoadLibraryA((vgtest::BinDir() + "\\vgres_de.dll").c_str()));
    ASSERT_TRUE(english_.IsValid());
    ASSERT_TRUE(german_.IsValid()) << "vgres_de.dll was not built";
  }

  // The numbers of every string of a library.
  static std::vector<UINT> StringIds(HMODULE module) {
    std::vector<UINT> ids;
    for (const ResourceKey& key : ResourcesOf(module)) {
      if (key.first != "#6") continue;  // string tables, 16 strings each
      const UINT block = static_cast<UINT>(std::stoul(key.second.substr(1)));
      for (UINT id = (block - 1) * 16; id < block * 16; ++id) {
        if (!WideText(module, id).empty()) ids.push_back(id);
      }
    }
    return ids;
  }

  ScopedModule english_;
  ScopedModule german_;
};

TEST_F(ResourceLanguagesTest, HoldsTheSameResourcesUnderTheSameNumbers) {
  const std::set<ResourceKey> english = ResourcesOf(english_.Get());
  const std::set<ResourceKey> german = ResourcesOf(german_.Get());
  ASSERT_GT(english.size(), 50u);
  for (const ResourceKey& key : english) {
    EXPECT_TRUE(german.count(key)) << "German lacks type " << key.first << " " << key.second;
  }
  for (const ResourceKey& key : german) {
    EXPECT_TRUE(english.count(key)) << "English lacks type " << key.first << " " << key.second;
  }
  EXPECT_EQ(StringIds(german_.Get()), StringIds(english_.Get()));
}

// Every text with words is German; what is the same in both languages is a name or a number.
TEST_F(ResourceLanguagesTest, EveryTextIsTranslatedAndKeepsItsNumbersAndAccessKeys) {
  const std::set<UINT> sameInBoth = {IDS_APP_TITLE, IDS_STATUS_OFFLINE};
  int umlauts = 0;
  for (UINT id : StringIds(english_.Get())) {
    const std::wstring english = WideText(english_.Get(), id);
    const std::wstring german = WideText(german_.Get(), id);
    ASSERT_FALSE(german.empty()) << "string " << id;
    if (!HasLetters(english)) {
      EXPECT_EQ(german, english) << "string " << id << " is a number";
    } else if (sameInBoth.count(id) == 0) {
      EXPECT_NE(german, english) << "string " << id << " is not translated";
    }
    EXPECT_EQ(AccessKeys(german).size(), AccessKeys(english).size()) << "string " << id;
    EXPECT_EQ(german.find(L'%') == std::wstring::npos, english.find(L'%') == std::wstring::npos)
        << "string " << id;
    for (wchar_t c : german) umlauts += c == 0xE4 || c == 0xF6 || c == 0xFC || c == 0xDF;
  }
  EXPECT_GT(umlauts, 20) << "the texts were read in the wrong code page";

  // The trouble resource: the same pages and pictures, a German title.
  for (HMODULE module : {english_.Get(), german_.Get()}) {
    ASSERT_NE(::FindResourceA(module, MAKEINTRESOURCEA(IDR_TROUBLE_PAPER), RT_RCDATA), nullptr);
  }
  auto bytes = [](HMODULE module) {
    HRSRC found = ::FindResourceA(module, MAKEINTRESOURCEA(IDR_TROUBLE_PAPER), RT_RCDATA);
    const char* data = static_cast<const char*>(::LockResource(::LoadResource(module, found)));
    return std::string(data, ::SizeofResource(module, found));
  };
  const std::string english = bytes(english_.Get());
  const std::string german = bytes(german_.Get());
  const size_t pages = 2 + 4 * 2 * 4;  // the count, then four words per page
  ASSERT_GT(english.size(), pages);
  ASSERT_GT(german.size(), pages);
  EXPECT_EQ(german.substr(0, pages), english.substr(0, pages));
  EXPECT_NE(german.substr(pages), english.substr(pages));
}

// Each template of the German library has the English template's controls, in the same order
// and with the same numbers, classes and styles, and with a text where the English one has one.
TEST_F(ResourceLanguagesTest, EveryTemplateHasTheSameControlsAndUniqueAccessKeys) {
  std::vector<int> templates;
  for (const ResourceKey& key : ResourcesOf(english_.Get())) {
    if (key.first == "#5") templates.push_back(std::stoi(key.second.substr(1)));
  }
  ASSERT_GE(templates.size(), 6u);
  for (int id : templates) {
    SCOPED_TRACE("template " + std::to_string(id));
    ScopedWindow english(
        ::CreateDialogParamA(english_.Get(), MAKEINTRESOURCEA(id), nullptr, &QuietProc, 0));
    ScopedWindow german(
        ::CreateDialogParamA(german_.Get(), MAKEINTRESOURCEA(id), nullptr, &QuietProc, 0));
    ASSERT_TRUE(english.IsValid());
    ASSERT_TRUE(german.IsValid());
    EXPECT_EQ(::GetWindowLongA(german.Get(), GWL_STYLE),
              ::GetWindowLongA(english.Get(), GWL_STYLE));
    EXPECT_EQ(WindowTextW(german.Get()).empty(), WindowTextW(english.Get()).empty());

    std::vector<wchar_t> englishKeys;
    std::vector<wchar_t> germanKeys;
    HWND e = ::GetWindow(english.Get(), GW_CHILD);
    HWND g = ::GetWindow(german.Get(), GW_CHILD);
    for (; e != nullptr && g != nullptr;
         e = ::GetWindow(e, GW_HWNDNEXT), g = ::GetWindow(g, GW_HWNDNEXT)) {
      const int control = ::GetDlgCtrlID(e);
      EXPECT_EQ(::GetDlgCtrlID(g), control);
      EXPECT_EQ(ClassOf(g), ClassOf(e)) << "control " << control;
      EXPECT_EQ(::GetWindowLongA(g, GWL_STYLE), ::GetWindowLongA(e, GWL_STYLE))
          << "control " << control;
      EXPECT_EQ(::GetWindowLongA(g, GWL_EXSTYLE), ::GetWindowLongA(e, GWL_EXSTYLE))
          << "control " << control;
      const std::wstring englishText = WindowTextW(e);
      const std::wstring germanText = WindowTextW(g);
      EXPECT_EQ(germanText.empty(), englishText.empty()) << "control " << control;
      if (!englishText.empty() && (englishText[0] == 0xFFFF || englishText[0] == 0xFF)) {
        // An icon or bitmap by number (the control keeps the marker and the number as its
        // text): the same picture in both languages.
        EXPECT_EQ(germanText, englishText) << "control " << control;
      } else if (HasLetters(englishText) && englishText != L"OK" &&
                 englishText.compare(0, 13, L"KORVA Vigil 3") != 0) {
        EXPECT_NE(germanText, englishText) << "control " << control << " is not translated";
      }
      EXPECT_EQ(AccessKeys(germanText).size(), AccessKeys(englishText).size())
          << "control " << control;
      // A key is pressed once per dialog; a control that the template hides (the sound check
      // box of a printer with a buzzer) is never shown beside the others.
      if (::GetWindowLongA(e, GWL_STYLE) & WS_VISIBLE) {
        for (wchar_t key : AccessKeys(englishText)) englishKeys.push_back(key);
        for (wchar_t key : AccessKeys(germanText)) germanKeys.push_back(key);
      }
    }
    EXPECT_EQ(e, nullptr) << "English has more controls";
    EXPECT_EQ(g, nullptr) << "German has more controls";
    for (const std::vector<wchar_t>* keys : {&englishKeys, &germanKeys}) {
      const std::set<wchar_t> unique(keys->begin(), keys->end());
      EXPECT_EQ(unique.size(), keys->size())
          << (keys == &englishKeys ? "English" : "German") << " uses an access key twice";
    }
  }
}

}  // namespace
