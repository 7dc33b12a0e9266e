#pragma once
// `SpeakerQueue`: the program-wide queue of encoded microphone blocks, filled
// by the capture thread and emptied by the speaker sender. It holds 50
// blocks (3.2 s of speech at one block per 64 ms); when the sender falls that
// far behind, the oldest block makes room, because late speech is worth less
// than current speech.
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

namespace present {

struct SpeakerBlock {
  std::vector<uint8_t> data;
  uint64_t timeMs = 0;  // capture time
};

class SpeakerQueue {
 public:
  static constexpr size_t kCapacity = 50;

  void Push(const uint8_t* data, uint32_t bytes, uint64_t timeMs);
  // The oldest block, removed; false when empty.
  bool Pop(SpeakerBlock* out);
  void Clear();
  size_t Count() const;
  uint64_t Dropped() const;

 private:
  mutable std::mutex mutex_;
  std::deque<SpeakerBlock> blocks_;
  uint64_t dropped_ = 0;
};

}  // namespace present
