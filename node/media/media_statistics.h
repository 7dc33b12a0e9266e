#pragma once
// What a node's media worker showed, and the status text made of it once a
// second. The worker counts (atomics); the statistics timer's thread ticks
// and owns the previous_* figures; anyone reads the text under lock_.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

namespace node {

class MediaStatistics {
 public:
  // Media worker: one picture of `bytes` went through.
  void CountShown(uint64_t bytes) {
    frames_.fetch_add(1);
    bytes_.fetch_add(bytes);
  }
  // Timer 55 (every 1000 ms): recomputes the status text from what was shown
  // since the previous tick, over the real time between the two ticks (a
  // late timer does not inflate the figures; no pictures give 0 fps).
  void Tick();
  void TickAt(uint64_t now_ms);  // the same at a given monotonic time
  std::string StatusText() const;  // "%d fps, %d kbps"
  int FramesPerSecond() const;
  int KilobitsPerSecond() const;
  uint64_t FramesShown() const { return frames_.load(); }
  uint64_t BytesShown() const { return bytes_.load(); }

 private:
  std::atomic<uint64_t> frames_{0};
  std::atomic<uint64_t> bytes_{0};
  uint64_t previous_frames_ = 0;  // timer thread only
  uint64_t previous_bytes_ = 0;
  uint64_t previous_tick_ms_ = 0;  // 0 before the first tick
  mutable std::mutex lock_;
  int fps_ = 0;
  int kbps_ = 0;
  std::string status_text_ = "0 fps, 0 kbps";
};

}  // namespace node
