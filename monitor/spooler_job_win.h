#pragma once
// Whether the spooler still holds real print jobs for the printer, and whether its queue is
// paused. Results: 1 real work, 0 none (or a single dummy), -1 printer unavailable, -2 no
// memory or a single job without a document name.
#include "common/win.h"

int ChkSpoolerJob(const char* printerName, const char* portName);
int ChkSubSpoolerJob(HANDLE printer);
// 1 the queue is exactly paused, 0 it is not, -1 it cannot be read.
int GetSpoolPause(const char* printerName);
