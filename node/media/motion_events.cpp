#include "node/media/motion_events.h"

#include <algorithm>

namespace node {

namespace {
// A motion goes on through one quiet picture (a person behind a pole).
constexpr int kQuietInRun = 1;
constexpr int kCells = kMotionColumns * kMotionRows;
}  // namespace

MotionChange MotionEvents::Finish() {
  run_ = 0;
  quiet_in_run_ = 0;
  if (!in_motion_) return MotionChange::kNone;
  in_motion_ = false;
  return MotionChange::kEnded;
}

// The cells next to `cells`, and those cells.
MotionCells MotionEvents::Grow(const MotionCells& cells) {
  static const MotionCells kNotFirstColumn = [] {
    MotionCells m;
    for (int i = 0; i < kCells; ++i) m[i] = i % kMotionColumns != 0;
    return m;
  }();
  static const MotionCells kNotLastColumn = kNotFirstColumn >> 1 | MotionCells().set(kCells - 1);
  const MotionCells rows = cells | cells << kMotionColumns | cells >> kMotionColumns;
  return rows | (rows << 1 & kNotFirstColumn) | (rows >> 1 & kNotLastColumn);
}

// A motion is something that stays: it goes on while this picture's
// objects touch the last ones, so specks here and there, each too short
// to matter, never chain into one.
MotionChange MotionEvents::Decide(bool moving, double area, const MotionCells& objects, bool scene_changed,
                                  uint64_t min_duration_ms, uint64_t now_ms) {
  if (moving) {
    if (run_ > 0 && (objects & Grow(run_objects_)).none()) run_ = 0;  // something else, somewhere else
    if (run_ == 0) {
      run_start_ms_ = now_ms;
      run_largest_ = 0;
    }
    ++run_;
    quiet_in_run_ = 0;
    run_objects_ = objects;
    run_largest_ = std::max(run_largest_, area);
  } else if (run_ > 0 && (scene_changed || ++quiet_in_run_ > kQuietInRun)) {
    run_ = 0;
    quiet_in_run_ = 0;
  }
  if (!in_motion_) {
    if (!moving || run_ < 2 || now_ms - run_start_ms_ < min_duration_ms) return MotionChange::kNone;
    in_motion_ = true;
    event_.startMs = run_start_ms_;
    event_.largestArea = run_largest_;
    event_.lengthMs = now_ms - run_start_ms_;
    last_motion_ms_ = now_ms;
    return MotionChange::kStarted;
  }
  if (moving) {
    last_motion_ms_ = now_ms;
    event_.lengthMs = now_ms - event_.startMs;
    event_.largestArea = std::max(event_.largestArea, area);
  }
  if (now_ms - last_motion_ms_ < kEndAfterMs) return MotionChange::kNone;
  in_motion_ = false;
  run_ = 0;
  return MotionChange::kEnded;
}

}  // namespace node
