#include "monitor/param_block.h"

#include <cstring>
#include <string>

namespace vgmon {
namespace {

void Put32(std::vector<uint8_t>& block, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) block[offset + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
}

std::string Quoted(std::string_view text) {
  std::string out = "\"";
  out.append(text.data(), text.size());
  out += '"';
  return out;
}

uint32_t Get32(const uint8_t* data, size_t offset) {
  return static_cast<uint32_t>(data[offset]) | static_cast<uint32_t>(data[offset + 1]) << 8 |
         static_cast<uint32_t>(data[offset + 2]) << 16 |
         static_cast<uint32_t>(data[offset + 3]) << 24;
}

constexpr size_t kMaxArguments = 259;
constexpr size_t kMaxCommandLine = 519;

}  // namespace

std::string_view ParamBlockView::Item(uint32_t type) const {
  for (const ParamItem& item : items) {
    if (item.type == type) return item.data;
  }
  return std::string_view();
}

std::optional<ParamBlockView> ReadParamBlock(const uint8_t* data, size_t size) {
  if (data == nullptr || size < kParamHeaderSize) return std::nullopt;
  const uint64_t total = Get32(data, 0);
  if (total < kParamHeaderSize || total > size || Get32(data, 4) != kParamHeaderSize) {
    return std::nullopt;
  }
  const uint64_t directory = Get32(data, 8);
  const uint64_t count = Get32(data, 16);
  const uint64_t extraSize = Get32(data, 20);
  // Sums in 64 bits: no field may wrap another round.
  if (directory < count * kParamDirectoryEntry ||
      kParamHeaderSize + directory + extraSize > total) {
    return std::nullopt;
  }
  ParamBlockView view;
  const size_t extraAt = static_cast<size_t>(kParamHeaderSize + directory);
  view.extra.assign(data + extraAt, data + extraAt + extraSize);
  for (uint64_t i = 0; i < count; ++i) {
    const size_t entry = static_cast<size_t>(kParamHeaderSize + i * kParamDirectoryEntry);
    const uint64_t offset = Get32(data, entry);
    const uint64_t length = Get32(data, entry + 4);
    if (offset >= total) continue;
    const size_t room = static_cast<size_t>(total - offset);
    const size_t limit = length < room ? static_cast<size_t>(length) : room;
    const char* text = reinterpret_cast<const char*>(data + offset);
    size_t used = 0;
    while (used < limit && text[used] != '\0') ++used;
    view.items.push_back({Get32(data, entry + 8), std::string_view(text, used)});
  }
  return view;
}

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

std::optional<std::string> PopupArguments(std::string_view paramFile, std::string_view printer,
                                          std::string_view port, std::string_view model,
                                          std::string_view jobId) {
  std::string arguments;
  if (!paramFile.empty()) {
    arguments = "/F " + Quoted(paramFile) + " /S";
  } else {
    arguments = "/P" + std::to_string(printer.size()) + " " + Quoted(printer) + " /O" +
                std::to_string(port.size()) + " " + Quoted(port) + " /M" +
                std::to_string(model.size()) + " " + Quoted(model);
    if (!jobId.empty()) arguments += " /J " + Quoted(jobId);
    arguments += " /S";
  }
  if (arguments.size() > kMaxArguments) return std::nullopt;
  return arguments;
}

std::optional<std::string> ProgramCommandLine(std::string_view program,
                                              std::string_view arguments) {
  std::string line = Quoted(program) + " ";
  line.append(arguments.data(), arguments.size());
  if (line.size() > kMaxCommandLine) return std::nullopt;
  return line;
}

}  // namespace vgmon
