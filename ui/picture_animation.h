#pragma once
// The moving parts of the printer picture: a list of frames shown one after the other, and
// an overlay icon that blinks over the picture. Both advance on one timer of the control.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vgui {

// The control's timer and its period (frames and blinking alike).
constexpr unsigned kAnimationTimerId = 20;
constexpr unsigned kAnimationIntervalMs = 500;

class PictureAnimation {
 public:
  // Replaces the frame list. Returns the id to show first, or 0 for an empty list. A single
  // id is a still picture: no list is kept, so nothing advances.
  int SetFrames(const std::vector<uint16_t>& ids);

  struct OverlayUpdate {
    bool reloadIcon = false;    // the overlay id changed: load the new icon (none for 0)
    bool restartTimer = false;  // start the blink phase anew
    bool invalidate = false;
  };
  // A new id shows at once and blinks from now on; the same id again restarts the blink
  // only when `restart` is set. Id 0 takes the overlay away.
  OverlayUpdate SetOverlay(int id, bool restart);

  // One timer tick: the next frame (wrapping after the last) and the overlay toggled.
  // Returns true when the picture must be painted again; *pictureId is then the frame to
  // show, or unchanged without a frame list.
  bool Tick(int* pictureId);

  // Stops moving: the frame list goes, the overlay stays as it is until set again.
  void Stop();

  // Whether the control's timer has work: several frames, or an overlay to blink.
  bool TimerNeeded() const;

  bool IsAnimating() const { return frames_.size() >= 2; }
  int OverlayId() const { return overlayId_; }
  bool OverlayVisible() const { return overlayVisible_; }
  size_t FrameIndex() const { return index_; }

 private:
  std::vector<uint16_t> frames_;
  size_t index_ = 0;
  int overlayId_ = 0;
  bool overlayVisible_ = false;
  bool stopped_ = false;
};

// The alternating status icon: a list of icon ids shown in turn on the same timer and
// period as the picture, when it holds two or more.
class IconCycle {
 public:
  // Replaces the list and goes back to its first icon; returns that id (0 when empty).
  uint32_t SetIcons(const std::vector<uint32_t>& ids);
  bool Blinks() const { return ids_.size() >= 2; }
  // The next icon (wrapping), or 0 when the list does not blink.
  uint32_t Tick();
  uint32_t Current() const { return ids_.empty() ? 0 : ids_[index_]; }

 private:
  std::vector<uint32_t> ids_;
  size_t index_ = 0;
};

}  // namespace vgui
