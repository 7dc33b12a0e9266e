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
  m_sensitivity = std::clamp(level, kMinSensitivity, kMaxSensitivity);
}

double MotionDetector::AreaThreshold(int level) {
  return kAreaThresholds[std::clamp(level, kMinSensitivity, kMaxSensitivity) - 1];
}

void MotionDetector::Reset() {
  m_learnt = 0;
  m_changed.reset();
  m_area = 0;
  m_run = 0;
  m_inMotion = false;
}

MotionDetector::Change MotionDetector::Feed(const uint8_t* luma, int width, int height, int stride, uint64_t nowMs) {
  if (!luma || width < kColumns || height < kRows || stride < width) return Change::kNone;
  Change ended = Change::kNone;
  if (width != m_width || height != m_height) {
    // The grid follows the picture; what was learnt of the old one is no use.
    ended = Finish(nowMs);
    Reset();
    m_width = width;
    m_height = height;
  }
  MeasureCells(luma, width, height, stride);
  const uint64_t elapsed = m_learnt == 0 ? 0 : std::min(nowMs > m_lastMs ? nowMs - m_lastMs : 1, kLongestStepMs);
  m_lastMs = nowMs;
  Compare(elapsed);
  const Change decided = Decide(nowMs);
  return ended != Change::kNone ? ended : decided;
}

MotionDetector::Change MotionDetector::Finish(uint64_t nowMs) {
  (void)nowMs;
  m_run = 0;
  if (!m_inMotion) return Change::kNone;
  m_inMotion = false;
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
      m_mean[r * kColumns + c] = pixels > 0 ? static_cast<float>(sums[c]) / static_cast<float>(pixels) : 0.0f;
    }
  }
}

void MotionDetector::Compare(uint64_t elapsedMs) {
  if (m_learnt == 0) {
    m_background = m_mean;
    m_noise.fill(kFirstNoise);
    m_changedForMs.fill(0);
    m_changed.reset();
    m_area = 0;
    ++m_learnt;
    return;
  }
  // The shift every cell shares: the median difference of the watched cells.
  int watched = 0;
  for (int i = 0; i < kCells; ++i)
    if (!m_mask[i]) m_difference[watched++] = m_mean[i] - m_background[i];
  float shift = 0;
  if (watched > 0) {
    std::nth_element(m_difference.begin(), m_difference.begin() + watched / 2, m_difference.begin() + watched);
    shift = m_difference[watched / 2];
  }
  const bool judging = m_learnt >= kWarmUpPictures;
  const float quiet = Alpha(elapsedMs, kQuietMs), noise = Alpha(elapsedMs, kNoiseMs);
  int changed = 0;
  for (int i = 0; i < kCells; ++i) {
    const float difference = std::fabs(m_mean[i] - m_background[i] - shift);
    const bool moved = judging && difference > std::max(kMinDelta, kNoiseFactor * m_noise[i]);
    m_changed[i] = moved && !m_mask[i];
    if (m_changed[i]) ++changed;
    m_background[i] += shift;
    if (!moved) {
      m_noise[i] += (difference - m_noise[i]) * noise;
      m_background[i] += (m_mean[i] - m_background[i]) * quiet;
      m_changedForMs[i] = 0;
    } else if ((m_changedForMs[i] += static_cast<uint32_t>(elapsedMs)) >= kAbsorbMs) {
      m_background[i] = m_mean[i];
      m_changedForMs[i] = 0;
    }
  }
  m_area = watched > 0 ? static_cast<double>(changed) / watched : 0.0;
  if (m_area > kSceneChangeArea) m_background = m_mean;
  if (m_learnt < kWarmUpPictures) ++m_learnt;
}

MotionDetector::Change MotionDetector::Decide(uint64_t nowMs) {
  const bool moving = m_area > 0 && m_area >= AreaThreshold(m_sensitivity);
  if (moving) {
    if (m_run == 0) m_runStartMs = nowMs;
    if (m_run == 0 && !m_inMotion) m_event.largestArea = 0;
    ++m_run;
  } else {
    m_run = 0;
  }
  if (!m_inMotion) {
    if (m_run < 2) {
      if (moving) m_event.largestArea = std::max(m_event.largestArea, m_area);
      return Change::kNone;
    }
    m_inMotion = true;
    m_event.startMs = m_runStartMs;
    m_event.largestArea = std::max(m_event.largestArea, m_area);
    m_event.lengthMs = nowMs - m_runStartMs;
    m_lastMotionMs = nowMs;
    return Change::kStarted;
  }
  if (moving) {
    m_lastMotionMs = nowMs;
    m_event.lengthMs = nowMs - m_event.startMs;
    m_event.largestArea = std::max(m_event.largestArea, m_area);
  }
  if (nowMs - m_lastMotionMs < kEndAfterMs) return Change::kNone;
  m_inMotion = false;
  return Change::kEnded;
}

}  // namespace node
