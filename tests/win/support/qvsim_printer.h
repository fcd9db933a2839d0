#pragma once
// A spooler printer whose bidirectional library is the simulator: qvsim.dll lies beside the
// driver's data file and the printer data "QVAPIB6Namex86" names it, as an installation
// leaves it. The simulated printer starts with a device ID and channels; qvsimctl sets more.
#include <memory>
#include <string>

#include "support/process_output.h"
#include "support/test_printer.h"

namespace vgtest {

class QvSimPrinter {
 public:
  explicit QvSimPrinter(const std::wstring& baseName);
  ~QvSimPrinter();
  QvSimPrinter(const QvSimPrinter&) = delete;
  QvSimPrinter& operator=(const QvSimPrinter&) = delete;

  bool Ready() const { return ready_; }
  std::string Name() const { return printer_->AnsiName(); }
  // Runs "qvsimctl ARGS" (arguments given as the command line text).
  CapturedRun Ctl(const std::string& arguments) const;
  // The simulator's call log for this printer, one call a line.
  std::string Calls() const;

 private:
  std::unique_ptr<TestPrinter> printer_;
  std::string libraryCopy_;
  bool ownsLibraryCopy_ = false;
  bool ready_ = false;
};

}  // namespace vgtest
