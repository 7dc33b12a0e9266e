#include "node/media/recording_configuration.h"

namespace node {

void RecordingConfiguration::Set(const uint8_t* data, size_t length, int width, int height) {
  std::lock_guard<std::mutex> lock(lock_);
  received_.assign(data, data + length);
  if (width > 0 && height > 0) {
    received_width_ = width;
    received_height_ = height;
  }
  ++serial_;
}

void RecordingConfiguration::Clear() {
  std::lock_guard<std::mutex> lock(lock_);
  received_.clear();
  ++serial_;
}

void RecordingConfiguration::Take(bool file_open) {
  std::lock_guard<std::mutex> lock(lock_);
  if (seen_serial_ == serial_) return;
  seen_serial_ = serial_;
  unit_ = received_;
  width_ = received_width_;
  height_ = received_height_;
  if (!file_open || unit_.empty()) return;
  // Compared by value: a camera may resend its headers with other user data.
  record::M4vConfig received;
  record::ParseM4vConfig(unit_.data(), unit_.size(), &received);
  std::string difference;
  if (!record::SameDecoding(file_config_, received, &difference)) {
    changed_ = true;
    reason_ = "video configuration changed (" + difference + ")";
  } else {
    changed_ = false;
  }
}

void RecordingConfiguration::StartFile(const uint8_t* unit, size_t length) {
  if (!unit || !record::ParseM4vConfig(unit, length, &file_config_)) file_config_ = record::M4vConfig();
  changed_ = false;
}

}  // namespace node
