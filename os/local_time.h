#pragma once
// The calendar time of the user's time zone, for names and texts people read
// (recording file names, listed dates, the status line's clock).
#include <ctime>
#include <string>

namespace os {

std::tm LocalTime(std::time_t when);

// strftime on the local time, with the Windows runtime's "%#" flag (no
// leading zero, e.g. "%#d") read the same on every platform.
std::string FormatLocalTime(const char* format, std::time_t when);

}  // namespace os
