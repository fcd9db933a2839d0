// The channel list comes from the printer maker's library: any records, in any order, with
// duplicates. The choice of a channel looks only at the records it was given and follows the
// rule that the first record of a channel decides.
//
// Input: [mask: 2 bytes] [wanted channel: 4 bytes] [records, 8 bytes each]
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "printer/channel_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 6) return 0;
  uint16_t mask = 0;
  uint32_t wanted = 0;
  std::memcpy(&mask, data, 2);
  std::memcpy(&wanted, data + 2, 4);
  const size_t count = (size - 6) / sizeof(qvapi::ChannelRecord);
  std::unique_ptr<qvapi::ChannelRecord[]> records(new qvapi::ChannelRecord[count ? count : 1]);
  if (count) std::memcpy(records.get(), data + 6, count * sizeof(qvapi::ChannelRecord));

  const int found = vgchan::FindChannelRecord(records.get(), static_cast<int>(count), wanted, mask);
  int first = -1;
  for (size_t i = 0; i < count && first < 0; ++i) {
    if (records[i].channel == wanted) first = static_cast<int>(i);
  }
  const int expected =
      first < 0 ? -1 : ((qvapi::ModeOf(records[first]) & mask) == mask ? first : -2);
  if (found != expected) std::abort();
  // A count beyond the records is never asked for; a smaller one stops early.
  if (count > 0 && vgchan::FindChannelRecord(records.get(), 0, wanted, mask) != -1) std::abort();
  for (int i = 0; vgchan::SessionStatusCandidate(i) != 0 && i < 100; ++i) {
    vgchan::FindChannelRecord(records.get(), static_cast<int>(count),
                              vgchan::SessionStatusCandidate(i), qvapi::kModeStatus);
  }
  return 0;
}
