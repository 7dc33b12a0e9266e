#include "app/storage/plan_week.h"

#include <algorithm>

namespace app::storage {
namespace {

constexpr int kDays = node::RecordingPlan::kDays;
constexpr int kHours = node::RecordingPlan::kHours;

// The n-th of `count` equal parts of `length` pixels starting at `origin`.
int Edge(int origin, int length, int count, int n) { return origin + length * n / count; }

}  // namespace

WeekCell WeekGrid::CellAt(int x, int y, bool clamp) const {
  const int cells_w = width - label_width, cells_h = height - label_height;
  if (cells_w < kHours || cells_h < kDays) return {};
  int hour = (x - label_width) * kHours / cells_w, day = (y - label_height) * kDays / cells_h;
  if (x < label_width) hour = -1;
  if (y < label_height) day = -1;
  if (clamp) return {std::clamp(day, 0, kDays - 1), std::clamp(hour, 0, kHours - 1)};
  if (day < 0 || day >= kDays || hour < 0 || hour >= kHours) return {};
  return {day, hour};
}

void WeekGrid::Box(WeekCell cell, int* left, int* top, int* right, int* bottom) const {
  *left = Edge(label_width, width - label_width, kHours, cell.hour);
  *right = Edge(label_width, width - label_width, kHours, cell.hour + 1);
  *top = Edge(label_height, height - label_height, kDays, cell.day);
  *bottom = Edge(label_height, height - label_height, kDays, cell.day + 1);
}

void PaintWeek(node::RecordingPlan* plan, WeekCell from, WeekCell to, node::PlanMode mode) {
  if (!from.Valid() || !to.Valid()) return;
  if (!plan->scheduled) ScheduleFromMode(plan);
  for (int day = std::min(from.day, to.day); day <= std::max(from.day, to.day) && day < kDays; ++day)
    for (int hour = std::min(from.hour, to.hour); hour <= std::max(from.hour, to.hour) && hour < kHours; ++hour)
      plan->week[size_t(day)][size_t(hour)] = mode;
}

void ScheduleFromMode(node::RecordingPlan* plan) {
  if (plan->scheduled) return;
  for (auto& day : plan->week) day.fill(plan->mode);
  plan->scheduled = true;
}

}  // namespace app::storage
