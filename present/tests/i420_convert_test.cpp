#include <gtest/gtest.h>

#include <vector>

#include "present/i420_convert.h"

namespace {

TEST(I420ToBgr, GreyColoursAndRowOrder) {
  // 2x2 picture: top row black, bottom row white, neutral chroma.
  const uint8_t y[4] = {0, 0, 255, 255}, u[1] = {128}, v[1] = {128};
  uint8_t out[2 * 8] = {};
  present::I420ToBgr24BottomUp(y, u, v, 2, 2, out, 8);
  EXPECT_EQ(255, out[0]) << "the bottom row of the picture comes first";
  EXPECT_EQ(0, out[8]);
  EXPECT_EQ(0, out[6]) << "padding past 3 * width is left alone";
}

TEST(I420ToBgr, SaturatedRedAndBlueClip) {
  // Pure red in full-range YCbCr is about (76, 85, 255).
  const uint8_t y[4] = {76, 76, 76, 76}, u[1] = {85}, v[1] = {255};
  uint8_t out[12];
  present::I420ToBgr24BottomUp(y, u, v, 2, 2, out, 6);
  EXPECT_LE(out[0], 2);    // blue
  EXPECT_LE(out[1], 2);    // green
  EXPECT_GE(out[2], 250);  // red
  const uint8_t yb[4] = {255, 255, 255, 255}, ub[1] = {255}, vb[1] = {0};
  present::I420ToBgr24BottomUp(yb, ub, vb, 2, 2, out, 6);
  EXPECT_EQ(255, out[0]) << "values above 255 are clipped, not wrapped";
}

}  // namespace
