#pragma once
// ReconnectPolicy: when a direct view's connect thread, or the hosting
// client after losing its server, tries again.
//
// Kept reconnecting (the viewer option "Keep reconnecting"): attempts go on
// for as long as the view is open, 1, 2, 4, 8, then every 10 s apart; the
// count runs on across links until one worked (brought a picture, or had
// its login accepted) and stayed up kStableMs, so a camera or server that
// accepts and drops every connection at once is not hammered. Otherwise:
// three attempts per run, a fixed wait apart.
//
// Threads: the connect thread calls Next and LinkUp; the receive thread
// LinkWorks; LinkDown whichever thread notices the loss; the window's thread
// SetKeepReconnecting. All state is atomic.
#include <array>
#include <atomic>
#include <cstdint>

namespace net {

struct ReconnectWaits {
  static constexpr int kFixedAttempts = 3;
  int fixed_wait_ms = 60000;
  std::array<int, 5> growing_ms{1000, 2000, 4000, 8000, 10000};  // the last one repeats
};

class ReconnectPolicy {
 public:
  // How long a link that works must stay up before the waits start short again.
  static constexpr uint64_t kStableMs = 30000;

  ReconnectPolicy(bool keep_reconnecting, ReconnectWaits waits) : keep_(keep_reconnecting), waits_(waits) {}

  struct Step {
    bool go = false;  // false: give up
    int number = 0;   // the attempt's number: within the run, or since the last lasting link when kept
    int wait_ms = 0;  // before it
  };
  // The connect thread's attempt `in_run` (1 for the first of this run).
  Step Next(int in_run);
  // A connection was made at now_ms (os::MonotonicMs).
  void LinkUp(uint64_t now_ms) {
    works_ = false;
    up_since_ms_ = now_ms;
  }
  // It works (a picture arrived, the login was accepted). Cheap: the receive
  // thread calls it for every picture.
  void LinkWorks() {
    if (!works_.load(std::memory_order_relaxed)) works_ = true;
  }
  // It went down: one that worked and stayed up kStableMs ends the count, so
  // the next outage starts from a short wait.
  void LinkDown(uint64_t now_ms) {
    if (works_.exchange(false) && now_ms >= up_since_ms_ + kStableMs) streak_ = 0;
  }
  void SetKeepReconnecting(bool keep) { keep_ = keep; }
  bool keep_reconnecting() const { return keep_; }

 private:
  std::atomic<bool> keep_;
  const ReconnectWaits waits_;
  std::atomic<int> streak_{0};  // attempts since the last link that worked and stayed up
  std::atomic<bool> works_{false};
  std::atomic<uint64_t> up_since_ms_{0};
};

}  // namespace net
