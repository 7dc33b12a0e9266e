#include "present/overlay_renderer.h"

#include "present/i420_convert.h"

namespace present {

namespace {
constexpr uint32_t kOverlayPreference[] = {kFourccYUY2, kFourccUYVY, kFourccYVU9};
}

OverlayRenderer::OverlayRenderer(DisplaySystem& system) : m_system(system) {}

OverlayRenderer::~OverlayRenderer() { Close(); }

bool OverlayRenderer::Initialise(int width, int height) {
  std::lock_guard<std::mutex> lock(m_mutex);
  CloseLocked();
  m_width = width;
  m_height = height;
  m_ready = SetUp();
  if (!m_ready) CloseLocked();
  return m_ready;
}

bool OverlayRenderer::SetUp() {
  m_driver = m_system.OpenDirectDraw(0);
  if (!m_driver || !m_driver->CreatePrimary(false)) return false;
  const DriverCaps caps = m_driver->Caps();
  if (!caps.overlay || !caps.overlayFourcc) return false;
  for (uint32_t fourcc : kOverlayPreference) {
    if (m_driver->CreateOverlay(fourcc, m_width, m_height)) {
      m_fourcc = fourcc;
      return m_driver->ShowOverlay(m_width, m_height);
    }
  }
  return false;
}

void OverlayRenderer::Draw(const DecodedPicture& picture) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (!m_ready || !picture.data || picture.width != m_width || picture.height != m_height) return;
  LockedSurface surface;
  if (m_driver->Lock(true, &surface) != LockResult::kLocked) return;
  ConverterFor(m_fourcc)(picture.data, surface.bits, m_width, m_height, surface.pitch);
  m_driver->Unlock();
}

void OverlayRenderer::Close() {
  std::lock_guard<std::mutex> lock(m_mutex);
  CloseLocked();
}

void OverlayRenderer::CloseLocked() {
  m_driver.reset();
  m_fourcc = 0;
  m_ready = false;
}

bool OverlayRenderer::Ready() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_ready;
}

uint32_t OverlayRenderer::FourCC() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_fourcc;
}

}  // namespace present
