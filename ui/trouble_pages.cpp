#include "ui/trouble_pages.h"

namespace vgui {

PageLayout LayoutOfPage(const TroublePage& page, int index) {
  PageLayout layout;
  layout.pictureShown = page.frameCount > 0;
  layout.extraShown = (page.flags & kPageExtraButton) != 0;
  layout.backEnabled = (page.flags & kPageHasBack) != 0;
  if (page.flags & kPageHasNext) {
    layout.nextShown = true;
    layout.nextEnabled = true;
  } else if (page.flags & kPageLast) {
    layout.okShown = true;
    layout.defaultButton = DefaultButton::kOk;
  } else {
    layout.nextShown = true;
  }
  if (index == 0 && layout.nextShown) layout.defaultButton = DefaultButton::kNext;
  return layout;
}

int StepPage(int current, int step, int pageCount) {
  const long next = static_cast<long>(current) + step;
  if (next < 0 || next >= pageCount) return current;
  return static_cast<int>(next);
}

}  // namespace vgui
