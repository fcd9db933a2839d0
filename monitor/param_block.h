#pragma once
// ParamBlock: the byte block that hands a job to an open pop-up window (code 2) or to the
// printer library at monitoring start (code 7). Little-endian; a 40-byte header, a directory
// of 16 bytes per item, the extra bytes, then fixed item slots.
#include <cstdint>
#include <optional>
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

// What a receiver reads from a block.
struct ParamBlockView {
  std::vector<uint8_t> extra;    // the extra bytes (the monitor's one byte is the code)
  std::vector<ParamItem> items;  // texts up to their zero, inside the block
  // The text of the first item of the type; empty when there is none.
  std::string_view Item(uint32_t type) const;
  // The monitor's code: the first extra byte, 0 when there are none.
  uint8_t Code() const { return extra.empty() ? 0 : extra[0]; }
};

// Reads a block of size bytes, whatever it holds: nothing when the header does not fit, when
// its header size is not 40, or when its total size, directory or extra bytes reach beyond the
// bytes given (or its total size). An item whose data lies outside the block is left out;
// an item's text ends at its first zero, at its length, or at the block's end.
std::optional<ParamBlockView> ReadParamBlock(const uint8_t* data, size_t size);

// The block with the given items, slot size and extra bytes, all bytes zero before filling.
std::vector<uint8_t> BuildParamBlock(const std::vector<ParamItem>& items, uint32_t slotSize,
                                     const std::vector<uint8_t>& extra);

// The monitor's block: job id and KVM in 260-byte slots and one extra byte holding the code
// (593 bytes; the code at 72, the job id at 73, KVM at 333).
std::vector<uint8_t> BuildMonitorParamBlock(uint8_t code, std::string_view jobId,
                                            std::string_view kvm);

// The arguments of the pop-up program: "/F "<file>" /S" when a parameter file was written,
// else the length-prefixed /P, /O, /M options (and /J when a job id is given) and /S.
// Nothing when they do not fit in 259 characters.
std::optional<std::string> PopupArguments(std::string_view paramFile, std::string_view printer,
                                          std::string_view port, std::string_view model,
                                          std::string_view jobId);

// The whole command line: the program path in quotes (so a path with blanks cannot start
// another program), a blank, the arguments. Nothing when it exceeds 519 characters.
std::optional<std::string> ProgramCommandLine(std::string_view program, std::string_view arguments);

}  // namespace vgmon
