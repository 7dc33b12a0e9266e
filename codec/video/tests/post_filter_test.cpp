// Post-filter of the output copy.
#include <gtest/gtest.h>

#include <vector>

#include "codec/video/postfilter/post_filter.h"
#include "codec/video/tests/stream_files.h"
#include "codec/video/video_decoder.h"

namespace codec::video {
namespace {

// Ten samples across one block edge (between the fifth and the sixth), with
// the results worked out by hand from the filter's two modes.
TEST(PostFilter, EdgeSamplesTakeTheValuesWorkedOutByHand) {
  const struct {
    const char* name;
    int qp;
    uint8_t in[10];
    uint8_t out[10];
  } cases[] = {
      // Eight of nine steps are flat: DC offset mode. The ends pad with s0 and
      // s9; sample n is (8 + sum of taps 1,1,2,2,4,2,2,1,1 around n) >> 4, so
      // n = 4 sums 1600 + 4 * (taps landing on 104: 2+2+1+1) + 8 = 1632 -> 102.
      {"small step in a flat area", 10,
       {100, 100, 100, 100, 100, 104, 104, 104, 104, 104},
       {100, 100, 101, 101, 102, 103, 103, 104, 104, 104}},
      // Flat, but max - min of s1..s8 (200) is not below 2 QP: a real edge.
      {"real edge in a flat area", 4,
       {20, 20, 20, 20, 20, 220, 220, 220, 220, 220},
       {20, 20, 20, 20, 20, 220, 220, 220, 220, 220}},
      // Busy: default mode. a0 = 2(28-22) - 5(14-40) = 142, a1 = 112, a2 = 155;
      // d = (5 (142 - 112) + 32) >> 6 = 2, negated as a0 > 0, within
      // (s4 - s5) / 2 = -13: s4 = 14 + 2, s5 = 40 - 2.
      {"busy area, edge pair corrected", 31,
       {10, 30, 12, 28, 14, 40, 22, 45, 20, 41},
       {10, 30, 12, 28, 16, 38, 22, 45, 20, 41}},
      // Same samples, but |a0| = 142 is not below 8 QP = 136: left alone.
      {"busy area, step too large for QP", 17,
       {10, 30, 12, 28, 14, 40, 22, 45, 20, 41},
       {10, 30, 12, 28, 14, 40, 22, 45, 20, 41}},
  };
  for (const auto& c : cases) {
    uint8_t s[10];
    std::copy(c.in, c.in + 10, s);
    FilterEdgeSamples(s, 1, c.qp);
    EXPECT_EQ(std::vector<uint8_t>(s, s + 10), std::vector<uint8_t>(c.out, c.out + 10)) << c.name;
  }
}

TEST(PostFilter, StridedSamplesAreFilteredInPlace) {
  std::vector<uint8_t> col(10 * 7, 0);
  for (int i = 0; i < 10; ++i) col[i * 7] = i < 5 ? 100 : 103;
  FilterEdgeSamples(col.data(), 7, 8);
  EXPECT_GT(col[4 * 7], 100);
  for (int i = 0; i < 10; ++i)
    for (int k = 1; k < 7; ++k) EXPECT_EQ(col[i * 7 + k], 0);
}

// The decoder's flag filters what it hands out and never the pictures that
// later ones predict from: switching it off again shows the unfiltered picture.
TEST(PostFilter, DecoderFiltersItsOutputButNotItsReferences) {
  video::testing::TestStream stream;
  ASSERT_TRUE(video::testing::LoadStream("resync_qcif.m4v", &stream));
  VideoDecoder filtered, plain;
  filtered.SetPostFilter(true, false);
  DecodedPicture a, b;
  std::vector<uint8_t> bufferA, bufferB;
  int changed = 0;
  for (size_t i = 0; i < stream.units.size(); ++i) {
    const std::vector<uint8_t> unit = stream.Unit(i);
    filtered.Decode(unit.data(), unit.size());
    plain.Decode(unit.data(), unit.size());
    a.width = b.width = plain.Width();
    a.height = b.height = plain.Height();
    bufferA.assign(a.Size(), 0);
    bufferB.assign(b.Size(), 0);
    a.data = bufferA.data();
    b.data = bufferB.data();
    if (plain.ProducePicture(b) != 0) continue;
    ASSERT_EQ(0, filtered.ProducePicture(a));
    changed += bufferA != bufferB;
  }
  EXPECT_GT(changed, 0) << "the post-filter flag changed no picture";
  filtered.SetPostFilter(false, false);
  ASSERT_EQ(0, filtered.ProducePicture(a));
  EXPECT_EQ(bufferA, bufferB) << "filtering reached the reference pictures";
}

}  // namespace
}  // namespace codec::video
