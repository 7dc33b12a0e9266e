#include "present/overlay_renderer.h"

#include "present/i420_convert.h"

namespace present {

namespace {
constexpr uint32_t kOverlayPreference[] = {kFourccYUY2, kFourccUYVY, kFourccYVU9};
}

OverlayRenderer::OverlayRenderer(DisplaySystem& system) : system_(system) {}

OverlayRenderer::~OverlayRenderer() { Close(); }

bool OverlayRenderer::Initialise(int width, int height) {
  std::lock_guard<std::mutex> lock(mutex_);
  CloseLocked();
  width_ = width;
  height_ = height;
  ready_ = SetUp();
  if (!ready_) CloseLocked();
  return ready_;
}

bool OverlayRenderer::SetUp() {
  driver_ = system_.OpenDirectDraw(0);
  if (!driver_ || !driver_->CreatePrimary(false)) return false;
  const DriverCaps caps = driver_->Caps();
  if (!caps.overlay || !caps.overlayFourcc) return false;
  for (uint32_t fourcc : kOverlayPreference) {
    if (driver_->CreateOverlay(fourcc, width_, height_)) {
      fourcc_ = fourcc;
      return driver_->ShowOverlay(width_, height_);
    }
  }
  return false;
}

void OverlayRenderer::Draw(const codec::DecodedPicture& picture) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!ready_ || !picture.data || picture.width != width_ || picture.height != height_) return;
  LockedSurface surface;
  if (driver_->Lock(true, &surface) != LockResult::kLocked) return;
  ConverterFor(fourcc_)(picture.data, surface.bits, width_, height_, surface.pitch);
  driver_->Unlock();
}

void OverlayRenderer::Close() {
  std::lock_guard<std::mutex> lock(mutex_);
  CloseLocked();
}

void OverlayRenderer::CloseLocked() {
  driver_.reset();
  fourcc_ = 0;
  ready_ = false;
}

bool OverlayRenderer::Ready() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return ready_;
}

uint32_t OverlayRenderer::FourCC() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return fourcc_;
}

}  // namespace present
