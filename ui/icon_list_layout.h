#pragma once
// The tray icon picker's geometry and colours: where its few icons stand, the five frames
// about each icon, which colour each frame has, and the background of the disabled list.
#include <cstdint>
#include <vector>

namespace vgui {

struct ListPoint {
  int x = 0;
  int y = 0;
};

// Edges as the system keeps them: right and bottom lie just outside.
struct ListRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

// Up to this many icons stand side by side with equal gaps and no scrolling; more are left
// to the list's own arrangement.
constexpr int kEvenlyPlacedIconLimit = 4;
constexpr bool PlacesIconsEvenly(int count) { return count > 0 && count < kEvenlyPlacedIconLimit; }

// The top-left corners of `count` icons of iconWidth x iconHeight in a list of width x height:
// gap g = (width - count * iconWidth) / (count + 1), icon i at g + i * (iconWidth + g), all
// centred vertically. A list too small for its icons gets no negative gap or offset: the
// icons then start at its left or top edge.
std::vector<ListPoint> EvenIconPositions(int width, int height, int iconWidth, int iconHeight,
                                         int count);

constexpr int kFrameCount = 5;
constexpr int kInnerFrames = 3;  // frames 0 to 2 hug the icon; 3 and 4 stand outside them

struct IconFrames {
  ListPoint iconAt;              // where the icon itself is drawn
  ListRect frames[kFrameCount];  // frame k is the box grown by k pixels on every side
};

// The box of iconWidth x iconHeight plus one pixel each way, centred on the list's icon
// rectangle; the icon is drawn one pixel inside it.
IconFrames FramesAround(const ListRect& iconRect, int iconWidth, int iconHeight);

enum class FrameColour { kWindow, kHighlight };

// Frames of an unselected icon have the window colour, which wipes out an earlier
// selection. The selected icon's outer frames are highlighted, its inner ones only while the
// list has the focus.
FrameColour FrameColourOf(bool selected, bool focused, int frame);

// The part of the client area from the bottom edge of the outermost frame downwards (empty
// when that edge lies below the client area).
ListRect AreaBelow(const ListRect& client, const IconFrames& frames);

// A colour in the system's 0x00BBGGRR form, averaged channel by channel: the background of the
// disabled list, between the button face and the window colour.
uint32_t AverageColour(uint32_t a, uint32_t b);

}  // namespace vgui
