#include "os/local_time.h"

namespace os {

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
