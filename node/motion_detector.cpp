#include "node/motion_detector.h"

#include <algorithm>
#include <cmath>

namespace node {

namespace {
// Pictures learnt before anything is judged: the noise floor needs them.
constexpr int kWarmUpPictures = 8;
// A cell changes when it differs by more than this many times its noise, and
// by at least kMinDelta levels whatever its noise (a perfectly still camera).
constexpr float kNoiseFactor = 4.0f;
constexpr float kMinDelta = 3.0f;
constexpr float kFirstNoise = 1.5f;
// How fast the background follows a quiet cell and the noise floor the quiet
// cells (time constants in ms). A changed cell's background stays as it was,
// or a passing object would leave a trail of cells that no longer match it;
// a cell changed for kAbsorbMs without a break takes its new look as its
// background (a parked car, a door left open).
constexpr float kQuietMs = 4000.0f;
constexpr float kNoiseMs = 4000.0f;
constexpr uint64_t kAbsorbMs = 20000;
// More of the picture than this changed at once, after the shared shift is
// out: the scene itself changed (the camera moved, half a room lit). The
// background starts again from this picture instead of firing for minutes.
constexpr double kSceneChangeArea = 0.6;
// Picture times that jump (a stalled stream) learn as one long picture.
constexpr uint64_t kLongestStepMs = 5000;

const double kAreaThresholds[] = {0.25, 0.16, 0.10, 0.065, 0.04, 0.025, 0.016, 0.01, 0.006, 0.003};

float Alpha(uint64_t elapsedMs, float timeConstantMs) {
  return 1.0f - std::exp(-static_cast<float>(elapsedMs) / timeConstantMs);
}
}  // namespace

void MotionDetector::SetSensitivity(int level) {
  sensitivity_ = std::clamp(level, kMinSensitivity, kMaxSensitivity);
}

double MotionDetector::AreaThreshold(int level) {
  return kAreaThresholds[std::clamp(level, kMinSensitivity, kMaxSensitivity) - 1];
}

void MotionDetector::Reset() {
  learnt_ = 0;
  changed_.reset();
  area_ = 0;
  run_ = 0;
  in_motion_ = false;
}

MotionDetector::Change MotionDetector::Feed(const uint8_t* luma, int width, int height, int stride, uint64_t nowMs) {
  if (!luma || width < kColumns || height < kRows || stride < width) return Change::kNone;
  Change ended = Change::kNone;
  if (width != width_ || height != height_) {
    // The grid follows the picture; what was learnt of the old one is no use.
    ended = Finish(nowMs);
    Reset();
    width_ = width;
    height_ = height;
  }
  MeasureCells(luma, width, height, stride);
  const uint64_t elapsed = learnt_ == 0 ? 0 : std::min(nowMs > last_ms_ ? nowMs - last_ms_ : 1, kLongestStepMs);
  last_ms_ = nowMs;
  Compare(elapsed);
  const Change decided = Decide(nowMs);
  return ended != Change::kNone ? ended : decided;
}

MotionDetector::Change MotionDetector::Finish(uint64_t nowMs) {
  (void)nowMs;
  run_ = 0;
  if (!in_motion_) return Change::kNone;
  in_motion_ = false;
  return Change::kEnded;
}

void MotionDetector::MeasureCells(const uint8_t* luma, int width, int height, int stride) {
  std::array<int, kColumns + 1> left;
  for (int c = 0; c <= kColumns; ++c) left[c] = c * width / kColumns;
  for (int r = 0; r < kRows; ++r) {
    const int top = r * height / kRows, bottom = (r + 1) * height / kRows;
    std::array<uint32_t, kColumns> sums{};
    for (int y = top; y < bottom; ++y) {
      const uint8_t* row = luma + static_cast<size_t>(y) * static_cast<size_t>(stride);
      for (int c = 0; c < kColumns; ++c) {
        uint32_t sum = 0;
        for (int x = left[c]; x < left[c + 1]; ++x) sum += row[x];
        sums[c] += sum;
      }
    }
    for (int c = 0; c < kColumns; ++c) {
      const int pixels = (bottom - top) * (left[c + 1] - left[c]);
      mean_[r * kColumns + c] = pixels > 0 ? static_cast<float>(sums[c]) / static_cast<float>(pixels) : 0.0f;
    }
  }
}

void MotionDetector::Compare(uint64_t elapsedMs) {
  if (learnt_ == 0) {
    background_ = mean_;
    noise_.fill(kFirstNoise);
    changed_for_ms_.fill(0);
    changed_.reset();
    area_ = 0;
    ++learnt_;
    return;
  }
  // The shift every cell shares: the median difference of the watched cells.
  int watched = 0;
  for (int i = 0; i < kCells; ++i)
    if (!mask_[i]) difference_[watched++] = mean_[i] - background_[i];
  float shift = 0;
  if (watched > 0) {
    std::nth_element(difference_.begin(), difference_.begin() + watched / 2, difference_.begin() + watched);
    shift = difference_[watched / 2];
  }
  const bool judging = learnt_ >= kWarmUpPictures;
  const float quiet = Alpha(elapsedMs, kQuietMs), noise = Alpha(elapsedMs, kNoiseMs);
  int changed = 0;
  for (int i = 0; i < kCells; ++i) {
    const float difference = std::fabs(mean_[i] - background_[i] - shift);
    const bool moved = judging && difference > std::max(kMinDelta, kNoiseFactor * noise_[i]);
    changed_[i] = moved && !mask_[i];
    if (changed_[i]) ++changed;
    background_[i] += shift;
    if (!moved) {
      noise_[i] += (difference - noise_[i]) * noise;
      background_[i] += (mean_[i] - background_[i]) * quiet;
      changed_for_ms_[i] = 0;
    } else if ((changed_for_ms_[i] += static_cast<uint32_t>(elapsedMs)) >= kAbsorbMs) {
      background_[i] = mean_[i];
      changed_for_ms_[i] = 0;
    }
  }
  area_ = watched > 0 ? static_cast<double>(changed) / watched : 0.0;
  if (area_ > kSceneChangeArea) background_ = mean_;
  if (learnt_ < kWarmUpPictures) ++learnt_;
}

MotionDetector::Change MotionDetector::Decide(uint64_t nowMs) {
  const bool moving = area_ > 0 && area_ >= AreaThreshold(sensitivity_);
  if (moving) {
    if (run_ == 0) run_start_ms_ = nowMs;
    if (run_ == 0 && !in_motion_) event_.largestArea = 0;
    ++run_;
  } else {
    run_ = 0;
  }
  if (!in_motion_) {
    if (run_ < 2) {
      if (moving) event_.largestArea = std::max(event_.largestArea, area_);
      return Change::kNone;
    }
    in_motion_ = true;
    event_.startMs = run_start_ms_;
    event_.largestArea = std::max(event_.largestArea, area_);
    event_.lengthMs = nowMs - run_start_ms_;
    last_motion_ms_ = nowMs;
    return Change::kStarted;
  }
  if (moving) {
    last_motion_ms_ = nowMs;
    event_.lengthMs = nowMs - event_.startMs;
    event_.largestArea = std::max(event_.largestArea, area_);
  }
  if (nowMs - last_motion_ms_ < kEndAfterMs) return Change::kNone;
  in_motion_ = false;
  return Change::kEnded;
}

}  // namespace node
