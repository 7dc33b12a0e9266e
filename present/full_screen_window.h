#pragma once
// The borderless pop-up ("full screen window") a node shows its picture in
// while in full-screen mode. Escape in it goes to the node window as a key
// press (which leaves full-screen mode); Alt+Tab is swallowed.
#include "os/window_seam.h"

namespace present {

class FullScreenWindow {
 public:
  virtual ~FullScreenWindow() = default;
  // Creates the window the first time, then shows it covering the screen.
  virtual os::WindowHandle Show() = 0;
  virtual void Hide() = 0;
};

}  // namespace present
