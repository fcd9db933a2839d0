#pragma once
// The trouble resource: a raw data resource of the resource library that walks the user
// through a fix, page by page. Little-endian: a 16-bit page count N, N page records of four
// 16-bit words (text string id, frame count, first bitmap id, flags), then the dialog title
// as a zero-terminated string. It comes from outside the library, so the parser checks
// every length and never reads past the resource.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vgui {

// Page flags.
constexpr uint16_t kPageLast = 0x0001;         // the OK button shows instead of Next
constexpr uint16_t kPageHasNext = 0x0002;      // Next enabled
constexpr uint16_t kPageHasBack = 0x0004;      // Back enabled
constexpr uint16_t kPageExtraButton = 0x0008;  // the extra close button shows

struct TroublePage {
  uint16_t textId = 0;
  uint16_t frameCount = 0;
  uint16_t firstBitmapId = 0;
  uint16_t flags = 0;
};

struct TroubleResource {
  std::vector<TroublePage> pages;
  std::string title;
};

// Parses data[0, size). False when the count or a page record is cut off; out is then
// empty. A title without its terminator ends with the resource.
bool ParseTroubleResource(const void* data, size_t size, TroubleResource* out);

// The bitmap ids of a page's frames: first id, first id + 1, ... count of them, stopping
// before an id would pass the 16-bit range. Empty for a page without a picture.
std::vector<uint16_t> FrameIdsOf(const TroublePage& page);

}  // namespace vgui
