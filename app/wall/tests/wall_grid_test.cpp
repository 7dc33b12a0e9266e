// The wall's cells: every pixel of the monitor in exactly one cell for each
// pattern, the merged cells where they belong, the patterns' names read
// and refused.
#include <gtest/gtest.h>

#include "app/wall/wall_grid.h"

namespace app::wall {
namespace {

TEST(WallGrid, EveryPixelBelongsToOneCellOfEachPattern) {
  const os::ScreenRect area{-1920, 0, 0, 1080};  // a monitor left of the primary
  for (const char* name : {"1x1", "2x2", "3x3", "4x4", "6x6", "2x3", "1+5", "1+7", "2+8"}) {
    WallPattern pattern;
    ASSERT_TRUE(ParseWallPattern(name, &pattern)) << name;
    EXPECT_EQ(FormatWallPattern(pattern), name);
    const std::vector<os::ScreenRect> cells = CellRects(pattern, area);
    ASSERT_EQ(static_cast<int>(cells.size()), pattern.CellCount()) << name;
    long long covered = 0;
    for (const os::ScreenRect& c : cells) covered += (long long)c.width() * c.height();
    EXPECT_EQ(covered, (long long)area.width() * area.height()) << name << ": a gap or an overlap";
    for (int y = 0; y < area.height(); y += 37)
      for (int x = area.left; x < area.right; x += 41) ASSERT_GE(CellAt(pattern, area, x, y), 0) << name;
  }
}

TEST(WallGrid, MergedPatternsPutTheBigCellsFirst) {
  const os::ScreenRect area{0, 0, 1200, 900};
  WallPattern pattern;
  ASSERT_TRUE(ParseWallPattern("1+5", &pattern));
  std::vector<os::ScreenRect> cells = CellRects(pattern, area);
  ASSERT_EQ(cells.size(), 6u);
  EXPECT_EQ(cells[0], (os::ScreenRect{0, 0, 800, 600}));
  EXPECT_EQ(cells[1], (os::ScreenRect{800, 0, 1200, 300}));
  EXPECT_EQ(cells[5], (os::ScreenRect{800, 600, 1200, 900}));
  ASSERT_TRUE(ParseWallPattern("2+8", &pattern));
  cells = CellRects(pattern, area);
  ASSERT_EQ(cells.size(), 10u);
  EXPECT_EQ(cells[1], (os::ScreenRect{600, 0, 1200, 450}));
  EXPECT_EQ(cells[2], (os::ScreenRect{0, 450, 300, 675}));
  ASSERT_TRUE(ParseWallPattern("1+7", &pattern));
  EXPECT_EQ(pattern.CellCount(), 8);
  EXPECT_EQ(CellAt(pattern, area, 1199, 899), 7);
  EXPECT_EQ(CellAt(pattern, area, 1200, 10), -1);
}

TEST(WallGrid, OnlyTheKnownPatternsAreRead) {
  WallPattern pattern;
  for (const char* bad : {"", "0x3", "7x1", "3x", "x3", "3x3x", "3 x 3", "1+6", "-1x2", "3x03a"})
    EXPECT_FALSE(ParseWallPattern(bad, &pattern)) << bad;
}

}  // namespace
}  // namespace app::wall
