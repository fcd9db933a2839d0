#include "printer/channel_rules.h"

namespace vgchan {
namespace {

template <size_t N>
uint32_t Candidate(const uint32_t (&list)[N], int index) {
  return (index >= 0 && static_cast<size_t>(index) < N) ? list[index] : 0;
}

}  // namespace

uint32_t StatusThreadCandidate(int index) {
  static const uint32_t kList[] = {qvapi::kChannel4, qvapi::kChannel10000005,
                                   qvapi::kChannelParallel};
  return Candidate(kList, index);
}

uint32_t SessionStatusCandidate(int index) {
  static const uint32_t kList[] = {qvapi::kChannel4, qvapi::kChannel10000005,
                                   qvapi::kChannelParallel, qvapi::kChannel10000003,
                                   qvapi::kChannel02000001};
  return Candidate(kList, index);
}

uint32_t SessionDataCandidate(int index) {
  static const uint32_t kList[] = {qvapi::kChannelParallel, qvapi::kChannel4,
                                   qvapi::kChannel10000003};
  return Candidate(kList, index);
}

int FindChannelRecord(const qvapi::ChannelRecord* records, int count, uint32_t channel,
                      uint16_t modeMask) {
  if (records == nullptr) return -1;
  for (int i = 0; i < count; ++i) {
    if (records[i].channel != channel) continue;
    // Only the first record of a channel counts, even when a later one would match.
    return (qvapi::ModeOf(records[i]) & modeMask) == modeMask ? i : -2;
  }
  return -1;
}

int IsLptStatusChannel(std::string_view portName, uint32_t channel) {
  const bool lpt = portName.find("LPT") != std::string_view::npos ||
                   portName.find("lpt") != std::string_view::npos;
  return lpt && channel == qvapi::kChannelParallel ? 1 : 0;
}

}  // namespace vgchan
