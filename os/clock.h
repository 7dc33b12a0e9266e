#pragma once
#include <cstdint>
#include <string>

namespace os {

// Milliseconds from an arbitrary start that never goes backwards.
uint64_t MonotonicMs();
void SleepMs(int milliseconds);
// The directory for temporary files, ending with a path separator; empty if unknown.
std::string TempDirectory();

}  // namespace os
