#include "node/pre_roll.h"

namespace node {

void PreRollBuffer::AddVideo(const uint8_t* data, uint32_t length, uint64_t timestamp, bool intra) {
  if (!data || length == 0) return;
  std::lock_guard<std::mutex> lock(lock_);
  // Nothing before the first intra picture could start a recording.
  if (!intra && groups_.empty()) return;
  if (intra) {
    groups_.emplace_back();
    groups_.back().start = timestamp;
  }
  Group& group = groups_.back();
  group.units.push_back({true, intra, timestamp, std::vector<uint8_t>(data, data + length)});
  group.bytes += length;
  bytes_ += length;
  if (timestamp > newest_) newest_ = timestamp;
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

void PreRollBuffer::Trim() {
  // The second group can start the recording alone once it is old enough.
  while (groups_.size() >= 2 && groups_[1].start + keep_ms_ <= newest_) {
    bytes_ -= groups_.front().bytes;
    groups_.pop_front();
  }
  while (bytes_ > max_bytes_ && !groups_.empty()) {
    bytes_ -= groups_.front().bytes;
    groups_.pop_front();
  }
}

void PreRollBuffer::Replay(uint64_t nowMs, const std::function<void(const Unit&)>& take) const {
  std::vector<Unit> copy;
  {
    std::lock_guard<std::mutex> lock(lock_);
    size_t first = 0;
    for (size_t i = 1; i < groups_.size(); ++i)
      if (groups_[i].start + keep_ms_ <= nowMs) first = i;
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
