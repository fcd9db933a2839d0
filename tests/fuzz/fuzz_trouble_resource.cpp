// Trouble resources of any bytes: the pages parsed are exactly those whose records fit, the
// title never holds a terminator, and the page decisions stay inside the pages.
#include <cstddef>
#include <cstdint>

#include "ui/trouble_pages.h"
#include "ui/trouble_resource.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vgui::TroubleResource resource;
  if (!vgui::ParseTroubleResource(data, size, &resource)) {
    if (!resource.pages.empty() || !resource.title.empty()) __builtin_trap();
    return 0;
  }
  const size_t count = data[0] | (data[1] << 8);
  if (resource.pages.size() != count || 2 + 8 * count > size) __builtin_trap();
  if (resource.title.size() > size - (2 + 8 * count)) __builtin_trap();
  if (resource.title.find('\0') != std::string::npos) __builtin_trap();
  const int pages = static_cast<int>(resource.pages.size());

  int page = 0;
  for (int i = 0; i < pages && i < 8; ++i) {
    const vgui::PageLayout layout = vgui::LayoutOfPage(resource.pages[i], i);
    if (layout.okShown && layout.nextShown) __builtin_trap();
    page = vgui::StepPage(page, (resource.pages[i].flags & 1) ? -1 : +1, pages);
    if (page < 0 || page >= pages) __builtin_trap();
  }
  return 0;
}
