#pragma once
// The video configuration units a node received, each waiting in its place
// among the pictures until the media worker applies it, and a copy of the
// one applied. The receive thread adds, the worker takes, Reset empties;
// all under one small lock, never held around a call out.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

#include "node/media/media_ring.h"

namespace node {

class WaitingConfigurations {
 public:
  // Every picture queued may sit between two configurations; more waiting
  // units are older than any queued picture.
  static constexpr size_t kMaxWaiting = MediaRing::kLiveVideoSlots + 2;

  // Receive thread: a unit that came before the live picture numbered `before`.
  void Add(const uint8_t* data, size_t length, uint64_t before);
  // Media worker: the newest unit that came before the picture numbered
  // `sequence`; the older ones due are dropped (the pictures between them
  // were thrown away). False when none is due.
  bool TakeDue(uint64_t sequence, std::vector<uint8_t>* unit);
  // A unit came since the last Clear: pictures are queued from here on.
  bool Stored() const { return stored_.load(); }
  // Setup and the close sequence: nothing waits, nothing applied.
  void Clear();

  // The unit the decoder applied last (empty: none, or unusable).
  void SetApplied(const std::vector<uint8_t>& unit);
  std::vector<uint8_t> Applied() const;

 private:
  struct Waiting {
    std::vector<uint8_t> unit;
    uint64_t before;  // the live ring's sequence number of the first picture after it
  };
  mutable std::mutex lock_;
  std::deque<Waiting> waiting_;
  std::vector<uint8_t> applied_;
  std::atomic<bool> stored_{false};  // set under lock_
};

}  // namespace node
