#pragma once
// Keeps a node alive while network and connect threads use it: they acquire
// before touching the node and release after; closing waits for them.
#include <mutex>

#include "os/event.h"

namespace node {

class UsageGuard {
 public:
  static constexpr int kCloseWaitMs = 30000;

  // -1 while the node is closing, else 0 and the node is held.
  int Acquire();
  void Release();
  // Refuses new users and waits (up to wait_ms) for the current ones to leave.
  // Returns false when users were still inside at the end of the wait.
  bool Close(int wait_ms = kCloseWaitMs);
  int users() const;

 private:
  mutable std::mutex mutex_;
  bool closing_ = false;
  int users_ = 0;
  os::Event idle_{os::Event::Reset::kManual, true};
};

// Holds a guard acquired elsewhere and releases it at the end of a scope.
class UsageHold {
 public:
  explicit UsageHold(UsageGuard* guard) : guard_(guard) {}
  ~UsageHold() {
    if (guard_) guard_->Release();
  }
  UsageHold(const UsageHold&) = delete;
  UsageHold& operator=(const UsageHold&) = delete;

 private:
  UsageGuard* guard_;
};

}  // namespace node
