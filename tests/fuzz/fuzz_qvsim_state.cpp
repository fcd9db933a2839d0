// The simulated printer keeps its state in registry values that any process of the user may
// change: a damaged value is refused, and what the library accepts it stores again unchanged.
//
// Input: [which value: 1 byte] [value bytes]
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "tools/qvsim/qvsim_model.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const std::string_view value(reinterpret_cast<const char*>(data + 1), size - 1);
  switch (data[0] % 5) {
    case 0: {
      std::vector<qvsim::QueueItem> items;
      if (qvsim::DecodeQueue(value, &items)) {
        std::vector<qvsim::QueueItem> again;
        Check(qvsim::DecodeQueue(qvsim::EncodeQueue(items), &again) && again.size() == items.size());
        for (size_t i = 0; i < items.size(); ++i) {
          Check(again[i].kind == items[i].kind && again[i].reply == items[i].reply &&
                (items[i].kind != qvsim::QueueItem::Kind::kError || again[i].code == items[i].code));
        }
        // A queue read back is answered without reading outside its items.
        std::vector<qvsim::QueueItem> queue = items;
        const std::optional<std::string> reply;
        qvsim::AnswerStatus(&queue, reply, false, 0);
        qvsim::AnswerStatus(&queue, reply, true, static_cast<int32_t>(size));
      }
      break;
    }
    case 1: {
      std::vector<qvapi::ChannelRecord> channels;
      if (qvsim::DecodeChannels(value, &channels)) {
        Check(qvsim::EncodeChannels(channels) == value);
      }
      break;
    }
    case 2: {
      qvsim::Forced forced;
      if (qvsim::DecodeForced(value, &forced)) {
        qvsim::Forced again;
        Check(qvsim::DecodeForced(qvsim::EncodeForced(forced), &again));
        Check(again.code == forced.code && again.remaining == forced.remaining &&
              again.action == forced.action && again.hangMs == forced.hangMs);
        // A hang always ends by a release; one of a time also by itself.
        Check(forced.action != qvsim::Forced::Action::kHang ||
              qvsim::HangIsOver(forced.hangMs, 0, 1, 2));
        bool exhausted = false;
        qvsim::UseForced(&forced, &exhausted);
      }
      break;
    }
    case 3: {
      qvsim::HandleRecord record;
      if (qvsim::DecodeHandle(value, &record)) {
        Check(record.handle > 0 && !record.address.name.empty() &&
              record.address.name.size() <= qvsim::kMaxName);
        qvsim::HandleRecord again;
        Check(qvsim::DecodeHandle(qvsim::EncodeHandle(record), &again));
        Check(again.handle == record.handle && again.channel == record.channel &&
              again.address.kind == record.address.kind && again.address.name == record.address.name);
      }
      break;
    }
    default: {
      // A device ID of any bytes answered to a caller with a buffer of any size.
      const int32_t capacity = size > 1 ? static_cast<int8_t>(data[1]) : 0;
      const qvsim::SizedAnswer answer = qvsim::AnswerDeviceId(value, true, capacity);
      if (answer.copy) Check(capacity > static_cast<int32_t>(value.size()));
      break;
    }
  }
  return 0;
}
