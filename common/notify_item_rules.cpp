#include "common/notify_item_rules.h"

#include <cstdio>

namespace vgnotify {

namespace {

constexpr std::string_view kItemTag = "ITEM";
constexpr size_t kItemDigits = 3;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool ParseItemLine(std::string_view line, NotifyItem* item) {
  for (size_t at = line.find(kItemTag); at != std::string_view::npos;
       at = line.find(kItemTag, at + 1)) {
    const size_t digits = at + kItemTag.size();
    const size_t equals = digits + kItemDigits;
    if (equals >= line.size()) return false;  // no later "ITEM" can fit either
    if (!IsDigit(line[digits]) || !IsDigit(line[digits + 1]) || !IsDigit(line[digits + 2]) ||
        line[equals] != '=') {
      continue;
    }
    if (item != nullptr) {
      item->name.assign(line.substr(digits, kItemDigits));
      item->value = ParseLeadingInt(line.substr(equals + 1));
    }
    return true;
  }
  return false;
}

int32_t ParseLeadingInt(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  // Accumulated as a magnitude, so that the most negative number is reachable.
  constexpr int64_t kMaxMagnitude = int64_t{INT32_MAX} + 1;
  int64_t magnitude = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > kMaxMagnitude) magnitude = kMaxMagnitude;
  }
  if (negative) return static_cast<int32_t>(-magnitude);
  return magnitude > INT32_MAX ? INT32_MAX : static_cast<int32_t>(magnitude);
}

std::vector<std::string_view> SectionLines(const char* buffer, size_t length) {
  std::vector<std::string_view> lines;
  if (buffer == nullptr) return lines;
  size_t start = 0;
  while (start < length) {
    size_t end = start;
    while (end < length && buffer[end] != '\0') ++end;
    if (end == start) break;  // the empty line that ends the list
    lines.emplace_back(buffer + start, end - start);
    start = end + 1;
  }
  return lines;
}

std::vector<NotifyItem> CollectItems(const std::vector<std::string_view>& lines, int maxItems) {
  std::vector<NotifyItem> items;
  if (maxItems <= 0) return items;
  for (std::string_view line : lines) {
    NotifyItem item;
    if (!ParseItemLine(line, &item)) continue;
    items.push_back(std::move(item));
    if (items.size() >= static_cast<size_t>(maxItems)) break;
  }
  return items;
}

std::string NotifyValueName(int number) {
  char name[16];
  std::snprintf(name, sizeof name, "%03d", number);
  return name;
}

}  // namespace vgnotify
