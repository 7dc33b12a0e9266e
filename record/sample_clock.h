// A track's clock: a sample's duration in the tables is the time since the
// one before. Times never run backwards in a track; a sample that claims so
// lands on the previous one's time. A late first sample's time becomes the
// track's composition offset instead of a duration.
#pragma once

#include <cstdint>

namespace record {

class SampleClock {
 public:
  struct Step {
    uint32_t delta = 0;
    uint32_t offset = 0;
  };

  // The duration and composition offset of a sample at `time`; `first`: the
  // track holds no sample yet.
  Step Next(uint32_t time, bool first) const {
    Step step{time >= previous_ ? time - previous_ : 0, offset_};
    if (first && step.delta != 0) {
      step.offset = step.delta;
      step.delta = 0;
    }
    return step;
  }
  // The sample of `step` at `time` went into the tables.
  void Take(uint32_t time, const Step& step) {
    offset_ = step.offset;
    if (time > previous_) previous_ = time;
  }

 private:
  uint32_t previous_ = 0;
  uint32_t offset_ = 0;
};

}  // namespace record
