#pragma once
// The mouse wheel steers the lens: wheel notches add up while the lens timer
// runs, and when it fires the total goes out as one lens request: operation
// 0 with the total when it is 1 or more, else operation 1 with the negated
// total. Nothing happens without a camera ID.
#include <cstdint>

namespace app::view {

class WheelZoom {
 public:
  static constexpr uint32_t kTimerId = 5000;
  static constexpr int kTimerMs = 5000;
  static constexpr int kNotch = 120;  // WHEEL_DELTA

  // One wheel message's delta (a multiple or fraction of 120). Returns true
  // when the lens timer must be started now (the first notches of a burst).
  bool Wheel(int delta, bool has_camera);
  // The timer fired: the request to send, if any; the total starts again.
  struct Request {
    uint32_t operation = 0;
    uint32_t speed = 0;
  };
  bool TimerFired(bool has_camera, Request* request);
  int total() const { return notches_; }
  bool pending() const { return pending_; }

 private:
  int remainder_ = 0;  // part of a notch from high-resolution wheels
  int notches_ = 0;
  bool pending_ = false;
};

}  // namespace app::view
