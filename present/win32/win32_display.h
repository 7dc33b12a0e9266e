#pragma once
// The renderers' driver seam over the real thing: DirectDraw 7 for the
// surfaces, DrawDib (or StretchDIBits) for the DIB path, and the window
// system for window rectangles.
#include "present/display_driver.h"

namespace present {

class Win32DisplaySystem : public DisplaySystem {
 public:
  std::unique_ptr<DisplayDriver> OpenDirectDraw(os::WindowHandle window) override;
  std::unique_ptr<DibOutput> OpenDib(os::WindowHandle window, DibPixels pixels) override;
  Rect WindowRect(os::WindowHandle window) override;
  bool WindowVisible(os::WindowHandle window) override;
};

}  // namespace present
