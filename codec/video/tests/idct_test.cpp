// IEEE 1180-1990 accuracy of the plain inverse DCT; the processor-specific one
// must equal it bit for bit (kernels_test), so it inherits the accuracy.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "codec/video/kernels/kernel_table.h"

namespace codec::video {
namespace {

constexpr double kPi = 3.14159265358979323846;

// The generator of IEEE 1180 (uniform integers in [-L, H]), with 32-bit arithmetic.
class Ieee1180Random {
 public:
  explicit Ieee1180Random(int64_t seed) : x_(seed) {}
  long Next(long l, long h) {
    x_ = (x_ * 1103515245 + 12345) & 0xFFFFFFFF;
    int64_t i = x_ & 0x7FFFFFFE;
    double v = double(i) / double(0x7FFFFFFF);
    return long(v * double(l + h + 1)) - l;
  }

 private:
  int64_t x_;
};

// cos((2x + 1) u pi / 16) scaled by c(u) / 2, so both transforms are separable sums.
struct Basis {
  double c[8][8];
  Basis() {
    for (int u = 0; u < 8; ++u)
      for (int x = 0; x < 8; ++x) c[u][x] = (u ? 1.0 : std::sqrt(0.5)) / 2 * std::cos((2 * x + 1) * u * kPi / 16);
  }
};
const Basis kBasis;

void ForwardDct(const double in[64], double out[64]) {
  double t[64];
  for (int x = 0; x < 8; ++x)
    for (int v = 0; v < 8; ++v) {
      double s = 0;
      for (int y = 0; y < 8; ++y) s += in[x * 8 + y] * kBasis.c[v][y];
      t[x * 8 + v] = s;
    }
  for (int u = 0; u < 8; ++u)
    for (int v = 0; v < 8; ++v) {
      double s = 0;
      for (int x = 0; x < 8; ++x) s += t[x * 8 + v] * kBasis.c[u][x];
      out[u * 8 + v] = s;
    }
}

void ReferenceIdct(const int16_t in[64], double out[64]) {
  double t[64];
  for (int u = 0; u < 8; ++u)
    for (int y = 0; y < 8; ++y) {
      double s = 0;
      for (int v = 0; v < 8; ++v) s += in[u * 8 + v] * kBasis.c[v][y];
      t[u * 8 + y] = s;
    }
  for (int x = 0; x < 8; ++x)
    for (int y = 0; y < 8; ++y) {
      double s = 0;
      for (int u = 0; u < 8; ++u) s += t[u * 8 + y] * kBasis.c[u][x];
      out[x * 8 + y] = s;
    }
}

struct Accuracy {
  int peak = 0;
  double worstMse = 0, overallMse = 0, worstMean = 0, overallMean = 0;
};

Accuracy Measure(void (*idct)(int16_t*), long l, long h, int sign, int blocks) {
  Ieee1180Random rng(1);
  double err[64] = {}, sq[64] = {};
  Accuracy a;
  for (int n = 0; n < blocks; ++n) {
    double px[64], coef[64];
    for (int i = 0; i < 64; ++i) px[i] = double(rng.Next(l, h) * sign);
    ForwardDct(px, coef);
    int16_t q[64];
    for (int i = 0; i < 64; ++i) {
      double c = std::round(coef[i]);
      q[i] = int16_t(c < -2048 ? -2048 : (c > 2047 ? 2047 : c));
    }
    double ref[64];
    ReferenceIdct(q, ref);
    int16_t test[64];
    for (int i = 0; i < 64; ++i) test[i] = q[i];
    idct(test);
    for (int i = 0; i < 64; ++i) {
      double r = std::round(ref[i]);
      r = r < -256 ? -256 : (r > 255 ? 255 : r);
      int e = test[i] - int(r);
      a.peak = std::max(a.peak, std::abs(e));
      err[i] += e;
      sq[i] += e * e;
    }
  }
  for (int i = 0; i < 64; ++i) {
    a.worstMse = std::max(a.worstMse, sq[i] / blocks);
    a.worstMean = std::max(a.worstMean, std::fabs(err[i]) / blocks);
    a.overallMse += sq[i] / blocks / 64;
    a.overallMean += err[i] / blocks / 64;
  }
  a.overallMean = std::fabs(a.overallMean);
  return a;
}

TEST(Idct, PlainMeetsIeee1180) {
  const long ranges[3][2] = {{256, 255}, {5, 5}, {300, 300}};
  for (const auto& r : ranges) {
    for (int sign : {1, -1}) {
      Accuracy a = Measure(IdctPlain, r[0], r[1], sign, 10000);
      SCOPED_TRACE(::testing::Message() << "range -" << r[0] << ".." << r[1] << " sign " << sign);
      EXPECT_LE(a.peak, 1);
      EXPECT_LE(a.worstMse, 0.06);
      EXPECT_LE(a.overallMse, 0.02);
      EXPECT_LE(a.worstMean, 0.015);
      EXPECT_LE(a.overallMean, 0.0015);
    }
  }
  // All-zero input gives all-zero output.
  int16_t z[64] = {};
  IdctPlain(z);
  for (int16_t v : z) EXPECT_EQ(v, 0);
}

TEST(Idct, ShortcutsMatchTheFullTransform) {
  // A DC-only block is (DC + 4) >> 3 everywhere, the value the decoder fills in directly.
  for (int dc = -2048; dc <= 2047; dc += 7) {
    int16_t b[64] = {};
    b[0] = int16_t(dc);
    IdctPlain(b);
    int want = (dc + 4) >> 3;
    want = want < -256 ? -256 : (want > 255 ? 255 : want);
    for (int16_t v : b) ASSERT_EQ(v, want) << "dc " << dc;
  }
}

}  // namespace
}  // namespace codec::video
