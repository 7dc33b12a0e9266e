#include "app/view/view_placement.h"

#include "app/view/view_layout.h"

namespace app::view {
namespace {

ScreenRect Sized(int left, int top, int width, int height) { return {left, top, left + width, top + height}; }

// The standard size and the fitting rectangle at the display's scale.
struct Sizes {
  int width, height, fit_width, fit_height;
};
Sizes At(int percent) {
  auto scale = [percent](int v) { return static_cast<int>((static_cast<long long>(v) * percent + 50) / 100); };
  return {scale(kStandardWidth), scale(kStandardHeight), scale(kFitWidth), scale(kFitHeight)};
}

bool Inside(const ScreenRect& r, const ScreenRect& screen) {
  return r.left >= screen.left && r.top >= screen.top && r.right <= screen.right && r.bottom <= screen.bottom;
}

bool Overlap(const ScreenRect& a, const ScreenRect& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

bool Free(int left, int top, const std::vector<OpenView>& open, const ScreenRect& screen, const Sizes& sizes) {
  const ScreenRect fit = Sized(left, top, sizes.fit_width, sizes.fit_height);
  if (!Inside(fit, screen)) return false;
  for (const OpenView& v : open)
    if (Overlap(fit, v.rect)) return false;
  return true;
}

Placement Beside(int left, int top, const OpenView& against, const Sizes& sizes) {
  return {Sized(left, top, sizes.width, sizes.height),
          against.docked_to != kNotDocked ? against.docked_to : against.id};
}

}  // namespace

Placement PlaceView(const ScreenRect& current, const ScreenRect& main_window, const std::vector<OpenView>& open,
                    const ScreenRect& screen, const ScreenRect* list_window, int percent) {
  const Sizes sizes = At(percent);
  if (open.empty()) {
    const ScreenRect& beside = list_window ? *list_window : main_window;
    return {Sized(beside.right, beside.top, sizes.width, sizes.height), kNotDocked};
  }
  for (const OpenView& v : open)
    if (Free(v.rect.right, v.rect.top, open, screen, sizes)) return Beside(v.rect.right, v.rect.top, v, sizes);
  for (const OpenView& v : open)
    if (Free(v.rect.left, v.rect.bottom, open, screen, sizes)) return Beside(v.rect.left, v.rect.bottom, v, sizes);
  return {Sized(current.left, current.top, sizes.width, sizes.height), kNotDocked};
}

}  // namespace app::view
