#include "node/media/held_sound.h"

namespace node {

void HeldSound::Push(const uint8_t* data, uint32_t length, uint64_t timestamp) {
  std::lock_guard<std::mutex> lock(lock_);
  // The clock rule applies here already, so the queue's times only grow and
  // a frame stamped an hour ahead cannot hold up the ones behind it.
  const uint64_t time = clock_.Advance(timestamp);
  // A recording whose pictures stopped coming keeps the newest sound only.
  if (held_.size() >= kMaxHeldAudio) held_.pop_front();
  held_.push_back({std::vector<uint8_t>(data, data + length), time});
  count_ = held_.size();
}

void HeldSound::Clear() {
  std::lock_guard<std::mutex> lock(lock_);
  held_.clear();
  count_ = 0;
  clock_.Reset();
}

std::deque<HeldAudio> HeldSound::Take(bool ending, const std::function<bool(uint64_t timestamp)>& caught_up) {
  std::deque<HeldAudio> ready;
  std::lock_guard<std::mutex> lock(lock_);
  if (held_.empty()) return ready;
  const uint64_t newest = held_.back().timestamp;
  while (!held_.empty()) {
    HeldAudio& front = held_.front();
    const bool caughtUp = caught_up(front.timestamp);
    const bool waitedLong = UnitClock::NotBefore(newest, front.timestamp + kAudioHoldMs);
    if (!caughtUp && !waitedLong && !ending) break;
    if (caughtUp || (waitedLong && !ending)) ready.push_back(std::move(front));
    held_.pop_front();
  }
  count_ = held_.size();
  return ready;
}

}  // namespace node
