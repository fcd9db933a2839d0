// Polling interval texts of any bytes (a Driver key value anyone with rights may write): the
// result is -1 or a number from 1 to the largest, exactly what a plain reading of the rule
// gives: blanks and tabs, then decimal digits, before the first comma; a number too long to
// hold reads as the largest.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "printer/timer_string.h"

namespace {

long long Expected(std::string_view text) {
  text = text.substr(0, text.find(','));
  const size_t start = text.find_first_not_of(" \t");
  if (start == std::string_view::npos) return -1;
  long long value = 0;
  bool digits = false;
  for (size_t pos = start; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
    digits = true;
    value = value * 10 + (text[pos] - '0');
    if (value > vgtimer::kMaxTimerSeconds) value = vgtimer::kMaxTimerSeconds + 1LL;
  }
  if (value > vgtimer::kMaxTimerSeconds) value = vgtimer::kMaxTimerSeconds;
  return (!digits || value == 0) ? -1 : value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const int seconds = vgtimer::SecondsFromTimerString(text);
  if (seconds != -1 && (seconds < 1 || seconds > vgtimer::kMaxTimerSeconds)) __builtin_trap();
  if (seconds != Expected(text)) __builtin_trap();
  return 0;
}
