#pragma once
// The queues between a node's network side and its media worker: one ring
// for live video (20 slots) and one for audio (100 slots). The receive thread
// copies each unit into a slot; the worker reads it in place. Slot buffers are
// grown to the largest unit seen and never shrunk, so once a ring has warmed
// up the receive thread copies without allocating.
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace node {

// One received media unit: payload bytes in a buffer owned by the slot.
struct MediaUnit {
  std::unique_ptr<uint8_t[]> buffer;
  uint32_t capacity = 0;  // bytes allocated in buffer
  uint32_t length = 0;    // payload bytes
  uint64_t timestamp = 0; // milliseconds
  uint64_t received_us = 0;  // when the whole unit had arrived (os::MonotonicUs)
  uint64_t sequence = 0;     // how many units were written into the ring before it

  const uint8_t* Data() const { return buffer.get(); }
  // Grows the buffer to hold `bytes`; the old content is not kept.
  void EnsureCapacity(uint32_t bytes);
};

class MediaRing {
 public:
  static constexpr int kLiveVideoSlots = 20;
  static constexpr int kAudioSlots = 100;

  MediaRing(int slots, uint32_t initial_slot_bytes);
  MediaRing(const MediaRing&) = delete;
  MediaRing& operator=(const MediaRing&) = delete;

  // Producer side. BeginWrite returns the write slot, or -1 when full.
  int BeginWrite();
  void EnsureCapacity(int slot, uint32_t length);
  void CommitWrite();
  // The whole hand-off under one lock: a full ring is flushed first, then the
  // unit is copied into the write slot. Returns false only for an empty unit.
  bool Push(const uint8_t* data, uint32_t length, uint64_t timestamp);

  // Consumer side. BeginRead returns the oldest slot (marked as being read)
  // or -1 when empty; its unit stays valid until CommitRead, whatever the
  // producer does meanwhile.
  int BeginRead();
  void CommitRead();

  // Slot access. A slot returned by BeginWrite belongs to the producer until
  // CommitWrite, one returned by BeginRead to the consumer until CommitRead.
  MediaUnit& Slot(int slot) { return slots_[static_cast<size_t>(slot)]; }
  const MediaUnit& Slot(int slot) const { return slots_[static_cast<size_t>(slot)]; }

  bool IsFull() const;
  int Count() const;
  int Capacity() const { return static_cast<int>(slots_.size()); }
  bool ReadInProgress() const;
  // Discards every queued unit; a unit being read stays as the only one.
  void Flush();
  // Units thrown away by flushes since construction (load figures).
  uint64_t Discarded() const;
  // The sequence number the next unit written gets.
  uint64_t Written() const;
  // The sequence number of the oldest unit queued (the one being read
  // included), or the next one's when none is.
  uint64_t OldestSequence() const;
  // When the oldest unit queued arrived (os::MonotonicUs), or 0 when none is.
  uint64_t OldestReceivedUs() const;
  // Indices and count to 0. Only while nobody reads.
  void Reset();

 private:
  void FlushLocked();

  mutable std::mutex mutex_;
  std::vector<MediaUnit> slots_;
  int read_ = 0;
  int write_ = 0;
  int count_ = 0;
  bool reading_ = false;
  uint64_t discarded_ = 0;
  uint64_t written_ = 0;  // never reset: sequence numbers do not repeat
};

}  // namespace node
