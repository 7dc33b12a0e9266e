#include "app/view/view_placement.h"

#include "app/view/view_layout.h"

namespace app::view {
namespace {

ScreenRect Sized(int left, int top, int width, int height) { return {left, top, left + width, top + height}; }

bool Inside(const ScreenRect& r, const ScreenRect& screen) {
  return r.left >= screen.left && r.top >= screen.top && r.right <= screen.right && r.bottom <= screen.bottom;
}

bool Overlap(const ScreenRect& a, const ScreenRect& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

bool Free(int left, int top, const std::vector<OpenView>& open, const ScreenRect& screen) {
  const ScreenRect fit = Sized(left, top, kFitWidth, kFitHeight);
  if (!Inside(fit, screen)) return false;
  for (const OpenView& v : open)
    if (Overlap(fit, v.rect)) return false;
  return true;
}

Placement Beside(int left, int top, const OpenView& against) {
  return {Sized(left, top, kStandardWidth, kStandardHeight),
          against.docked_to != kNotDocked ? against.docked_to : against.id};
}

}  // namespace

Placement PlaceView(const ScreenRect& current, const ScreenRect& main_window, const std::vector<OpenView>& open,
                    const ScreenRect& screen, const ScreenRect* list_window) {
  if (open.empty()) {
    const ScreenRect& beside = list_window ? *list_window : main_window;
    return {Sized(beside.right, beside.top, kStandardWidth, kStandardHeight), kNotDocked};
  }
  for (const OpenView& v : open)
    if (Free(v.rect.right, v.rect.top, open, screen)) return Beside(v.rect.right, v.rect.top, v);
  for (const OpenView& v : open)
    if (Free(v.rect.left, v.rect.bottom, open, screen)) return Beside(v.rect.left, v.rect.bottom, v);
  return {Sized(current.left, current.top, kStandardWidth, kStandardHeight), kNotDocked};
}

}  // namespace app::view
