#pragma once
// A recorded track's clock: the camera's stamps in, times that always grow
// out. A unit that goes back, or forward by more than an hour, is placed
// `step` after the previous one, and the units after it follow the camera's
// new clock from there; once a few in a row keep to it, it is the clock (a
// lone stray unit leaves it as it was). One stamped like the previous unit
// lies a millisecond after it (no two samples share a time). Stamps and
// times compare modulo 2^64, so a short timestamp that wraps goes on.
// Owned by one thread at a time (its owner's lock).
#include <cstdint>

namespace node {

class UnitClock {
 public:
  // The largest step forward that is still the same clock.
  static constexpr uint64_t kLargestStepMs = 3600000;
  // Whether `a` lies after `b` (or with it), on clocks that wrap.
  static bool NotBefore(uint64_t a, uint64_t b) { return static_cast<int64_t>(a - b) >= 0; }

  explicit UnitClock(uint32_t step) : step_(step) {}
  void Reset() { started_ = false; }
  bool Started() const { return started_; }
  // The unit's time; the first unit's is its own stamp.
  uint64_t Advance(uint64_t stamp);
  // What Advance would give, the clock unchanged.
  uint64_t Peek(uint64_t stamp) const {
    UnitClock copy = *this;
    return copy.Advance(stamp);
  }

 private:
  // Units in a row on the camera's new clock that make it the clock.
  static constexpr int kSettleUnits = 3;
  static bool Follows(uint64_t stamp, uint64_t previous);

  uint32_t step_;
  bool started_ = false;
  uint64_t last_ = 0;    // the time of the last unit
  uint64_t anchor_ = 0;  // the camera's stamp of the last unit on the clock
  uint64_t offset_ = 0;  // time = stamp + offset
  int candidate_units_ = 0;  // units in a row on another clock since a jump
  uint64_t candidate_anchor_ = 0;
  uint64_t candidate_offset_ = 0;
};

}  // namespace node
