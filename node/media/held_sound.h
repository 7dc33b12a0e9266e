#pragma once
// The sound a recording holds until the pictures have caught up with it.
// The receive thread queues (Push) under lock_, a small lock no disk write
// is ever done under; the media worker and the window thread take what is
// due. Times are on the queue's own clock, which keeps them growing.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

#include "node/media/unit_clock.h"

namespace node {

struct HeldAudio {
  std::vector<uint8_t> bytes;
  uint64_t timestamp;
};

class HeldSound {
 public:
  // Sound waits this long for the pictures before it is written alone.
  static constexpr uint64_t kAudioHoldMs = 2000;
  // At most this many sound frames wait (about 30 s of 64 ms frames).
  static constexpr size_t kMaxHeldAudio = 480;
  static constexpr uint32_t kAudioFallbackStepMs = 64;

  // Receive thread: one frame of the camera's sound.
  void Push(const uint8_t* data, uint32_t length, uint64_t timestamp);
  // Nothing held, and the camera's clock may start afresh.
  void Clear();
  size_t Count() const { return count_.load(); }
  // Takes the frames due, oldest first: those `caught_up` says the pictures
  // have reached, and those that waited longer than kAudioHoldMs. `ending`:
  // only the ones caught up, the rest dropped (the file ends there).
  std::deque<HeldAudio> Take(bool ending, const std::function<bool(uint64_t timestamp)>& caught_up);

 private:
  std::mutex lock_;
  std::deque<HeldAudio> held_;  // times on the queue's clock
  UnitClock clock_{kAudioFallbackStepMs};
  std::atomic<size_t> count_{0};
};

}  // namespace node
