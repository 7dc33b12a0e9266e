#pragma once
// Keeps an object alive while other threads use it: they acquire before
// touching it and release after; closing waits for them. A node's network and
// connect threads hold its guard (the hosting client and the node both use it).
// Threads: any thread acquires and releases; one thread, the owner about to
// destroy the object, closes it. A closed guard stays closed. The last user
// wakes the closer while it still holds the lock, so once Close has returned
// no user touches the guard any more and the owner may destroy it at once.
#include <condition_variable>
#include <mutex>

namespace os {

class UsageGuard {
 public:
  static constexpr int kCloseWaitMs = 30000;

  // -1 while closing, else 0 and the object is held until Release.
  int Acquire();
  void Release();
  // Refuses new users from now on and waits (up to wait_ms) for the current
  // ones to leave. Returns false when users were still inside at the end of
  // the wait. The object is about to go: later Acquires keep failing.
  bool Close(int wait_ms = kCloseWaitMs);
  int users() const;

 private:
  mutable std::mutex mutex_;
  std::condition_variable idle_;  // users_ reached 0; under mutex_
  bool closing_ = false;
  int users_ = 0;
};

}  // namespace os
