// Pictures of any bytes, as a resource bitmap and as a picture file: an accepted layout
// always lies inside the bytes, so drawing from it reads nothing beyond them.
#include <cstddef>
#include <cstdint>

#include "ui/dib_layout.h"

namespace {

void CheckInside(const vgui::DibLayout& layout, size_t size) {
  if (layout.bitsOffset > size || layout.bitsSize > size - layout.bitsOffset) __builtin_trap();
  const size_t tableEnd = layout.colorTableOffset + layout.colorEntries * layout.colorEntrySize;
  if (tableEnd > layout.bitsOffset) __builtin_trap();
  if (layout.headerOffset + layout.headerSize > size) __builtin_trap();
  if (layout.width <= 0 || layout.height == 0) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vgui::DibLayout layout;
  if (vgui::ParseDib(data, size, &layout)) {
    CheckInside(layout, size);
    const auto colors = vgui::PaletteOf(data, layout, 256);
    if (colors.size() != 256) __builtin_trap();
  }
  if (vgui::ParseBitmapFile(data, size, &layout)) {
    CheckInside(layout, size);
    vgui::PaletteOf(data, layout, 256);
  }
  return 0;
}
