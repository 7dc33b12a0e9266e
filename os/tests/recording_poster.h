#pragma once
// The window seam's poster for tests: records every post (from any thread)
// and lets a test look at them or wait for one.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

#include "os/posted_queue.h"
#include "os/window_seam.h"

namespace os::testing {

using os::PostedMessage;

class RecordingPoster : public os::WindowPoster {
 public:
  bool Post(os::WindowHandle window, uint32_t message, uintptr_t wparam, intptr_t lparam) override {
    std::lock_guard<std::mutex> lock(mutex_);
    posts_.push_back({window, message, wparam, lparam});
    posted_.notify_all();
    return true;
  }
  std::vector<PostedMessage> Posts() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return posts_;
  }
  std::vector<PostedMessage> Posts(uint32_t message) const {
    std::vector<PostedMessage> out;
    for (const PostedMessage& p : Posts())
      if (p.message == message) out.push_back(p);
    return out;
  }
  int Count(uint32_t message) const { return static_cast<int>(Posts(message).size()); }
  void Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    posts_.clear();
  }
  // True once `message` was posted, false after `timeout_ms` without it.
  bool WaitFor(uint32_t message, int timeout_ms = 20000) {
    std::unique_lock<std::mutex> lock(mutex_);
    return posted_.wait_for(lock, std::chrono::milliseconds(timeout_ms), [&] {
      return std::any_of(posts_.begin(), posts_.end(), [&](const PostedMessage& p) { return p.message == message; });
    });
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable posted_;
  std::vector<PostedMessage> posts_;
};

}  // namespace os::testing
