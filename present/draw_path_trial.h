#pragma once
// Which drawing path a view keeps when the user has not chosen one: Under
// Wine without a graphics driver, DirectDraw draws through a software
// OpenGL rasteriser and a picture's blit can take ten times what GDI takes
// for the same picture. The trial times the pictures drawn through
// DirectDraw; when they are slow it has the view draw through GDI for as
// many pictures and keeps the faster path. Media worker only (the pictures'
// times); the verdict is read by the window thread, which switches.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace present {

class DrawPathTrial {
 public:
  // What the view should do now.
  enum class Verdict : uint8_t {
    kMeasuring,       // go on drawing as now
    kTryGdi,          // DirectDraw looks slow: draw through GDI for a while
    kKeepDirectDraw,  // decided (after a try: switch back)
    kKeepGdi,         // decided: GDI is much faster
  };
  static constexpr size_t kPictures = 90;          // timed on each path: three seconds at 30 fps
  static constexpr uint64_t kFastEnoughUs = 4000;  // a DirectDraw picture this quick is kept without a try
  static constexpr uint64_t kSlowerBy = 2;         // DirectDraw goes when its median is this many times GDI's

  // The time one picture took to draw on the path the verdict says is in use.
  Verdict Add(uint64_t microseconds);
  Verdict verdict() const { return verdict_; }
  // The median picture of each path as measured (0: not measured).
  uint64_t direct_draw_us() const { return direct_draw_us_; }
  uint64_t gdi_us() const { return gdi_us_; }

 private:
  static uint64_t Median(std::vector<uint64_t>& times);

  Verdict verdict_ = Verdict::kMeasuring;
  std::vector<uint64_t> times_;
  uint64_t direct_draw_us_ = 0, gdi_us_ = 0;
};

}  // namespace present
