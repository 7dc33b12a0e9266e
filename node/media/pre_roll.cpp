#include "node/media/pre_roll.h"

namespace node {

void PreRollBuffer::AddVideo(const uint8_t* data, uint32_t length, uint64_t timestamp, bool intra) {
  if (!data || length == 0) return;
  std::lock_guard<std::mutex> lock(lock_);
  // Nothing before the first intra picture could start a recording, and a
  // predicted picture after a gap refers to pictures that are missing.
  if (!intra && (groups_.empty() || await_intra_)) return;
  if (intra) {
    await_intra_ = false;
    groups_.emplace_back();
    groups_.back().start = timestamp;
  }
  Group& group = groups_.back();
  group.units.push_back({true, intra, timestamp, std::vector<uint8_t>(data, data + length)});
  group.bytes += length;
  bytes_ += length;
  // The camera's clock as it runs now, also when it went back.
  newest_ = timestamp;
  Trim();
}

void PreRollBuffer::AddAudio(const uint8_t* data, uint32_t length, uint64_t timestamp) {
  if (!data || length == 0) return;
  std::lock_guard<std::mutex> lock(lock_);
  if (groups_.empty()) return;
  Group& group = groups_.back();
  group.units.push_back({false, false, timestamp, std::vector<uint8_t>(data, data + length)});
  group.bytes += length;
  bytes_ += length;
  Trim();
}

bool PreRollBuffer::OldEnough(const Group& group, uint64_t now_ms) const {
  // Compared on a clock that may wrap; a group from before the camera's
  // clock went back lies ahead of it and is never old enough.
  return static_cast<int64_t>(now_ms - group.start) >= static_cast<int64_t>(keep_ms_);
}

void PreRollBuffer::Trim() {
  // A later group can start the recording alone once it is old enough; the
  // groups before it go, also those from before the camera's clock went back.
  size_t first = 0;
  for (size_t i = 1; i < groups_.size(); ++i)
    if (OldEnough(groups_[i], newest_)) first = i;
  for (; first > 0; --first) {
    bytes_ -= groups_.front().bytes;
    groups_.pop_front();
  }
  while (bytes_ > max_bytes_ && !groups_.empty()) {
    bytes_ -= groups_.front().bytes;
    groups_.pop_front();
  }
}

void PreRollBuffer::Replay(uint64_t now_ms, const std::function<void(const Unit&)>& take) const {
  std::vector<Unit> copy;
  {
    std::lock_guard<std::mutex> lock(lock_);
    size_t first = 0;
    for (size_t i = 1; i < groups_.size(); ++i)
      if (OldEnough(groups_[i], now_ms)) first = i;
    for (size_t i = first; i < groups_.size(); ++i)
      copy.insert(copy.end(), groups_[i].units.begin(), groups_[i].units.end());
  }
  for (const Unit& unit : copy) take(unit);
}

void PreRollBuffer::Clear() {
  std::lock_guard<std::mutex> lock(lock_);
  groups_.clear();
  bytes_ = 0;
  newest_ = 0;
  await_intra_ = false;
}

void PreRollBuffer::NoteDiscardedVideo() {
  std::lock_guard<std::mutex> lock(lock_);
  await_intra_ = true;
}

size_t PreRollBuffer::Bytes() const {
  std::lock_guard<std::mutex> lock(lock_);
  return bytes_;
}

uint64_t PreRollBuffer::OldestPicture() const {
  std::lock_guard<std::mutex> lock(lock_);
  return groups_.empty() ? 0 : groups_.front().start;
}

}  // namespace node
