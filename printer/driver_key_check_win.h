#pragma once
// The check that the viewer entries make before they open a window: the printer's driver
// must have its Driver key, else the user is told to reinstall the driver.
#include "common/win.h"

// 1 when "software\KORVA\VGL3\Driver\<driverName>" opens; else a message box (string 1235,
// caption string 1100 of the resource library, or their English texts) and 0.
int CheckDriverKey(const char* driverName, const char* resDllName);
