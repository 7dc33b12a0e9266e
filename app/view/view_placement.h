#pragma once
// Where a camera view goes when it opens and on "Sort Window": the first
// view beside the main window's right edge (beside the camera and file list
// window's, while that is shown); a later one right of, or else
// below, an open view where a 320 x 255 rectangle lies on the screen and
// overlaps no other view, docked to that view (or to the view that one is
// docked to); with no such place it stays where it is. Every view takes the
// standard size. Pure arithmetic in screen pixels.
#include <vector>

#include "app/docking.h"

namespace app::view {

constexpr int kFitWidth = 320;
constexpr int kFitHeight = 255;

// An open view: an identity of the caller's choosing, where it is, and the
// identity of the view it is docked to (kNotDocked for none).
struct OpenView {
  int id = kNotDocked;
  ScreenRect rect;
  int docked_to = kNotDocked;
};

struct Placement {
  ScreenRect rect;
  int docked_to = kNotDocked;
};

// `list_window`: the camera and file list window while it is shown (null
// otherwise); the first view goes beside it rather than over it.
// `percent`: the display's scale, which the standard size and the fitting
// rectangle grow by.
Placement PlaceView(const ScreenRect& current, const ScreenRect& main_window, const std::vector<OpenView>& open,
                    const ScreenRect& screen, const ScreenRect* list_window = nullptr, int percent = 100);

}  // namespace app::view
