#include "present/capture_queue.h"

#include <algorithm>
#include <cstring>

namespace present {

void CaptureQueue::DropOldestIfFull() {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_count == kEntries) DropOldestLocked();
}

void CaptureQueue::DropOldestLocked() {
  m_read = (m_read + 1) % kEntries;
  --m_count;
  ++m_dropped;
}

void CaptureQueue::Push(const int16_t* samples, uint32_t bytes, uint64_t timeMs) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_count == kEntries) DropOldestLocked();
  CapturedBlock& e = m_entries[(m_read + m_count) % kEntries];
  e.bytes = std::min(bytes, CapturedBlock::kBytes);
  std::memcpy(e.samples, samples, e.bytes);
  e.timeMs = timeMs;
  ++m_count;
}

bool CaptureQueue::Pop(CapturedBlock* out) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_count == 0) return false;
  const CapturedBlock& e = m_entries[m_read];
  std::memcpy(out->samples, e.samples, e.bytes);
  out->bytes = e.bytes;
  out->timeMs = e.timeMs;
  m_read = (m_read + 1) % kEntries;
  --m_count;
  return true;
}

void CaptureQueue::Clear() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_read = 0;
  m_count = 0;
}

int CaptureQueue::Count() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_count;
}

uint64_t CaptureQueue::Dropped() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_dropped;
}

}  // namespace present
