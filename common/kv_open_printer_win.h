#pragma once
// Opening printers through the spooler.
#include <vector>

#include "common/win.h"

// OpenPrinterA, with a second attempt through OpenPrinterW on NT for names that hold
// characters outside the ANSI code page.
BOOL KV_OpenPrinter(const char* printerName, HANDLE* printer, PRINTER_DEFAULTSA* defaults);

// PRINTER_INFO_2 of an open printer by the two-call pattern (the size query must fail with
// ERROR_INSUFFICIENT_BUFFER); empty on any failure. The strings point into the block.
std::vector<BYTE> QueryPrinterInfo2(HANDLE printer);
