#include "codec/audio/adpcm.h"

#include <algorithm>
#include <cstdlib>

namespace codec {
namespace {

// G.726 24 kbit/s tables, indexed by the 3-bit code.
constexpr int kDecisionLevels[3] = {8, 218, 331};
constexpr int kDqln[8] = {-2048, 135, 273, 373, 373, 273, 135, -2048};
constexpr int kWi[8] = {-128, 960, 4384, 18624, 18624, 4384, 960, -128};

int32_t Clamp(int64_t v, int32_t lo, int32_t hi) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, lo, hi));
}

// The state is 32-bit; products are formed wide and wrapped back so a
// runaway predictor stays defined behaviour.
int32_t MulShift(int32_t a, int32_t b, int shift) {
  return static_cast<int32_t>((static_cast<int64_t>(a) * b) >> shift);
}

int32_t Sign(int32_t v) { return v >> 15; }

}  // namespace

int32_t AdpcmInverseQuantise(int code, int y) {
  const int16_t dql = static_cast<int16_t>(kDqln[code & 7] + (y >> 2));
  if (dql < 0) return 0;
  const int dex = (dql >> 7) & 15;
  const int dqt = 128 + (dql & 127);
  const int32_t magnitude = (dqt << 7) >> (14 - dex);
  return (code & 4) ? -magnitude : magnitude;
}

int16_t AdpcmUpdateScale(int code, int y) {
  const int next = y + ((kWi[code & 7] - y) >> 5);
  return static_cast<int16_t>(std::clamp(next, 544, 5120));
}

int AdpcmQuantise(int d, int y) {
  const int m = std::abs(d);
  int exp = 0;
  while (exp < 15 && (1 << exp) <= (m >> 1)) ++exp;
  const int mant = ((m << 7) >> exp) & 127;
  const int dl = (exp << 7) + mant;
  const int dln = dl - (y >> 2);
  int i = 0;
  while (i < 3 && dln >= kDecisionLevels[i]) ++i;
  if (d < 0) return 7 - i;
  return i == 0 ? 7 : i;
}

int32_t AdpcmPredictorUpdate(AdpcmState& s, int32_t dq) {
  s.sr = s.seTotal + dq;
  s.p = s.sez + dq;
  s.dq = dq;

  const int32_t sp = Sign(s.p);
  int32_t f = Clamp(int64_t{4} * s.a1, -32768, 32767);
  if (sp == Sign(s.p1)) f = -f;
  f = std::min(f, 32767);
  s.a2 = MulShift(s.a2, 32512, 15) + (sp == Sign(s.p2) ? 128 : -128) + (f >> 7);
  s.a2 = std::clamp(s.a2, -12288, 12288);

  s.a1 = MulShift(s.a1, 32640, 15) + (sp == Sign(s.p1) ? 192 : -192);
  const int32_t limit = 15360 - s.a2;
  s.a1 = std::clamp(s.a1, -limit, limit);

  const int32_t g = dq != 0 ? 128 : 0;
  const int32_t sdq = Sign(dq);
  for (int i = 0; i < 6; ++i)
    s.b[i] = MulShift(s.b[i], 32640, 15) + (Sign(s.dqHist[i]) == sdq ? g : -g);

  for (int i = 5; i > 0; --i) s.dqHist[i] = s.dqHist[i - 1];
  s.dqHist[0] = dq;
  s.sr2 = s.sr1;
  s.sr1 = s.sr;
  s.p2 = s.p1;
  s.p1 = s.p;

  s.sep = MulShift(s.sr1, s.a1, 14) + MulShift(s.sr2, s.a2, 14);
  int32_t sez = 0;
  for (int i = 0; i < 6; ++i) sez += MulShift(s.b[i], s.dqHist[i], 14);
  s.sez = sez;
  s.seTotal = s.sep + s.sez;
  return s.seTotal;
}

int AdpcmEncodeSample(AdpcmState& s, int16_t x) {
  const int16_t d = static_cast<int16_t>((x >> 2) - s.se);
  const int code = AdpcmQuantise(d, s.y);
  const int32_t dq = AdpcmInverseQuantise(code, s.y);
  s.y = AdpcmUpdateScale(code, s.y);
  s.se = static_cast<int16_t>(AdpcmPredictorUpdate(s, dq));
  return code;
}

int16_t AdpcmDecodeSample(AdpcmState& s, int code) {
  const int32_t dq = AdpcmInverseQuantise(code, s.y);
  s.y = AdpcmUpdateScale(code, s.y);
  const int16_t sum = static_cast<int16_t>(s.se + dq);
  const int16_t out = static_cast<int16_t>(Clamp(int32_t{sum} * 4, -32768, 32767));
  s.se = static_cast<int16_t>(Clamp(AdpcmPredictorUpdate(s, dq), -32768, 32767));
  return out;
}

int AdpcmEncoder::Encode(const int16_t* pcm, int length, uint8_t* out) {
  if (length <= 0) return 0;
  const int samples = length / 2;
  uint32_t acc = 0;
  int bits = 0;
  int written = 0;
  for (int i = 0; i < samples; ++i) {
    acc |= static_cast<uint32_t>(AdpcmEncodeSample(state_, pcm[i])) << bits;
    bits += 3;
    if (bits >= 8) {
      out[written++] = static_cast<uint8_t>(acc);
      acc >>= 8;
      bits -= 8;
    }
  }
  return written;  // an incomplete last byte is dropped
}

int AdpcmDecoder::Decode(const uint8_t* data, int length, int16_t* out) {
  if (length <= 0 || length > (1 << 27)) return 0;
  const int samples = length * 8 / 3;
  uint32_t acc = 0;
  int bits = 0;
  int next = 0;
  for (int i = 0; i < samples; ++i) {
    if (bits < 3) {
      acc |= static_cast<uint32_t>(data[next++]) << bits;
      bits += 8;
    }
    out[i] = AdpcmDecodeSample(state_, static_cast<int>(acc & 7));
    acc >>= 3;
    bits -= 3;
  }
  return samples * 2;
}

}  // namespace codec
