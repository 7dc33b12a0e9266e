#include "app/view/overlay_sink.h"

namespace app::view {

void OverlaySink::SetOverlay(std::shared_ptr<const Overlay> overlay) {
  std::lock_guard<std::mutex> lock(overlay_lock_);
  overlay_ = std::move(overlay);
}

std::shared_ptr<const Overlay> OverlaySink::overlay() const {
  std::lock_guard<std::mutex> lock(overlay_lock_);
  return overlay_;
}

uint64_t OverlaySink::shown() const {
  std::lock_guard<std::mutex> lock(draw_lock_);
  return shown_;
}

void OverlaySink::Resize(int width, int height) {
  std::lock_guard<std::mutex> lock(draw_lock_);
  next_.Resize(width, height);
}

void OverlaySink::ShowPicture(const DecodedPicture& picture) {
  std::lock_guard<std::mutex> lock(draw_lock_);
  Draw(picture);
}

bool OverlaySink::TryRedraw(const DecodedPicture& picture) {
  std::unique_lock<std::mutex> lock(draw_lock_, std::try_to_lock);
  if (!lock.owns_lock()) return false;
  Draw(picture);
  return true;
}

void OverlaySink::Draw(const DecodedPicture& picture) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point start = Clock::now();
  const std::shared_ptr<const Overlay> overlay = this->overlay();
  ++shown_;
  ++times_.pictures;
  if (!overlay || overlay->empty() || !picture.data) {
    next_.ShowPicture(picture);
  } else {
    // The picture is the node's own: the overlay goes into a copy.
    composed_.assign(picture.data, picture.data + picture.Size());
    const DecodedPicture copy{composed_.data(), picture.width, picture.height};
    overlay->Paint(copy);
    times_.compose += Clock::now() - start;
    next_.ShowPicture(copy);
  }
  times_.total += Clock::now() - start;
}

OverlaySink::Times OverlaySink::times() const {
  std::lock_guard<std::mutex> lock(draw_lock_);
  return times_;
}

std::vector<uint8_t> OverlaySink::Composed(const DecodedPicture& picture) const {
  std::vector<uint8_t> bytes(picture.data, picture.data + picture.Size());
  if (const std::shared_ptr<const Overlay> overlay = this->overlay())
    overlay->Paint(DecodedPicture{bytes.data(), picture.width, picture.height});
  return bytes;
}

}  // namespace app::view
