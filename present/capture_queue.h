#pragma once
// The capture queue between the wave-in callback and the capture thread:
// 10 blocks of 1024 bytes with their capture times; when it is full the
// oldest block makes room.
#include <cstdint>
#include <mutex>

namespace present {

struct CapturedBlock {
  static constexpr uint32_t kBytes = 1024;
  int16_t samples[kBytes / 2];
  uint32_t bytes = 0;
  uint64_t timeMs = 0;  // timeGetTime when captured
};

class CaptureQueue {
 public:
  static constexpr int kEntries = 10;

  void DropOldestIfFull();
  // Copies at most 1024 bytes; a full queue loses its oldest block first.
  void Push(const int16_t* samples, uint32_t bytes, uint64_t timeMs);
  // The oldest block, removed; false when empty.
  bool Pop(CapturedBlock* out);
  void Clear();
  int Count() const;
  uint64_t Dropped() const;

 private:
  void DropOldestLocked();

  mutable std::mutex mutex_;
  CapturedBlock entries_[kEntries];
  int read_ = 0;
  int count_ = 0;
  uint64_t dropped_ = 0;
};

}  // namespace present
