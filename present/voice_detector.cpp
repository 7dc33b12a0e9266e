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
  return voice || !m_enabled;
}

bool VoiceDetector::DetectChunk(const int16_t* samples, int count) {
  int32_t lowest = std::numeric_limits<int32_t>::max();
  int32_t highest = std::numeric_limits<int32_t>::min();
  for (int i = 0; i < count; ++i) {
    const int64_t s = int64_t(samples[i]) - m_previous;
    m_previous = samples[i];
    const int64_t square = s * s;
    const int64_t step = m_rising ? (square >> 5) - (m_envelope >> 6) : (square >> 8) - (m_envelope >> 9);
    const int64_t next = int64_t(m_envelope) + step;
    m_envelope = next > std::numeric_limits<int32_t>::max() ? std::numeric_limits<int32_t>::max() : int32_t(next);
    m_rising = step > 0;
    if (m_envelope < lowest) lowest = m_envelope;
    if (m_envelope > highest) highest = m_envelope;
  }
  const float low = LevelDb(lowest), high = LevelDb(highest);

  if (low < m_floorDb) {
    m_floorDb = low;
    m_hold = kHoldSamples;
  } else if (m_hold >= count) {
    m_hold -= count;
  } else {
    m_hold = m_hold - count + kHoldRestart;
    m_floorDb += kFloorStepDb;
  }

  if (m_floorDb + kThresholdDb < high) {
    m_hangover = kHangoverSamples;
    m_active = true;
    return true;
  }
  if (m_hangover >= count) {
    m_hangover -= count;
    return true;
  }
  m_hangover = 0;
  m_active = false;
  return false;
}

}  // namespace present
