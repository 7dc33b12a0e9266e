#include "node/media_ring.h"

#include <cstring>

#include "os/clock.h"

namespace node {

void MediaUnit::EnsureCapacity(uint32_t bytes) {
  if (bytes <= capacity) return;
  buffer.reset(new uint8_t[bytes]);
  capacity = bytes;
}

MediaRing::MediaRing(int slots, uint32_t initialSlotBytes) : m_slots(static_cast<size_t>(slots < 2 ? 2 : slots)) {
  for (MediaUnit& unit : m_slots) unit.EnsureCapacity(initialSlotBytes);
}

int MediaRing::BeginWrite() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_count == Capacity() ? -1 : m_write;
}

void MediaRing::EnsureCapacity(int slot, uint32_t length) {
  std::lock_guard<std::mutex> lock(m_mutex);
  Slot(slot).EnsureCapacity(length);
}

void MediaRing::CommitWrite() {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_count == Capacity()) return;
  Slot(m_write).received_us = os::MonotonicUs();
  m_write = (m_write + 1) % Capacity();
  ++m_count;
}

bool MediaRing::Push(const uint8_t* data, uint32_t length, uint64_t timestamp) {
  if (length == 0 || data == nullptr) return false;
  std::lock_guard<std::mutex> lock(m_mutex);
  // A stalled consumer loses its whole backlog at once: the picture stays
  // close to real time instead of trailing by the queue's length.
  if (m_count == Capacity()) FlushLocked();
  MediaUnit& unit = Slot(m_write);
  unit.EnsureCapacity(length);
  std::memcpy(unit.buffer.get(), data, length);
  unit.length = length;
  unit.timestamp = timestamp;
  unit.received_us = os::MonotonicUs();
  m_write = (m_write + 1) % Capacity();
  ++m_count;
  return true;
}

int MediaRing::BeginRead() {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_count == 0) return -1;
  m_reading = true;
  return m_read;
}

void MediaRing::CommitRead() {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (!m_reading) return;
  m_reading = false;
  m_read = (m_read + 1) % Capacity();
  --m_count;
}

bool MediaRing::IsFull() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_count == Capacity();
}

int MediaRing::Count() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_count;
}

bool MediaRing::ReadInProgress() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_reading;
}

void MediaRing::Flush() {
  std::lock_guard<std::mutex> lock(m_mutex);
  FlushLocked();
}

uint64_t MediaRing::Discarded() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_discarded;
}

void MediaRing::FlushLocked() {
  m_discarded += static_cast<uint64_t>(m_count - (m_reading ? 1 : 0));
  if (m_reading) {
    // The consumer still reads its slot in place: keep it as the only unit.
    m_count = 1;
    m_write = (m_read + 1) % Capacity();
  } else {
    m_count = 0;
    m_write = m_read;
  }
}

void MediaRing::Reset() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_read = m_write = m_count = 0;
  m_reading = false;
}

}  // namespace node
