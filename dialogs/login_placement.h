#pragma once
// Where the login dialog opens: to the right of where it was first placed
// when it fits on the screen there, otherwise against the main window's left
// edge, top aligned with it. The size never changes.
#include "app/docking.h"

namespace dialogs {

app::ScreenRect PlaceLoginDialog(const app::ScreenRect& first, const app::ScreenRect& screen,
                                 const app::ScreenRect& main_window);

}  // namespace dialogs
