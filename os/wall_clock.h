#pragma once
// Calendar time for what the user reads (event times, daily file names);
// intervals use os::MonotonicMs, which never jumps with the clock.
#include <cstdint>

namespace os {

// Seconds since 1970-01-01 UTC.
int64_t WallSeconds();

struct LocalTime {
  int year = 1970, month = 1, day = 1;  // month and day from 1
  int hour = 0, minute = 0, second = 0;
};
// `seconds` (as WallSeconds gives them) in the machine's time zone.
LocalTime ToLocalTime(int64_t seconds);

}  // namespace os
