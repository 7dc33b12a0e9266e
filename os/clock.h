#pragma once
#include <cstdint>
#include <string>

namespace os {

// Milliseconds from an arbitrary start that never goes backwards.
uint64_t MonotonicMs();
// The same clock in microseconds, for timing the stages of one picture.
uint64_t MonotonicUs();
void SleepMs(int milliseconds);

}  // namespace os
