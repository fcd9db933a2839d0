#include "support/qvsim_printer.h"

#include <vector>

#include "support/win_test_support.h"

namespace vgtest {

QvSimPrinter::QvSimPrinter(const std::wstring& baseName)
    : printer_(std::make_unique<TestPrinter>(baseName)) {
  if (!printer_->Installed()) return;
  const std::string name = printer_->AnsiName();
  HANDLE handle = nullptr;
  PRINTER_DEFAULTSA defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
  if (!::OpenPrinterA(const_cast<char*>(name.c_str()), &handle, &defaults)) return;
  DWORD needed = 0;
  ::GetPrinterDriverA(handle, nullptr, 6, nullptr, 0, &needed);
  std::vector<BYTE> driver(needed + 1);
  bool located = needed > 0 &&
                 ::GetPrinterDriverA(handle, nullptr, 6, driver.data(), needed, &needed) != FALSE;
  std::string folder;
  if (located) {
    std::string dataFile = reinterpret_cast<DRIVER_INFO_6A*>(driver.data())->pDataFile;
    folder = dataFile.substr(0, dataFile.find_last_of('\\') + 1);
  }
  char library[] = "qvsim.dll";
  const bool dataSet =
      ::SetPrinterDataA(handle, const_cast<char*>("QVAPIB6Namex86"), REG_SZ,
                        reinterpret_cast<BYTE*>(library), sizeof library) == ERROR_SUCCESS;
  ::ClosePrinter(handle);
  if (folder.empty() || !dataSet) return;
  // The simulator sits beside the data file. A copy that was there before (an installation's)
  // stays; ours goes again with the printer.
  libraryCopy_ = folder + library;
  if (!FileExists(libraryCopy_)) {
    if (!::CopyFileA((BinDir() + "\\qvsim.dll").c_str(), libraryCopy_.c_str(), TRUE)) return;
    ownsLibraryCopy_ = true;
  }
  Ctl("reset " + QuoteArgument(name));
  ready_ = Ctl("deviceid " + QuoteArgument(name) + " \"MFG:KORVA;MDL:VP-100;CMD:ESCP;\"")
                   .exitCode == 0 &&
           Ctl("channels " + QuoteArgument(name) + " 0x10000005:0x0004,0x10010003:0")
                   .exitCode == 0;
}

QvSimPrinter::~QvSimPrinter() {
  if (printer_->Installed()) Ctl("reset " + QuoteArgument(printer_->AnsiName()));
  printer_.reset();
  if (ownsLibraryCopy_) ::DeleteFileA(libraryCopy_.c_str());
}

CapturedRun QvSimPrinter::Ctl(const std::string& arguments) const {
  return RunCaptured("qvsimctl.exe", arguments, 30000);
}

std::string QvSimPrinter::Calls() const {
  return Ctl("calls " + QuoteArgument(Name())).output;
}

}  // namespace vgtest
