#include "ui/status_view_rules.h"

namespace vgui {

StatusDisplay DisplayOfCategory(const int32_t (&row)[6]) {
  StatusDisplay display;
  display.picture = row[1];
  display.icon = row[3] != 0 ? static_cast<uint32_t>(row[3]) : kStatusIconDefault;
  display.overlay = row[4];
  display.iconBlinks = row[5] == 1;
  return display;
}

DisplayChange PlanDisplayChange(uint32_t currentIcon, int currentOverlay,
                                const StatusDisplay& next) {
  DisplayChange change;
  change.restartBlink =
      next.overlay != currentOverlay || (next.icon != currentIcon && next.iconBlinks);
  change.setIcons = next.icon != currentIcon || change.restartBlink;
  return change;
}

std::vector<uint32_t> IconListOf(const StatusDisplay& display) {
  if (display.iconBlinks) return {display.icon, kStatusIconBlink};
  return {display.icon};
}

bool StatusLineChanged(std::string_view shown, std::string_view next) { return shown != next; }

ViewItems ViewItemsFor(bool flag, bool helpAvailable) {
  ViewItems items;
  items.main = flag;
  items.help = flag && helpAvailable;
  return items;
}

}  // namespace vgui
