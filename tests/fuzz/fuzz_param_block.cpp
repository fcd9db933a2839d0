// ParamBlocks as a pop-up window receives them by WM_COPYDATA from any process: a block is
// taken or refused without reading past the bytes that arrived, a taken block's texts lie
// inside it, and what the monitor builds always reads back to what it put in.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "common/param_block.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // An exact copy, so that a read past the end is caught for every input.
  std::unique_ptr<uint8_t[]> exact(new uint8_t[size ? size : 1]);
  if (size) std::memcpy(exact.get(), data, size);
  const uint8_t* begin = exact.get();

  const vgmon::ReceivedParamBlock received = vgmon::ParseParamBlock(begin, size);
  if (received.ok) {
    Check(received.error.empty());
    Check(received.extra.size() <= size);
    for (const vgmon::ReceivedParamItem& item : received.items) {
      const auto* text = reinterpret_cast<const uint8_t*>(item.text.data());
      Check(text >= begin + vgmon::kParamHeaderSize && text + item.text.size() < begin + size);
      Check(text[item.text.size()] == 0);  // the terminator lies inside the block too
      Check(item.text.size() < received.slotSize);
    }
    // Built again from what was taken, the block reads back to the same items.
    std::vector<vgmon::ParamItem> items;
    for (const auto& item : received.items) items.push_back({item.type, item.text});
    const std::vector<uint8_t> extra(received.extra.begin(), received.extra.end());
    const auto rebuilt = vgmon::BuildParamBlock(items, received.slotSize, extra);
    const auto again = vgmon::ParseParamBlock(rebuilt.data(), rebuilt.size());
    Check(again.ok && again.items.size() == received.items.size());
    for (size_t i = 0; i < items.size(); ++i) {
      Check(again.items[i].type == received.items[i].type);
      Check(again.items[i].text == received.items[i].text);
    }
  } else {
    Check(!received.error.empty() && received.items.empty());
  }

  // The same bytes as the monitor's two texts: job id up to the first zero, KVM after it.
  const std::string_view text(reinterpret_cast<const char*>(begin), size);
  const size_t zero = text.find('\0');
  const std::string_view jobId = text.substr(0, zero);
  std::string_view kvm = zero == std::string_view::npos ? std::string_view() : text.substr(zero + 1);
  kvm = kvm.substr(0, kvm.find('\0'));
  const auto block = vgmon::BuildMonitorParamBlock(vgmon::kCodeToPopup, jobId, kvm);
  Check(block.size() == 593);
  const auto own = vgmon::ParseParamBlock(block.data(), block.size());
  Check(own.ok && own.Code() == vgmon::kCodeToPopup);
  Check(own.ItemText(vgmon::kItemJobId) == jobId.substr(0, vgmon::kParamSlotSize - 1));
  Check(own.ItemText(vgmon::kItemKvm) == kvm.substr(0, vgmon::kParamSlotSize - 1));
  return 0;
}
