#include "os/wall_clock.h"

#include <chrono>
#include <ctime>

namespace os {

int64_t WallSeconds() {
  using namespace std::chrono;
  return duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
}

LocalTime ToLocalTime(int64_t seconds) {
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm tm{};
  // The reentrant forms: std::localtime shares one buffer between threads.
#ifdef _WIN32
  if (localtime_s(&tm, &t) != 0) return {};
#else
  if (!localtime_r(&t, &tm)) return {};
#endif
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

}  // namespace os
