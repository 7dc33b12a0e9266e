#pragma once
// Pictures of the dialogs for a look by eye: with HALYARD_SHOT_DIR set, Shot
// saves what the screen shows of a window as a 24-bit BMP in that folder
// (shots.sh runs the tests in a Wine desktop and converts them to PNG).
#include <windows.h>

namespace dialogs::testing {

bool ShotsWanted();
void Shot(HWND hwnd, const char* name);

}  // namespace dialogs::testing
