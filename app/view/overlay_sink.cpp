#include "app/view/overlay_sink.h"

#include "present/i420_scale.h"

namespace app::view {

void OverlaySink::SetOverlay(std::shared_ptr<const Overlay> overlay) {
  std::lock_guard<std::mutex> lock(overlay_lock_);
  overlay_ = std::move(overlay);
}

void OverlaySink::SetScreenSize(int width, int height) {
  std::lock_guard<std::mutex> lock(overlay_lock_);
  // I420 wants even sizes; a pixel less is left to the renderer's stretch.
  screen_ = {width > 1 ? width & ~1 : 0, height > 1 ? height & ~1 : 0};
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
  const Size screen = [&] {
    std::lock_guard<std::mutex> o(overlay_lock_);
    return screen_;
  }();
  next_size_ = screen.width > 0 ? screen : Size{width, height};
  next_.Resize(next_size_.width, next_size_.height);
}

OverlaySink::Size OverlaySink::ShownSize(const codec::DecodedPicture& picture) const {
  std::lock_guard<std::mutex> lock(overlay_lock_);
  return screen_.width > 0 && screen_.height > 0 ? screen_ : Size{picture.width, picture.height};
}

void OverlaySink::ShowPicture(const codec::DecodedPicture& picture) {
  std::lock_guard<std::mutex> lock(draw_lock_);
  Draw(picture);
}

bool OverlaySink::TryRedraw(const codec::DecodedPicture& picture) {
  std::unique_lock<std::mutex> lock(draw_lock_, std::try_to_lock);
  if (!lock.owns_lock()) return false;
  Draw(picture);
  return true;
}

void OverlaySink::Draw(const codec::DecodedPicture& picture) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point start = Clock::now();
  const std::shared_ptr<const Overlay> overlay = this->overlay();
  ++shown_;
  ++times_.pictures;
  if (!picture.data) return;
  // The screen size changed (a new screen size, full screen): the
  // renderer follows before it draws.
  const Size size = ShownSize(picture);
  if (!(size == next_size_)) {
    next_size_ = size;
    next_.Resize(size.width, size.height);
  }
  const bool stretched = size.width != picture.width || size.height != picture.height;
  if (!stretched && (!overlay || overlay->empty())) {
    next_.ShowPicture(picture);
  } else {
    // The picture is the node's own: scaling and overlay go into a copy.
    const codec::DecodedPicture copy = present::ScaleI420(picture, size.width, size.height, &composed_);
    if (overlay) overlay->Paint(copy);
    times_.compose += Clock::now() - start;
    next_.ShowPicture(copy);
  }
  times_.total += Clock::now() - start;
}

OverlaySink::Times OverlaySink::times() const {
  std::lock_guard<std::mutex> lock(draw_lock_);
  return times_;
}

std::vector<uint8_t> OverlaySink::Composed(const codec::DecodedPicture& picture) const {
  std::vector<uint8_t> bytes(picture.data, picture.data + picture.Size());
  if (const std::shared_ptr<const Overlay> overlay = this->overlay())
    overlay->Paint(codec::DecodedPicture{bytes.data(), picture.width, picture.height});
  return bytes;
}

}  // namespace app::view
