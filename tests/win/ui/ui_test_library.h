#pragma once
// The resource libraries of the dialog tests: the tests' own (vguitest.dll: pictures and
// icons of known colours, trouble resources of every shape, font probes) and the real one
// (vgres.dll), loaded for one test and handed to the library as its resource module.
#include <string>

#include "common/win.h"

namespace vgtest {

// Ids of the tests' own library.
constexpr WORD kFontProbe8 = 900;
constexpr WORD kFontProbe10 = 901;
constexpr WORD kFontProbeHelv = 902;
constexpr WORD kFontProbeLowerCase = 903;
constexpr int kFontProbeItem = 910;
constexpr WORD kHostDialog = 950;
constexpr int kTroubleThreePages = 20001;
constexpr int kTroubleNoPages = 20002;
constexpr int kTroubleOnePage = 20003;
constexpr int kTroubleCut = 20004;
constexpr int kFrameRed = 800;
constexpr int kFrameBlue = 801;
constexpr int kFrameBrown = 802;
constexpr int kIconBlack = 700;
constexpr int kIconWhite = 765;
constexpr int kOverlayBlack = 771;
// The colours of the pictures (see resources/make_test_pictures.py).
constexpr COLORREF kColor510 = RGB(220, 200, 0);
constexpr COLORREF kColor511 = RGB(0, 0, 200);
constexpr COLORREF kColor512 = RGB(0, 160, 0);
constexpr COLORREF kColor800 = RGB(200, 0, 0);
constexpr COLORREF kColor801 = RGB(0, 120, 200);
constexpr COLORREF kColor802 = RGB(120, 60, 0);
constexpr int kTestPictureWidth = 16;
constexpr int kTestPictureHeight = 12;
// The product version of vguitest.dll and of the test program.
constexpr char kLibraryVersion[] = "4.5.6.7";
constexpr char kProgramVersion[] = "9.8.7.6";

// Loads a resource library of the bin folder and makes it the library's resource module.
class ScopedResourceLibrary {
 public:
  explicit ScopedResourceLibrary(const char* fileName);
  ~ScopedResourceLibrary();
  ScopedResourceLibrary(const ScopedResourceLibrary&) = delete;
  ScopedResourceLibrary& operator=(const ScopedResourceLibrary&) = delete;

  HMODULE Get() const { return module_; }
  std::string Path() const { return path_; }

 private:
  std::string path_;
  HMODULE module_ = nullptr;
};

// Writes a picture file of one colour (width x height, 256 colours).
void WritePictureFile(const std::string& path, COLORREF color, int width = kTestPictureWidth,
                      int height = kTestPictureHeight);

}  // namespace vgtest
