#include "present/speaker_queue.h"

namespace present {

void SpeakerQueue::Push(const uint8_t* data, uint32_t bytes, uint64_t timeMs) {
  SpeakerBlock block{std::vector<uint8_t>(data, data + bytes), timeMs};
  std::lock_guard<std::mutex> lock(mutex_);
  if (blocks_.size() == kCapacity) {
    blocks_.pop_front();
    ++dropped_;
  }
  blocks_.push_back(std::move(block));
}

bool SpeakerQueue::Pop(SpeakerBlock* out) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (blocks_.empty()) return false;
  *out = std::move(blocks_.front());
  blocks_.pop_front();
  return true;
}

void SpeakerQueue::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  blocks_.clear();
}

size_t SpeakerQueue::Count() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return blocks_.size();
}

uint64_t SpeakerQueue::Dropped() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return dropped_;
}

}  // namespace present
