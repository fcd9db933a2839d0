#include "ui/dialog_font_rules.h"

#include <limits>

namespace vgui {

int32_t MulDivRounded(int32_t a, int32_t b, int32_t c) {
  if (c == 0) return -1;
  const int64_t product = static_cast<int64_t>(a) * b;
  const int64_t divisor = c;
  const bool negative = (product < 0) != (divisor < 0);
  const int64_t absProduct = product < 0 ? -product : product;
  const int64_t absDivisor = divisor < 0 ? -divisor : divisor;
  int64_t result = (absProduct + absDivisor / 2) / absDivisor;
  if (negative) result = -result;
  if (result > std::numeric_limits<int32_t>::max() ||
      result < std::numeric_limits<int32_t>::min()) {
    return -1;
  }
  return static_cast<int32_t>(result);
}

int32_t PointSizeOf(int32_t height, int32_t dpi) {
  if (height < 0) return MulDivRounded(-height, 72, dpi);
  return height;
}

FontReplacement DecideReplacementFont(const DialogFontFacts& facts) {
  FontReplacement result;
  if (!facts.doubleByteSystem || !facts.hasFont) return result;
  // Compared as the system writes them: another spelling is another face.
  if (facts.face != "MS Sans Serif" && facts.face != "Helv") return result;
  if (!facts.hasStockFont) return result;
  const int32_t points = PointSizeOf(facts.height, facts.dpi);
  result.make = true;
  if (points == 8) {
    result.keepStockHeight = true;
  } else if (points >= 1) {
    result.height = -MulDivRounded(points, facts.dpi, 72);
  } else {
    result.height = points;
  }
  return result;
}

}  // namespace vgui
