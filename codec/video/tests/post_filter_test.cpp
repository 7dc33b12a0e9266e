// Post-filter of the output copy.
#include <gtest/gtest.h>

#include <vector>

#include "codec/video/postfilter/post_filter.h"
#include "codec/video/video_decoder.h"

namespace video {
namespace {

TEST(PostFilter, SmoothStepInFlatAreaIsLowPassed) {
  uint8_t s[10] = {100, 100, 100, 100, 100, 104, 104, 104, 104, 104};
  FilterEdgeSamples(s, 1, 10);
  // DC offset mode: the step is spread over the eight inner samples, monotonically.
  for (int i = 1; i < 10; ++i) EXPECT_LE(s[i - 1], s[i]);
  EXPECT_GT(s[4], 100);
  EXPECT_LT(s[5], 104);
  EXPECT_EQ(s[0], 100);
  EXPECT_EQ(s[9], 104);
}

TEST(PostFilter, RealEdgesAreKept) {
  uint8_t flat[10] = {20, 20, 20, 20, 20, 220, 220, 220, 220, 220};
  uint8_t before[10];
  std::copy(flat, flat + 10, before);
  FilterEdgeSamples(flat, 1, 4);  // step of 200 is far above 2 QP: a real edge
  EXPECT_EQ(std::vector<uint8_t>(flat, flat + 10), std::vector<uint8_t>(before, before + 10));
}

TEST(PostFilter, DefaultModeMovesOnlyTheEdgePairWithinHalfTheStep) {
  uint8_t s[10] = {10, 30, 12, 28, 14, 40, 22, 45, 20, 41};  // busy: default mode
  uint8_t orig[10];
  std::copy(s, s + 10, orig);
  FilterEdgeSamples(s, 1, 31);
  for (int i : {0, 1, 2, 3, 6, 7, 8, 9}) EXPECT_EQ(s[i], orig[i]) << i;
  int d = orig[4] - s[4];
  EXPECT_EQ(s[5] - orig[5], d);
  EXPECT_LE(std::abs(d), std::abs(orig[4] - orig[5]) / 2);
}

TEST(PostFilter, StridedSamplesAreFilteredInPlace) {
  std::vector<uint8_t> col(10 * 7, 0);
  for (int i = 0; i < 10; ++i) col[i * 7] = i < 5 ? 100 : 103;
  FilterEdgeSamples(col.data(), 7, 8);
  EXPECT_GT(col[4 * 7], 100);
  for (int i = 0; i < 10; ++i)
    for (int k = 1; k < 7; ++k) EXPECT_EQ(col[i * 7 + k], 0);
}

TEST(PostFilter, PlaneBorderIsNotFiltered) {
  // 32x32 picture of 8x8 blocks alternating 100 and 103: inner edges are
  // smoothed, the outer rows and columns keep their values.
  const int w = 32, h = 32, stride = 64;
  std::vector<uint8_t> y(stride * h), u(32 * 16), v(32 * 16, 128);
  for (int r = 0; r < h; ++r)
    for (int c = 0; c < w; ++c) y[r * stride + c] = ((r / 8 + c / 8) & 1) ? 103 : 100;
  for (auto& x : u) x = 128;
  std::vector<uint8_t> out(w * h * 3 / 2);
  uint8_t quant[4] = {10, 10, 10, 10};
  PostFilterArgs a{};
  a.planes[0] = y.data();
  a.planes[1] = u.data();
  a.planes[2] = v.data();
  a.strides[0] = stride;
  a.strides[1] = a.strides[2] = 32;
  a.out = out.data();
  a.width = w;
  a.height = h;
  a.mbQuant = quant;
  a.mbWidth = 2;
  std::vector<uint8_t> scratch(w * h + w);
  a.scratch = scratch.data();
  a.qpRow = scratch.data() + w * h;
  PostFilterPlain(a);
  EXPECT_EQ(out[0], 100);
  EXPECT_EQ(out[w - 1], 103);
  EXPECT_NE(out[3 * w + 7], 100);  // next to an inner vertical edge
  EXPECT_EQ(out[w * h], 128);
}

}  // namespace
}  // namespace video
