#include "present/speaker_queue.h"

namespace present {

void SpeakerQueue::Push(const uint8_t* data, uint32_t bytes, uint64_t timeMs) {
  SpeakerBlock block{std::vector<uint8_t>(data, data + bytes), timeMs};
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_blocks.size() == kCapacity) {
    m_blocks.pop_front();
    ++m_dropped;
  }
  m_blocks.push_back(std::move(block));
}

bool SpeakerQueue::Pop(SpeakerBlock* out) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_blocks.empty()) return false;
  *out = std::move(m_blocks.front());
  m_blocks.pop_front();
  return true;
}

void SpeakerQueue::Clear() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_blocks.clear();
}

size_t SpeakerQueue::Count() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_blocks.size();
}

uint64_t SpeakerQueue::Dropped() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_dropped;
}

}  // namespace present
