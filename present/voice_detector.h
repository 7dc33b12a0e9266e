#pragma once
// `VoiceDetector`: decides whether a block of microphone samples holds voice,
// so that only voiced blocks reach the encoder and the cameras. A block is
// cut into chunks of at most 40 samples; each chunk runs a difference filter,
// an energy envelope that rises fast and falls slowly, and compares the
// envelope in decibels with a noise floor that follows the quietest level
// (dropping at once, rising 1 dB after a hold). A hangover of 50 ms keeps
// reporting voice after the level has fallen.
#include <cstdint>

namespace present {

class VoiceDetector {
 public:
  static constexpr int kChunkSamples = 40;
  static constexpr int kHoldSamples = 400;
  static constexpr int kHangoverSamples = 400;  // 50 ms at 8000 Hz
  static constexpr int kHoldRestart = 12000;
  static constexpr float kThresholdDb = 15.0f;
  static constexpr float kFloorStepDb = 1.0f;
  static constexpr float kInitialFloorDb = -74.0f;

  // True when any chunk of the block is voice; always true when disabled.
  bool Detect(const int16_t* samples, int count);

  void SetEnabled(bool enabled) { enabled_ = enabled; }
  bool Active() const { return active_; }
  float NoiseFloorDb() const { return floor_db_; }
  int32_t Envelope() const { return envelope_; }

  // 10 log10(value) - 93.32: the envelope as a level (0 dB near full scale).
  static float LevelDb(int32_t envelope);

 private:
  bool DetectChunk(const int16_t* samples, int count);

  bool enabled_ = true;
  // The envelope is a 32-bit value; a full-scale square wave would take it
  // past 2^31, so it saturates there instead of wrapping.
  int32_t envelope_ = 10000;
  bool rising_ = true;
  int32_t previous_ = 1700;
  float floor_db_ = kInitialFloorDb;
  int hold_ = kHoldSamples;
  int hangover_ = kHangoverSamples;
  bool active_ = false;
};

}  // namespace present
