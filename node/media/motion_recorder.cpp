#include "node/media/motion_recorder.h"

#include <vector>

#include "os/debug_log.h"
#include "os/file.h"

namespace node {

MotionRecorder::MotionRecorder(int node_index, os::WindowPoster& poster, os::WindowHandle parent_window,
                               os::WindowHandle main_window, RecorderHost& host)
    : recorder_(node_index, poster, parent_window, main_window, host) {}

MotionRecorder::~MotionRecorder() { StopRecording(); }

void MotionRecorder::Configure(bool enabled, const std::string& folder, const std::string& camera) {
  {
    std::lock_guard<std::mutex> lock(config_lock_);
    folder_ = folder;
    camera_ = camera;
  }
  enabled_ = enabled;
  if (!enabled) {
    pre_roll_.Clear();
    StopRecording();
  }
}

void MotionRecorder::SetNamer(Namer namer) {
  std::lock_guard<std::mutex> lock(config_lock_);
  namer_ = std::move(namer);
}

std::string MotionRecorder::FileName(const std::string& folder, const std::string& camera, std::time_t when) {
  std::string path = folder;
  if (!path.empty() && path.back() != '/' && path.back() != '\\') path += '/';
  // The camera's ID comes from the camera: it must not lead out of the folder.
  return path + os::SafeFileName(camera, "camera") + NodeRecorder::FormatLocalTime("_%Y%m%d_%H%M%S_motion.mp4", when);
}

void MotionRecorder::NoteDiscardedVideo(uint64_t count) {
  pre_roll_.NoteDiscardedVideo();
  recorder_.NoteDiscardedVideo(count);
}

void MotionRecorder::SetVideoConfiguration(const uint8_t* data, size_t length, int width, int height) {
  record::M4vConfig config;
  record::ParseM4vConfig(data, length, &config);
  {
    std::lock_guard<std::mutex> lock(config_lock_);
    if (!record::SameDecoding(pre_roll_config_, config, nullptr)) pre_roll_.Clear();
    pre_roll_config_ = config;
  }
  recorder_.SetVideoConfiguration(data, length, width, height);
}

void MotionRecorder::Reset() {
  {
    std::lock_guard<std::mutex> lock(config_lock_);
    pre_roll_.Clear();
    pre_roll_config_ = record::M4vConfig();
  }
  recorder_.ClearVideoConfiguration();
}

void MotionRecorder::OnVideo(const uint8_t* data, uint32_t length, uint64_t timestamp, bool have_picture) {
  if (!enabled_.load()) return;
  const bool intra = have_picture && record::VopCodingType(data, length) == 0;
  if (have_picture) pre_roll_.AddVideo(data, length, timestamp, intra);
  if (!recorder_.IsRecording()) return;
  recorder_.FeedVideo(data, length, timestamp, have_picture);
  if (!in_motion_ && timestamp >= tail_end_) StopRecording();
}

void MotionRecorder::OnAudio(const uint8_t* data, uint32_t length, uint64_t timestamp) {
  if (!enabled_.load()) return;
  std::lock_guard<std::mutex> lock(live_lock_);
  pre_roll_.AddAudio(data, length, timestamp);
  if (live_) recorder_.FeedAudio(data, length, timestamp);
}

void MotionRecorder::OnMotion(MotionDetector::Change change, uint64_t timestamp) {
  if (change == MotionDetector::Change::kNone || !enabled_.load()) return;
  if (change == MotionDetector::Change::kEnded) {
    in_motion_ = false;
    tail_end_ = timestamp + kTailMs;
    return;
  }
  in_motion_ = true;
  if (!recorder_.IsRecording()) StartRecording(timestamp);
}

void MotionRecorder::StartRecording(uint64_t timestamp) {
  std::string path;
  Namer namer;
  {
    std::lock_guard<std::mutex> lock(config_lock_);
    namer = namer_;
    if (!namer) path = FileName(folder_, camera_, std::time(nullptr));
  }
  if (namer) path = namer();
  if (recorder_.Start(path) != 0) return;
  // The sound of the seconds before goes in first, in order, and live sound
  // after it; the pictures follow from this thread, which may write.
  std::vector<PreRollBuffer::Unit> pictures;
  {
    std::lock_guard<std::mutex> lock(live_lock_);
    pre_roll_.Replay(timestamp, [&](const PreRollBuffer::Unit& unit) {
      if (unit.video)
        pictures.push_back(unit);
      else
        recorder_.FeedAudio(unit.bytes.data(), static_cast<uint32_t>(unit.bytes.size()), unit.timestamp);
    });
    live_ = true;
  }
  for (const PreRollBuffer::Unit& unit : pictures)
    recorder_.FeedVideo(unit.bytes.data(), static_cast<uint32_t>(unit.bytes.size()), unit.timestamp, true);
  tail_end_ = timestamp + kTailMs;
}

void MotionRecorder::StopRecording() {
  {
    std::lock_guard<std::mutex> lock(live_lock_);
    live_ = false;
  }
  recorder_.Stop();
}

}  // namespace node
