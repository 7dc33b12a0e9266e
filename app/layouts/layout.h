#pragma once
// A named arrangement of camera views: each view's camera, where it is, its
// screen size and the view it is docked to. Saved under a name, put back
// with one key (Ctrl+1 to Ctrl+9) and at the next start. A layout saved on
// monitors that are gone comes back with every view on a present one.
//
// The stored form, one line per view after a header (bounded, for the
// settings store):
//   halyard-layout 1
//   locked                                     (optional)
//   view direct 100 80 420 340 1 -1 Front door
//   view hosted 520 80 420 340 1 0 CAM-7
// that is: kind, left, top, width, height, screen size (0 QCIF, 1 normal,
// 2 double), the index of the view it is docked to (-1: none), the camera
// (a camera entry's name or a hosting server's camera id, to the line's end).
// A video wall follows as one line and a line per cell that shows a camera:
//   wall 2 3x3                                 (monitor, pattern)
//   cell 0 direct Front door                   (cell, kind, camera)
//   tour Night round                           (the stored tour it runs)
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/wall/wall_setup.h"
#include "os/screen_rect.h"

namespace app::layouts {

struct LayoutView {
  bool hosted = false;  // a camera of the hosting server, else a camera entry of the server list
  std::string camera;
  os::ScreenRect rect;
  int screen_size = 1;
  int docked_to = -1;
  bool operator==(const LayoutView&) const = default;
};

struct Layout {
  static constexpr size_t kMaxViews = 64;
  static constexpr size_t kMaxWalls = 4;
  static constexpr size_t kMaxTextLength = 16384;
  static constexpr size_t kMaxNameLength = 64;
  bool locked = false;  // not saved over until unlocked
  std::vector<LayoutView> views;
  std::vector<wall::WallSetup> walls;
  bool operator==(const Layout&) const = default;
};

std::string FormatLayout(const Layout& layout);
// False, with a reason, for text that is no layout: another header, a line
// of an unknown kind, numbers out of range, a dock to a view that is not
// listed before or after it, too many views or too long a text.
bool ParseLayout(std::string_view text, Layout* layout, std::string* error = nullptr);
// A name a layout may be saved under: not empty, no control characters, no
// '\' (the registry's separator), at most kMaxNameLength bytes.
bool ValidLayoutName(std::string_view name);

// Every view onto a present monitor (work areas, the primary first): one
// left on a monitor that is gone moves whole into the nearest one.
void FitToMonitors(Layout* layout, const std::vector<os::ScreenRect>& work_areas);
// Views whose camera `exists` no longer knows (an entry renamed or
// deleted) are left out; docks to them are undone, the others' indexes
// follow. Wall cells of such cameras are emptied. Returns how many views
// and cells went.
size_t DropMissingCameras(Layout* layout, const std::function<bool(const LayoutView& view)>& exists);

}  // namespace app::layouts
