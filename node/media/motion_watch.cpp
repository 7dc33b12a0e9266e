#include "node/media/motion_watch.h"

#include "node/media/media_taps.h"
#include "node/media/motion_recorder.h"
#include "os/debug_log.h"

namespace node {

MotionWatch::MotionWatch(int node_index, os::WindowPoster& poster, os::WindowHandle parent_window,
                         const MediaTaps& taps)
    : node_index_(node_index), poster_(poster), parent_window_(parent_window), taps_(taps) {}

void MotionWatch::SetMotionDetection(bool on, int sensitivity, const MotionDetector::Mask& mask) {
  {
    std::lock_guard<std::mutex> lock(lock_);
    sensitivity_ = sensitivity;
    mask_ = mask;
  }
  settings_changed_ = true;
  on_ = on;
}

void MotionWatch::SetMotionRules(int min_object_cells, int min_duration_ms) {
  {
    std::lock_guard<std::mutex> lock(lock_);
    min_cells_ = min_object_cells;
    min_duration_ms_ = min_duration_ms;
  }
  settings_changed_ = true;
}

void MotionWatch::MotionCells(MotionDetector::Mask* changed, MotionDetector::Mask* objects) const {
  std::lock_guard<std::mutex> lock(lock_);
  *changed = changed_;
  *objects = objects_;
}

int MotionWatch::MotionSensitivity() const {
  std::lock_guard<std::mutex> lock(lock_);
  return sensitivity_;
}

MotionDetector::Mask MotionWatch::MotionMask() const {
  std::lock_guard<std::mutex> lock(lock_);
  return mask_;
}

MotionDetector::Event MotionWatch::LastMotion() const {
  std::lock_guard<std::mutex> lock(lock_);
  return last_;
}

bool MotionWatch::Wanted() const {
  return on_.load() || detector_.InMotion() || taps_.WantMotion() || preview_.load() || previewing_;
}

void MotionWatch::Watch(const uint8_t* luma, int width, int height, uint64_t timestamp) {
  const bool on = on_.load() || taps_.WantMotion();
  if (settings_changed_.exchange(false)) {
    std::lock_guard<std::mutex> lock(lock_);
    detector_.SetSensitivity(sensitivity_);
    detector_.SetMask(mask_);
    detector_.SetMinObjectCells(min_cells_);
    detector_.SetMinDurationMs(min_duration_ms_);
  }
  if (!on && preview_.load()) {
    // Cells to show, never an event. The worker alone writes the picture
    // buffer, so it reads it unlocked.
    detector_.Feed(luma, width, height, width, timestamp);
    previewing_ = true;
    std::lock_guard<std::mutex> lock(lock_);
    changed_ = detector_.ChangedCells();
    objects_ = detector_.ObjectCells();
    return;
  }
  if (previewing_) {
    // A motion the preview saw begin is not one: detection starts afresh.
    detector_.Reset();
    previewing_ = false;
  }
  // Switched off during a motion: it ends here. The worker alone writes the
  // picture buffer, so it reads it unlocked.
  const MotionDetector::Change change =
      on ? detector_.Feed(luma, width, height, width, timestamp) : detector_.Finish(timestamp);
  if (!on) detector_.Reset();  // what it learnt is stale when it is switched on again
  last_timestamp_ = timestamp;
  Report(change, timestamp);
}

void MotionWatch::Restart() {
  const MotionDetector::Change change = detector_.Finish(last_timestamp_);
  detector_.Reset();
  Report(change, last_timestamp_);
}

void MotionWatch::Report(MotionDetector::Change change, uint64_t timestamp) {
  if (recorder_) recorder_->OnMotion(change, timestamp);
  taps_.ForEach([&](MediaTap& tap) { tap.TapMotion(change, timestamp); });
  {
    std::lock_guard<std::mutex> lock(lock_);
    changed_ = detector_.ChangedCells();
    objects_ = detector_.ObjectCells();
    if (change == MotionDetector::Change::kNone && detector_.InMotion()) last_ = detector_.LastEvent();
  }
  if (change == MotionDetector::Change::kNone) return;
  const MotionDetector::Event event = detector_.LastEvent();
  {
    std::lock_guard<std::mutex> lock(lock_);
    last_ = event;
  }
  const bool started = change == MotionDetector::Change::kStarted;
  in_motion_ = started;
  if (started)
    DebugLog("Channel %d : motion start\n", node_index_);
  else
    DebugLog("Channel %d : motion end after %.1f s, at most %.0f%% of the picture changed\n", node_index_,
             static_cast<double>(event.lengthMs) / 1000.0, event.largestArea * 100.0);
  if (teller_) teller_(started, event);
  poster_.Post(parent_window_, os::kWmNodeMotion, static_cast<uintptr_t>(node_index_), started ? 1 : 0);
}

}  // namespace node
