#include "ui/icon_list_layout.h"

#include <algorithm>

namespace vgui {

std::vector<ListPoint> EvenIconPositions(int width, int height, int iconWidth, int iconHeight,
                                         int count) {
  std::vector<ListPoint> positions;
  if (count <= 0) return positions;
  // 64-bit sums: a list or icon size near the limits must not wrap.
  const long long free = static_cast<long long>(width) - static_cast<long long>(count) * iconWidth;
  const long long gap = std::max(free / (count + 1), 0LL);
  const long long top = std::max((static_cast<long long>(height) - iconHeight) / 2, 0LL);
  for (int i = 0; i < count; ++i) {
    const long long x = gap + i * (static_cast<long long>(iconWidth) + gap);
    positions.push_back(
        {static_cast<int>(std::min<long long>(x, 0x7FFFFFFF)), static_cast<int>(top)});
  }
  return positions;
}

IconFrames FramesAround(const ListRect& iconRect, int iconWidth, int iconHeight) {
  const int centreX = iconRect.left + (iconRect.right - iconRect.left) / 2;
  const int centreY = iconRect.top + (iconRect.bottom - iconRect.top) / 2;
  const int halfWidth = iconWidth / 2 + 1;
  const int halfHeight = iconHeight / 2 + 1;
  const ListRect box = {centreX - halfWidth, centreY - halfHeight, centreX + halfWidth,
                        centreY + halfHeight};
  IconFrames frames;
  frames.iconAt = {box.left + 1, box.top + 1};
  for (int k = 0; k < kFrameCount; ++k) {
    frames.frames[k] = {box.left - k, box.top - k, box.right + k, box.bottom + k};
  }
  return frames;
}

FrameColour FrameColourOf(bool selected, bool focused, int frame) {
  if (!selected) return FrameColour::kWindow;
  if (frame >= kInnerFrames) return FrameColour::kHighlight;
  return focused ? FrameColour::kHighlight : FrameColour::kWindow;
}

ListRect AreaBelow(const ListRect& client, const IconFrames& frames) {
  const int top =
      std::min(std::max(frames.frames[kFrameCount - 1].bottom, client.top), client.bottom);
  return {client.left, top, client.right, client.bottom};
}

uint32_t AverageColour(uint32_t a, uint32_t b) {
  uint32_t result = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const uint32_t channel = (((a >> shift) & 0xFF) + ((b >> shift) & 0xFF)) / 2;
    result |= channel << shift;
  }
  return result;
}

}  // namespace vgui
