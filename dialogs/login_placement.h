#pragma once
// Where the login dialog opens: to the right of where it was first placed
// when it fits on the screen there, otherwise against the main window's left
// edge, top aligned with it. The size never changes.
#include "os/screen_rect.h"

namespace dialogs {

os::ScreenRect PlaceLoginDialog(const os::ScreenRect& first, const os::ScreenRect& screen,
                                 const os::ScreenRect& main_window);

}  // namespace dialogs
