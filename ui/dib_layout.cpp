#include "ui/dib_layout.h"

namespace vgui {

namespace {

constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kClrUsedEnd = 36;  // biClrUsed lies at bytes 32 to 35
constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiRle8 = 1;
constexpr uint32_t kBiRle4 = 2;
constexpr uint32_t kBiBitfields = 3;
// Far larger than any picture of a window, small enough that no size below overflows.
constexpr int64_t kMaxSide = 16384;

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t U32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

bool KnownHeaderSize(uint32_t size) {
  return size == kCoreHeaderSize || size == kInfoHeaderSize || size == 52 || size == 56 ||
         size == 108 || size == 124;
}

bool KnownBitCount(uint16_t bits) {
  return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

bool CompressionFits(uint32_t compression, uint16_t bits, int32_t height) {
  switch (compression) {
    case kBiRgb:
      return true;
    case kBiRle8:
      return bits == 8 && height > 0;
    case kBiRle4:
      return bits == 4 && height > 0;
    case kBiBitfields:
      return bits == 16 || bits == 32;
    default:
      return false;
  }
}

}  // namespace

bool ParseDib(const uint8_t* data, size_t size, DibLayout* out) {
  if (data == nullptr || out == nullptr || size < 4) return false;
  DibLayout layout;
  layout.headerSize = U32(data);
  if (!KnownHeaderSize(layout.headerSize) || layout.headerSize > size) return false;
  uint16_t planes = 0;
  uint32_t sizeImage = 0;
  if (layout.headerSize == kCoreHeaderSize) {
    layout.width = U16(data + 4);
    layout.height = U16(data + 6);
    planes = U16(data + 8);
    layout.bitCount = U16(data + 10);
    layout.colorEntrySize = 3;
  } else {
    layout.width = static_cast<int32_t>(U32(data + 4));
    layout.height = static_cast<int32_t>(U32(data + 8));
    planes = U16(data + 12);
    layout.bitCount = U16(data + 14);
    layout.compression = U32(data + 16);
    sizeImage = U32(data + 20);
    layout.clrUsed = U32(data + 32);
  }
  const int64_t rows = layout.height < 0 ? -static_cast<int64_t>(layout.height) : layout.height;
  if (planes != 1 || !KnownBitCount(layout.bitCount) || layout.width <= 0 ||
      layout.width > kMaxSide || rows == 0 || rows > kMaxSide ||
      !CompressionFits(layout.compression, layout.bitCount, layout.height)) {
    return false;
  }
  if (layout.bitCount <= 8 && layout.clrUsed > (1u << layout.bitCount)) return false;
  if (layout.clrUsed > 256) return false;

  layout.colorEntries = ColorCountOf(layout);
  // Three colour masks follow a 40-byte header of a bit-field picture; larger headers hold
  // them inside.
  size_t masks = 0;
  if (layout.compression == kBiBitfields && layout.headerSize == kInfoHeaderSize) masks = 12;
  layout.colorTableOffset = layout.headerSize + masks;
  layout.bitsOffset = layout.colorTableOffset + layout.colorEntries * layout.colorEntrySize;
  if (layout.compression == kBiRle8 || layout.compression == kBiRle4) {
    if (sizeImage == 0) return false;
    layout.bitsSize = sizeImage;
  } else {
    const uint64_t stride = ((static_cast<uint64_t>(layout.width) * layout.bitCount + 31) / 32) * 4;
    layout.bitsSize = static_cast<size_t>(stride * static_cast<uint64_t>(rows));
  }
  if (layout.bitsOffset > size || layout.bitsSize > size - layout.bitsOffset) return false;
  *out = layout;
  return true;
}

bool ParseBitmapFile(const uint8_t* data, size_t size, DibLayout* out) {
  if (data == nullptr || out == nullptr || size < kBitmapFileHeaderSize) return false;
  if (data[0] != 'B' || data[1] != 'M') return false;
  DibLayout layout;
  if (!ParseDib(data + kBitmapFileHeaderSize, size - kBitmapFileHeaderSize, &layout)) {
    return false;
  }
  layout.headerOffset += kBitmapFileHeaderSize;
  layout.colorTableOffset += kBitmapFileHeaderSize;
  layout.bitsOffset += kBitmapFileHeaderSize;
  *out = layout;
  return true;
}

size_t ColorCountOf(const DibLayout& layout) {
  if (layout.headerSize >= kClrUsedEnd && layout.clrUsed != 0) return layout.clrUsed;
  if (layout.bitCount <= 8) return size_t{1} << layout.bitCount;
  return 0;
}

bool NeedsPalette(size_t colorCount, int screenBitsPerPixel, bool paletteDevice) {
  return colorCount == 256 && screenBitsPerPixel >= 5 && screenBitsPerPixel <= 8 && paletteDevice;
}

std::vector<PaletteColor> PaletteOf(const uint8_t* data, const DibLayout& layout, size_t count) {
  std::vector<PaletteColor> colors(count);
  const size_t available = count < layout.colorEntries ? count : layout.colorEntries;
  for (size_t i = 0; i < available; ++i) {
    const uint8_t* entry = data + layout.colorTableOffset + i * layout.colorEntrySize;
    colors[i].blue = entry[0];
    colors[i].green = entry[1];
    colors[i].red = entry[2];
  }
  return colors;
}

}  // namespace vgui
