#include "app/docking.h"

#include <gtest/gtest.h>

namespace app {
namespace {

const ScreenRect kScreen{0, 0, 1024, 768};
const ScreenRect kMain{100, 100, 280, 320};  // 180 x 220, well inside the screen

ScreenRect At(int left, int top, int width = 332, int height = 273) { return {left, top, left + width, top + height}; }

struct SnapCase {
  const char* what;
  ScreenRect proposed;
  ScreenRect expected;
  int docked_to;
};

TEST(Docking, EdgesWithinTwentyPixelsMeetExactly) {
  const SnapCase cases[] = {
      {"left edge 15 px right of the main window's right edge", At(295, 100), At(280, 100), 0},
      {"left edge overlapping the right edge by 12 px", At(268, 110), At(280, 100), 0},
      {"right edge 20 px left of the main window's left edge", At(100 - 332 - 20, 150), At(100 - 332, 150), 0},
      {"top edge 19 px below the main window's bottom", At(105, 339), At(100, 320), 0},
      {"21 px away stays where it was put", At(301, 400), At(301, 400), kNotDocked},
      {"beside but far below does not pull sideways", At(285, 450), At(285, 450), kNotDocked},
      {"near the screen's left and top edges", At(12, 18), At(0, 0), kNotDocked},
      {"near the screen's right and bottom edges", At(1024 - 332 - 9, 768 - 273 - 5), At(1024 - 332, 768 - 273),
       kNotDocked},
  };
  for (const SnapCase& c : cases) {
    SnapResult r = SnapWhileMoving(c.proposed, {{0, kMain}}, kScreen);
    EXPECT_EQ(c.expected, r.rect) << c.what << ": got " << r.rect.left << "," << r.rect.top;
    EXPECT_EQ(c.docked_to, r.docked_to) << c.what;
  }
}

TEST(Docking, NearestWindowEdgeWinsAndBeatsTheScreen) {
  // Two views side by side; a third dropped near both meets the nearer edge.
  const std::vector<DockCandidate> views{{1, At(400, 100)}, {2, At(400 + 332 + 30, 100)}};
  SnapResult r = SnapWhileMoving(At(400 + 332 + 5, 380), views, kScreen);
  // 5 px from view 1's right edge, 25 from view 2's left: view 1 along x; the
  // top meets view 1's bottom edge (7 px) along y.
  EXPECT_EQ(At(400 + 332, 373), r.rect);
  EXPECT_EQ(1, r.docked_to);

  // A window edge 9 px away is taken even when a screen edge is nearer.
  r = SnapWhileMoving(At(3, 300), {{4, At(-320, 300)}}, kScreen);
  EXPECT_EQ(4, r.docked_to);
  EXPECT_EQ(At(12, 300), r.rect);
}

TEST(Docking, FollowersComeAfterTheirTargetsAndCyclesEnd) {
  // 0 main, 1 docked to 0, 2 docked to 1, 3 docked to 0, 4 free.
  EXPECT_EQ((std::vector<int>{1, 3, 2}), Followers(0, {kNotDocked, 0, 1, 0, kNotDocked}));
  EXPECT_EQ((std::vector<int>{2}), Followers(1, {kNotDocked, 0, 1, 0, kNotDocked}));
  EXPECT_TRUE(Followers(4, {kNotDocked, 0, 1, 0, kNotDocked}).empty());
  // A cycle (1 -> 2 -> 1) moves the other window once and ends.
  EXPECT_EQ((std::vector<int>{2}), Followers(1, {kNotDocked, 2, 1}));
}

// A main window restored where it was last is always on a present monitor.
TEST(Docking, ARestoredWindowIsKeptOnAPresentMonitor) {
  const ScreenRect primary{0, 0, 1024, 738}, right{1024, 0, 2944, 1050};  // work areas
  const struct {
    const char* what;
    ScreenRect window;
    std::vector<ScreenRect> areas;
    ScreenRect expected;
  } cases[] = {
      {"on the primary", At(200, 150, 180, 220), {primary}, At(200, 150, 180, 220)},
      {"on the second monitor", At(1500, 300, 180, 220), {primary, right}, At(1500, 300, 180, 220)},
      {"mostly off the primary, its corner still graspable", At(-130, -170, 180, 220), {primary},
       At(-130, -170, 180, 220)},
      {"where the second monitor was", At(1500, 300, 180, 220), {primary}, At(844, 300, 180, 220)},
      {"above every monitor", At(300, -900, 180, 220), {primary, right}, At(300, 0, 180, 220)},
      {"a sliver on the primary only", At(1000, 700, 180, 220), {primary}, At(844, 518, 180, 220)},
      {"larger than the area", At(5000, 100, 1200, 220), {primary}, At(0, 100, 1200, 220)},
      {"no monitor known", At(5000, 5000, 180, 220), {}, At(5000, 5000, 180, 220)},
  };
  for (const auto& c : cases) EXPECT_EQ(KeepOnAMonitor(c.window, c.areas), c.expected) << c.what;
}

}  // namespace
}  // namespace app
