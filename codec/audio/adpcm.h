// 3-bit adaptive differential PCM at 8000 samples per second (24 kbit/s).
// G.726's 24 kbit/s tables and two-pole, six-zero predictor with a single
// scale factor and plain fixed-point arithmetic. Encoder and decoder share the
// state record and the per-sample steps, so they stay in lockstep.
#pragma once

#include <cstdint>

namespace codec {

// Codec state; Q14 coefficients (16384 stands for 1.0).
struct AdpcmState {
  int16_t se = 0;        // signal estimate
  int16_t y = 544;       // quantiser scale factor, 544..5120
  int32_t seTotal = 0;   // sep + sez, unclamped
  int32_t sep = 0;       // pole part of the estimate
  int32_t sez = 0;       // zero part of the estimate
  int32_t sr = 0;        // reconstructed signal
  int32_t sr1 = 0, sr2 = 0;
  int32_t a1 = 0, a2 = 0;
  int32_t p = 0, p1 = 0, p2 = 0;
  int32_t dq = 0;
  int32_t dqHist[6] = {0, 0, 0, 0, 0, 0};  // dq1..dq6
  int32_t b[6] = {0, 0, 0, 0, 0, 0};       // b1..b6

  void Reset() { *this = AdpcmState(); }
};

// One sample's worth of the codec, exposed for tests.
int32_t AdpcmInverseQuantise(int code, int y);
int16_t AdpcmUpdateScale(int code, int y);
int AdpcmQuantise(int d, int y);
// Runs the predictor update with dq; returns the new unclamped estimate.
int32_t AdpcmPredictorUpdate(AdpcmState& s, int32_t dq);
int AdpcmEncodeSample(AdpcmState& s, int16_t x);
int16_t AdpcmDecodeSample(AdpcmState& s, int code);

// Output sizes, in bytes, for an input of `length` bytes.
inline int AdpcmEncodedSize(int pcm_bytes) { return pcm_bytes < 0 ? 0 : (pcm_bytes / 2) * 3 / 8; }
inline int AdpcmDecodedSize(int code_bytes) { return code_bytes < 0 ? 0 : (code_bytes * 8 / 3) * 2; }

// The microphone's side: 16-bit PCM in, packed 3-bit codes out.
class AdpcmEncoder {
 public:
  void Reset() { state_.Reset(); }
  // Encodes length/2 samples into (samples * 3) / 8 bytes; returns bytes written.
  int Encode(const int16_t* pcm, int length, uint8_t* out);
  const AdpcmState& State() const { return state_; }

 private:
  AdpcmState state_;
};

// The audio decoder object a node owns, seen through its interface.
class AudioDecoder {
 public:
  virtual ~AudioDecoder() = default;
  // Decodes `length` bytes of codes into samples; returns output bytes.
  virtual int Decode(const uint8_t* data, int length, int16_t* out) = 0;
};

class AdpcmDecoder : public AudioDecoder {
 public:
  void Reset() { state_.Reset(); }
  // Writes (length * 8 / 3) samples, two bytes each; the caller sizes `out`.
  int Decode(const uint8_t* data, int length, int16_t* out) override;
  const AdpcmState& State() const { return state_; }

 private:
  AdpcmState state_;
};

}  // namespace codec
