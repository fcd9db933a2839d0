// The simulated printer's control text: qvsimctl arguments and scenario-file lines are typed
// by people. Any line parses or fails with a reason, and the texts the tool shows read back
// to what they show.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "tools/qvsim/qvsim_text.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  // The whole input as one scenario line, and its words as a qvsimctl command line.
  qvsim::ScenarioStep step;
  std::string error;
  if (!qvsim::ParseScenarioLine(text, &step, &error)) Check(!error.empty());
  std::vector<std::string> words;
  error.clear();
  if (qvsim::SplitWords(text, &words, &error)) {
    qvsim::Command command;
    std::string usage;
    error.clear();
    if (qvsim::ParseCommand(words, &command, &error, &usage)) {
      Check(command.address.name.size() <= qvsim::kMaxName);
      Check(command.text.size() <= qvsim::kMaxText);
      Check(command.channels.size() <= qvsim::kMaxChannels);
      Check(command.items.size() <= qvsim::kMaxQueueItems);
    } else {
      Check(!error.empty());
    }
  } else {
    Check(!error.empty());
  }

  // Escaped texts: what is shown reads back to the bytes.
  std::string decoded;
  if (qvsim::DecodeEscapes(text, &decoded, &error)) {
    Check(decoded.size() <= qvsim::kMaxText);
    std::string again;
    Check(qvsim::DecodeEscapes(qvsim::EncodeEscapes(decoded), &again, &error) && again == decoded);
  }
  std::string bytes;
  Check(qvsim::DecodeEscapes(qvsim::EncodeEscapes(text.substr(0, qvsim::kMaxText)), &bytes,
                             &error));
  Check(bytes == text.substr(0, qvsim::kMaxText));

  std::vector<qvapi::ChannelRecord> channels;
  if (qvsim::ParseChannelList(text, &channels, &error)) {
    std::vector<qvapi::ChannelRecord> again;
    Check(qvsim::ParseChannelList(qvsim::FormatChannelList(channels), &again, &error));
    Check(again.size() == channels.size());
    for (size_t i = 0; i < channels.size(); ++i) {
      Check(again[i].channel == channels[i].channel && again[i].info == channels[i].info);
    }
  }
  qvsim::QueueItem item;
  if (qvsim::ParseQueueItem(text, &item, &error)) {
    qvsim::QueueItem again;
    Check(qvsim::ParseQueueItem(qvsim::FormatQueueItem(item), &again, &error));
    Check(again.kind == item.kind && again.code == item.code && again.reply == item.reply);
  }
  qvsim::Address address;
  if (qvsim::ParseAddress(text, &address, &error)) {
    qvsim::Address again;
    Check(qvsim::ParseAddress(qvsim::FormatAddress(address), &again, &error));
    Check(again.kind == address.kind && again.name == address.name);
  }
  uint32_t ms = 0;
  qvsim::ParseSeconds(text, &ms);
  return 0;
}
