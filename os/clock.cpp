#include "os/clock.h"

#include <chrono>
#include <cstdlib>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#endif

namespace os {

uint64_t MonotonicMs() {
  using namespace std::chrono;
  return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void SleepMs(int milliseconds) {
  if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

std::string TempDirectory() {
#ifdef _WIN32
  char path[MAX_PATH + 1] = {};
  DWORD n = GetTempPathA(sizeof path, path);
  if (n == 0 || n > MAX_PATH) return std::string();
  return std::string(path, n);
#else
  const char* dir = std::getenv("TMPDIR");
  std::string result = (dir && *dir) ? dir : "/tmp";
  if (result.back() != '/') result += '/';
  return result;
#endif
}

}  // namespace os
