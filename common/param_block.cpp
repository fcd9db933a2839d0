#include "common/param_block.h"

#include <cstring>
#include <string>
#include <utility>

namespace vgmon {
namespace {

void Put32(std::vector<uint8_t>& block, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) block[offset + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t Get32(const uint8_t* bytes, size_t offset) {
  return static_cast<uint32_t>(bytes[offset]) | static_cast<uint32_t>(bytes[offset + 1]) << 8 |
         static_cast<uint32_t>(bytes[offset + 2]) << 16 |
         static_cast<uint32_t>(bytes[offset + 3]) << 24;
}

ReceivedParamBlock Refuse(std::string reason) {
  ReceivedParamBlock block;
  block.error = std::move(reason);
  return block;
}

}  // namespace

std::vector<uint8_t> BuildParamBlock(const std::vector<ParamItem>& items, uint32_t slotSize,
                                     const std::vector<uint8_t>& extra) {
  const uint32_t count = static_cast<uint32_t>(items.size());
  const uint32_t directory = kParamDirectoryEntry * count;
  const uint32_t extraSize = static_cast<uint32_t>(extra.size());
  const uint32_t total = kParamHeaderSize + directory + extraSize + count * slotSize;
  std::vector<uint8_t> block(total, 0);
  Put32(block, 0, total);
  Put32(block, 4, kParamHeaderSize);
  Put32(block, 8, directory);
  Put32(block, 12, slotSize);
  Put32(block, 16, count);
  Put32(block, 20, extraSize);
  if (extraSize > 0) std::memcpy(&block[kParamHeaderSize + directory], extra.data(), extraSize);

  const uint32_t firstSlot = kParamHeaderSize + directory + extraSize;
  for (uint32_t i = 0; i < count; ++i) {
    const uint32_t entry = kParamHeaderSize + i * kParamDirectoryEntry;
    const uint32_t offset = firstSlot + i * slotSize;
    if (entry + kParamDirectoryEntry > kParamHeaderSize + directory || offset >= total ||
        slotSize == 0) {
      continue;  // no room for this item
    }
    const std::string_view data = items[i].data;
    const size_t length = data.size() < slotSize - 1 ? data.size() : slotSize - 1;
    if (length > 0) std::memcpy(&block[offset], data.data(), length);
    Put32(block, entry, offset);
    Put32(block, entry + 4, static_cast<uint32_t>(length + 1));
    Put32(block, entry + 8, items[i].type);
  }
  return block;
}

std::vector<uint8_t> BuildMonitorParamBlock(uint8_t code, std::string_view jobId,
                                            std::string_view kvm) {
  return BuildParamBlock({{kItemJobId, jobId}, {kItemKvm, kvm}}, kParamSlotSize, {code});
}

int ReceivedParamBlock::Code() const { return extra.empty() ? -1 : static_cast<uint8_t>(extra[0]); }

std::optional<std::string_view> ReceivedParamBlock::ItemText(uint32_t type) const {
  for (const ReceivedParamItem& item : items) {
    if (item.type == type) return item.text;
  }
  return std::nullopt;
}

ReceivedParamBlock ParseParamBlock(const uint8_t* bytes, size_t size) {
  if (bytes == nullptr || size < kParamHeaderSize) return Refuse("shorter than its header");
  // Sums of 32-bit fields are made in 64 bits, so that no lying field can wrap them.
  const uint64_t total = Get32(bytes, 0);
  const uint64_t header = Get32(bytes, 4);
  const uint64_t directory = Get32(bytes, 8);
  const uint64_t slotSize = Get32(bytes, 12);
  const uint64_t count = Get32(bytes, 16);
  const uint64_t extraSize = Get32(bytes, 20);
  if (total != size) {
    return Refuse("its size field says " + std::to_string(total) + " bytes, " +
                  std::to_string(size) + " arrived");
  }
  if (header != kParamHeaderSize) return Refuse("header size " + std::to_string(header));
  for (size_t i = 24; i < kParamHeaderSize; ++i) {
    if (bytes[i] != 0) return Refuse("reserved header bytes are not zero");
  }
  if (directory != count * kParamDirectoryEntry) {
    return Refuse("directory size " + std::to_string(directory) + " for " +
                  std::to_string(count) + " items");
  }
  const uint64_t firstSlot = header + directory + extraSize;
  if (firstSlot > total || (total - firstSlot) != count * slotSize) {
    return Refuse("header, directory, extra bytes and item slots do not add up to its size");
  }

  ReceivedParamBlock block;
  block.slotSize = static_cast<uint32_t>(slotSize);
  block.extra = std::string_view(reinterpret_cast<const char*>(bytes + header + directory),
                                 static_cast<size_t>(extraSize));
  for (uint64_t i = 0; i < count; ++i) {
    const size_t entry = static_cast<size_t>(header + i * kParamDirectoryEntry);
    const uint64_t offset = Get32(bytes, entry);
    const uint64_t length = Get32(bytes, entry + 4);
    const uint32_t type = Get32(bytes, entry + 8);
    if (offset == 0 && length == 0 && type == 0) continue;  // an item that did not fit
    const uint64_t slot = firstSlot + i * slotSize;
    if (offset < slot || length == 0 || offset - slot + length > slotSize) {
      return Refuse("item " + std::to_string(i) + " lies outside its slot");
    }
    const char* text = reinterpret_cast<const char*>(bytes + offset);
    const void* zero = std::memchr(text, '\0', static_cast<size_t>(length));
    if (zero == nullptr) {
      return Refuse("item " + std::to_string(i) + " has no terminating zero");
    }
    block.items.push_back(
        {type, std::string_view(text, static_cast<size_t>(static_cast<const char*>(zero) - text))});
  }
  block.ok = true;
  return block;
}

}  // namespace vgmon
