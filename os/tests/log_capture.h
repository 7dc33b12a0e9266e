#pragma once
// Collects every debug-log line written while it lives, from any thread.
#include <mutex>
#include <string>
#include <vector>

#include "os/debug_log.h"

class LogCapture {
 public:
  LogCapture() {
    DebugLogObserve([this](const std::string& line) {
      std::lock_guard<std::mutex> lock(mutex_);
      lines_.push_back(line);
    });
  }
  ~LogCapture() { DebugLogObserve(nullptr); }
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  std::vector<std::string> Lines() {
    std::lock_guard<std::mutex> lock(mutex_);
    return lines_;
  }
  // A line exactly as written.
  bool Has(const std::string& line) {
    for (const auto& l : Lines())
      if (l == line) return true;
    return false;
  }
  // Any line containing `text`.
  bool Mentions(const std::string& text) {
    for (const auto& l : Lines())
      if (l.find(text) != std::string::npos) return true;
    return false;
  }

 private:
  std::mutex mutex_;
  std::vector<std::string> lines_;
};
