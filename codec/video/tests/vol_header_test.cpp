// The layer header reader shared by the decoder and the recorder: held to the
// header's bytes it reads what the decoder reads wherever the header is whole,
// and keeps the fields the recorder compares as they were written.
#include "codec/video/headers/vol_header.h"

#include <gtest/gtest.h>

#include <vector>

#include "codec/video/tests/test_bit_writer.h"

namespace {

using codec::video::testing::TestBitWriter;
using codec::video::testing::VolFields;

// The layer header's bytes after its start code 00 00 01 20.
std::vector<uint8_t> VolBody(const VolFields& f) {
  TestBitWriter w;
  codec::video::testing::WriteVol(w, f);
  const std::vector<uint8_t>& b = w.Bytes();
  for (size_t i = 0; i + 4 <= b.size(); ++i)
    if (b[i] == 0 && b[i + 1] == 0 && b[i + 2] == 1 && b[i + 3] == 0x20) return {b.begin() + i + 4, b.end()};
  return {};
}

codec::video::VolHeader Read(const std::vector<uint8_t>& body, size_t length, bool held_to_bytes) {
  codec::video::BitReader reader;
  reader.Bind(body.data(), length, false);
  codec::video::HeaderBits bits(reader, held_to_bytes ? uint64_t{length} * 8 : codec::video::HeaderBits::kNoEnd);
  codec::video::VolHeader vol;
  codec::video::ReadVolHeader(bits, 1, 30, &vol);
  return vol;
}

TEST(VolHeaderRead, HeldToItsBytesReadsWhatTheDecoderReadsWhereverTheHeaderIsWhole) {
  const std::vector<uint8_t> body = VolBody({.width = 352, .height = 288, .resolution = 25, .fixedRate = true,
                                              .resyncDisable = false, .partitioned = true, .reversible = true,
                                              .layerVerid = 2, .not8Bit = true, .mpegQuant = true,
                                              .quarterSample = true});
  ASSERT_FALSE(body.empty());
  const codec::video::VolHeader whole = Read(body, body.size(), false);
  EXPECT_EQ(whole.width, 352);
  EXPECT_EQ(whole.timeIncrementBits, 5);
  EXPECT_TRUE(whole.reversibleVlc);
  // The matrices as written: intra 8, 17, 18 then the ending 0; the default non-intra.
  EXPECT_TRUE(whole.quantType);
  EXPECT_EQ(whole.intraMatrix[0], 8);
  EXPECT_EQ(whole.intraMatrix[2], 18);
  EXPECT_EQ(whole.intraMatrix[3], 0) << "the entries after the list's end stay 0";
  EXPECT_EQ(whole.nonIntraMatrix, (std::array<uint8_t, 64>{}));
  int steps = 0;
  for (size_t length = 0; length <= body.size(); ++length) {
    const codec::video::VolHeader cut = Read(body, length, true);
    steps += cut.timeBaseRead + cut.sizeRead + cut.codingToolsRead;
    EXPECT_TRUE(cut.timeBaseRead >= cut.sizeRead && cut.sizeRead >= cut.codingToolsRead) << length;
    if (cut.timeBaseRead) {
      EXPECT_EQ(cut.timeIncrementResolution, 25u) << length;
    }
    if (cut.sizeRead) {
      EXPECT_EQ(cut.height, 288) << length;
    }
    if (!cut.codingToolsRead) continue;
    EXPECT_EQ(cut.quantPrecision, 5) << length;
    EXPECT_EQ(cut.bitsPerPixel, 10) << length;
    EXPECT_EQ(cut.intraMatrix, whole.intraMatrix) << length;
    EXPECT_EQ(cut.quarterSample, whole.quarterSample) << length;
    EXPECT_EQ(cut.resyncMarkerDisable, whole.resyncMarkerDisable) << length;
    EXPECT_EQ(cut.dataPartitioned, whole.dataPartitioned) << length;
    EXPECT_EQ(cut.reversibleVlc, whole.reversibleVlc) << length;
  }
  EXPECT_TRUE(Read(body, body.size(), true).codingToolsRead) << "the whole header was not read whole";
  EXPECT_GT(steps, 3) << "no cut fell between the parts";
  const codec::video::VolHeader none = Read(body, 0, true);
  EXPECT_FALSE(none.timeBaseRead);
  EXPECT_EQ(none.timeIncrementResolution, 0u) << "a field past the end reads as 0";
}

TEST(VolHeaderRead, EstimationFlagsKeepTheirPlacesAndGroupsTheirDisableBits) {
  // Method 0: shape, texture set 1, marker, texture set 2, motion, marker.
  VolFields shapeOff, shapeZeros, motion;
  shapeOff.estimation = "00 1 0 0000 1 1 1 1";
  shapeZeros.estimation = "00 0 000000 1 1 1 1 1";
  motion.estimation = "00 1 1 1 1 0 100001 1";
  motion.resyncDisable = false;
  const codec::video::VolHeader a = Read(VolBody(shapeOff), VolBody(shapeOff).size(), true);
  const codec::video::VolHeader b = Read(VolBody(shapeZeros), VolBody(shapeZeros).size(), true);
  const codec::video::VolHeader m = Read(VolBody(motion), VolBody(motion).size(), true);
  ASSERT_TRUE(a.codingToolsRead && b.codingToolsRead && m.codingToolsRead);
  EXPECT_FALSE(a.complexityEstimationDisable);
  EXPECT_EQ(a.estimationFlags, b.estimationFlags);
  EXPECT_NE(a.estimationBits, b.estimationBits) << "a disabled group read like an enabled one of zeros";
  EXPECT_EQ(m.estimationFlags[14], 1) << "motion's first flag (apm)";
  EXPECT_EQ(m.estimationFlags[19], 1) << "motion's last flag (halfpel4)";
  EXPECT_EQ(m.estimationFlags[13], 0);
  EXPECT_FALSE(m.resyncMarkerDisable) << "the fields after the section are out of step";
}

}  // namespace
