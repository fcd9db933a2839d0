#include "monitor/spooler_access_win.h"

#include <vector>

#include "common/spooler_printer_win.h"

namespace {
SpoolerAccess* g_testSpooler = nullptr;
}

BOOL SpoolerAccess::EnumJobs(HANDLE printer, DWORD firstJob, DWORD count, BYTE* buffer,
                             DWORD size, DWORD* needed, DWORD* returned) {
  return ::EnumJobsA(printer, firstJob, count, 1, buffer, size, needed, returned);
}

bool SpoolerAccess::QueueStatus(HANDLE printer, DWORD* status) {
  const std::vector<BYTE> info = QueryPrinterInfo2(printer);
  if (info.empty()) return false;
  *status = reinterpret_cast<const PRINTER_INFO_2A*>(info.data())->Status;
  return true;
}

SpoolerAccess& TheSpooler() {
  static SpoolerAccess real;
  return g_testSpooler ? *g_testSpooler : real;
}

void SetSpoolerForTest(SpoolerAccess* spooler) { g_testSpooler = spooler; }
