#pragma once
// The monitor's way to the spooler's job queue and queue state. The product uses the real
// spooler; Wine keeps no job queue across processes and pauses no queue, so tests put a
// stand-in here.
#include "common/win.h"

class SpoolerAccess {
 public:
  virtual ~SpoolerAccess() = default;
  // EnumJobsA at information level 1.
  virtual BOOL EnumJobs(HANDLE printer, DWORD firstJob, DWORD count, BYTE* buffer, DWORD size,
                        DWORD* needed, DWORD* returned);
  // The Status of PRINTER_INFO_2 by the two-call pattern; false when unreadable.
  virtual bool QueueStatus(HANDLE printer, DWORD* status);
};

SpoolerAccess& TheSpooler();
// Replaces the spooler for a test; null brings the real one back.
void SetSpoolerForTest(SpoolerAccess* spooler);
