#pragma once
// StallWatchdog: notices a live link that is open but brings no video (a
// camera that stopped sending, or that accepted the connection and never
// answered). Armed when the link comes up, fed with every video unit,
// checked once a second on the window's thread.
//
// A link that comes up asks several questions before the first picture,
// each answered a send pass later: while the camera answers them the link
// is not silent, so until the first video every answer counts as news.
//
// Threads: Arm and Disarm from connect threads and the window's thread,
// OnVideo and OnAnswer from the receive thread (relaxed stores), Check and
// the readers from the window's thread. All state is atomic.
#include <atomic>
#include <cstdint>

namespace node {

class StallWatchdog {
 public:
  explicit StallWatchdog(int stall_ms) : stall_ms_(stall_ms) {}

  // The link is up: silence counts from now (`wall_s` is what the user is
  // told the last news was, when no video comes at all).
  void Arm(uint64_t now_ms, int64_t wall_s);
  void Disarm() { armed_ = false; }
  void OnVideo(uint64_t now_ms, int64_t wall_s);
  // The camera answered a request of the link's start-up; ignored once
  // video has come (a camera that only answers keep-alives is stalled).
  void OnAnswer(uint64_t now_ms);
  // True once per silence of stall_ms on an armed link; the link is
  // disarmed then (the caller heals it and arms it again when it is back).
  bool Check(uint64_t now_ms);
  // Wall-clock seconds of the last video while stalled; 0 when not stalled.
  // Stays set through the healing until video comes again.
  int64_t stalled_since() const { return stalled_since_; }
  int stall_ms() const { return stall_ms_; }

 private:
  const int stall_ms_;  // 0: never
  std::atomic<bool> armed_{false};
  std::atomic<bool> video_since_arm_{false};
  std::atomic<uint64_t> last_ms_{0};
  std::atomic<int64_t> last_wall_{0};
  std::atomic<int64_t> stalled_since_{0};
};

}  // namespace node
