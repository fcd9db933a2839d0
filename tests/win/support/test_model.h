#pragma once
// An installed model for one test: a driver name and model identifier of its own, an
// installation folder, the Driver key (HKLM software\KORVA\VGL3\Driver\<driver>) with
// "InstallPath" and "Profile", the Profile key's value for the model, and its profile INI.
// Everything is removed again at the end.
#include <string>

namespace vgtest {

class TestModel {
 public:
  TestModel();
  ~TestModel();
  TestModel(const TestModel&) = delete;
  TestModel& operator=(const TestModel&) = delete;

  const std::string& Driver() const { return driver_; }
  const std::string& Model() const { return model_; }
  // The installation folder, without a trailing backslash.
  const std::string& Dir() const { return dir_; }
  const std::string& IniPath() const { return iniPath_; }

  // Writes a new profile INI (a file of its own each time: Wine caches what it read) and
  // points the Driver and Profile keys at it. It holds "[Install]" with DRVNAME = the driver
  // name, the model's section with modelLines, a "Language" section naming one English
  // section, and that section with "ResDll=vgres.dll" and languageLines. Lines end in "\r\n".
  void WriteIni(const std::string& modelLines, const std::string& languageLines = "");

  // Copies a file of the bin folder into the installation folder; returns its new path.
  std::string Install(const std::string& binFile, const std::string& asName) const;

 private:
  std::string driver_;
  std::string model_;
  std::string dir_;
  std::string iniPath_;
  bool profileKeyExisted_ = false;
};

}  // namespace vgtest
