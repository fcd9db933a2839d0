#include "printer/timer_string.h"

namespace vgtimer {

int SecondsFromTimerString(std::string_view text) {
  text = text.substr(0, text.find(','));
  size_t pos = 0;
  while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
  long value = 0;
  bool digits = false;
  while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
    digits = true;
    // A number too long to hold reads as the largest one, never as a smaller one.
    value = value < 100000000 ? value * 10 + (text[pos] - '0') : kMaxTimerSeconds;
    ++pos;
  }
  return (!digits || value == 0) ? -1 : static_cast<int>(value);
}

}  // namespace vgtimer
