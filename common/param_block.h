#pragma once
// ParamBlock: the byte block that hands a job to an open pop-up window (code 2) or to the
// printer library at monitoring start (code 7). Little-endian; a 40-byte header, a directory
// of 16 bytes per item, the extra bytes, then fixed item slots. The monitor builds it (hence
// the namespace); the pop-up program and the printer library read it with the parser below.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vgmon {

struct ParamItem {
  uint32_t type;
  std::string_view data;  // stored with a terminating zero, cut to fit its slot
};

constexpr uint32_t kParamHeaderSize = 40;
constexpr uint32_t kParamDirectoryEntry = 16;
constexpr uint32_t kParamSlotSize = 260;
constexpr uint32_t kItemJobId = 10;
constexpr uint32_t kItemKvm = 11;
constexpr uint8_t kCodeToPopup = 2;
constexpr uint8_t kCodeToLibrary = 7;

// The block with the given items, slot size and extra bytes, all bytes zero before filling.
std::vector<uint8_t> BuildParamBlock(const std::vector<ParamItem>& items, uint32_t slotSize,
                                     const std::vector<uint8_t>& extra);

// The monitor's block: job id and KVM in 260-byte slots and one extra byte holding the code
// (593 bytes; the code at 72, the job id at 73, KVM at 333).
std::vector<uint8_t> BuildMonitorParamBlock(uint8_t code, std::string_view jobId,
                                            std::string_view kvm);

// A block as a receiver sees it, read only within the bytes received. Every other program can
// send a window WM_COPYDATA, so a block is taken only when its header, directory, extra bytes
// and item slots fit together exactly as BuildParamBlock lays them out, and each item's text
// lies inside its own slot with its terminating zero.
struct ReceivedParamItem {
  uint32_t type = 0;
  std::string_view text;  // into the received bytes, without the terminating zero
};

struct ReceivedParamBlock {
  bool ok = false;
  std::string error;  // why the block was refused, for the receiver's log
  uint32_t slotSize = 0;
  std::string_view extra;                // the extra bytes, into the received bytes
  std::vector<ReceivedParamItem> items;  // in directory order; items never added are skipped

  // The code in the first extra byte (2 to a pop-up window, 7 to the printer library); -1
  // when the block has no extra bytes.
  int Code() const;
  // The text of the first item of that type, or nothing.
  std::optional<std::string_view> ItemText(uint32_t type) const;
};

// The result points into bytes, which must outlive it.
ReceivedParamBlock ParseParamBlock(const uint8_t* bytes, size_t size);

}  // namespace vgmon
