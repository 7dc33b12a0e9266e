#pragma once
// The plan dialog's week, without a window: seven rows (Monday first) of
// 24 hour cells under a row of hour labels and beside a column of day
// labels; the cell under a point; a dragged rectangle of cells painted with
// one mode.
#include "node/storage/recording_plan.h"

namespace app::storage {

struct WeekCell {
  int day = -1, hour = -1;
  bool Valid() const { return day >= 0 && hour >= 0; }
  bool operator==(const WeekCell&) const = default;
};

// A grid of `width` x `height` pixels whose first `label_width` pixels
// hold the day labels and first `label_height` the hour labels.
struct WeekGrid {
  int width = 0, height = 0, label_width = 0, label_height = 0;

  // The cell under (x, y); invalid over the labels or outside. `clamp`
  // gives the nearest cell instead (a drag that leaves the grid).
  WeekCell CellAt(int x, int y, bool clamp = false) const;
  // The cell's pixels: [left, right) x [top, bottom).
  void Box(WeekCell cell, int* left, int* top, int* right, int* bottom) const;
};

// Every cell of the rectangle between `from` and `to` takes `mode`; the
// plan becomes scheduled.
void PaintWeek(node::RecordingPlan* plan, WeekCell from, WeekCell to, node::PlanMode mode);
// A plan switched to its schedule starts from the mode it had in every cell.
void ScheduleFromMode(node::RecordingPlan* plan);

}  // namespace app::storage
