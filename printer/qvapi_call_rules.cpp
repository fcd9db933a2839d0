#include "printer/qvapi_call_rules.h"

namespace vgqvcall {

uint32_t DeadlineMs(int pollSeconds) {
  int seconds = pollSeconds;
  if (seconds <= 0) seconds = kDefaultPollSeconds;
  if (seconds < kMinPollSeconds) seconds = kMinPollSeconds;
  if (seconds > kMaxPollSeconds) seconds = kMaxPollSeconds;
  return static_cast<uint32_t>(seconds) * 1000u;
}

bool IsCrash(uint32_t exceptionCode) { return (exceptionCode & 0x80000000u) != 0; }

Refusal CallBook::Admit() const {
  if (crashed_) return Refusal::kCrashed;
  if (unanswered_ > 0) return Refusal::kUnanswered;
  return Refusal::kNone;
}

void CallBook::Crashed(uint32_t exceptionCode) {
  // The first crash is the one the log tells of.
  if (!crashed_) crashCode_ = exceptionCode;
  crashed_ = true;
}

}  // namespace vgqvcall
