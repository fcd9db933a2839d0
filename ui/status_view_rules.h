#pragma once
// What the status window's view shows for a status, without the system: the picture, icon
// and overlay of a display category, whether the blink starts anew, which texts change and
// which items show.
#include <cstdint>
#include <string_view>
#include <vector>

#include "resources/vgres_ids.h"

namespace vgui {

// The icon shown when a category names none, and the one a blinking icon alternates with.
constexpr uint32_t kStatusIconDefault = IDI_STATUS_COMM_ERROR;
constexpr uint32_t kStatusIconBlink = IDI_STATUS_BLINK;
// The printer picture's size in the status window.
constexpr int kStatusPictureWidth = 75;
constexpr int kStatusPictureHeight = 60;

// A category row read as the view reads it: 2nd number the picture, 4th the status icon
// (the default icon for 0), 5th the overlay (0 none), 6th 1 when the icon blinks. The 3rd
// is not the view's.
struct StatusDisplay {
  int picture = 0;
  uint32_t icon = kStatusIconDefault;
  int overlay = 0;
  bool iconBlinks = false;
};
StatusDisplay DisplayOfCategory(const int32_t (&row)[6]);

// What a new status changes in the picture and the icon, given what is shown now.
struct DisplayChange {
  // The overlay changed, or a blinking icon changed: overlay and icon start their blink
  // anew, in step.
  bool restartBlink = false;
  // The icon control gets a new list.
  bool setIcons = false;
};
DisplayChange PlanDisplayChange(uint32_t currentIcon, int currentOverlay,
                                const StatusDisplay& next);

// The icon control's list: the icon and the blink icon when it blinks, else the icon alone.
std::vector<uint32_t> IconListOf(const StatusDisplay& display);

// The status line is set again only when its text changed; letter case counts.
bool StatusLineChanged(std::string_view shown, std::string_view next);

// The items of the view for a show or enable flag: the picture, icon, texts and OK follow
// the flag; the help button and its note only when help is available as well.
struct ViewItems {
  bool main = false;
  bool help = false;
};
ViewItems ViewItemsFor(bool flag, bool helpAvailable);

}  // namespace vgui
