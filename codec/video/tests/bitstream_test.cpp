// Bit reader and VLC tables.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "codec/video/bitstream/bit_reader.h"
#include "codec/video/bitstream/vlc_tables.h"
#include "codec/video/macroblock/mb_layer.h"

namespace codec::video {
namespace {

TEST(BitReader, ReadsBigEndianAcrossWordBoundaries) {
  const uint8_t data[12] = {0xA5, 0x0F, 0xF0, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0, 0x11};
  BitReader br;
  br.Bind(data, sizeof(data), false);
  EXPECT_EQ(br.Get(4), 0xAu);
  EXPECT_EQ(br.Show(8), 0x50u);
  EXPECT_EQ(br.Get(12), 0x50Fu);
  EXPECT_EQ(br.Get(32), 0xF0123456u);
  EXPECT_EQ(br.Get(3), 0x3u);       // 011 of 0x78
  EXPECT_EQ(br.Get(29), 0x189ABCDEu);
  EXPECT_EQ(br.Position(), 80u);
  EXPECT_EQ(br.Get(16), 0xF011u);
}

TEST(BitReader, PadsWithStartCodesThenReportsExhaustion) {
  const std::vector<uint8_t> data = {0xFF, 0x80};
  BitReader br;
  br.Bind(data.data(), data.size(), false);
  br.Skip(16);
  EXPECT_EQ(br.Get(32), 0x000001B6u);
  EXPECT_EQ(br.Get(32), 0x000001B6u);
  EXPECT_FALSE(br.Exhausted());
  EXPECT_EQ(br.Get(8), 0u);
  EXPECT_TRUE(br.Exhausted());

  br.Bind(data.data(), data.size(), true);
  br.Skip(16);
  EXPECT_EQ(br.Get(32), 0x00008000u);
  EXPECT_EQ(br.Get(32), 0x00008000u);

  br.Bind(nullptr, 0, false);
  EXPECT_EQ(br.Get(24), 1u);
}

TEST(BitReader, AlignmentConsumesStuffingByteOnlyWhenAligned) {
  const uint8_t data[4] = {0x7F, 0x7F, 0x00, 0x01};
  BitReader br;
  br.Bind(data, sizeof(data), false);
  br.AlignStuffing();               // aligned: 0x7F is stuffing
  EXPECT_EQ(br.Position(), 8u);
  br.Skip(1);
  br.AlignStuffing();               // not aligned: only to the boundary
  EXPECT_EQ(br.Position(), 16u);
  EXPECT_EQ(br.Show(16), 1u);
}

TEST(BitReader, ShowAfterStuffingRejectsDataBits) {
  // 3 data bits '111', then stuffing would have to be 0 1111.
  const uint8_t good[4] = {0xEF, 0x00, 0x00, 0x80};  // 111 01111 | 00000000 00000000 1
  const uint8_t bad[4] = {0xFF, 0x00, 0x00, 0x80};
  BitReader br;
  br.Bind(good, sizeof(good), false);
  br.Skip(3);
  EXPECT_EQ(br.ShowAfterStuffing(17), 1u);
  EXPECT_EQ(br.Position(), 3u);
  br.Bind(bad, sizeof(bad), false);
  br.Skip(3);
  EXPECT_EQ(br.ShowAfterStuffing(17), 0u);
}

void ExpectPrefixFree(const VlcCode* codes, int count, int bits, const char* name) {
  std::vector<VlcEntry> table(size_t(1) << bits);
  EXPECT_TRUE(BuildVlcLookup(codes, count, bits, table.data())) << name << " has colliding codes";
}

TEST(VlcTables, EveryTableIsPrefixFree) {
  ExpectPrefixFree(kMcbpcIntraCodes, kMcbpcIntraCount, 9, "MCBPC I");
  ExpectPrefixFree(kMcbpcInterCodes, kMcbpcInterCount, 9, "MCBPC P");
  ExpectPrefixFree(kCbpyCodes, kCbpyCount, 6, "CBPY");
  ExpectPrefixFree(kMvdCodes, kMvdCount, 12, "MVD");
  ExpectPrefixFree(kDcSizeLumaCodes, kDcSizeLumaCount, 12, "DC luma");
  ExpectPrefixFree(kDcSizeChromaCodes, kDcSizeChromaCount, 12, "DC chroma");
  std::vector<VlcCode> inter, intra;
  for (int i = 0; i < kTcoefInterCount; ++i) inter.push_back({kTcoefInterCodes[i].bits, int16_t(i)});
  for (int i = 0; i < kTcoefIntraCount; ++i) intra.push_back({kTcoefIntraCodes[i].bits, int16_t(i)});
  inter.push_back({kTcoefEscape, -2});
  intra.push_back({kTcoefEscape, -2});
  ExpectPrefixFree(inter.data(), int(inter.size()), 12, "TCOEF inter");
  ExpectPrefixFree(intra.data(), int(intra.size()), 12, "TCOEF intra");
}

TEST(VlcTables, IntraAndInterCoefficientTablesShareTheirCodeWords) {
  std::set<std::string> a, b;
  auto strip = [](const char* s) {
    std::string r;
    for (; *s; ++s)
      if (*s != ' ') r += *s;
    return r;
  };
  for (int i = 0; i < kTcoefInterCount; ++i) a.insert(strip(kTcoefInterCodes[i].bits));
  for (int i = 0; i < kTcoefIntraCount; ++i) b.insert(strip(kTcoefIntraCodes[i].bits));
  EXPECT_EQ(a.size(), 102u);
  EXPECT_EQ(a, b);
  // Kraft sum of all code words (each with its sign bit) and the escape: a complete-enough code.
  double kraft = 1.0 / 128;
  for (const std::string& s : a) kraft += 1.0 / double(1u << s.size());
  EXPECT_LE(kraft, 1.0);
  EXPECT_GT(kraft, 0.99);
}

TEST(VlcTables, EscapeLimitsFollowTheTables) {
  const VlcTables& t = GetVlcTables();
  EXPECT_EQ(t.intra.maxLevel[0][0], 27);
  EXPECT_EQ(t.intra.maxLevel[1][0], 8);
  EXPECT_EQ(t.inter.maxLevel[0][0], 12);
  EXPECT_EQ(t.inter.maxLevel[1][1], 2);
  EXPECT_EQ(t.inter.maxRun[0][1], 26);
  EXPECT_EQ(t.inter.maxRun[1][1], 40);
  EXPECT_EQ(t.intra.maxRun[0][1], 14);
  EXPECT_EQ(t.intra.maxRun[1][1], 20);
}

}  // namespace
}  // namespace codec::video
