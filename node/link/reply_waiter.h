#pragma once
// A camera's reply to a request that carries no number of its own (the PTZ
// position, the preset-enable acknowledgement): the user-interface thread asks
// and waits, the receive thread answers. The camera answers requests in
// order, so a reply that comes after its request gave up is owed to that
// request and must not answer the next one. A reply that never comes is
// forgiven after one more wait.
#include <cstdint>
#include <functional>
#include <mutex>

#include "os/clock.h"
#include "os/event.h"

namespace node {

template <class Reply>
class ReplyWaiter {
 public:
  explicit ReplyWaiter(int wait_ms) : wait_ms_(wait_ms) {}

  // Sends the request with `send` (false: it could not be queued) and waits
  // up to the wait for its reply; false on time-out.
  bool Ask(const std::function<bool()>& send, Reply* reply) {
    uint32_t generation;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      generation = ++generation_;
      waiting_ = generation;
      answered_.Reset();
    }
    const bool sent = send();
    answered_.Wait(wait_ms_);
    std::lock_guard<std::mutex> lock(mutex_);
    waiting_ = 0;
    if (answered_generation_ == generation) {
      if (reply) *reply = reply_;
      return true;
    }
    if (sent) {
      ++owed_;
      owed_until_ = os::MonotonicMs() + static_cast<uint64_t>(wait_ms_);
    }
    return false;
  }

  // A reply from the camera (receive thread).
  void Answer(const Reply& reply) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (owed_ > 0 && os::MonotonicMs() > owed_until_) owed_ = 0;
    if (owed_ > 0) {
      --owed_;  // the late reply of a request that gave up
      return;
    }
    if (waiting_ == 0) return;
    answered_generation_ = waiting_;
    reply_ = reply;
    answered_.Set();
  }

 private:
  const int wait_ms_;
  std::mutex mutex_;
  os::Event answered_{os::Event::Reset::kManual};
  uint32_t generation_ = 0;           // of the latest request
  uint32_t waiting_ = 0;              // the request waiting now, 0 none
  uint32_t answered_generation_ = 0;  // the request the stored reply answers
  Reply reply_{};
  int owed_ = 0;                      // replies still due to requests that gave up
  uint64_t owed_until_ = 0;
};

}  // namespace node
