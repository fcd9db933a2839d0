#pragma once
// The replacement font of a dialog on a double-byte system: a template written for the old
// single-byte face "MS Sans Serif" (or "Helv") gets the system's GUI font instead, at the
// template's point size, because that face lacks the double-byte characters.
#include <cstdint>
#include <string_view>

namespace vgui {

// a × b / c rounded to the nearest integer, halves away from zero; -1 when c is 0 or the
// result does not fit 32 bits (as the system's MulDiv).
int32_t MulDivRounded(int32_t a, int32_t b, int32_t c);

// The point size of a font height: a negative height is a character height in pixels at
// `dpi` dots per inch; a positive height is taken as it is.
int32_t PointSizeOf(int32_t height, int32_t dpi);

struct DialogFontFacts {
  bool doubleByteSystem = false;
  bool hasFont = false;            // the dialog has a font of its own
  std::string_view face;           // that font's face name
  int32_t height = 0;              // and its height
  int32_t dpi = 1;                 // vertical dots per inch (1 when unknown)
  bool hasStockFont = false;       // the GUI font (or else the system font) is there
};

struct FontReplacement {
  bool make = false;
  bool keepStockHeight = false;  // point size 8: the GUI font as it is
  int32_t height = 0;            // else this height
};

FontReplacement DecideReplacementFont(const DialogFontFacts& facts);

}  // namespace vgui
