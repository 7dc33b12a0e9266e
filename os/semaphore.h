#pragma once
// A counting semaphore with a maximum, as Win32 has it: Release beyond the
// maximum fails instead of growing the count.
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace os {

class Semaphore {
 public:
  Semaphore(int initial, int maximum) : count_(initial), maximum_(maximum) {}
  Semaphore(const Semaphore&) = delete;
  Semaphore& operator=(const Semaphore&) = delete;

  // Waits up to timeout_ms (0 = just test, negative = for ever).
  bool Acquire(int timeout_ms) {
    std::unique_lock<std::mutex> lock(mutex_);
    auto available = [this] { return count_ > 0; };
    if (timeout_ms < 0)
      changed_.wait(lock, available);
    else if (!changed_.wait_for(lock, std::chrono::milliseconds(timeout_ms), available))
      return false;
    --count_;
    return true;
  }
  bool Release() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (count_ >= maximum_) return false;
      ++count_;
    }
    changed_.notify_one();
    return true;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  int count_;
  const int maximum_;
};

}  // namespace os
