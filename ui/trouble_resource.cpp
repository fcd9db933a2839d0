#include "ui/trouble_resource.h"

namespace vgui {

namespace {

constexpr size_t kCountSize = 2;
constexpr size_t kPageRecordSize = 8;

uint16_t ReadU16(const uint8_t* bytes) {
  return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
}

}  // namespace

bool ParseTroubleResource(const void* data, size_t size, TroubleResource* out) {
  if (out == nullptr) return false;
  out->pages.clear();
  out->title.clear();
  if (data == nullptr || size < kCountSize) return false;
  const auto* bytes = static_cast<const uint8_t*>(data);
  const size_t count = ReadU16(bytes);
  const size_t recordsEnd = kCountSize + count * kPageRecordSize;
  if (recordsEnd > size) return false;

  out->pages.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* record = bytes + kCountSize + i * kPageRecordSize;
    TroublePage page;
    page.textId = ReadU16(record);
    page.frameCount = ReadU16(record + 2);
    page.firstBitmapId = ReadU16(record + 4);
    page.flags = ReadU16(record + 6);
    out->pages.push_back(page);
  }
  size_t end = recordsEnd;
  while (end < size && bytes[end] != 0) ++end;
  out->title.assign(reinterpret_cast<const char*>(bytes + recordsEnd), end - recordsEnd);
  return true;
}

std::vector<uint16_t> FrameIdsOf(const TroublePage& page) {
  std::vector<uint16_t> ids;
  ids.reserve(page.frameCount);
  for (uint32_t i = 0; i < page.frameCount; ++i) {
    const uint32_t id = page.firstBitmapId + i;
    if (id > 0xFFFF) break;
    ids.push_back(static_cast<uint16_t>(id));
  }
  return ids;
}

}  // namespace vgui
