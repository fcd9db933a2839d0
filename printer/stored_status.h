#pragma once
// What the status window makes of the values that a monitor left in the printer's target key:
// "ComStatus" (any 32-bit value, 2 when missing), and the raw reply "Status" (any bytes, any
// size) with the channel "Channel" it came from. Another process wrote them, so every value
// is taken as it comes and decoded without trusting its size or content.
#include <cstddef>
#include <cstdint>

#include "printer/status_decode.h"

namespace vgstored {

// The value read when "ComStatus" is missing.
constexpr uint32_t kComStatusMissing = 2;

// (The status worker's pass result for a "ComStatus" value is vgworker::ComStatusResult.)

// The first status of a status window that opens while a monitor runs: 0 when the stored
// reply is to be read (1), else the status number made without a reply: 16 another model
// (3), 22 the reported communication error (4), 21 for every other value.
int32_t FirstStatusNoOfComStatus(uint32_t comStatus);

// The channel a stored reply is decoded with: the "Channel" value, or the worker's selected
// channel when the value is 0 (missing).
uint32_t StoredReplyChannel(uint32_t channelValue, uint32_t selectedChannel);

// Decodes a stored reply as the status window does. An empty "Status" is no reply (false,
// nothing decoded). A reply that does not decode gives the default status made without
// channel, reply or number, so that the window always has a status to show.
bool DecodeStoredReply(const CStatusCtrl& table, uint32_t channel, const void* reply,
                       size_t size, DecodedStatus* out);

}  // namespace vgstored
