#pragma once
// The motion events the detector tells, decided from what each picture
// showed: a motion is watched while its objects go on where the last ones
// were, starts an event once it has lasted the minimum duration, and the
// event ends two seconds after its last picture with motion.
//
// Thread use: a part of MotionDetector, run on its thread alone.
#include <bitset>
#include <cstdint>

namespace node {

// The detector's grid of cells, row by row from the top left.
inline constexpr int kMotionColumns = 32;
inline constexpr int kMotionRows = 24;
using MotionCells = std::bitset<kMotionColumns * kMotionRows>;

struct MotionEvent {
  uint64_t startMs = 0;      // the first picture of the motion that started it
  uint64_t lengthMs = 0;     // to the last picture with motion
  double largestArea = 0;    // the largest share of the watched picture objects covered, 0..1
};
enum class MotionChange { kNone, kStarted, kEnded };

class MotionEvents {
 public:
  static constexpr uint64_t kEndAfterMs = 2000;

  // One judged picture: whether its objects (`objects`, covering `area` of
  // the watched picture) are enough to count, and whether the scene changed.
  MotionChange Decide(bool moving, double area, const MotionCells& objects, bool scene_changed,
                      uint64_t min_duration_ms, uint64_t now_ms);
  // Drops the motion being watched and ends a running event now.
  MotionChange Finish();

  bool InMotion() const { return in_motion_; }
  const MotionEvent& LastEvent() const { return event_; }

 private:
  static MotionCells Grow(const MotionCells& cells);

  int run_ = 0;               // pictures of the motion being watched
  int quiet_in_run_ = 0;      // quiet pictures in a row within it
  uint64_t run_start_ms_ = 0;
  double run_largest_ = 0;    // the largest area of the motion being watched
  MotionCells run_objects_;   // and its objects in its last picture
  bool in_motion_ = false;
  uint64_t last_motion_ms_ = 0;
  MotionEvent event_;
};

}  // namespace node
