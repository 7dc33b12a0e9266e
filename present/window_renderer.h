#pragma once
// The window renderer of a node: draws each decoded picture stretched into a
// window, through a DirectDraw off-screen surface (YUV FOURCC or the
// primary's RGB format) blitted to the clipped primary surface, or through
// the DIB path when DirectDraw offers nothing usable; or, when the user has
// turned DirectDraw off, through GDI with 32-bit pixels (under Wine, whose
// DirectDraw serialises every window's blit behind one lock, many views
// keep their frame rate only that way). Every operation holds
// the renderer's mutex for its whole duration, so the media thread's draws
// never meet the window thread's initialise and close.
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "codec/video/video_decoder.h"
#include "present/display_driver.h"

namespace present {

// The RGB mode a primary surface's pixel format asks for: 1, 2, 4, or 3 for
// a 24-bit surface (which the renderer refuses); 0 for anything else.
uint32_t RgbModeFor(const PixelFormat& format);
// "YV12", "RGB32", "DIB", ... for log lines and figures.
std::string ModeName(uint32_t mode);

class WindowRenderer {
 public:
  enum Options : uint32_t {
    kRequireStretch = 1,
    kAllowYuv = 2,
    kAllowRgb = 4,
    kAllOptions = 7,  // what a node passes unless DirectDraw is turned off
    // No DirectDraw: 32-bit top-down pixels drawn with GDI (mode GDI).
    kDrawThroughGdi = 8,
  };
  static constexpr int kLostSurfaceLimit = 10;

  explicit WindowRenderer(DisplaySystem& system);
  ~WindowRenderer();
  WindowRenderer(const WindowRenderer&) = delete;
  WindowRenderer& operator=(const WindowRenderer&) = delete;

  // Closes whatever was open and sets up DirectDraw or, failing that, the
  // DIB path; with kDrawThroughGdi, the GDI mode without trying DirectDraw.
  // Always 0: Mode() says which path was taken.
  int Initialise(os::WindowHandle window, int width, int height, uint32_t options);
  // One picture stretched onto `dest` (screen coordinates), or onto the
  // window's own rectangle when dest is null. With `border` the frame is
  // painted into the picture first. A picture of another size than the
  // renderer was set up for is not drawn.
  void Draw(const codec::DecodedPicture& picture, const Rect* dest, bool border, ColorRef colour);
  void Close();

  bool IsDib() const;
  uint32_t Mode() const;
  // Microseconds spent framing and converting pictures for the surface, in
  // all (the view benchmark's breakdown; the rest of a draw is the blit).
  uint64_t ConvertMicroseconds() const { return convert_us_.load(std::memory_order_relaxed); }
  bool Initialised() const;
  int LostSurfaces() const;

 private:
  bool SetUpDirectDraw();
  bool ChooseFourcc();
  bool ChooseRgb();
  // The DIB fallback (24-bit bottom-up) or the GDI mode (32-bit top-down).
  void SetUpGdi(DibPixels pixels);
  bool DrawsThroughGdi() const;  // under the mutex
  void DrawThroughSurface(const codec::DecodedPicture& picture, const Rect& dest, bool border, ColorRef colour);
  void DrawThroughDib(const codec::DecodedPicture& picture, const Rect& dest, bool border, ColorRef colour);
  codec::DecodedPicture Framed(const codec::DecodedPicture& picture, ColorRef colour);
  void CloseLocked();

  DisplaySystem& system_;
  mutable std::mutex mutex_;
  std::atomic<uint64_t> convert_us_{0};
  std::unique_ptr<DisplayDriver> driver_;
  std::unique_ptr<DibOutput> dib_;
  std::vector<uint8_t> dib_buffer_;
  std::vector<uint8_t> framed_;  // the picture with its frame painted in
  int dib_stride_ = 0;
  os::WindowHandle window_ = 0;
  int width_ = 0;
  int height_ = 0;
  uint32_t options_ = 0;
  uint32_t mode_ = kModeNone;
  bool initialised_ = false;
  int lost_surfaces_ = 0;
};

}  // namespace present
