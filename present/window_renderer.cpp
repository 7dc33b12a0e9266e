#include "present/window_renderer.h"

#include "os/clock.h"
#include "os/debug_log.h"
#include "present/i420_convert.h"
#include "present/picture_border.h"

namespace present {

namespace {
// The FOURCC surfaces worth having, best first.
constexpr uint32_t kFourccPreference[] = {kFourccYV12, kFourccYUY2, kFourccUYVY, kFourccYVU9};

bool Lists(const std::vector<uint32_t>& codes, uint32_t fourcc) {
  for (uint32_t c : codes)
    if (c == fourcc) return true;
  return false;
}

bool SameSize(const DecodedPicture& picture, int width, int height) {
  return picture.data && picture.width == width && picture.height == height;
}
}  // namespace

uint32_t RgbModeFor(const PixelFormat& f) {
  if (!f.rgb) return kModeNone;
  if (f.bits == 16 && f.red == 0xF800 && f.green == 0x07E0 && f.blue == 0x001F) return kModeRgb565;
  if (f.bits == 16 && f.red == 0x7C00 && f.green == 0x03E0 && f.blue == 0x001F) return kModeRgb555;
  const bool eightEach = f.red == 0xFF0000 && f.green == 0xFF00 && f.blue == 0xFF;
  if (f.bits == 32 && eightEach) return kModeRgb32;
  if (f.bits == 24 && eightEach) return kModeRgb24;
  return kModeNone;
}

std::string ModeName(uint32_t mode) {
  switch (mode) {
    case kModeNone: return "none";
    case kModeRgb565: return "RGB565";
    case kModeRgb555: return "RGB555";
    case kModeRgb24: return "RGB24";
    case kModeRgb32: return "RGB32";
    case kModeDib: return "DIB";
    default: {
      std::string name;
      for (int i = 0; i < 4; ++i) name += static_cast<char>((mode >> (8 * i)) & 0xFF);
      return name;
    }
  }
}

WindowRenderer::WindowRenderer(DisplaySystem& system) : m_system(system) {}

WindowRenderer::~WindowRenderer() { Close(); }

int WindowRenderer::Initialise(os::WindowHandle window, int width, int height, uint32_t options) {
  std::lock_guard<std::mutex> lock(m_mutex);
  CloseLocked();
  m_window = window;
  m_width = width;
  m_height = height;
  m_options = options;
  const bool directDraw = (options & (kAllowYuv | kAllowRgb)) && SetUpDirectDraw();
  if (!directDraw) SetUpDib();
  m_initialised = true;
  m_lostSurfaces = 0;
  DebugLog("WindowRenderer : %d x %d through %s\n", width, height, ModeName(m_mode).c_str());
  return 0;
}

bool WindowRenderer::SetUpDirectDraw() {
  m_driver = m_system.OpenDirectDraw(m_window);
  if (!m_driver || !m_driver->CreatePrimary(true)) return false;
  const DriverCaps caps = m_driver->Caps();
  if ((m_options & kRequireStretch) && !caps.bltStretch) return false;
  if ((m_options & kAllowYuv) && caps.bltFourcc && ChooseFourcc()) return true;
  return (m_options & kAllowRgb) && ChooseRgb();
}

bool WindowRenderer::ChooseFourcc() {
  const std::vector<uint32_t> codes = m_driver->FourCCCodes();
  for (uint32_t fourcc : kFourccPreference) {
    if (Lists(codes, fourcc) && m_driver->CreateOffscreen(fourcc, m_width, m_height)) {
      m_mode = fourcc;
      return true;
    }
  }
  return false;
}

bool WindowRenderer::ChooseRgb() {
  const uint32_t mode = RgbModeFor(m_driver->PrimaryFormat());
  if (mode == kModeNone || mode == kModeRgb24) return false;
  if (!m_driver->CreateOffscreen(0, m_width, m_height)) return false;
  m_mode = mode;
  return true;
}

void WindowRenderer::SetUpDib() {
  m_driver.reset();
  m_dib = m_system.OpenDib(m_window);
  // Rows of a 24-bit DIB are DWORD-aligned: ((width + 1) * 3 / 4) * 4 bytes.
  m_dibStride = ((m_width + 1) * 3 / 4) * 4;
  m_dibBuffer.assign(size_t(m_dibStride) * size_t(m_height > 0 ? m_height : 0), 0);
  m_mode = kModeDib;
}

void WindowRenderer::Draw(const DecodedPicture& picture, const Rect* dest, bool border, ColorRef colour) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (!m_initialised || !SameSize(picture, m_width, m_height)) return;
  const Rect target = dest ? *dest : m_system.WindowRect(m_window);
  if (m_mode != kModeDib && (!m_driver || !m_driver->Intact())) {
    // DirectDraw went away under us: carry on through the DIB path.
    DebugLog("WindowRenderer : DirectDraw objects lost, drawing through DIB\n");
    SetUpDib();
  }
  if (m_mode == kModeDib)
    DrawThroughDib(picture, target, border, colour);
  else
    DrawThroughSurface(picture, target, border, colour);
}

void WindowRenderer::DrawThroughSurface(const DecodedPicture& picture, const Rect& dest, bool border,
                                        ColorRef colour) {
  LockedSurface surface;
  switch (m_driver->Lock(false, &surface)) {
    case LockResult::kSurfaceLost:
      if (++m_lostSurfaces >= kLostSurfaceLimit) return;
      m_driver->Restore();
      return;
    case LockResult::kFailed:
      return;
    case LockResult::kLocked:
      break;
  }
  m_lostSurfaces = 0;
  const uint64_t start = os::MonotonicUs();
  const DecodedPicture shown = border ? Framed(picture, colour) : picture;
  if (ConvertFn convert = ConverterFor(m_mode)) convert(shown.data, surface.bits, m_width, m_height, surface.pitch);
  m_convertUs.fetch_add(os::MonotonicUs() - start, std::memory_order_relaxed);
  m_driver->Unlock();
  m_driver->Blt(dest);
}

void WindowRenderer::DrawThroughDib(const DecodedPicture& picture, const Rect& dest, bool border, ColorRef colour) {
  // The frame shows in DIB mode as well: a selected or alarmed view looks
  // the same whichever path draws it.
  const uint64_t start = os::MonotonicUs();
  const DecodedPicture shown = border ? Framed(picture, colour) : picture;
  ConverterFor(kModeDib)(shown.data, m_dibBuffer.data(), m_width, m_height, m_dibStride);
  m_convertUs.fetch_add(os::MonotonicUs() - start, std::memory_order_relaxed);
  if (m_dib) m_dib->Draw(m_dibBuffer.data(), m_width, m_height, dest.Width(), dest.Height());
}

DecodedPicture WindowRenderer::Framed(const DecodedPicture& picture, ColorRef colour) {
  // The picture stays the node's, as decoded: its window repaints from it
  // while this thread draws, so the frame goes into a copy of our own.
  m_framed.assign(picture.data, picture.data + picture.Size());
  DecodedPicture framed{m_framed.data(), picture.width, picture.height};
  PaintBorder(framed, colour);
  return framed;
}

void WindowRenderer::Close() {
  std::lock_guard<std::mutex> lock(m_mutex);
  CloseLocked();
}

void WindowRenderer::CloseLocked() {
  m_driver.reset();
  m_dib.reset();
  m_dibBuffer.clear();
  m_dibBuffer.shrink_to_fit();
  m_framed.clear();
  m_framed.shrink_to_fit();
  m_mode = kModeNone;
  m_initialised = false;
}

bool WindowRenderer::IsDib() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_mode == kModeDib;
}

uint32_t WindowRenderer::Mode() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_mode;
}

bool WindowRenderer::Initialised() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_initialised;
}

int WindowRenderer::LostSurfaces() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_lostSurfaces;
}

}  // namespace present
