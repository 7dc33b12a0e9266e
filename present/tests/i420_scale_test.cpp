// Bilinear stretching of I420 pictures: what a view shows larger or smaller
// than the camera sends.
#include <gtest/gtest.h>

#include <vector>

#include "present/i420_scale.h"

namespace present {
namespace {

TEST(ScalePlane, KeepsFlatAreasAndEndsAndBlendsEdges) {
  // A hard edge: 0 on the left half, 255 on the right, stretched 4 -> 8.
  const std::vector<uint8_t> edge = {0, 0, 255, 255};
  std::vector<uint8_t> wide(8);
  ScalePlane(edge.data(), 4, 1, wide.data(), 8, 1);
  EXPECT_EQ(0, wide[0]);
  EXPECT_EQ(0, wide[1]);
  EXPECT_EQ(255, wide[7]);
  for (int x = 1; x < 8; ++x) EXPECT_LE(wide[x - 1], wide[x]) << "monotonic at " << x;
  int between = 0;
  for (uint8_t v : wide) between += v > 0 && v < 255;
  EXPECT_GE(between, 2) << "the edge is blended, not repeated";

  // A flat plane of any size stays flat, growing or shrinking.
  std::vector<uint8_t> flat(176 * 144, 77), out(320 * 240);
  ScalePlane(flat.data(), 176, 144, out.data(), 320, 240);
  for (uint8_t v : out) ASSERT_EQ(77, v);
  std::vector<uint8_t> small(88 * 72);
  ScalePlane(flat.data(), 176, 144, small.data(), 88, 72);
  for (uint8_t v : small) ASSERT_EQ(77, v);
}

TEST(ScaleI420, StretchesEachPlaneAndCopiesTheSameSize) {
  // A QCIF checkerboard of 8-pixel squares, chroma split left and right.
  const int w = 176, h = 144;
  std::vector<uint8_t> bytes(size_t(w) * h * 3 / 2);
  codec::DecodedPicture in{bytes.data(), w, h};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) in.Y()[y * w + x] = ((x / 8 + y / 8) % 2) ? 235 : 16;
  for (int y = 0; y < h / 2; ++y)
    for (int x = 0; x < w / 2; ++x) {
      in.U()[y * (w / 2) + x] = x < w / 4 ? 60 : 200;
      in.V()[y * (w / 2) + x] = 128;
    }
  std::vector<uint8_t> out;
  const codec::DecodedPicture same = ScaleI420(in, w, h, &out);
  EXPECT_EQ(bytes, out);
  EXPECT_EQ(w, same.width);

  const codec::DecodedPicture big = ScaleI420(in, 320, 240, &out);
  ASSERT_EQ(size_t(320) * 240 * 3 / 2, out.size());
  ASSERT_EQ(out.data(), big.data);
  // Along a row the squares' edges pass through grey levels; a copy by
  // repeated pixels would only know 16 and 235.
  int soft = 0;
  for (int x = 0; x < 320; ++x) soft += big.Y()[100 * 320 + x] > 30 && big.Y()[100 * 320 + x] < 220;
  EXPECT_GE(soft, 15) << "edges blended along a row";
  EXPECT_EQ(60, big.U()[10 * 160 + 5]);
  EXPECT_EQ(200, big.U()[10 * 160 + 150]);
  EXPECT_EQ(128, big.V()[50 * 160 + 80]);
}

}  // namespace
}  // namespace present
