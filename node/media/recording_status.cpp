#include "node/media/recording_status.h"

#include <atomic>

namespace node {

namespace {
// Every recorder's failures on one count, so the later of two is known.
std::atomic<uint32_t> failure_count{0};
}  // namespace

void RecordingStatus::Publish(const std::string& path) {
  std::lock_guard<std::mutex> lock(lock_);
  shown_path_ = path;
}

std::string RecordingStatus::Path() const {
  std::lock_guard<std::mutex> lock(lock_);
  return shown_path_;
}

void RecordingStatus::SetFailure(RecordingFailure kind, const std::string& path) {
  std::lock_guard<std::mutex> lock(lock_);
  failure_ = {kind, path, ++failure_count, false};
}

RecordingFailureReport RecordingStatus::LastFailure() const {
  std::lock_guard<std::mutex> lock(lock_);
  return failure_;
}

void RecordingStatus::PostReady(os::WindowHandle window) const {
  poster_.Post(window, os::kWmNodeChannelReady, static_cast<uintptr_t>(node_index_), 0);
}

}  // namespace node
