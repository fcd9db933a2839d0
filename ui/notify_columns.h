#pragma once
// The two column widths of the notification list: the item labels on the left, the on/off
// state texts on the right, in a list whose client area is clientWidth pixels wide.
#include <vector>

namespace vgui {

struct NotifyColumnTexts {
  int margin = 0;          // width of the text "HH", added to each column's need
  int labelHeader = 0;     // width of the label column's header text
  int stateHeader = 0;     // width of the state column's header text
  int stateTexts[2] = {};  // widths of the "off" and "on" texts
  // Per item: its label's text width plus the width of its icon rectangle.
  std::vector<int> items;
};

struct NotifyColumnWidths {
  int label = 0;
  int state = 0;
};

// The state column needs its widest text (header included) plus the margin; the label
// column its widest item, at least its header, plus the margin. When both fit, the label
// column gets its need and half of what is left, the state column the rest; otherwise the
// state column keeps its need and the label column gets what remains. No width is ever
// negative: the list reads negative widths as requests to size the column by itself.
NotifyColumnWidths LayOutNotifyColumns(int clientWidth, const NotifyColumnTexts& texts);

}  // namespace vgui
