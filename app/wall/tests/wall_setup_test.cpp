// The --wall option and a wall's cameras when its pattern changes.
#include <gtest/gtest.h>

#include "app/wall/wall_setup.h"

namespace app::wall {
namespace {

TEST(WallSetup, TheStartOptionNamesAMonitorAndAPattern) {
  WallSetup setup;
  std::string error;
  ASSERT_TRUE(ParseWallOption("2", &setup, &error)) << error;
  EXPECT_EQ(setup.monitor, 2);
  EXPECT_EQ(setup.cells.size(), 4u) << "a 2x2 grid when no pattern is given";
  ASSERT_TRUE(ParseWallOption("1:2+8", &setup, &error)) << error;
  EXPECT_EQ(setup.cells.size(), 10u);
  ASSERT_TRUE(ParseWallOption("3:6x6", &setup, &error)) << error;
  EXPECT_EQ(setup.cells.size(), 36u);

  for (const char* bad : {"", "0", "17", "x", "2:", "2:0x3", "2:7x1", "2:3x3x3", "-1:2x2", "2 :2x2", "1:2+9"}) {
    WallSetup kept;
    kept.monitor = 5;
    error.clear();
    EXPECT_FALSE(ParseWallOption(bad, &kept, &error)) << bad;
    EXPECT_FALSE(error.empty()) << bad;
    EXPECT_EQ(kept.monitor, 5) << bad;
  }
}

TEST(WallSetup, ANewPatternKeepsTheCamerasOfTheCellsItStillHas) {
  WallSetup setup;
  ParseWallPattern("3x3", &setup.pattern);
  setup.SetPattern(setup.pattern);
  setup.cells[0] = {true, "CAM-1"};
  setup.cells[8] = {false, "Gate"};
  EXPECT_EQ(setup.FirstEmptyCell(), 1);
  WallPattern two;
  ParseWallPattern("2x2", &two);
  setup.SetPattern(two);
  ASSERT_EQ(setup.cells.size(), 4u);
  EXPECT_EQ(setup.cells[0].name, "CAM-1");
  for (auto& cell : setup.cells) cell = {false, "X"};
  EXPECT_EQ(setup.FirstEmptyCell(), -1);
}

}  // namespace
}  // namespace app::wall
