// The plan dialog's week: which cell a point falls in (labels and edges
// included) and a dragged rectangle painted in either direction.
#include <gtest/gtest.h>

#include "app/storage/plan_week.h"

namespace app::storage {
namespace {

TEST(PlanWeek, PointsFallInTheirCellAndLabelsInNone) {
  const WeekGrid grid{30 + 24 * 10, 12 + 7 * 8, 30, 12};  // cells of 10 x 8 pixels
  EXPECT_EQ(grid.CellAt(30, 12), (WeekCell{0, 0}));
  EXPECT_EQ(grid.CellAt(39, 19), (WeekCell{0, 0}));
  EXPECT_EQ(grid.CellAt(40, 20), (WeekCell{1, 1}));
  EXPECT_EQ(grid.CellAt(269, 67), (WeekCell{6, 23}));
  EXPECT_FALSE(grid.CellAt(29, 40).Valid()) << "a day's label";
  EXPECT_FALSE(grid.CellAt(100, 11).Valid()) << "an hour's label";
  EXPECT_FALSE(grid.CellAt(270, 40).Valid());
  EXPECT_EQ(grid.CellAt(-50, 500, true), (WeekCell{6, 0})) << "a drag past the corner";
  int left, top, right, bottom;
  grid.Box({6, 23}, &left, &top, &right, &bottom);
  EXPECT_EQ(left, 260);
  EXPECT_EQ(right, 270);
  EXPECT_EQ(top, 60);
  EXPECT_EQ(bottom, 68);
  EXPECT_FALSE((WeekGrid{20, 20, 10, 10}).CellAt(15, 15).Valid()) << "smaller than a pixel a cell";
}

TEST(PlanWeek, ADraggedRectangleTakesTheModeOverTheModeThePlanHad) {
  node::RecordingPlan plan;
  plan.mode = node::PlanMode::kMotion;
  PaintWeek(&plan, {4, 18}, {0, 8}, node::PlanMode::kContinuous);  // Friday evening back to Monday morning
  EXPECT_TRUE(plan.scheduled);
  EXPECT_EQ(plan.ModeAt(0, 8), node::PlanMode::kContinuous);
  EXPECT_EQ(plan.ModeAt(4, 18), node::PlanMode::kContinuous);
  EXPECT_EQ(plan.ModeAt(2, 12), node::PlanMode::kContinuous);
  EXPECT_EQ(plan.ModeAt(2, 19), node::PlanMode::kMotion) << "outside the rectangle the old mode stays";
  EXPECT_EQ(plan.ModeAt(5, 12), node::PlanMode::kMotion);
  PaintWeek(&plan, {}, {1, 9}, node::PlanMode::kOff);
  EXPECT_EQ(plan.ModeAt(1, 9), node::PlanMode::kContinuous) << "a drag from outside the grid paints nothing";
}

}  // namespace
}  // namespace app::storage
