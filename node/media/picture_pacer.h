#pragma once
// When the media worker may show the next live picture. Media worker only.
// Times are milliseconds of os::MonotonicMs; a picture's arrival is when the
// receive thread queued it.
#include <algorithm>
#include <cstdint>

namespace node {

class PicturePacer {
 public:
  // Pictures that arrive together (a burst from the network) are shown at
  // least this far apart, so they do not play fast...
  static constexpr uint64_t kPictureIntervalMs = 30;
  // ...unless more than this many wait: then the worker or the screen fell
  // behind (a stall, a busy machine), and the backlog is shown at once...
  static constexpr int kCatchUpBacklog = 3;
  // ...and no picture waits for its turn longer than this after it arrived.
  static constexpr uint64_t kLongestWaitMs = kPictureIntervalMs;

  // The worker starts: the first picture goes at once.
  void Restart() { shown_any_ = false; }
  // A picture that arrived at `arrived_ms` was shown at `now_ms`.
  void Shown(uint64_t now_ms, uint64_t arrived_ms) {
    last_due_ms_ = std::min(DueMs(arrived_ms), now_ms);
    shown_any_ = true;
  }
  // Milliseconds until the oldest of `waiting` pictures, which arrived at
  // `arrived_ms`, may be shown (0: now).
  uint64_t WaitMs(uint64_t now_ms, int waiting, uint64_t arrived_ms) const {
    if (waiting > kCatchUpBacklog) return 0;
    const uint64_t due = DueMs(arrived_ms);
    return due > now_ms ? due - now_ms : 0;
  }

 private:
  // A picture's turn follows the previous picture's turn, not the moment that
  // one was shown: a worker that wakes late (a loaded machine, a coarse
  // timer) would otherwise push every later picture back by its lateness,
  // and the view would stay behind for as long as the load lasts.
  uint64_t DueMs(uint64_t arrived_ms) const {
    if (!shown_any_) return arrived_ms;
    const uint64_t spaced = std::max(arrived_ms, last_due_ms_ + kPictureIntervalMs);
    return std::min(spaced, arrived_ms + kLongestWaitMs);
  }

  bool shown_any_ = false;
  uint64_t last_due_ms_ = 0;  // when the last picture shown was due
};

}  // namespace node
