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

bool SameSize(const codec::DecodedPicture& picture, int width, int height) {
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
    case kModeGdi: return "GDI";
    default: {
      std::string name;
      for (int i = 0; i < 4; ++i) name += static_cast<char>((mode >> (8 * i)) & 0xFF);
      return name;
    }
  }
}

WindowRenderer::WindowRenderer(DisplaySystem& system) : system_(system) {}

WindowRenderer::~WindowRenderer() { Close(); }

int WindowRenderer::Initialise(os::WindowHandle window, int width, int height, uint32_t options) {
  std::lock_guard<std::mutex> lock(mutex_);
  CloseLocked();
  window_ = window;
  width_ = width;
  height_ = height;
  options_ = options;
  if (options & kDrawThroughGdi)
    SetUpGdi(DibPixels::kTopDown32);
  else if (!((options & (kAllowYuv | kAllowRgb)) && SetUpDirectDraw()))
    SetUpGdi(DibPixels::kBottomUp24);
  initialised_ = true;
  lost_surfaces_ = 0;
  DebugLog("WindowRenderer : %d x %d through %s\n", width, height, ModeName(mode_).c_str());
  return 0;
}

bool WindowRenderer::SetUpDirectDraw() {
  driver_ = system_.OpenDirectDraw(window_);
  if (!driver_ || !driver_->CreatePrimary(true)) return false;
  const DriverCaps caps = driver_->Caps();
  if ((options_ & kRequireStretch) && !caps.bltStretch) return false;
  if ((options_ & kAllowYuv) && caps.bltFourcc && ChooseFourcc()) return true;
  return (options_ & kAllowRgb) && ChooseRgb();
}

bool WindowRenderer::ChooseFourcc() {
  const std::vector<uint32_t> codes = driver_->FourCCCodes();
  for (uint32_t fourcc : kFourccPreference) {
    if (Lists(codes, fourcc) && driver_->CreateOffscreen(fourcc, width_, height_)) {
      mode_ = fourcc;
      return true;
    }
  }
  return false;
}

bool WindowRenderer::ChooseRgb() {
  const uint32_t mode = RgbModeFor(driver_->PrimaryFormat());
  if (mode == kModeNone || mode == kModeRgb24) return false;
  if (!driver_->CreateOffscreen(0, width_, height_)) return false;
  mode_ = mode;
  return true;
}

void WindowRenderer::SetUpGdi(DibPixels pixels) {
  driver_.reset();
  dib_ = system_.OpenDib(window_, pixels);
  const bool fallback = pixels == DibPixels::kBottomUp24;
  // Rows of a 24-bit DIB are DWORD-aligned: ((width + 1) * 3 / 4) * 4 bytes.
  dib_stride_ = fallback ? ((width_ + 1) * 3 / 4) * 4 : width_ * 4;
  dib_buffer_.assign(size_t(dib_stride_) * size_t(height_ > 0 ? height_ : 0), 0);
  mode_ = fallback ? kModeDib : kModeGdi;
}

void WindowRenderer::Draw(const codec::DecodedPicture& picture, const Rect* dest, bool border, ColorRef colour) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!initialised_ || !SameSize(picture, width_, height_)) return;
  const Rect target = dest ? *dest : system_.WindowRect(window_);
  if (!DrawsThroughGdi() && (!driver_ || !driver_->Intact())) {
    // DirectDraw went away under us: carry on through the DIB path.
    DebugLog("WindowRenderer : DirectDraw objects lost, drawing through DIB\n");
    SetUpGdi(DibPixels::kBottomUp24);
  }
  if (DrawsThroughGdi())
    DrawThroughDib(picture, target, border, colour);
  else
    DrawThroughSurface(picture, target, border, colour);
}

void WindowRenderer::DrawThroughSurface(const codec::DecodedPicture& picture, const Rect& dest, bool border,
                                        ColorRef colour) {
  LockedSurface surface;
  switch (driver_->Lock(false, &surface)) {
    case LockResult::kSurfaceLost:
      if (++lost_surfaces_ >= kLostSurfaceLimit) return;
      driver_->Restore();
      return;
    case LockResult::kFailed:
      return;
    case LockResult::kLocked:
      break;
  }
  lost_surfaces_ = 0;
  const uint64_t start = os::MonotonicUs();
  const codec::DecodedPicture shown = border ? Framed(picture, colour) : picture;
  if (ConvertFn convert = ConverterFor(mode_)) convert(shown.data, surface.bits, width_, height_, surface.pitch);
  convert_us_.fetch_add(os::MonotonicUs() - start, std::memory_order_relaxed);
  driver_->Unlock();
  driver_->Blt(dest);
}

void WindowRenderer::DrawThroughDib(const codec::DecodedPicture& picture, const Rect& dest, bool border, ColorRef colour) {
  // The frame shows in DIB mode as well: a selected or alarmed view looks
  // the same whichever path draws it.
  const uint64_t start = os::MonotonicUs();
  const codec::DecodedPicture shown = border ? Framed(picture, colour) : picture;
  ConverterFor(mode_)(shown.data, dib_buffer_.data(), width_, height_, dib_stride_);
  convert_us_.fetch_add(os::MonotonicUs() - start, std::memory_order_relaxed);
  if (dib_) dib_->Draw(dib_buffer_.data(), width_, height_, dest.Width(), dest.Height());
}

codec::DecodedPicture WindowRenderer::Framed(const codec::DecodedPicture& picture, ColorRef colour) {
  // The picture stays the node's, as decoded: its window repaints from it
  // while this thread draws, so the frame goes into a copy of our own.
  framed_.assign(picture.data, picture.data + picture.Size());
  codec::DecodedPicture framed{framed_.data(), picture.width, picture.height};
  PaintBorder(framed, colour);
  return framed;
}

void WindowRenderer::Close() {
  std::lock_guard<std::mutex> lock(mutex_);
  CloseLocked();
}

void WindowRenderer::CloseLocked() {
  driver_.reset();
  dib_.reset();
  dib_buffer_.clear();
  dib_buffer_.shrink_to_fit();
  framed_.clear();
  framed_.shrink_to_fit();
  mode_ = kModeNone;
  initialised_ = false;
}

bool WindowRenderer::DrawsThroughGdi() const { return mode_ == kModeDib || mode_ == kModeGdi; }

bool WindowRenderer::IsDib() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return mode_ == kModeDib;
}

uint32_t WindowRenderer::Mode() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return mode_;
}

bool WindowRenderer::Initialised() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return initialised_;
}

int WindowRenderer::LostSurfaces() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return lost_surfaces_;
}

}  // namespace present
