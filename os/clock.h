#pragma once
#include <cstdint>
#include <string>

namespace os {

// Milliseconds from an arbitrary start that never goes backwards.
uint64_t MonotonicMs();
void SleepMs(int milliseconds);

}  // namespace os
