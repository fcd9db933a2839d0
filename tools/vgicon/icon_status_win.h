#pragma once
// What the tray icon of one printer shows: the tray icon that the printer's preferences chose
// and the printer's latest status, both from the printer's target key, the status decoded
// through the model's status tables as the status window decodes it.
#include <string>

#include "common/win.h"

struct IconPrinter {
  std::string printer;
  std::string port;
  std::string driver;
  std::string model;
};

struct IconLook {
  int iconResource = 0;  // 700 to 702
  std::string status;    // the status's title; "" before any status is stored
};

// Reads the printer's choice and status; resources is the model's resource library (the
// status texts and the tray icons).
IconLook ReadIconLook(const IconPrinter& printer, HMODULE resources);
