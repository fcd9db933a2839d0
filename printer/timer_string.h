#pragma once
// The polling interval written in a Driver key value: "30,90" means 30 seconds.
#include <string_view>

namespace vgtimer {

// The largest number read; longer numbers read as this.
constexpr int kMaxTimerSeconds = 999999999;

// The decimal number before the first comma (or of the whole text), after leading blanks and
// tabs, up to its first other character; -1 when it is 0, empty or not a number.
int SecondsFromTimerString(std::string_view text);

}  // namespace vgtimer
