// Every export of the printer library turns an exception inside it (in practice a failed
// allocation) into its failure result and a log line: the host program never sees it.
#include <gtest/gtest.h>

#include <string>

#include "common/debug_log_win.h"
#include "common/vgprn_exports.h"
#include "printer/test_app_instance.h"
#include "support/win_test_support.h"

namespace {

class FailingLookups {
 public:
  FailingLookups() { vgtest::FailAppLookups(true); }
  ~FailingLookups() { vgtest::FailAppLookups(false); }
};

TEST(ExportGuard, AnExceptionInsideAnExportBecomesItsFailureResult) {
  VgTraceEnable(true);
  const std::string logPath = VgLogPath();
  const size_t offset = vgtest::FileSize(logPath);
  int popup = -99;
  int sound = -99;
  int printing = -99;
  int real = -99;
  int simple = -99;
  DWORD statusChannel = 0;
  DWORD dataChannel = 0;
  char id[16] = "";
  DWORD size = sizeof id;
  int network = 0;
  void* data = nullptr;
  {
    FailingLookups failing;
    EXPECT_EQ(PrMonitoringStart(nullptr, "P", "D", "LPT1:", "M", "", nullptr), 1);
    EXPECT_EQ(PrMonitoringEnd(), 1);
    EXPECT_EQ(PrGetChannel(&statusChannel, &dataChannel), 1);
    EXPECT_EQ(PrGetDeviceID(id, &size), 1);
    EXPECT_EQ(PrGetStatus(0, &popup, &sound, &printing, &real, &simple), -1);
    EXPECT_EQ(PrGetTimerValue(0x10000005, &network), -1);
    EXPECT_EQ(PrSendPrinterData(0, &size, &data), 1);
    EXPECT_EQ(PrGetPrinterData(0, &size, &data), 1);
    EXPECT_EQ(PrReleasePrinterData(&data), 0);
    EXPECT_EQ(PrSetRegDefaultValue("P", "D", "LPT1:", "M", ""), 1);
    EXPECT_EQ(PrReleaseRegistry("P", "D", "LPT1:", "M"), 1);
    EXPECT_EQ(PrStartView(2, "P", "D", "LPT1:", "M", "", ""), 1);
  }
  VgTraceEnable(false);
  int caught = 0;
  bool statusLine = false;
  for (const std::string& line : vgtest::LogLinesOf(logPath, ::GetCurrentProcessId(), 4, offset)) {
    if (line.find(" : exception caught : std::bad_alloc") == std::string::npos) continue;
    ++caught;
    statusLine = statusLine || line.find("PrGetStatus() : exception caught") != std::string::npos;
  }
  EXPECT_EQ(caught, 12) << "one line per export";
  EXPECT_TRUE(statusLine) << "the line names the export";
}

}  // namespace
