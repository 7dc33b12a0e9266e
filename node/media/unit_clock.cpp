#include "node/media/unit_clock.h"

namespace node {

bool UnitClock::Follows(uint64_t stamp, uint64_t previous) {
  return NotBefore(stamp, previous) && stamp - previous <= kLargestStepMs;
}

uint64_t UnitClock::Advance(uint64_t stamp) {
  if (!started_) {
    started_ = true;
    candidate_units_ = 0;
    offset_ = 0;
    return last_ = anchor_ = stamp;
  }
  uint64_t time;
  if (Follows(stamp, anchor_)) {
    anchor_ = stamp;
    candidate_units_ = 0;
    time = stamp + offset_;
  } else if (candidate_units_ > 0 && Follows(stamp, candidate_anchor_)) {
    // The camera's clock jumped a unit or two ago and goes on from there.
    candidate_anchor_ = stamp;
    time = stamp + candidate_offset_;
    if (++candidate_units_ >= kSettleUnits) {
      anchor_ = stamp;
      offset_ = candidate_offset_;
      candidate_units_ = 0;
    }
  } else {
    // A jump (a step back, a correction, a wrap, an hour's leap or stall):
    // one step on, and the camera's clock as it now runs is followed from here.
    time = last_ + step_;
    candidate_units_ = 1;
    candidate_anchor_ = stamp;
    candidate_offset_ = time - stamp;
  }
  // Stamped alike (a burst within one millisecond), or behind a unit placed
  // ahead of its stamp: a file's times must still grow.
  if (!NotBefore(time, last_ + 1)) time = last_ + 1;
  return last_ = time;
}

}  // namespace node
