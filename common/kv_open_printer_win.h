#pragma once
// Opening printers through the spooler.
#include "common/win.h"

// OpenPrinterA, with a second attempt through OpenPrinterW on NT for names that hold
// characters outside the ANSI code page.
BOOL KV_OpenPrinter(const char* printerName, HANDLE* printer, PRINTER_DEFAULTSA* defaults);
