#include "support/test_printer.h"

#include <vector>

#include "support/win_test_support.h"

namespace vgtest {

namespace {

std::wstring Widen(const std::string& text) {
  std::wstring wide(text.size(), L'\0');
  for (size_t i = 0; i < text.size(); ++i) wide[i] = static_cast<unsigned char>(text[i]);
  return wide;
}

}  // namespace

TestPrinter::TestPrinter(const std::wstring& baseName, const std::wstring& portName)
    : name_(baseName + Widen(UniqueName(""))), driver_(UniqueName("VgTest Driver")) {
  char system[MAX_PATH] = {};
  ::GetSystemDirectoryA(system, sizeof system);
  std::string file = std::string(system) + "\\localspl.dll";
  DRIVER_INFO_3A driver = {};
  driver.cVersion = 3;
  driver.pName = &driver_[0];
  driver.pDriverPath = &file[0];
  driver.pDataFile = &file[0];
  driver.pConfigFile = &file[0];
  driverInstalled_ = ::AddPrinterDriverA(nullptr, 3, reinterpret_cast<BYTE*>(&driver)) != FALSE;
  if (!driverInstalled_) return;

  std::wstring driverName = Widen(driver_);
  std::wstring port = portName;
  wchar_t processor[] = L"WinPrint";
  wchar_t dataType[] = L"RAW";
  PRINTER_INFO_2W info = {};
  info.pPrinterName = &name_[0];
  info.pPortName = &port[0];
  info.pDriverName = &driverName[0];
  info.pPrintProcessor = processor;
  info.pDatatype = dataType;
  HANDLE printer = ::AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info));
  installed_ = printer != nullptr;
  if (printer) ::ClosePrinter(printer);
}

TestPrinter::~TestPrinter() {
  if (installed_) {
    PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE printer = nullptr;
    if (::OpenPrinterW(&name_[0], &printer, &defaults)) {
      ::DeletePrinter(printer);
      ::ClosePrinter(printer);
    }
  }
  if (driverInstalled_) ::DeletePrinterDriverA(nullptr, nullptr, &driver_[0]);
}

std::string TestPrinter::AnsiName() const {
  int size = ::WideCharToMultiByte(CP_ACP, 0, name_.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return std::string();
  std::vector<char> text(static_cast<size_t>(size), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, name_.c_str(), -1, text.data(), size, nullptr, nullptr);
  return text.data();
}

}  // namespace vgtest
