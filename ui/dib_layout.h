#pragma once
// The layout of a device-independent bitmap: a bitmap header, its colour table and the pixel
// bits directly behind it, as a resource of the resource library holds it, or behind the
// 14-byte file header of a picture file of the installation. Both come from outside, so
// every size is checked against the bytes at hand before anything draws from them.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vgui {

constexpr size_t kBitmapFileHeaderSize = 14;

struct DibLayout {
  size_t headerOffset = 0;      // where the bitmap header starts
  uint32_t headerSize = 0;      // 12 for the old core header, 40 and up otherwise
  int32_t width = 0;
  int32_t height = 0;           // negative for a top-down picture
  uint16_t bitCount = 0;
  uint32_t compression = 0;
  uint32_t clrUsed = 0;         // as stored (0 when the header has no such field)
  size_t colorTableOffset = 0;  // first colour entry
  size_t colorEntrySize = 4;    // 3 for the core header
  size_t colorEntries = 0;      // entries in the colour table
  size_t bitsOffset = 0;        // pixel bits
  size_t bitsSize = 0;          // bytes of pixel bits that drawing reads
};

// The layout of a bitmap header at data[0, size). False when the header is not one of the
// known kinds, a field is out of range, or the colour table or the pixel bits run past size.
bool ParseDib(const uint8_t* data, size_t size, DibLayout* out);

// The same for a picture file: "BM", then the bitmap header at offset 14. The pixel bits are
// taken directly behind the colour table, as in a resource.
bool ParseBitmapFile(const uint8_t* data, size_t size, DibLayout* out);

// The number of colours a picture names: its clrUsed when the header holds that field (36
// bytes or more) and it is not 0, else 2 to the power of the bit count for pictures of up
// to 8 bits per pixel; pictures of more bits per pixel without clrUsed name none.
size_t ColorCountOf(const DibLayout& layout);

// Whether painting needs a logical palette: a 256-colour picture on a palette device of 5
// to 8 bits per pixel.
bool NeedsPalette(size_t colorCount, int screenBitsPerPixel, bool paletteDevice);

struct PaletteColor {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
};
// The first `count` entries of the colour table (blue, green, red order in the bytes);
// entries that the table lacks stay black. Only for a layout that ParseDib accepted.
std::vector<PaletteColor> PaletteOf(const uint8_t* data, const DibLayout& layout, size_t count);

}  // namespace vgui
