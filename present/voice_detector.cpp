#include "present/voice_detector.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace present {

float VoiceDetector::LevelDb(int32_t envelope) {
  const double value = envelope > 0 ? double(envelope) : 1.0;
  return float(10.0 * std::log10(value) - 93.32);
}

bool VoiceDetector::Detect(const int16_t* samples, int count) {
  bool voice = false;
  for (int at = 0; at < count; at += kChunkSamples) {
    const int n = count - at < kChunkSamples ? count - at : kChunkSamples;
    voice = DetectChunk(samples + at, n) || voice;
  }
  return voice || !enabled_;
}

bool VoiceDetector::DetectChunk(const int16_t* samples, int count) {
  int32_t lowest = std::numeric_limits<int32_t>::max();
  int32_t highest = std::numeric_limits<int32_t>::min();
  for (int i = 0; i < count; ++i) {
    const int64_t s = int64_t(samples[i]) - previous_;
    previous_ = samples[i];
    const int64_t square = s * s;
    const int64_t step = rising_ ? (square >> 5) - (envelope_ >> 6) : (square >> 8) - (envelope_ >> 9);
    const int64_t next = int64_t(envelope_) + step;
    envelope_ = next > std::numeric_limits<int32_t>::max() ? std::numeric_limits<int32_t>::max() : int32_t(next);
    rising_ = step > 0;
    if (envelope_ < lowest) lowest = envelope_;
    if (envelope_ > highest) highest = envelope_;
  }
  const float low = LevelDb(lowest), high = LevelDb(highest);

  if (low < floor_db_) {
    floor_db_ = low;
    hold_ = kHoldSamples;
  } else if (hold_ >= count) {
    hold_ -= count;
  } else {
    hold_ = hold_ - count + kHoldRestart;
    floor_db_ += kFloorStepDb;
  }

  if (floor_db_ + kThresholdDb < high) {
    hangover_ = kHangoverSamples;
    active_ = true;
    return true;
  }
  if (hangover_ >= count) {
    hangover_ -= count;
    return true;
  }
  hangover_ = 0;
  active_ = false;
  return false;
}

}  // namespace present
