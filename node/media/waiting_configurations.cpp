#include "node/media/waiting_configurations.h"

namespace node {

void WaitingConfigurations::Add(const uint8_t* data, size_t length, uint64_t before) {
  std::lock_guard<std::mutex> lock(lock_);
  // Without a picture between them only the newer one matters.
  if (!waiting_.empty() && waiting_.back().before == before) waiting_.pop_back();
  if (waiting_.size() >= kMaxWaiting) waiting_.pop_front();
  waiting_.push_back({std::vector<uint8_t>(data, data + length), before});
  stored_ = true;
}

bool WaitingConfigurations::TakeDue(uint64_t sequence, std::vector<uint8_t>* unit) {
  std::lock_guard<std::mutex> lock(lock_);
  if (waiting_.empty() || waiting_.front().before > sequence) return false;
  // Of those due, the pictures between them were thrown away: the newest serves.
  while (!waiting_.empty() && waiting_.front().before <= sequence) {
    *unit = std::move(waiting_.front().unit);
    waiting_.pop_front();
  }
  return true;
}

void WaitingConfigurations::Clear() {
  std::lock_guard<std::mutex> lock(lock_);
  waiting_.clear();
  applied_.clear();
  stored_ = false;
}

void WaitingConfigurations::SetApplied(const std::vector<uint8_t>& unit) {
  std::lock_guard<std::mutex> lock(lock_);
  applied_ = unit;
}

std::vector<uint8_t> WaitingConfigurations::Applied() const {
  std::lock_guard<std::mutex> lock(lock_);
  return applied_;
}

}  // namespace node
