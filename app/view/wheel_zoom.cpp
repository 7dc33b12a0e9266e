#include "app/view/wheel_zoom.h"

namespace app::view {

bool WheelZoom::Wheel(int delta, bool has_camera) {
  if (!has_camera) return false;
  remainder_ += delta;
  notches_ += remainder_ / kNotch;
  remainder_ %= kNotch;
  if (pending_) return false;
  pending_ = true;
  return true;
}

bool WheelZoom::TimerFired(bool has_camera, Request* request) {
  const int total = notches_;
  const bool was_pending = pending_;
  notches_ = 0;
  remainder_ = 0;
  pending_ = false;
  if (!was_pending || !has_camera) return false;
  if (total >= 1)
    *request = {0, static_cast<uint32_t>(total)};
  else
    *request = {1, static_cast<uint32_t>(-total)};
  return true;
}

}  // namespace app::view
