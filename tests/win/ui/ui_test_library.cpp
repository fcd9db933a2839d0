#include "ui/ui_test_library.h"

#include <vector>

#include "printer/vgprn_app_win.h"
#include "support/win_test_support.h"

namespace vgtest {

ScopedResourceLibrary::ScopedResourceLibrary(const char* fileName)
    : path_(BinDir() + "\\" + fileName), module_(::LoadLibraryA(path_.c_str())) {
  TheApp().SetResourceModule(module_);
}

ScopedResourceLibrary::~ScopedResourceLibrary() {
  TheApp().SetResourceModule(nullptr);
  if (module_ != nullptr) ::FreeLibrary(module_);
}

void WritePictureFile(const std::string& path, COLORREF color, int width, int height) {
  const int stride = (width + 3) / 4 * 4;
  BITMAPINFOHEADER info = {};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 8;
  info.biSizeImage = static_cast<DWORD>(stride * height);
  info.biClrUsed = 256;
  std::vector<RGBQUAD> palette(256);
  palette[0] = {GetBValue(color), GetGValue(color), GetRValue(color), 0};
  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info + 256 * sizeof(RGBQUAD);
  file.bfSize = file.bfOffBits + info.biSizeImage;
  std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
  bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
  bytes.append(reinterpret_cast<const char*>(palette.data()), 256 * sizeof(RGBQUAD));
  bytes.append(info.biSizeImage, '\0');
  WriteFile(path, bytes);
}

}  // namespace vgtest
