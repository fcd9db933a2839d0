#include "ui/notify_columns.h"

#include <algorithm>

namespace vgui {

NotifyColumnWidths LayOutNotifyColumns(int clientWidth, const NotifyColumnTexts& texts) {
  const int width = std::max(clientWidth, 0);
  const int stateNeed =
      std::max({texts.stateTexts[0], texts.stateTexts[1], texts.stateHeader}) + texts.margin;
  int labelNeed = texts.labelHeader;
  for (int item : texts.items) labelNeed = std::max(labelNeed, item);
  labelNeed += texts.margin;

  NotifyColumnWidths widths;
  if (labelNeed + stateNeed <= width) {
    widths.label = labelNeed + (width - labelNeed - stateNeed) / 2;
    widths.state = width - widths.label;
  } else {
    widths.state = std::max(stateNeed, 0);
    widths.label = std::max(width - widths.state, 0);
  }
  return widths;
}

}  // namespace vgui
