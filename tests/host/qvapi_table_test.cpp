// The bidirectional library's function table, bound by name from the one list of the twelve
// functions.
#include "common/qvapi.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

// Distinct fake addresses by name; a name missing from the map is not exported.
struct FakeLibrary {
  std::map<std::string, void*> exports;
  std::vector<std::string> asked;
  void* operator()(const char* name) {
    asked.push_back(name);
    const auto found = exports.find(name);
    return found == exports.end() ? nullptr : found->second;
  }
};

const std::vector<std::string> kNames = {
    "QVInitialize",    "QVRelease",   "QVGetDeviceID",   "QVGetAvailableChannel",
    "QVOpenChannel",   "QVCloseChannel", "QVSetOption",  "QVGetOption",
    "QVReceiveCancel", "QVGetStatus", "QVReceive",       "QVSend"};

FakeLibrary Complete() {
  static char addresses[12];
  FakeLibrary library;
  for (size_t i = 0; i < kNames.size(); ++i) library.exports[kNames[i]] = &addresses[i];
  return library;
}

TEST(QvApiTable, AllTwelveAreBoundByNameInTheirOrder) {
  FakeLibrary library = Complete();
  qvapi::FunctionTable table;
  EXPECT_EQ(qvapi::BindFunctions(&table, library), nullptr);
  EXPECT_EQ(library.asked, kNames);
  EXPECT_EQ(reinterpret_cast<void*>(table.QVInitialize), library.exports["QVInitialize"]);
  EXPECT_EQ(reinterpret_cast<void*>(table.QVGetStatus), library.exports["QVGetStatus"]);
  EXPECT_EQ(reinterpret_cast<void*>(table.QVSend), library.exports["QVSend"]);
}

TEST(QvApiTable, TheFirstMissingNameIsReportedAndNothingStaysBound) {
  FakeLibrary library = Complete();
  library.exports.erase("QVReceive");
  library.exports.erase("QVGetOption");
  qvapi::FunctionTable table;
  table.QVRelease = reinterpret_cast<PFN_QVRelease>(library.exports["QVRelease"]);
  EXPECT_STREQ(qvapi::BindFunctions(&table, library), "QVGetOption");
  EXPECT_EQ(library.asked.back(), "QVGetOption") << "the search stops there";
  EXPECT_EQ(table.QVInitialize, nullptr);
  EXPECT_EQ(table.QVRelease, nullptr) << "an earlier binding is not kept";
}

}  // namespace
