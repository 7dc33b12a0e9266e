#pragma once
// Calendar time for what the user reads (recording file names, listed
// dates, event times, daily file names), in the user's time zone. Intervals
// use os::MonotonicMs, which never jumps with the clock.
#include <cstdint>
#include <ctime>
#include <string>

namespace os {

// Seconds since 1970-01-01 UTC.
int64_t WallSeconds();

struct CalendarTime {
  int year = 1970, month = 1, day = 1;  // month and day from 1
  int hour = 0, minute = 0, second = 0;
};
// `seconds` (as WallSeconds gives them) in the machine's time zone.
CalendarTime ToCalendarTime(int64_t seconds);

std::tm LocalTime(std::time_t when);

// strftime on the local time, with the Windows runtime's "%#" flag (no
// leading zero, e.g. "%#d") read the same on every platform.
std::string FormatLocalTime(const char* format, std::time_t when);

}  // namespace os
