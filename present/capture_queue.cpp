#include "present/capture_queue.h"

#include <algorithm>
#include <cstring>

namespace present {

void CaptureQueue::DropOldestIfFull() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (count_ == kEntries) DropOldestLocked();
}

void CaptureQueue::DropOldestLocked() {
  read_ = (read_ + 1) % kEntries;
  --count_;
  ++dropped_;
}

void CaptureQueue::Push(const int16_t* samples, uint32_t bytes, uint64_t timeMs) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (count_ == kEntries) DropOldestLocked();
  CapturedBlock& e = entries_[(read_ + count_) % kEntries];
  e.bytes = std::min(bytes, CapturedBlock::kBytes);
  std::memcpy(e.samples, samples, e.bytes);
  e.timeMs = timeMs;
  ++count_;
}

bool CaptureQueue::Pop(CapturedBlock* out) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (count_ == 0) return false;
  const CapturedBlock& e = entries_[read_];
  std::memcpy(out->samples, e.samples, e.bytes);
  out->bytes = e.bytes;
  out->timeMs = e.timeMs;
  read_ = (read_ + 1) % kEntries;
  --count_;
  return true;
}

void CaptureQueue::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  read_ = 0;
  count_ = 0;
}

int CaptureQueue::Count() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return count_;
}

uint64_t CaptureQueue::Dropped() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return dropped_;
}

}  // namespace present
