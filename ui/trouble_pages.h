#pragma once
// What the trouble dialog shows for a page: which of its buttons are visible, enabled and
// default, and whether the picture shows. Decided from the page's flags alone.
#include <cstdint>

#include "ui/trouble_resource.h"

namespace vgui {

enum class DefaultButton { kUnchanged, kNext, kOk };

struct PageLayout {
  bool pictureShown = false;   // frames to show; else the picture stops and hides
  bool extraShown = false;     // the extra close button, shown and enabled
  bool backEnabled = false;
  bool nextShown = false;
  bool nextEnabled = false;
  bool okShown = false;        // OK shown and enabled; Next is then hidden
  DefaultButton defaultButton = DefaultButton::kUnchanged;  // made default, activated, focused
};

// The layout of page `index` (0 = the first page). Next takes precedence over OK when a
// page sets both flags. On the first page Next becomes the default button, unless it is
// hidden (a single-page walk-through), where OK stays the default: a hidden default button
// would take the Enter key.
PageLayout LayoutOfPage(const TroublePage& page, int index);

// The page that Back (-1) or Next (+1) leads to, or `current` when that page does not exist.
int StepPage(int current, int step, int pageCount);

}  // namespace vgui
