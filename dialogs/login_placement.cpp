#include "dialogs/login_placement.h"

namespace dialogs {

app::ScreenRect PlaceLoginDialog(const app::ScreenRect& first, const app::ScreenRect& screen,
                                 const app::ScreenRect& main_window) {
  const app::ScreenRect right = first.Offset(first.width(), 0);
  if (right.left >= screen.left && right.top >= screen.top && right.right <= screen.right &&
      right.bottom <= screen.bottom)
    return right;
  return first.Offset(main_window.left - first.width() - first.left, main_window.top - first.top);
}

}  // namespace dialogs
