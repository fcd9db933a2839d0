#pragma once
// Notification items of a model's profile section, on plain text: which lines are items,
// what their value names and default values are, and the "%03d" names of the per-printer
// notification switches.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vgnotify {

struct NotifyItem {
  std::string name;   // the three digits as written, e.g. "007"
  int32_t value = 0;  // the number after "="
};

// A line is an item when it holds "ITEM" followed at once by three decimal digits and "="
// (so "ITEMNUM=", "ITEM12=" and "ITEM0123=" are not). The value is the text after "="
// converted as a decimal number: leading blanks, a sign, then digits; 0 when there are none.
bool ParseItemLine(std::string_view line, NotifyItem* item);

// The usual decimal conversion of a text: leading blanks and tabs, an optional sign, then
// the digits up to the first other character; 0 without digits. Saturates at the 32-bit
// limits instead of overflowing.
int32_t ParseLeadingInt(std::string_view text);

// The lines of a section as GetPrivateProfileSection returns it: each ends with a zero byte,
// an empty line ends the list, and nothing past length is read.
std::vector<std::string_view> SectionLines(const char* buffer, size_t length);

// The first maxItems item lines of the section, in file order (none for maxItems <= 0).
std::vector<NotifyItem> CollectItems(const std::vector<std::string_view>& lines, int maxItems);

// The value name of a status or item number in the "Notify" key: "%03d".
std::string NotifyValueName(int number);

}  // namespace vgnotify
