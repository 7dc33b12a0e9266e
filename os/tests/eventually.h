#pragma once
// The one way tests wait for another thread: poll a condition with a deadline.
#include <cstdint>

#include "os/clock.h"

namespace os::testing {

// Polls `done` until it holds or timeout_ms passes.
template <typename F>
bool Eventually(F done, int timeout_ms = 5000) {
  uint64_t end = os::MonotonicMs() + static_cast<uint64_t>(timeout_ms);
  while (!done()) {
    if (os::MonotonicMs() > end) return false;
    os::SleepMs(10);
  }
  return true;
}

}  // namespace os::testing
