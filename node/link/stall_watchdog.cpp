#include "node/link/stall_watchdog.h"

namespace node {

void StallWatchdog::Arm(uint64_t now_ms, int64_t wall_s) {
  last_ms_ = now_ms;
  // A link that never brought video reports the time it came up; after a
  // stall the user still wants to know when the last picture came.
  if (stalled_since_ == 0) last_wall_ = wall_s;
  video_since_arm_ = false;
  armed_ = true;
}

void StallWatchdog::OnVideo(uint64_t now_ms, int64_t wall_s) {
  last_ms_.store(now_ms, std::memory_order_relaxed);
  last_wall_.store(wall_s, std::memory_order_relaxed);
  if (!video_since_arm_.load(std::memory_order_relaxed)) video_since_arm_ = true;
  if (stalled_since_.load(std::memory_order_relaxed) != 0) stalled_since_ = 0;
}

void StallWatchdog::OnAnswer(uint64_t now_ms) {
  if (armed_ && !video_since_arm_) last_ms_.store(now_ms, std::memory_order_relaxed);
}

bool StallWatchdog::Check(uint64_t now_ms) {
  if (stall_ms_ <= 0 || !armed_) return false;
  if (now_ms < last_ms_ + static_cast<uint64_t>(stall_ms_)) return false;
  armed_ = false;
  stalled_since_ = last_wall_.load();
  return true;
}

}  // namespace node
