#include "printer/stored_status.h"

namespace vgstored {

int32_t FirstStatusNoOfComStatus(uint32_t comStatus) {
  switch (comStatus) {
    case 1:
      return 0;
    case 3:
      return kStatusOtherModel;
    case 4:
      return kStatusCommErrorReported;
    default:
      return kStatusCommError;
  }
}

uint32_t StoredReplyChannel(uint32_t channelValue, uint32_t selectedChannel) {
  return channelValue != 0 ? channelValue : selectedChannel;
}

bool DecodeStoredReply(const CStatusCtrl& table, uint32_t channel, const void* reply,
                       size_t size, DecodedStatus* out) {
  if (out == nullptr) return false;
  *out = DecodedStatus();
  if (reply == nullptr || size == 0) return false;
  if (DecodeStatus(table, channel, reply, size, 0, nullptr, out)) return true;
  return DecodeStatus(table, 0, nullptr, 0, 0, nullptr, out);
}

}  // namespace vgstored
