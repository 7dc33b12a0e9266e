#pragma once
// A Win32-style event: manual reset stays signalled until Reset, auto reset
// releases one waiter and clears itself. Built on the standard library so the
// same code runs on both platforms.
#include <condition_variable>
#include <mutex>

namespace os {

class Event {
 public:
  enum class Reset { kManual, kAuto };
  explicit Event(Reset mode = Reset::kAuto, bool signalled = false);
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;

  void Set();
  void Reset();
  // Waits up to timeout_ms (negative = for ever); true when the event was signalled.
  bool Wait(int timeout_ms = -1);
  bool IsSet() const;

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  const bool manual_;
  bool signalled_;
};

}  // namespace os
