#include "ui/picture_animation.h"

namespace vgui {

int PictureAnimation::SetFrames(const std::vector<uint16_t>& ids) {
  stopped_ = false;
  frames_.clear();
  index_ = 0;
  if (ids.empty()) return 0;
  if (ids.size() >= 2) frames_ = ids;
  return ids.front();
}

PictureAnimation::OverlayUpdate PictureAnimation::SetOverlay(int id, bool restart) {
  OverlayUpdate update;
  if (id != overlayId_) {
    stopped_ = false;
    overlayId_ = id;
    overlayVisible_ = true;
    update.reloadIcon = true;
    update.restartTimer = true;
    update.invalidate = true;
  } else if (restart) {
    stopped_ = false;
    update.restartTimer = true;
    if (id != 0 && !overlayVisible_) {
      overlayVisible_ = true;
      update.invalidate = true;
    }
  }
  return update;
}

bool PictureAnimation::Tick(int* pictureId) {
  if (stopped_) return false;
  bool changed = false;
  if (frames_.size() >= 2) {
    index_ = (index_ + 1) % frames_.size();
    if (pictureId != nullptr) *pictureId = frames_[index_];
    changed = true;
  }
  if (overlayId_ != 0) {
    overlayVisible_ = !overlayVisible_;
    changed = true;
  }
  return changed;
}

void PictureAnimation::Stop() {
  frames_.clear();
  index_ = 0;
  stopped_ = true;
}

bool PictureAnimation::TimerNeeded() const {
  return !stopped_ && (frames_.size() >= 2 || overlayId_ != 0);
}

uint32_t IconCycle::SetIcons(const std::vector<uint32_t>& ids) {
  ids_ = ids;
  index_ = 0;
  return Current();
}

uint32_t IconCycle::Tick() {
  if (!Blinks()) return 0;
  index_ = (index_ + 1) % ids_.size();
  return ids_[index_];
}

}  // namespace vgui
