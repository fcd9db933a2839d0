// Profile texts are files that anyone may edit: the section scan, the STATUS-line parser and
// the row builder must accept any text and keep their limits.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "printer/status_ctrl.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  // The first line names the section, the rest is the file.
  const size_t newline = text.find('\n');
  const std::string_view section =
      newline == std::string::npos ? std::string_view() : std::string_view(text).substr(0, newline);

  CProfileInfo single;
  single.ParseLine(text);
  ProfileLine line;
  if (single.First(&line)) {
    if (std::strlen(line.text1) > kProfileFieldMax || std::strlen(line.text2) > kProfileFieldMax)
      std::abort();
    if (line.alert != 0 && line.alert != 1) std::abort();
  }

  CStatusCtrl table;
  const int result = table.LoadProfile(text, section);
  const int lines = table.ProfileInfo().GetLineCount();
  const int rows = table.GetRowCount();
  if (result == 1 && rows != lines - 1) std::abort();
  if (result != 1 && rows != 0) std::abort();
  for (int i = 0; i < rows; ++i) {
    const StatusRecord* record = table.GetRecord(i);
    if (record == nullptr || table.GetCodeRow(i) == nullptr) std::abort();
    if (std::memchr(record->text1, 0, sizeof(record->text1)) == nullptr) std::abort();
    if (FindCategoryRow(record->category) == nullptr) std::abort();
    if (record->statusNo != table.GetCodeRow(i)->statusNo) std::abort();
  }
  if (table.GetRecord(rows + static_cast<int>(kBuiltInRecordCount)) != nullptr) std::abort();
  return 0;
}
