#pragma once
// Snapping and docking of the viewer's small windows (the main window, the
// camera and file list window, the camera views): while one is dragged, its
// edges snap to the edges of the others and to the screen's edges; a window
// that snapped to another is docked to it and follows it when it moves.
// Pure arithmetic on rectangles in screen pixels; the Win32 shell feeds it
// from WM_WINDOWPOSCHANGING and moves the followers itself.
#include <vector>

#include "os/screen_rect.h"

namespace app {

using os::ScreenRect;

constexpr int kSnapDistance = 20;
constexpr int kNotDocked = -1;

// One other window that the moving one may snap to: its index in the
// caller's docking list and where it is. Only visible windows belong here.
struct DockCandidate {
  int index = kNotDocked;
  ScreenRect rect;
};

struct SnapResult {
  ScreenRect rect;             // the proposed rectangle, corrected
  int docked_to = kNotDocked;  // the window it now meets, or kNotDocked
};

// Corrects `proposed` (same size as the moving window) so that an edge that
// came within `distance` of another window's edge meets it exactly: outer
// edges (left to right, top to bottom and back) and same-side edges. Two
// windows only snap along an axis when they are side by side along the other
// one, so a window far below does not pull one sideways. Where no window is
// near along an axis, the screen's edges within `distance` pull instead.
SnapResult SnapWhileMoving(const ScreenRect& proposed, const std::vector<DockCandidate>& others,
                           const ScreenRect& screen, int distance = kSnapDistance);

// Everything that must follow `moved` when it moves: the windows docked to
// it, the ones docked to those, and so on, each once, in the order to move
// them. docked_to[i] is the docking target of window i (kNotDocked for none);
// a cycle of targets cannot make this loop.
std::vector<int> Followers(int moved, const std::vector<int>& docked_to);

// A window put back where it was last may find its monitor gone. It stays
// where it is while a piece of it of kGrabSize x kGrabSize (the whole window,
// when smaller) lies in a present monitor's work area; otherwise it moves
// into the work area nearest to it, whole where it fits, else from that
// area's top left. With no work area given it stays.
constexpr int kGrabSize = 48;
ScreenRect KeepOnAMonitor(const ScreenRect& window, const std::vector<ScreenRect>& work_areas);

}  // namespace app
