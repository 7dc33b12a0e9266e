#pragma once
// The hosting connection's keep-alive: a connection quiet for a while is
// asked for a keep-alive, one silent for longer is lost (the server lost its
// power or its link). It only decides; the receive loop sends and closes.
// Threads: the times are set by any thread; everything else belongs to the
// receive thread alone.
#include <atomic>
#include <cstdint>

namespace hosting {

class HostKeepAlive {
 public:
  static constexpr int kIdleMs = 10000;
  static constexpr int kDeadlineMs = 30000;
  enum class Verdict { kQuiet, kProbe, kLost };

  // A probe after idle_ms without a word from the server, the loss after
  // deadline_ms (tests shorten them).
  void SetTimes(int idle_ms, int deadline_ms);
  // The receive loop's select time-out: short enough for the times, never
  // above `longest_ms`.
  int SelectTimeoutMs(int longest_ms) const;

  // What to do about the open connection numbered `connection` at `now_ms`.
  // A connection not seen before is timed from now.
  Verdict Watch(uint32_t connection, uint64_t now_ms);
  // Input (or its end) came from `connection`.
  void Heard(uint32_t connection, uint64_t now_ms);
  uint64_t QuietMs(uint64_t now_ms) const { return now_ms - heard_ms_; }
  // A probe went out.
  void ProbeSent() { ++unanswered_; }
  // A keep-alive came in: true when it must be answered. The answer to our
  // own probe is not answered again: the two sides would play ping-pong for ever.
  bool ShouldAnswer();

 private:
  std::atomic<int> idle_ms_{kIdleMs}, deadline_ms_{kDeadlineMs};
  uint32_t timed_connection_ = 0;  // the connection count of the one timed
  uint64_t heard_ms_ = 0;          // when it last sent anything (or was made)
  int unanswered_ = 0;             // our probes not yet answered
};

}  // namespace hosting
