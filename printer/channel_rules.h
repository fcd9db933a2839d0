#pragma once
// Channel decisions of the printer library that need no system: candidate lists, channel
// selection over the library's channel records, and the parallel-port allowance test.
#include <cstdint>
#include <string_view>

#include "common/qvapi.h"

namespace vgchan {

// The index-th status channel candidate of the status thread (0 ends the list).
uint32_t StatusThreadCandidate(int index);
// The index-th status channel candidate of a monitoring session and the status window's
// worker (0 ends the list).
uint32_t SessionStatusCandidate(int index);
// The index-th data channel candidate of a monitoring session (0 ends the list).
uint32_t SessionDataCandidate(int index);

// The first record of the channel decides: -1 when the channel is missing, else its index
// when its mode word holds every bit of the mask, else -2 (present without the mode).
int FindChannelRecord(const qvapi::ChannelRecord* records, int count, uint32_t channel,
                      uint16_t modeMask);

// 1 when the port name contains "LPT" or "lpt" and the channel is the parallel-port channel.
int IsLptStatusChannel(std::string_view portName, uint32_t channel);

}  // namespace vgchan
