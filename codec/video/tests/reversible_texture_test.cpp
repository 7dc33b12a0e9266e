// Texture coded with the reversible code: the table's shape, decoding against
// the ordinary coding of the same content, and concealment of damaged texture.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "codec/video/tests/partitioned_stream_writer.h"
#include "codec/video/video_decoder.h"
#include "tools/m4vdec/unit_splitter.h"

namespace codec::video::testing {
namespace {

std::string Bits(const char* code) {
  std::string s;
  for (const char* p = code; *p; ++p)
    if (*p == '0' || *p == '1') s += *p;
  return s;
}

// A word without its free last bit must be "1 0..0 1" or "0 1..1 0 1..1 0".
bool IsSymmetricCore(const std::string& core) {
  if (core.size() < 2 || core.front() != core.back()) return false;
  const char ends = core.front();
  int count = 0;
  for (char c : core) count += c == ends;
  return count == (ends == '1' ? 2 : 3);
}

TEST(ReversibleTable, WordsDecodeFromBothEndsAndMeaningsAreUnique) {
  std::vector<std::string> words{Bits(video::kRvlcEscape)};
  std::set<int> intra, inter;
  for (int i = 0; i < video::kRvlcCount; ++i) {
    const video::RvlcCode& c = video::kRvlcCodes[i];
    const std::string w = Bits(c.bits);
    EXPECT_TRUE(IsSymmetricCore(w.substr(0, w.size() - 1))) << c.bits;
    EXPECT_LE(w.size(), size_t(video::RvlcTable::kBits)) << c.bits;
    EXPECT_TRUE(intra.insert(c.intraLast << 16 | c.intraRun << 8 | c.intraLevel).second) << c.bits;
    EXPECT_TRUE(inter.insert(c.interLast << 16 | c.interRun << 8 | c.interLevel).second) << c.bits;
    EXPECT_EQ(c.intraLast, c.interLast) << c.bits;
    words.push_back(w);
  }
  // Neither a prefix nor a suffix of another word: decodable forwards and backwards.
  for (size_t a = 0; a < words.size(); ++a) {
    for (size_t b = 0; b < words.size(); ++b) {
      if (a == b || words[a].size() > words[b].size()) continue;
      EXPECT_NE(words[b].compare(0, words[a].size(), words[a]), 0) << words[a] << " " << words[b];
      EXPECT_NE(words[b].compare(words[b].size() - words[a].size(), words[a].size(), words[a]), 0)
          << words[a] << " " << words[b];
    }
  }
}

struct Decoded {
  std::vector<std::vector<uint8_t>> frames;
  std::vector<int> results;
};

Decoded DecodeStream(const std::vector<uint8_t>& stream) {
  bool shortHeader = false;
  std::vector<StreamUnit> units = SplitUnits(stream.data(), stream.size(), &shortHeader);
  VideoDecoder dec;
  Decoded out;
  for (const StreamUnit& u : units) {
    std::vector<uint8_t> exact(stream.begin() + u.offset, stream.begin() + u.offset + u.length);
    const int result = dec.Decode(exact.data(), exact.size());
    if (!u.config) out.results.push_back(result);
    DecodedPicture pic;
    pic.width = dec.Width();
    pic.height = dec.Height();
    std::vector<uint8_t> frame(pic.Size());
    pic.data = frame.data();
    if (!u.config && dec.ProducePicture(pic) == 0) out.frames.push_back(frame);
  }
  return out;
}

void ExpectSameDecoding(PartitionedStreamOptions o) {
  o.reversible = true;
  Decoded rvlc = DecodeStream(PartitionedStreamWriter(o).Write());
  o.reversible = false;
  Decoded ordinary = DecodeStream(PartitionedStreamWriter(o).Write());
  ASSERT_EQ(rvlc.frames.size(), size_t(o.pictures));
  ASSERT_EQ(ordinary.frames.size(), size_t(o.pictures));
  for (size_t i = 0; i < rvlc.frames.size(); ++i) {
    EXPECT_EQ(rvlc.frames[i], ordinary.frames[i]) << "picture " << i;
    // A concealed picture would repeat its predecessor; this content always moves.
    if (i > 0) {
      EXPECT_NE(rvlc.frames[i], rvlc.frames[i - 1]) << "picture " << i;
    }
  }
  for (int r : rvlc.results) EXPECT_EQ(r, kDecodeStarted);
}

TEST(ReversibleTexture, DecodesLikeTheOrdinaryCodingOfTheSameContent) {
  for (uint32_t seed = 1; seed <= 3; ++seed) {
    PartitionedStreamOptions o;
    o.seed = seed;
    ExpectSameDecoding(o);
  }
}

TEST(ReversibleTexture, EveryWordOfBothMeaningsDecodesLikeItsOrdinaryCode) {
  PartitionedStreamOptions o;
  o.seed = 7;
  o.quant = 9;
  o.blocks = EveryReversibleWord();
  ExpectSameDecoding(o);
}

void PutBitsAt(std::vector<uint8_t>& bytes, size_t bit, const char* code) {
  for (const char* p = code; *p; ++p, ++bit) {
    const uint8_t mask = static_cast<uint8_t>(0x80 >> (bit & 7));
    if (*p == '1') {
      bytes[bit / 8] |= mask;
    } else {
      bytes[bit / 8] &= static_cast<uint8_t>(~mask);
    }
  }
}

TEST(ReversibleTexture, DamagedTextureIsConcealedAndTheNextPacketDecodes) {
  PartitionedStreamOptions o;  // one packet per macroblock row
  o.pictures = 2;
  PartitionedStreamWriter writer(o);
  std::vector<uint8_t> stream = writer.Write();
  Decoded intact = DecodeStream(stream);
  // An escape without its marker bit at the start of row 3's texture (picture 1, a P picture).
  PutBitsAt(stream, writer.TextureOffsets()[1][3], "0000 0");
  Decoded damaged = DecodeStream(stream);
  ASSERT_EQ(damaged.frames.size(), 2u);
  const std::vector<uint8_t>& got = damaged.frames[1];
  const std::vector<uint8_t>& want = intact.frames[1];
  const size_t row = 176 * 16;
  EXPECT_EQ(std::memcmp(got.data(), want.data(), row * 3), 0);
  EXPECT_NE(std::memcmp(got.data() + row * 3, want.data() + row * 3, row), 0);
  EXPECT_EQ(std::memcmp(got.data() + row * 4, want.data() + row * 4, row * 5), 0);
  EXPECT_EQ(damaged.frames[0], intact.frames[0]);
}

}  // namespace
}  // namespace codec::video::testing
