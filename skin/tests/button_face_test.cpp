// Which bitmap a skinned button or check box shows, with the fallbacks.
#include "skin/button_face.h"

#include <gtest/gtest.h>

namespace skin {
namespace {

constexpr bool kAll[4] = {true, true, true, true};
constexpr bool kNormalOnly[4] = {true, false, false, false};
constexpr bool kNone[4] = {false, false, false, false};

TEST(ButtonFace, StatesPickTheirBitmapOrFallBack) {
  struct Case {
    const char* what;
    ButtonState state;
    const bool* have;
    int slot;
  };
  const Case cases[] = {
      {"button at rest", {false, true, false, false, false}, kAll, 0},
      {"button under the pointer", {false, true, false, true, false}, kAll, 1},
      {"button pressed", {false, true, true, true, false}, kAll, 2},
      {"button disabled", {false, false, false, false, false}, kAll, 3},
      {"button disabled under the pointer", {false, false, false, true, false}, kAll, 3},
      {"over falls back to normal", {false, true, false, true, false}, kNormalOnly, 0},
      {"disabled falls back to normal", {false, false, false, false, false}, kNormalOnly, 0},
      {"pressed has no fallback", {false, true, true, false, false}, kNormalOnly, -1},
      {"nothing to draw", {false, true, false, false, false}, kNone, -1},
      {"check box unchecked", {true, true, false, false, false}, kAll, 0},
      {"check box checked", {true, true, false, false, true}, kAll, 2},
      {"check box under the pointer shows its state", {true, true, false, true, true}, kAll, 2},
      {"check box pressed shows its state", {true, true, true, false, false}, kAll, 0},
      {"check box disabled", {true, false, false, false, true}, kAll, 3},
      {"check box disabled falls back to normal", {true, false, false, false, true}, kNormalOnly, 0},
      {"checked has no fallback", {true, true, false, false, true}, kNormalOnly, -1},
  };
  for (const Case& c : cases) EXPECT_EQ(FaceSlot(c.state, c.have), c.slot) << c.what;
}

}  // namespace
}  // namespace skin
