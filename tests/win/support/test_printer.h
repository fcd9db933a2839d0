#pragma once
// A printer of the spooler for one test: a driver of its own (its files borrowed from the
// system folder) and a printer on the "FILE:" port, both removed again at the end.
#include <string>

#include "common/win.h"

namespace vgtest {

class TestPrinter {
 public:
  // The printer gets this name followed by a unique suffix.
  explicit TestPrinter(const std::wstring& baseName, const std::wstring& port = L"FILE:");
  ~TestPrinter();
  TestPrinter(const TestPrinter&) = delete;
  TestPrinter& operator=(const TestPrinter&) = delete;

  bool Installed() const { return installed_; }
  const std::wstring& Name() const { return name_; }
  // The name in the ANSI code page.
  std::string AnsiName() const;
  const std::string& DriverName() const { return driver_; }

 private:
  std::wstring name_;
  std::string driver_;
  bool driverInstalled_ = false;
  bool installed_ = false;
};

}  // namespace vgtest
