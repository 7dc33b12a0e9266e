#pragma once
// The overlay renderer: a hardware YUV overlay shown across the whole screen
// while a node is in full-screen mode. Most display drivers of today (and
// Wine) have no overlays; then Initialise fails and the node draws through
// its window renderer into the full-screen window instead.
#include <cstdint>
#include <memory>
#include <mutex>

#include "codec/video/video_decoder.h"
#include "present/display_driver.h"

namespace present {

class OverlayRenderer {
 public:
  explicit OverlayRenderer(DisplaySystem& system);
  ~OverlayRenderer();
  OverlayRenderer(const OverlayRenderer&) = delete;
  OverlayRenderer& operator=(const OverlayRenderer&) = delete;

  // Any failure closes everything again and returns false.
  bool Initialise(int width, int height);
  // Converts the picture into the overlay; a failed lock drops it.
  void Draw(const codec::DecodedPicture& picture);
  void Close();

  bool Ready() const;
  uint32_t FourCC() const;

 private:
  bool SetUp();
  void CloseLocked();

  DisplaySystem& system_;
  mutable std::mutex mutex_;
  std::unique_ptr<DisplayDriver> driver_;
  uint32_t fourcc_ = 0;
  int width_ = 0;
  int height_ = 0;
  bool ready_ = false;
};

}  // namespace present
