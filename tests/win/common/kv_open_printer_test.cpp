// Opening printers of the spooler by their single-byte names.
#include <gtest/gtest.h>

#include <string>

#include "common/kv_open_printer_win.h"
#include "common/spooler_printer_win.h"
#include "common/unique_handle.h"
#include "support/test_printer.h"

namespace {

TEST(KvOpenPrinter, OpensAPrinterByItsCodePageName) {
  // "VgTest Drucker " with a capital U umlaut, a character of the ANSI code page.
  vgtest::TestPrinter installed(L"VgTest Drucker \u00DC");
  ASSERT_TRUE(installed.Installed());
  const std::string name = installed.AnsiName();
  ASSERT_NE(name.find('\xDC'), std::string::npos);

  ScopedPrinter printer;
  EXPECT_TRUE(KV_OpenPrinter(name.c_str(), printer.Receive(), nullptr));
  ASSERT_TRUE(printer.IsValid());
  std::vector<BYTE> info = QueryPrinterInfo2(printer.Get());
  ASSERT_FALSE(info.empty());
  EXPECT_EQ(std::string(reinterpret_cast<PRINTER_INFO_2A*>(info.data())->pPrinterName), name);

  PRINTER_DEFAULTSA defaults = {nullptr, nullptr, PRINTER_ACCESS_USE};
  ScopedPrinter withDefaults;
  EXPECT_TRUE(KV_OpenPrinter(name.c_str(), withDefaults.Receive(), &defaults));
  EXPECT_TRUE(withDefaults.IsValid());
}

TEST(KvOpenPrinter, FailureLeavesNoHandle) {
  HANDLE printer = reinterpret_cast<HANDLE>(0x1234);
  EXPECT_FALSE(KV_OpenPrinter("VgTest no such printer", &printer, nullptr));
  EXPECT_EQ(printer, nullptr);

  // A name whose characters the code page cannot hold arrives as question marks: neither
  // attempt finds such a printer, and nothing is left open.
  vgtest::TestPrinter installed(L"VgTest \u0416\u4E2D");
  ASSERT_TRUE(installed.Installed());
  printer = reinterpret_cast<HANDLE>(0x1234);
  EXPECT_FALSE(KV_OpenPrinter(installed.AnsiName().c_str(), &printer, nullptr));
  EXPECT_EQ(printer, nullptr);

  printer = reinterpret_cast<HANDLE>(0x1234);
  EXPECT_FALSE(KV_OpenPrinter("", &printer, nullptr));
  EXPECT_EQ(printer, nullptr);
  EXPECT_FALSE(KV_OpenPrinter("VgTest no such printer", nullptr, nullptr));
  EXPECT_TRUE(QueryPrinterInfo2(nullptr).empty());
}

}  // namespace
