// Timer strings ("30,90") come from a Driver key value that anyone with the rights may set:
// any text gives -1 or the seconds of its first number, as a plain reading of the rule does.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "printer/timer_string.h"

namespace {

// The rule read literally: blanks and tabs, then decimal digits, before the first comma.
long long Expected(std::string_view text) {
  text = text.substr(0, text.find(','));
  size_t pos = text.find_first_not_of(" \t");
  if (pos == std::string_view::npos) return -1;
  long long value = 0;
  bool digits = false;
  for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
    digits = true;
    value = value * 10 + (text[pos] - '0');
    if (value > 999999999) return -2;  // beyond what the reader promises to keep exactly
  }
  return (!digits || value == 0) ? -1 : value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const int seconds = vgtimer::SecondsFromTimerString(text);
  if (seconds == 0 || seconds < -1) std::abort();
  const long long expected = Expected(text);
  if (expected == -2) {
    if (seconds < 100000000) std::abort();  // a huge number still reads as a long time
  } else if (seconds != expected) {
    std::abort();
  }
  return 0;
}
