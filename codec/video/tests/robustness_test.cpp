// Damaged streams: units cut short, flipped bits, lost packets and garbage must
// decode without faults, conceal what is lost and pick up at the next resync point.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "codec/video/tests/stream_files.h"
#include "codec/video/video_decoder.h"

namespace codec::video::testing {
namespace {

struct Decoded {
  std::vector<std::vector<uint8_t>> frames;
  std::vector<std::vector<uint8_t>> byUnit;  // the picture after each unit, empty when none
  std::vector<int> results;
};

// Decodes units one by one, each copied into a buffer of its exact size.
Decoded DecodeUnits(const std::vector<std::vector<uint8_t>>& units, bool postfilter = false) {
  VideoDecoder dec;
  dec.SetSize(176, 144);
  dec.SetPostFilter(postfilter, false);
  Decoded out;
  for (const auto& u : units) {
    std::vector<uint8_t> exact(u);
    out.results.push_back(dec.Decode(exact.empty() ? nullptr : exact.data(), exact.size()));
    DecodedPicture pic;
    pic.width = dec.Width();
    pic.height = dec.Height();
    std::vector<uint8_t> frame(pic.Size());
    pic.data = frame.data();
    const bool produced = dec.ProducePicture(pic) == 0;
    if (produced) out.frames.push_back(frame);
    out.byUnit.push_back(produced ? frame : std::vector<uint8_t>());
  }
  return out;
}

std::vector<std::vector<uint8_t>> AllUnits(const TestStream& s) {
  std::vector<std::vector<uint8_t>> units;
  for (size_t i = 0; i < s.units.size(); ++i) units.push_back(s.Unit(i));
  return units;
}

class DamagedStream : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override { ASSERT_TRUE(LoadStream(GetParam(), &stream_)) << DataPath(GetParam()); }
  TestStream stream_;
};

TEST_P(DamagedStream, UnitsCutShortAreConcealedNotOverrun) {
  auto intactUnits = AllUnits(stream_);
  Decoded intact = DecodeUnits(intactUnits);
  // The second group of pictures starts at this unit with an I picture.
  const size_t secondGroup = stream_.shortHeader ? 6 : 7;
  for (size_t keep : {size_t(0), size_t(1), size_t(3), size_t(7), size_t(40), size_t(200), size_t(900)}) {
    auto units = intactUnits;
    for (size_t i = stream_.shortHeader ? 1 : 2; i < units.size(); ++i)
      if (units[i].size() > keep) units[i].resize(keep);
    // Then the intact second group: decoding is exact again from its I picture on.
    units.insert(units.end(), intactUnits.begin() + secondGroup, intactUnits.end());
    Decoded d = DecodeUnits(units);
    ASSERT_EQ(d.results.size(), units.size());
    EXPECT_EQ(d.results.back(), kDecodeStarted) << "cut to " << keep;
    EXPECT_EQ(d.frames.back(), intact.frames.back()) << "cut to " << keep;
  }
}

TEST_P(DamagedStream, FlippedBitsAndGarbageRecoverAtTheNextIntraPicture) {
  const auto intactUnits = AllUnits(stream_);
  const Decoded intact = DecodeUnits(intactUnits);
  // The second group of pictures starts at this unit with an I picture.
  const size_t secondGroup = stream_.shortHeader ? 6 : 7;
  const size_t firstPicture = stream_.shortHeader ? 0 : 1;
  std::mt19937 rng(1234);
  for (int round = 0; round < 30; ++round) {
    // Damage every picture of the first group; the configuration unit stays
    // intact so the stream keeps its geometry.
    std::vector<std::vector<uint8_t>> units(intactUnits.begin(), intactUnits.begin() + secondGroup);
    for (size_t i = firstPicture; i < units.size(); ++i) {
      auto& u = units[i];
      int flips = 1 + int(rng() % 8);
      for (int k = 0; k < flips && !u.empty(); ++k) u[rng() % u.size()] ^= uint8_t(1u << (rng() % 8));
    }
    if (round % 3 == 0) {
      std::vector<uint8_t> garbage(rng() % 3000);
      for (auto& b : garbage) b = uint8_t(rng());
      units.insert(units.begin() + firstPicture + 1 + rng() % (units.size() - firstPicture), garbage);
    }
    const size_t intra = units.size();
    units.insert(units.end(), intactUnits.begin() + secondGroup, intactUnits.end());
    const bool postfilter = round % 2 == 1;
    const Decoded d = DecodeUnits(units, postfilter);
    const Decoded clean = postfilter ? DecodeUnits(intactUnits, true) : intact;
    ASSERT_EQ(d.results.size(), units.size());
    for (size_t i = 0; i < intra; ++i)
      EXPECT_TRUE(d.results[i] == kDecodeStarted || d.results[i] == kDecodeFatal || d.results[i] == kDecodeNoPicture)
          << "round " << round << " unit " << i << ": result " << d.results[i];
    // From the intact I picture on, every picture is exactly the clean one.
    for (size_t i = intra; i < units.size(); ++i) {
      const size_t cleanUnit = secondGroup + (i - intra);
      EXPECT_EQ(d.results[i], kDecodeStarted) << "round " << round << " unit " << i;
      ASSERT_EQ(d.byUnit[i], clean.byUnit[cleanUnit]) << "round " << round << " unit " << i;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Streams, DamagedStream,
                         ::testing::Values("resync_qcif.m4v", "partitioned_qcif.m4v", "gobs_qcif.h263",
                                           "reversible_qcif.m4v"));

// Finds the byte offsets of the resync markers of an I picture unit (17 bits
// 0000 0000 0000 0000 1 at byte boundaries after stuffing).
std::vector<size_t> ResyncOffsets(const std::vector<uint8_t>& u) {
  std::vector<size_t> at;
  for (size_t i = 4; i + 3 < u.size(); ++i)
    if (u[i] == 0 && u[i + 1] == 0 && (u[i + 2] & 0x80) && !(u[i + 2] == 1)) at.push_back(i);
  return at;
}

TEST(Resync, DamagedPacketIsConcealedAndDecodingResumesAtTheNextMarker) {
  TestStream s;
  ASSERT_TRUE(LoadStream("resync_qcif.m4v", &s));
  auto units = AllUnits(s);
  Decoded intact = DecodeUnits(units);
  // Unit 7 is the second I picture (config, then six pictures per group).
  const size_t target = 7;
  auto offsets = ResyncOffsets(units[target]);
  ASSERT_GE(offsets.size(), 2u);
  // Damage in the middle of the first packet.
  for (size_t i = offsets[0] / 2; i < offsets[0] / 2 + 24; ++i) units[target][i] ^= 0xFF;
  Decoded d = DecodeUnits(units);
  ASSERT_EQ(d.frames.size(), intact.frames.size());
  const auto& got = d.frames[target];
  const auto& want = intact.frames[target];
  const size_t w = 176;
  // The last macroblock row lies packets after the damage: exact again.
  EXPECT_EQ(std::memcmp(got.data() + w * 128, want.data() + w * 128, w * 16), 0);
  // The damaged packet's macroblocks were concealed from the previous picture.
  EXPECT_NE(std::memcmp(got.data(), want.data(), w * 16), 0);
  EXPECT_EQ(d.results[target], kDecodeStarted);
}

}  // namespace
}  // namespace codec::video::testing
