#include "os/usage_guard.h"

#include <chrono>

namespace os {

int UsageGuard::Acquire() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (closing_) return -1;
  ++users_;
  return 0;
}

void UsageGuard::Release() {
  std::lock_guard<std::mutex> lock(mutex_);
  // Woken under the lock: the closer cannot return (and the owner cannot
  // destroy the guard) before this user has let go of it.
  if (users_ > 0 && --users_ == 0) idle_.notify_all();
}

bool UsageGuard::Close(int wait_ms) {
  std::unique_lock<std::mutex> lock(mutex_);
  closing_ = true;
  return idle_.wait_for(lock, std::chrono::milliseconds(wait_ms), [this] { return users_ == 0; });
}

int UsageGuard::users() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return users_;
}

}  // namespace os
