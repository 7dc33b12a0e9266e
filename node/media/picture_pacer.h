#pragma once
// When the media worker may show the next live picture. Media worker only.
#include <algorithm>
#include <cstdint>

namespace node {

class PicturePacer {
 public:
  // Pictures are shown at least this far apart, so a burst from the network
  // does not play fast...
  static constexpr uint64_t kPictureIntervalMs = 30;
  // ...unless more than this many wait: then the worker or the screen fell
  // behind (a stall, a busy machine), and the backlog is shown at once. At 30
  // pictures a second the spacing alone would catch up three pictures a
  // second, leaving the view behind real time for seconds after every stall.
  static constexpr int kCatchUpBacklog = 3;
  // ...or unless the oldest waiting picture has already waited this long. A
  // worker that wakes late (a loaded machine, a coarse timer) would otherwise
  // settle with a backlog just short of the one above, and every picture would
  // reach the screen that many intervals late.
  static constexpr uint64_t kLongestWaitMs = kPictureIntervalMs;

  // The worker starts: the first picture goes at once.
  void Restart() { shown_any_ = false; }
  void Shown(uint64_t now_ms) {
    shown_any_ = true;
    last_shown_ms_ = now_ms;
  }
  // Milliseconds until the next of `waiting` pictures may be shown (0: now);
  // the oldest of them arrived `oldest_waited_ms` ago.
  uint64_t WaitMs(uint64_t now_ms, int waiting, uint64_t oldest_waited_ms) const {
    if (!shown_any_ || waiting > kCatchUpBacklog || oldest_waited_ms >= kLongestWaitMs) return 0;
    const uint64_t due = last_shown_ms_ + kPictureIntervalMs;
    const uint64_t spaced = due > now_ms ? due - now_ms : 0;
    return std::min(spaced, kLongestWaitMs - oldest_waited_ms);
  }

 private:
  bool shown_any_ = false;
  uint64_t last_shown_ms_ = 0;
};

}  // namespace node
