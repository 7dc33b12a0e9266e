#include "os/event.h"

#include <chrono>

namespace os {

Event::Event(enum Reset mode, bool signalled) : manual_(mode == Reset::kManual), signalled_(signalled) {}

void Event::Set() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    signalled_ = true;
  }
  if (manual_)
    changed_.notify_all();
  else
    changed_.notify_one();
}

void Event::Reset() {
  std::lock_guard<std::mutex> lock(mutex_);
  signalled_ = false;
}

bool Event::IsSet() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return signalled_;
}

bool Event::Wait(int timeout_ms) {
  std::unique_lock<std::mutex> lock(mutex_);
  auto ready = [this] { return signalled_; };
  if (timeout_ms < 0) {
    changed_.wait(lock, ready);
  } else if (!changed_.wait_for(lock, std::chrono::milliseconds(timeout_ms), ready)) {
    return false;
  }
  if (!manual_) signalled_ = false;
  return true;
}

}  // namespace os
