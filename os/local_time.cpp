#include "os/local_time.h"

#include <chrono>

namespace os {

int64_t WallSeconds() {
  using namespace std::chrono;
  return duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
}

CalendarTime ToCalendarTime(int64_t seconds) {
  const std::tm tm = LocalTime(static_cast<std::time_t>(seconds));
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

std::tm LocalTime(std::time_t when) {
  std::tm local{};
  // The standard localtime shares one buffer between threads; both platforms
  // have a reentrant form, each under its own name.
#ifdef _WIN32
  localtime_s(&local, &when);
#else
  localtime_r(&when, &local);
#endif
  return local;
}

std::string FormatLocalTime(const char* format, std::time_t when) {
  std::string pattern(format);
#ifndef _WIN32
  for (size_t at = pattern.find("%#"); at != std::string::npos; at = pattern.find("%#", at + 1)) pattern.erase(at + 1, 1);
#endif
  const std::tm local = LocalTime(when);
  char text[256];
  const size_t n = std::strftime(text, sizeof text, pattern.c_str(), &local);
  return std::string(text, n);
}

}  // namespace os
