#include "os/debug_log.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <vector>

#include "os/clock.h"
#include "os/file.h"

namespace {

std::atomic<bool> g_enabled{false};
std::mutex g_observer_mutex;
std::function<void(const std::string&)> g_observer;

std::string Format(const char* format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  char small[512];
  int n = std::vsnprintf(small, sizeof small, format, copy);
  va_end(copy);
  if (n < 0) return std::string();
  if (static_cast<size_t>(n) < sizeof small) return std::string(small, static_cast<size_t>(n));
  std::vector<char> big(static_cast<size_t>(n) + 1);
  std::vsnprintf(big.data(), big.size(), format, args);
  return std::string(big.data(), static_cast<size_t>(n));
}

void AppendToFile(const std::string& text) {
  const std::string path = DebugLogPath();
  std::FILE* f = std::fopen(path.c_str(), "a+");
  if (!f) return;
  std::fprintf(f, "%s", text.c_str());
  long position = std::ftell(f);
  std::fclose(f);
  if (position > kDebugLogLimitBytes) std::remove(path.c_str());
}

}  // namespace

void DebugLogEnable(bool on) { g_enabled = on; }

std::string DebugLogPath() {
  static const char kName[] = "VORIZIVO_DEBUG_VIDEO.txt";
  std::string dir = os::TempDirectory();
  if (dir.empty()) return std::string("c:\\") + kName;
  return dir + kName;
}

void DebugLogObserve(std::function<void(const std::string&)> observer) {
  std::lock_guard<std::mutex> lock(g_observer_mutex);
  g_observer = std::move(observer);
}

void DebugLog(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = Format(format, args);
  va_end(args);
  {
    std::lock_guard<std::mutex> lock(g_observer_mutex);
    if (g_observer) g_observer(text);
  }
  if (g_enabled) AppendToFile(text);
}
