// Every program and library of the product tells its product, maker and version in its
// version resource, the way the about box and Windows' file properties read it.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/win_test_support.h"

namespace {

class FileVersion {
 public:
  explicit FileVersion(const std::string& path) {
    DWORD handle = 0;
    const DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &handle);
    if (size == 0) return;
    data_.resize(size);
    if (!::GetFileVersionInfoA(path.c_str(), 0, size, data_.data())) data_.clear();
  }

  bool Found() const { return !data_.empty(); }

  // A string of the first translation's block, as the about box reads "ProductVersion".
  std::string Text(const char* name) const {
    if (data_.empty()) return std::string();
    WORD* translation = nullptr;
    UINT length = 0;
    if (!::VerQueryValueA(data_.data(), "\\VarFileInfo\\Translation",
                          reinterpret_cast<void**>(&translation), &length) ||
        length < 4) {
      return std::string();
    }
    char path[128];
    std::snprintf(path, sizeof path, "\\StringFileInfo\\%04X%04X\\%s", translation[0],
                  translation[1], name);
    char* value = nullptr;
    if (!::VerQueryValueA(data_.data(), path, reinterpret_cast<void**>(&value), &length) ||
        length == 0) {
      return std::string();
    }
    return std::string(value);
  }

  const VS_FIXEDFILEINFO* Fixed() const {
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (data_.empty() ||
        !::VerQueryValueA(data_.data(), "\\", reinterpret_cast<void**>(&fixed), &length) ||
        length < sizeof *fixed) {
      return nullptr;
    }
    return fixed;
  }

 private:
  std::vector<char> data_;
};

TEST(VersionInfo, EveryShippedFileNamesProductMakerAndOneVersion) {
  const std::string version = VG_PRODUCT_VERSION;
  unsigned major = 0, minor = 0, patch = 0;
  ASSERT_EQ(std::sscanf(version.c_str(), "%u.%u.%u", &major, &minor, &patch), 3) << version;

  std::vector<std::string> descriptions;
  for (const char* file : {"vgmon.exe", "vgprn.dll", "vgres.dll", "vgres_de.dll", "vgpop.exe",
                           "qvsim.dll", "qvsimctl.exe", "vgsetup.exe", "vg3setup.exe"}) {
    SCOPED_TRACE(file);
    const FileVersion info(vgtest::BinDir() + "\\" + file);
    ASSERT_TRUE(info.Found());
    EXPECT_EQ(info.Text("ProductName"), "KORVA Vigil 3");
    EXPECT_EQ(info.Text("CompanyName"), "KORVA");
    EXPECT_EQ(info.Text("ProductVersion"), version);
    EXPECT_EQ(info.Text("FileVersion"), version);
    EXPECT_EQ(info.Text("OriginalFilename"), file);
    EXPECT_NE(info.Text("LegalCopyright").find("KORVA"), std::string::npos);
    const std::string description = info.Text("FileDescription");
    EXPECT_FALSE(description.empty());
    for (const std::string& other : descriptions) EXPECT_NE(description, other);
    descriptions.push_back(description);

    const VS_FIXEDFILEINFO* fixed = info.Fixed();
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwProductVersionMS, (major << 16) | minor);
    EXPECT_EQ(fixed->dwProductVersionLS, patch << 16);
    EXPECT_EQ(fixed->dwFileVersionMS, fixed->dwProductVersionMS);
    const bool library = std::string(file).find(".dll") != std::string::npos;
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(library ? VFT_DLL : VFT_APP));
  }
}

}  // namespace
