#include "os/posted_queue.h"

#include <chrono>

namespace os {

bool PostedQueue::Post(WindowHandle window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back({window, message, wparam, lparam});
  }
  posted_.notify_one();
  return true;
}

bool PostedQueue::Take(PostedMessage* message) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (queue_.empty()) return false;
  *message = queue_.front();
  queue_.pop_front();
  return true;
}

bool PostedQueue::WaitForMessage(int timeout_ms) {
  std::unique_lock<std::mutex> lock(mutex_);
  return posted_.wait_for(lock, std::chrono::milliseconds(timeout_ms), [this] { return !queue_.empty(); });
}

}  // namespace os
