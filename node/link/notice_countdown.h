#pragma once
// NoticeCountdown: the camera's last event notice and how long the view
// still shows it: kNoticeTicks ticks of the notice timer after its last
// repetition. Window's thread only.
#include <cstdint>

#include "node/link/node_context.h"

namespace node {

class NoticeCountdown {
 public:
  // A notice came; true when the countdown was not running (the timer starts).
  bool Start(uint32_t value) {
    value_ = value;
    const bool was_idle = ticks_ == 0;
    ticks_ = kNoticeTicks;
    return was_idle;
  }
  // One tick of the notice timer; true when this one ended the countdown.
  bool Tick() { return ticks_ > 0 && --ticks_ == 0; }
  void Clear() { ticks_ = 0; }
  uint32_t value() const { return value_; }
  int ticks() const { return ticks_; }

 private:
  uint32_t value_ = 0;
  int ticks_ = 0;
};

}  // namespace node
