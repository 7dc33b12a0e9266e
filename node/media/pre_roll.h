#pragma once
// The seconds before a motion: a node keeps the units it received since the
// last intra picture at least `keepMs` old, so that a recording started by
// a motion can begin with a picture that decodes on its own and show what
// led up to it. Memory is bounded: past `maxBytes` the oldest group of
// pictures (an intra picture and the predicted ones after it, with their
// sound) goes first.
//
// Threads: AddVideo on the media worker, AddAudio on the receive thread,
// Replay on the media worker; one small lock, never held across a call out.
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

namespace node {

class PreRollBuffer {
 public:
  static constexpr uint64_t kDefaultKeepMs = 3000;
  static constexpr size_t kDefaultMaxBytes = 8u << 20;

  struct Unit {
    bool video = false;
    bool intra = false;
    uint64_t timestamp = 0;
    std::vector<uint8_t> bytes;
  };

  explicit PreRollBuffer(uint64_t keep_ms = kDefaultKeepMs, size_t max_bytes = kDefaultMaxBytes)
      : keep_ms_(keep_ms), max_bytes_(max_bytes) {}

  void AddVideo(const uint8_t* data, uint32_t length, uint64_t timestamp, bool intra);
  void AddAudio(const uint8_t* data, uint32_t length, uint64_t timestamp);
  // Hands the units from the last intra picture at least keepMs before
  // `nowMs` (or the oldest held) on, oldest first, to `take` (a copy: the
  // lock is not held).
  void Replay(uint64_t now_ms, const std::function<void(const Unit&)>& take) const;
  void Clear();
  // Pictures were thrown away before they reached AddVideo: the predicted
  // ones after them are left out until the next intra picture.
  void NoteDiscardedVideo();

  size_t Bytes() const;
  // The time of the oldest picture held; 0 when none.
  uint64_t OldestPicture() const;

 private:
  // An intra picture and what came after it until the next one.
  struct Group {
    uint64_t start = 0;
    size_t bytes = 0;
    std::vector<Unit> units;
  };
  // Drops groups that are no longer needed or no longer fit. Lock held.
  void Trim();
  bool OldEnough(const Group& group, uint64_t now_ms) const;

  const uint64_t keep_ms_;
  const size_t max_bytes_;
  mutable std::mutex lock_;
  std::deque<Group> groups_;  // none until an intra picture came
  size_t bytes_ = 0;
  uint64_t newest_ = 0;       // the newest picture's time, on the camera's clock as it runs now
  bool await_intra_ = false;  // pictures were discarded: predicted ones wait for an intra picture
};

}  // namespace node
