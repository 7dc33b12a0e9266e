#include "dialogs/login_placement.h"

namespace dialogs {

os::ScreenRect PlaceLoginDialog(const os::ScreenRect& first, const os::ScreenRect& screen,
                                 const os::ScreenRect& main_window) {
  const os::ScreenRect right = first.Offset(first.width(), 0);
  if (right.left >= screen.left && right.top >= screen.top && right.right <= screen.right &&
      right.bottom <= screen.bottom)
    return right;
  return first.Offset(main_window.left - first.width() - first.left, main_window.top - first.top);
}

}  // namespace dialogs
