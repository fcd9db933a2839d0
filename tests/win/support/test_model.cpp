#include "support/test_model.h"

#include "common/win.h"
#include "support/win_test_support.h"

namespace vgtest {

namespace {

const char kDriverParent[] = "software\\KORVA\\VGL3\\Driver";
const char kProfileKey[] = "software\\KORVA\\VGL3\\Profile";

}  // namespace

TestModel::TestModel()
    : driver_(UniqueName("VgDriver")),
      model_(UniqueName("VGMODEL")),
      dir_(MakeTempDir("model")),
      profileKeyExisted_(KeyExists(HKEY_LOCAL_MACHINE, kProfileKey)) {
  SetString(HKEY_LOCAL_MACHINE, std::string(kDriverParent) + "\\" + driver_, "InstallPath", dir_);
  // The language section counts only when its resource library is there.
  WriteFile(dir_ + "\\vgres.dll", "x");
}

TestModel::~TestModel() {
  DeleteKeyTree(HKEY_LOCAL_MACHINE, std::string(kDriverParent) + "\\" + driver_);
  ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, kDriverParent);  // only when no other driver is left
  HKEY key = nullptr;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProfileKey, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
    ::RegDeleteValueA(key, model_.c_str());
    ::RegCloseKey(key);
  }
  if (!profileKeyExisted_) ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, kProfileKey);
  RemoveTree(dir_);
}

void TestModel::WriteIni(const std::string& modelLines, const std::string& languageLines) {
  iniPath_ = dir_ + "\\" + UniqueName("model") + ".ini";
  WriteFile(iniPath_, "[Install]\r\nDRVNAME=" + driver_ + "\r\n[" + model_ + "]\r\n" + modelLines +
                          "[Language]\r\nEnglish=0x09,0x01\r\n[English]\r\nResDll=vgres.dll\r\n" +
                          languageLines);
  SetString(HKEY_LOCAL_MACHINE, std::string(kDriverParent) + "\\" + driver_, "Profile", iniPath_);
  SetString(HKEY_LOCAL_MACHINE, kProfileKey, model_.c_str(), iniPath_);
}

std::string TestModel::Install(const std::string& binFile, const std::string& asName) const {
  const std::string target = dir_ + "\\" + asName;
  ::CopyFileA((BinDir() + "\\" + binFile).c_str(), target.c_str(), FALSE);
  return target;
}

}  // namespace vgtest
