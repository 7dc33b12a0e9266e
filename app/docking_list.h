#pragma once
// The docking list of the main window and the camera and file list window:
// while one of them is dragged its edges snap (20 pixels) to the screen's
// edges and to the other window, which it is then docked to; when the main
// window moves, the windows docked to it move along.
#include <windows.h>

#include <vector>

#include "app/docking.h"

namespace app {

class DockingList {
 public:
  // Returns the window's index.
  int Add(HWND window);
  HWND Window(int index) const { return windows_[static_cast<size_t>(index)]; }
  int DockedTo(int index) const { return docked_to_[static_cast<size_t>(index)]; }
  void Undock(int index) { docked_to_[static_cast<size_t>(index)] = kNotDocked; }
  void Dock(int index, int to) { docked_to_[static_cast<size_t>(index)] = to; }

  // Both do nothing for a window not (yet) on the list.
  // WM_WINDOWPOSCHANGING of window `index`: while it is dragged, corrects
  // the proposed position and records what it docks to.
  void OnPositionChanging(int index, WINDOWPOS* pos, bool dragged);
  // WM_WINDOWPOSCHANGED of window `index`: its followers move by the same
  // displacement.
  void OnPositionChanged(int index);

 private:
  bool Has(int index) const;

  std::vector<HWND> windows_;
  std::vector<int> docked_to_;
  std::vector<RECT> last_;
  bool moving_followers_ = false;
};

}  // namespace app
