#pragma once
// A printer of the spooler, opened by its name with its level-2 record read: the one way the
// product, the tools and the tests ask the spooler which driver and port a printer has and
// what state its queue is in. The printer's handle and the record's buffer are owned
// together, so the record's strings stay valid while the object lives.
#include <string>
#include <vector>

#include "common/unique_handle.h"
#include "common/win.h"

// PRINTER_INFO_2 of an open printer by the two-call pattern (the size query must fail with
// ERROR_INSUFFICIENT_BUFFER); empty on any failure. The strings point into the block.
std::vector<BYTE> QueryPrinterInfo2(HANDLE printer);

class SpoolerPrinter {
 public:
  // Opens the printer by KV_OpenPrinter (its name as it is, then on NT its wide form) with
  // the access asked for (0: the spooler's default for the caller), and reads its record.
  explicit SpoolerPrinter(const char* printerName, ACCESS_MASK access = 0);
  SpoolerPrinter(const SpoolerPrinter&) = delete;
  SpoolerPrinter& operator=(const SpoolerPrinter&) = delete;

  bool IsOpen() const { return m_hPrinter.IsValid(); }
  HANDLE Handle() const { return m_hPrinter.Get(); }

  // The record; null when the printer did not open or its record could not be read.
  const PRINTER_INFO_2A* Info() const;
  // The same record to change, as SetPrinterA takes it back.
  PRINTER_INFO_2A* MutableInfo();
  // Reads the record again; false, and no record, when it cannot be read.
  bool Refresh();

  // The record's driver and port names; "" without a record or a name.
  std::string DriverName() const;
  std::string PortName() const;

 private:
  ScopedPrinter m_hPrinter;
  std::vector<BYTE> m_info;
};
