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
  void Draw(const DecodedPicture& picture);
  void Close();

  bool Ready() const;
  uint32_t FourCC() const;

 private:
  bool SetUp();
  void CloseLocked();

  DisplaySystem& m_system;
  mutable std::mutex m_mutex;
  std::unique_ptr<DisplayDriver> m_driver;
  uint32_t m_fourcc = 0;
  int m_width = 0;
  int m_height = 0;
  bool m_ready = false;
};

}  // namespace present
