#include "node/media/media_statistics.h"

#include <cstdio>

#include "os/clock.h"

namespace node {

void MediaStatistics::Tick() { TickAt(os::MonotonicMs()); }

void MediaStatistics::TickAt(uint64_t now_ms) {
  const uint64_t frames = frames_.load();
  const uint64_t bytes = bytes_.load();
  // The timer's own period stands in for the time before the first tick.
  uint64_t elapsedMs = previous_tick_ms_ && now_ms > previous_tick_ms_ ? now_ms - previous_tick_ms_ : 1000;
  // Pictures per second rounded to the nearest; bits per millisecond are kbit/s.
  const uint64_t fps = ((frames - previous_frames_) * 1000 + elapsedMs / 2) / elapsedMs;
  const uint64_t kbps = (bytes - previous_bytes_) * 8 / elapsedMs;
  previous_frames_ = frames;
  previous_bytes_ = bytes;
  previous_tick_ms_ = now_ms;
  char text[64];
  std::snprintf(text, sizeof text, "%d fps, %d kbps", static_cast<int>(fps), static_cast<int>(kbps));
  std::lock_guard<std::mutex> lock(lock_);
  fps_ = static_cast<int>(fps);
  kbps_ = static_cast<int>(kbps);
  status_text_ = text;
}

std::string MediaStatistics::StatusText() const {
  std::lock_guard<std::mutex> lock(lock_);
  return status_text_;
}

int MediaStatistics::FramesPerSecond() const {
  std::lock_guard<std::mutex> lock(lock_);
  return fps_;
}

int MediaStatistics::KilobitsPerSecond() const {
  std::lock_guard<std::mutex> lock(lock_);
  return kbps_;
}

}  // namespace node
