#pragma once
// ReconnectPolicy: when a direct view's connect thread, or the hosting
// client after losing its server, tries again.
//
// Kept reconnecting (the viewer option "Keep reconnecting"): attempts go on
// for as long as the view is open, 1, 2, 4, 8, then every 10 s apart; the
// count runs on across links that never brought a picture, so a camera
// that accepts and drops every connection is not hammered, and starts again
// once pictures came. Otherwise: three attempts per run, a fixed wait apart.
//
// Threads: the connect thread calls Next; the receive thread OnPicture; the
// window's thread SetKeepReconnecting. All state is atomic.
#include <array>
#include <atomic>

namespace net {

struct ReconnectWaits {
  static constexpr int kFixedAttempts = 3;
  int fixed_wait_ms = 60000;
  std::array<int, 5> growing_ms{1000, 2000, 4000, 8000, 10000};  // the last one repeats
};

class ReconnectPolicy {
 public:
  ReconnectPolicy(bool keep_reconnecting, ReconnectWaits waits) : keep_(keep_reconnecting), waits_(waits) {}

  struct Step {
    bool go = false;  // false: give up
    int number = 0;   // the attempt's number: within the run, or since the last picture when kept
    int wait_ms = 0;  // before it
  };
  // The connect thread's attempt `in_run` (1 for the first of this run).
  Step Next(int in_run);
  // A picture arrived: the link works, the next outage starts from a short wait.
  void OnPicture() {
    if (streak_.load(std::memory_order_relaxed) != 0) streak_ = 0;
  }
  void SetKeepReconnecting(bool keep) { keep_ = keep; }
  bool keep_reconnecting() const { return keep_; }

 private:
  std::atomic<bool> keep_;
  const ReconnectWaits waits_;
  std::atomic<int> streak_{0};  // attempts since the last picture
};

}  // namespace net
