// The spooler job check and the paused-queue test of the monitor, with the queue supplied by
// a stand-in spooler (Wine keeps no job queue across processes and pauses no queue).
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "common/spooler_printer_win.h"
#include "monitor/spooler_access_win.h"
#include "monitor/spooler_job_win.h"
#include "support/test_printer.h"

namespace {

// Jobs per printer handle, by the printer's name.
class StandInSpooler : public SpoolerAccess {
 public:
  std::map<std::string, std::vector<const char*>> jobs;  // document names (null: none)
  std::map<std::string, DWORD> status;
  std::vector<std::string> asked;

  BOOL EnumJobs(HANDLE printer, DWORD, DWORD count, BYTE* buffer, DWORD size, DWORD* needed,
                DWORD* returned) override {
    const std::string name = NameOf(printer);
    asked.push_back(name);
    const auto& list = jobs[name];
    const DWORD n = static_cast<DWORD>(list.size() < count ? list.size() : count);
    DWORD bytes = n * sizeof(JOB_INFO_1A);
    for (DWORD i = 0; i < n; ++i) bytes += list[i] ? static_cast<DWORD>(strlen(list[i]) + 1) : 0;
    *needed = bytes;
    *returned = 0;
    if (size < bytes) {
      ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return FALSE;
    }
    auto* infos = reinterpret_cast<JOB_INFO_1A*>(buffer);
    char* strings = reinterpret_cast<char*>(buffer + n * sizeof(JOB_INFO_1A));
    for (DWORD i = 0; i < n; ++i) {
      infos[i] = JOB_INFO_1A{};
      infos[i].JobId = i + 1;
      if (list[i]) {
        strcpy(strings, list[i]);
        infos[i].pDocument = strings;
        strings += strlen(list[i]) + 1;
      }
    }
    *returned = n;
    return TRUE;
  }
  bool QueueStatus(HANDLE printer, DWORD* value) override {
    *value = status[NameOf(printer)];
    return true;
  }

 private:
  static std::string NameOf(HANDLE printer) {
    const std::vector<BYTE> info = QueryPrinterInfo2(printer);
    if (info.empty()) return "";
    const char* name = reinterpret_cast<const PRINTER_INFO_2A*>(info.data())->pPrinterName;
    return name ? name : "";
  }
};

class SpoolerJobTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(printer_.Installed());
    SetSpoolerForTest(&spooler_);
  }
  void TearDown() override { SetSpoolerForTest(nullptr); }
  std::string Name() const { return printer_.AnsiName(); }

  vgtest::TestPrinter printer_{L"Queue"};
  StandInSpooler spooler_;
};

TEST_F(SpoolerJobTest, EmptyQueueAndSingleDummiesAreNoWork) {
  EXPECT_EQ(ChkSpoolerJob(Name().c_str(), "FILE:"), 0);
  spooler_.jobs[Name()] = {"local downlevel DOCUMENT"};
  EXPECT_EQ(ChkSpoolerJob(Name().c_str(), "FILE:"), 0);
  spooler_.jobs[Name()] = {"<<<*** KORVA QVAPI Dummy Document Data ***>>>"};
  EXPECT_EQ(ChkSpoolerJob(Name().c_str(), "FILE:"), 0);
}

TEST_F(SpoolerJobTest, RealDocumentsAndTwoDummiesAreWork) {
  spooler_.jobs[Name()] = {"Invoice.pdf"};
  EXPECT_EQ(ChkSpoolerJob(Name().c_str(), "FILE:"), 1);
  spooler_.jobs[Name()] = {"Local DownLevel Document", "Local DownLevel Document"};
  EXPECT_EQ(ChkSpoolerJob(Name().c_str(), "FILE:"), 1);
  spooler_.jobs[Name()] = {nullptr};
  EXPECT_EQ(ChkSpoolerJob(Name().c_str(), "FILE:"), -2);
}

TEST_F(SpoolerJobTest, MissingPrinterIsUnavailable) {
  EXPECT_EQ(ChkSpoolerJob("no such printer here", "FILE:"), -1);
  EXPECT_EQ(GetSpoolPause("no such printer here"), -1);
  EXPECT_EQ(GetSpoolPause(""), -1);
}

TEST_F(SpoolerJobTest, PausedOnlyWhenThePauseIsTheWholeStatus) {
  EXPECT_EQ(GetSpoolPause(Name().c_str()), 0);
  spooler_.status[Name()] = PRINTER_STATUS_PAUSED;
  EXPECT_EQ(GetSpoolPause(Name().c_str()), 1);
  spooler_.status[Name()] = PRINTER_STATUS_PAUSED | PRINTER_STATUS_ERROR;
  EXPECT_EQ(GetSpoolPause(Name().c_str()), 0);
}

TEST_F(SpoolerJobTest, UnreachableServerShareKeepsTheLocalAnswer) {
  // A local printer on a server share asks the server's queue when its own is empty; a server
  // that cannot be opened leaves the answer at "no work".
  EXPECT_EQ(ChkSpoolerJob(Name().c_str(), "\\\\nosuchserver\\share"), 0);
  EXPECT_EQ(spooler_.asked, std::vector<std::string>{Name()});
  spooler_.jobs[Name()] = {"Local work.txt"};
  EXPECT_EQ(ChkSpoolerJob(Name().c_str(), "\\\\nosuchserver\\share"), 1);
}

}  // namespace
