#include "dialogs/tests/shots.h"

#include <cstdlib>

#include "os/win32/tests/win32_test_rig.h"

namespace dialogs::testing {

bool ShotsWanted() { return std::getenv("HALYARD_SHOT_DIR") != nullptr; }

void Shot(HWND hwnd, const char* name) {
  if (const char* dir = std::getenv("HALYARD_SHOT_DIR")) win32::testing::SaveWindowShot(hwnd, dir, name);
}

}  // namespace dialogs::testing
