// Polling interval texts of any bytes (a Driver key value anyone with rights may write): the
// result is -1 or a number from 1 to the largest, and a number needs a digit where it starts.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "printer/timer_string.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const int seconds = vgtimer::SecondsFromTimerString(text);
  if (seconds == -1) return 0;
  if (seconds < 1 || seconds > vgtimer::kMaxTimerSeconds) __builtin_trap();
  const std::string_view field = text.substr(0, text.find(','));
  const size_t start = field.find_first_not_of(" \t");
  if (start == std::string_view::npos || field[start] < '0' || field[start] > '9') {
    __builtin_trap();
  }
  return 0;
}
