// A printer of the spooler with its level-2 record: what the spooler knows, what a printer it
// does not know gives, and that the record is the one of the moment it was read.
#include <gtest/gtest.h>

#include <string>

#include "common/spooler_printer_win.h"
#include "support/test_printer.h"

namespace {

TEST(SpoolerPrinter, ReadsTheRecordOfAPrinterTheSpoolerKnows) {
  vgtest::TestPrinter installed(L"VgTest Record", L"LPT1:");
  ASSERT_TRUE(installed.Installed());
  const std::string name = installed.AnsiName();

  const SpoolerPrinter printer(name.c_str());
  ASSERT_TRUE(printer.IsOpen());
  ASSERT_NE(printer.Info(), nullptr);
  EXPECT_EQ(std::string(printer.Info()->pPrinterName), name);
  EXPECT_EQ(printer.DriverName(), installed.DriverName());
  EXPECT_EQ(printer.PortName(), "LPT1:");

  // Opened with the access asked for: to use it, as a user without administration rights may.
  const SpoolerPrinter user(name.c_str(), PRINTER_ACCESS_USE);
  ASSERT_NE(user.Info(), nullptr);
  EXPECT_EQ(user.DriverName(), installed.DriverName());
}

TEST(SpoolerPrinter, TheRecordIsTheOneOfItsMomentUntilItIsReadAgain) {
  vgtest::TestPrinter installed(L"VgTest Moment", L"LPT1:");
  ASSERT_TRUE(installed.Installed());
  const std::string name = installed.AnsiName();

  SpoolerPrinter admin(name.c_str(), PRINTER_ALL_ACCESS);
  ASSERT_NE(admin.MutableInfo(), nullptr);
  char comment[] = "changed by the test";
  admin.MutableInfo()->pComment = comment;
  admin.MutableInfo()->pSecurityDescriptor = nullptr;
  ASSERT_TRUE(::SetPrinterA(admin.Handle(), 2, reinterpret_cast<BYTE*>(admin.MutableInfo()), 0));

  SpoolerPrinter reader(name.c_str());
  ASSERT_NE(reader.Info(), nullptr);
  ASSERT_NE(reader.Info()->pComment, nullptr);
  EXPECT_EQ(std::string(reader.Info()->pComment), comment);

  char other[] = "changed again";
  admin.MutableInfo()->pComment = other;
  ASSERT_TRUE(::SetPrinterA(admin.Handle(), 2, reinterpret_cast<BYTE*>(admin.MutableInfo()), 0));
  EXPECT_EQ(std::string(reader.Info()->pComment), comment) << "a record read before the change";
  ASSERT_TRUE(reader.Refresh());
  EXPECT_EQ(std::string(reader.Info()->pComment), other);
}

TEST(SpoolerPrinter, APrinterTheSpoolerDoesNotKnowGivesNoRecord) {
  for (const char* name : {"VgTest no such printer", "", static_cast<const char*>(nullptr)}) {
    SpoolerPrinter printer(name);
    EXPECT_FALSE(printer.IsOpen());
    EXPECT_EQ(printer.Handle(), nullptr);
    EXPECT_EQ(printer.Info(), nullptr);
    EXPECT_EQ(printer.MutableInfo(), nullptr);
    EXPECT_EQ(printer.DriverName(), "");
    EXPECT_EQ(printer.PortName(), "");
    EXPECT_FALSE(printer.Refresh());
  }
  EXPECT_TRUE(QueryPrinterInfo2(nullptr).empty());
}

}  // namespace
