#include "os/usage_guard.h"

namespace os {

int UsageGuard::Acquire() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (closing_) return -1;
  ++users_;
  idle_.Reset();
  return 0;
}

void UsageGuard::Release() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (users_ > 0 && --users_ == 0) idle_.Set();
}

bool UsageGuard::Close(int wait_ms) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    closing_ = true;
  }
  return idle_.Wait(wait_ms);
}

int UsageGuard::users() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return users_;
}

}  // namespace os
