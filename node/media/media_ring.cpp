#include "node/media/media_ring.h"

#include <cstring>

#include "os/clock.h"

namespace node {

void MediaUnit::EnsureCapacity(uint32_t bytes) {
  if (bytes <= capacity) return;
  buffer.reset(new uint8_t[bytes]);
  capacity = bytes;
}

MediaRing::MediaRing(int slots, uint32_t initial_slot_bytes) : slots_(static_cast<size_t>(slots < 2 ? 2 : slots)) {
  for (MediaUnit& unit : slots_) unit.EnsureCapacity(initial_slot_bytes);
}

int MediaRing::BeginWrite() {
  std::lock_guard<std::mutex> lock(mutex_);
  return count_ == Capacity() ? -1 : write_;
}

void MediaRing::EnsureCapacity(int slot, uint32_t length) {
  std::lock_guard<std::mutex> lock(mutex_);
  Slot(slot).EnsureCapacity(length);
}

void MediaRing::CommitWrite() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (count_ == Capacity()) return;
  Slot(write_).received_us = os::MonotonicUs();
  Slot(write_).sequence = written_++;
  write_ = (write_ + 1) % Capacity();
  ++count_;
}

bool MediaRing::Push(const uint8_t* data, uint32_t length, uint64_t timestamp) {
  if (length == 0 || data == nullptr) return false;
  std::lock_guard<std::mutex> lock(mutex_);
  // A stalled consumer loses its whole backlog at once: the picture stays
  // close to real time instead of trailing by the queue's length.
  if (count_ == Capacity()) FlushLocked();
  MediaUnit& unit = Slot(write_);
  unit.EnsureCapacity(length);
  std::memcpy(unit.buffer.get(), data, length);
  unit.length = length;
  unit.timestamp = timestamp;
  unit.received_us = os::MonotonicUs();
  unit.sequence = written_++;
  write_ = (write_ + 1) % Capacity();
  ++count_;
  return true;
}

int MediaRing::BeginRead() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (count_ == 0) return -1;
  reading_ = true;
  return read_;
}

void MediaRing::CommitRead() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!reading_) return;
  reading_ = false;
  read_ = (read_ + 1) % Capacity();
  --count_;
}

bool MediaRing::IsFull() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return count_ == Capacity();
}

int MediaRing::Count() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return count_;
}

bool MediaRing::ReadInProgress() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return reading_;
}

void MediaRing::Flush() {
  std::lock_guard<std::mutex> lock(mutex_);
  FlushLocked();
}

uint64_t MediaRing::Discarded() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return discarded_;
}

uint64_t MediaRing::Written() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return written_;
}

uint64_t MediaRing::OldestSequence() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return count_ > 0 ? slots_[static_cast<size_t>(read_)].sequence : written_;
}

uint64_t MediaRing::OldestReceivedUs() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return count_ > 0 ? slots_[static_cast<size_t>(read_)].received_us : 0;
}

void MediaRing::FlushLocked() {
  discarded_ += static_cast<uint64_t>(count_ - (reading_ ? 1 : 0));
  if (reading_) {
    // The consumer still reads its slot in place: keep it as the only unit.
    count_ = 1;
    write_ = (read_ + 1) % Capacity();
  } else {
    count_ = 0;
    write_ = read_;
  }
}

void MediaRing::Reset() {
  std::lock_guard<std::mutex> lock(mutex_);
  read_ = write_ = count_ = 0;
  reading_ = false;
}

}  // namespace node
