#pragma once
// How the exports address the printer of the current identity: by printer name (kind 1), or
// by port name (kind 0) when the printer name is empty.
struct PrinterAddress {
  int kind;
  const char* name;
};
PrinterAddress CurrentPrinterAddress();
