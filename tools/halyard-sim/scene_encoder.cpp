#include "scene_encoder.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

#include "codec/video/bit_writer.h"
#include "codec/video/bitstream/vlc_tables.h"
#include "codec/video/video_encoder.h"

namespace sim {
namespace {

constexpr uint8_t kZigzag[64] = {0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
                                 12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
                                 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
                                 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

struct Code {
  uint32_t value = 0;
  int length = 0;  // 0: no such code
};

Code MakeCode(const char* bits) { return {codec::video::CodeValue(bits), codec::video::CodeLength(bits)}; }

// The code tables by value, and the coefficient tables by (last, run, level).
struct Codes {
  Code mcbpcIntra[4], mcbpcInter[4], cbpy[16], dcLuma[13], dcChroma[13], escape;
  Code tcoef[2][2][64][13];  // [intra][last][run][level 1..12]

  Codes() {
    using namespace codec::video;
    for (int i = 0; i < kMcbpcIntraCount; ++i)
      if (kMcbpcIntraCodes[i].value >= (3 << 2) && kMcbpcIntraCodes[i].value < (4 << 2))
        mcbpcIntra[kMcbpcIntraCodes[i].value & 3] = MakeCode(kMcbpcIntraCodes[i].bits);
    for (int i = 0; i < kMcbpcInterCount; ++i)
      if (kMcbpcInterCodes[i].value >= 0 && kMcbpcInterCodes[i].value < 4)
        mcbpcInter[kMcbpcInterCodes[i].value] = MakeCode(kMcbpcInterCodes[i].bits);
    for (int i = 0; i < kCbpyCount; ++i) cbpy[kCbpyCodes[i].value] = MakeCode(kCbpyCodes[i].bits);
    for (int i = 0; i < kDcSizeLumaCount; ++i) dcLuma[kDcSizeLumaCodes[i].value] = MakeCode(kDcSizeLumaCodes[i].bits);
    for (int i = 0; i < kDcSizeChromaCount; ++i)
      dcChroma[kDcSizeChromaCodes[i].value] = MakeCode(kDcSizeChromaCodes[i].bits);
    escape = MakeCode(kTcoefEscape);
    for (int intra = 0; intra < 2; ++intra) {
      const TcoefCode* table = intra ? kTcoefIntraCodes : kTcoefInterCodes;
      const int count = intra ? kTcoefIntraCount : kTcoefInterCount;
      for (int i = 0; i < count; ++i)
        if (table[i].level <= 12) tcoef[intra][table[i].last][table[i].run][table[i].level] = MakeCode(table[i].bits);
    }
  }
};

const Codes& GetCodes() {
  static const Codes codes;
  return codes;
}

// The 8x8 forward transform of ISO/IEC 14496-2 (F(0,0) is eight times the mean).
void ForwardDct(const int* in, float* out) {
  static const auto basis = [] {
    std::array<float, 64> b{};
    for (int u = 0; u < 8; ++u)
      for (int x = 0; x < 8; ++x)
        b[u * 8 + x] = static_cast<float>(0.5 * (u == 0 ? std::sqrt(0.5) : 1.0) * std::cos((2 * x + 1) * u * 3.14159265358979323846 / 16));
    return b;
  }();
  float rows[64];
  for (int y = 0; y < 8; ++y)
    for (int u = 0; u < 8; ++u) {
      float s = 0;
      for (int x = 0; x < 8; ++x) s += basis[u * 8 + x] * static_cast<float>(in[y * 8 + x]);
      rows[y * 8 + u] = s;
    }
  for (int v = 0; v < 8; ++v)
    for (int u = 0; u < 8; ++u) {
      float s = 0;
      for (int y = 0; y < 8; ++y) s += basis[v * 8 + y] * rows[y * 8 + u];
      out[v * 8 + u] = s;
    }
}

int LumaDcScaler(int q) { return q <= 4 ? 8 : q <= 8 ? 2 * q : q <= 24 ? q + 8 : 2 * q - 16; }
int ChromaDcScaler(int q) { return q <= 4 ? 8 : q <= 24 ? (q + 13) / 2 : q - 6; }
int RoundDiv(int a, int b) { return a >= 0 ? (a + b / 2) / b : -((-a + b / 2) / b); }

}  // namespace

class SceneEncoder::Bits {
 public:
  explicit Bits(std::vector<uint8_t>* out) : writer_(out) {}
  void Put(uint32_t value, int bits) { writer_.Put(value, bits); }
  void Put(const Code& c) { writer_.Put(c.value, c.length); }
  void Stuff() { writer_.Stuff(); }
  void Flush() { writer_.Flush(); }

  // Run/level events of `levels` (zigzag order) from scan position `first`.
  void Events(const int* levels, int first, bool intra) {
    const Codes& codes = GetCodes();
    int last = -1;
    for (int i = first; i < 64; ++i)
      if (levels[i]) last = i;
    int run = 0;
    for (int i = first; i <= last; ++i) {
      const int level = levels[i];
      if (!level) {
        ++run;
        continue;
      }
      const int isLast = i == last ? 1 : 0;
      const int magnitude = std::abs(level);
      const Code& c = magnitude <= 12 ? codes.tcoef[intra][isLast][run][magnitude] : Code{};
      if (c.length) {
        Put(c);
        Put(level < 0 ? 1 : 0, 1);
      } else {  // escape type 3: last, run and level written out
        Put(codes.escape);
        Put(3, 2);
        Put(static_cast<uint32_t>(isLast), 1);
        Put(static_cast<uint32_t>(run), 6);
        Put(1, 1);
        Put(static_cast<uint32_t>(level) & 0xFFF, 12);
        Put(1, 1);
      }
      run = 0;
    }
  }

 private:
  codec::BitWriter writer_;
};

SceneEncoder::SceneEncoder(int width, int height, int fps, int quant, int intraPeriod)
    : width_(width), height_(height), fps_(fps), quant_(std::clamp(quant, 2, 31)),
      intra_period_(std::max(1, intraPeriod)), mb_width_(width / 16), mb_height_(height / 16) {
  codec::VideoEncoder headers;
  headers.resilience_mode_ = 0;
  headers.time_increment_resolution_ = fps;
  headers.ticks_per_picture_ = 1;
  if (headers.Initialise(width, height) != 0) return;
  size_t length = 0;
  const uint8_t* data = headers.Headers(&length);
  config_.assign(data, data + length);
  decoder_.Decode(config_.data(), config_.size());
  reference_.assign(static_cast<size_t>(width) * height * 3 / 2, 128);
  dc_luma_.resize(static_cast<size_t>(mb_width_) * mb_height_ * 4);
  dc_cb_.resize(static_cast<size_t>(mb_width_) * mb_height_);
  dc_cr_.resize(dc_cb_.size());
}

std::vector<uint8_t> SceneEncoder::Encode(const uint8_t* picture) {
  std::vector<uint8_t> unit;
  if (!ok()) return unit;
  const bool intra = index_ % intra_period_ == 0;
  Bits bits(&unit);
  bits.Put(0x000001B6, 32);
  bits.Put(intra ? 0 : 1, 2);
  // Whole seconds since the previous picture as '1's, then the tick in the second.
  const int64_t seconds = index_ / fps_, previous = index_ > 0 ? (index_ - 1) / fps_ : 0;
  for (int64_t s = previous; s < seconds; ++s) bits.Put(1, 1);
  bits.Put(0, 1);
  bits.Put(1, 1);
  int tickBits = 1;
  while ((1 << tickBits) < fps_) ++tickBits;
  bits.Put(static_cast<uint32_t>(index_ % fps_), tickBits);
  bits.Put(1, 1);
  bits.Put(1, 1);               // vop_coded
  if (!intra) bits.Put(0, 1);  // rounding type
  bits.Put(0, 3);               // intra_dc_vlc_thr: DC always coded apart
  bits.Put(static_cast<uint32_t>(quant_), 5);
  if (!intra) bits.Put(1, 3);  // fcode_forward
  for (int mby = 0; mby < mb_height_; ++mby)
    for (int mbx = 0; mbx < mb_width_; ++mbx) {
      if (intra) {
        IntraMacroblock(bits, picture, mbx, mby);
      } else if (!InterMacroblock(bits, picture, mbx, mby)) {
        bits.Put(1, 1);  // not coded: the previous picture's macroblock stands
      }
    }
  bits.Stuff();
  bits.Flush();
  ++index_;
  decoder_.Decode(unit.data(), unit.size());
  codec::DecodedPicture out{reference_.data(), width_, height_};
  decoder_.ProducePicture(out);
  return unit;
}

// Block b of a macroblock (0..3 luma, 4 Cb, 5 Cr): its plane, top-left and stride.
namespace {
struct BlockPlace {
  size_t offset;
  int stride;
};
BlockPlace Place(int width, int height, int mbx, int mby, int b) {
  if (b < 4)
    return {static_cast<size_t>(mby * 16 + (b >> 1) * 8) * width + mbx * 16 + (b & 1) * 8, width};
  const size_t plane = static_cast<size_t>(width) * height + (b == 5 ? static_cast<size_t>(width / 2) * (height / 2) : 0);
  return {plane + static_cast<size_t>(mby * 8) * (width / 2) + mbx * 8, width / 2};
}
}  // namespace

void SceneEncoder::IntraMacroblock(Bits& bits, const uint8_t* picture, int mbx, int mby) {
  const Codes& codes = GetCodes();
  int levels[6][64] = {};
  int dcDiff[6] = {};
  int cbp = 0;
  const int lumaScaler = LumaDcScaler(quant_), chromaScaler = ChromaDcScaler(quant_);
  const int lumaWidth = mb_width_ * 2;
  for (int b = 0; b < 6; ++b) {
    const BlockPlace place = Place(width_, height_, mbx, mby, b);
    int samples[64];
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) samples[y * 8 + x] = picture[place.offset + static_cast<size_t>(y) * place.stride + x];
    float f[64];
    ForwardDct(samples, f);
    for (int i = 1; i < 64; ++i) {
      const float c = f[kZigzag[i]];
      const int level = static_cast<int>(std::fabs(c)) / (2 * quant_);
      levels[b][i] = std::min(level, 2047) * (c < 0 ? -1 : 1);
      if (levels[b][i]) cbp |= 1 << (5 - b);
    }
    // DC: predicted from the left or the upper neighbour, whichever the
    // gradient of the three reconstructed neighbours favours.
    int* store;
    int bx, by, stride;
    if (b < 4) {
      store = dc_luma_.data();
      bx = mbx * 2 + (b & 1);
      by = mby * 2 + (b >> 1);
      stride = lumaWidth;
    } else {
      store = b == 4 ? dc_cb_.data() : dc_cr_.data();
      bx = mbx;
      by = mby;
      stride = mb_width_;
    }
    auto at = [&](int x, int y) { return x < 0 || y < 0 ? 1024 : store[y * stride + x]; };
    const int fa = at(bx - 1, by), fb = at(bx - 1, by - 1), fc = at(bx, by - 1);
    const int predicted = std::abs(fa - fb) < std::abs(fb - fc) ? fc : fa;
    const int scaler = b < 4 ? lumaScaler : chromaScaler;
    const int level = std::clamp(RoundDiv(static_cast<int>(std::lround(f[0])), scaler), 1, 2047 / scaler);
    dcDiff[b] = level - RoundDiv(predicted, scaler);
    store[by * stride + bx] = std::min((dcDiff[b] + RoundDiv(predicted, scaler)) * scaler, 2047);
  }
  bits.Put(codes.mcbpcIntra[cbp & 3]);
  bits.Put(0, 1);  // no AC prediction
  bits.Put(codes.cbpy[cbp >> 2]);
  for (int b = 0; b < 6; ++b) {
    const int diff = dcDiff[b];
    int size = 0;
    while ((std::abs(diff) >> size) != 0) ++size;
    bits.Put(b < 4 ? codes.dcLuma[size] : codes.dcChroma[size]);
    if (size) {
      bits.Put(static_cast<uint32_t>(diff > 0 ? diff : diff + (1 << size) - 1), size);
      if (size > 8) bits.Put(1, 1);
    }
    if (cbp & (1 << (5 - b))) bits.Events(levels[b], 1, true);
  }
}

bool SceneEncoder::InterMacroblock(Bits& bits, const uint8_t* picture, int mbx, int mby) {
  const Codes& codes = GetCodes();
  int levels[6][64] = {};
  int cbp = 0;
  for (int b = 0; b < 6; ++b) {
    const BlockPlace at = Place(width_, height_, mbx, mby, b);
    int residual[64];
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) {
        const size_t i = at.offset + static_cast<size_t>(y) * at.stride + x;
        residual[y * 8 + x] = picture[i] - reference_[i];
      }
    float f[64];
    ForwardDct(residual, f);
    for (int i = 0; i < 64; ++i) {
      const float c = f[kZigzag[i]];
      const int level = std::max(0, static_cast<int>(std::fabs(c)) - quant_ / 2) / (2 * quant_);
      levels[b][i] = std::min(level, 2047) * (c < 0 ? -1 : 1);
      if (levels[b][i]) cbp |= 1 << (5 - b);
    }
  }
  if (!cbp) return false;
  bits.Put(0, 1);  // coded
  bits.Put(codes.mcbpcInter[cbp & 3]);
  bits.Put(codes.cbpy[15 - (cbp >> 2)]);
  bits.Put(1, 1);  // motion vector difference 0, 0 (every vector is zero)
  bits.Put(1, 1);
  for (int b = 0; b < 6; ++b)
    if (cbp & (1 << (5 - b))) bits.Events(levels[b], 0, false);
  return true;
}

}  // namespace sim
