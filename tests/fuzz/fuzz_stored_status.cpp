// The target key's values as a status window reads them back: "Channel" and "ComStatus" of any
// 32-bit value and a "Status" reply of any bytes and size. Every combination decodes to a
// status that exists in the tables, or to none for an empty reply; no read leaves the bytes.
//
// Input: [Channel, 4 bytes LE] [ComStatus, 4 bytes LE] [selected channel: 1 byte] [Status]
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "printer/status_worker_rules.h"
#include "printer/stored_status.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

uint32_t Get32(const uint8_t* bytes) {
  return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
         static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

// A model's own rows in front of the built-in ones, as an installed profile gives them.
const CStatusCtrl& Table() {
  static CStatusCtrl* table = [] {
    auto* loaded = new CStatusCtrl();
    loaded->LoadProfile(
        "[English]\n"
        "STATUS00=04,FF,-2,\"Printing\",\"The printer prints.\",0,0\n"
        "STATUS01=02,06,-1,\"Paper out\",\"Load paper.\",1,1\n"
        "STATUS02=-2,-2,10,\"Ink low\",\"Replace soon.\",2,1\n"
        "STATUS03=0,0,0,\"end\",\"end\",0,0\n",
        "English");
    return loaded;
  }();
  return *table;
}

const uint32_t kChannels[] = {0, 0x00000004, 0x10000005, 0x10010003, 0x10000003, 0x02000001};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 9) return 0;
  const uint32_t channelValue = Get32(data);
  const uint32_t comStatus = Get32(data + 4);
  const uint32_t selected = kChannels[data[8] % (sizeof kChannels / sizeof kChannels[0])];
  const size_t replySize = size - 9;
  std::unique_ptr<uint8_t[]> reply(new uint8_t[replySize ? replySize : 1]);
  if (replySize) std::memcpy(reply.get(), data + 9, replySize);

  const int32_t worker = vgworker::ComStatusResult(static_cast<int>(comStatus));
  Check(worker >= -4 && worker <= 1);
  Check((worker == 1) == (comStatus == 1));
  const int32_t first = vgstored::FirstStatusNoOfComStatus(comStatus);
  Check(first == 0 || first == 16 || first == 21 || first == 22);
  Check((first == 0) == (comStatus == 1));

  const CStatusCtrl& table = Table();
  const uint32_t channel = vgstored::StoredReplyChannel(channelValue, selected);
  Check(channel == (channelValue != 0 ? channelValue : selected));
  DecodedStatus decoded;
  const bool made = vgstored::DecodeStoredReply(table, channel, reply.get(), replySize, &decoded);
  Check(made == (replySize > 0));
  if (made) {
    const StatusRecord* record = table.GetRecord(decoded.recordIndex);
    Check(record != nullptr && record->statusNo == decoded.statusNo &&
          record->kind == decoded.kind);
    Check(FindCategoryRow(record->category) != nullptr);
    Check(std::memchr(record->text1, 0, sizeof record->text1) != nullptr);
    if (decoded.hasReply) Check(ReplyKindOfChannel(channel) == kReplyKindBdc);
  }
  // A status made without a reply exists for every number the window forces.
  for (int32_t forced : {first == 0 ? 21 : first, 1000}) {
    DecodedStatus substitute;
    Check(DecodeStatus(table, selected, nullptr, 0, forced, nullptr, &substitute));
    Check(table.GetRecord(substitute.recordIndex) != nullptr);
  }
  return 0;
}
