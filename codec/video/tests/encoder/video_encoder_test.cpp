#include "codec/video/video_encoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codec/video/bit_writer.h"

namespace codec {
namespace {

// A reader of the header syntax written from the standard's tables, apart
// from the writer, so a field out of place shows up as a wrong value.
class Reader {
 public:
  explicit Reader(const std::vector<uint8_t>& b) : b_(b) {}
  uint32_t Get(int n) {
    uint32_t v = 0;
    for (int i = 0; i < n; ++i) {
      if (pos_ >= b_.size() * 8) {
        overrun = true;
        return 0;
      }
      v = v << 1 | ((b_[pos_ / 8] >> (7 - pos_ % 8)) & 1);
      ++pos_;
    }
    return v;
  }
  // Reads the stuffing up to the next byte boundary and says if it is valid.
  bool Stuffing() {
    const size_t n = 8 - pos_ % 8;
    if (Get(1) != 0) return false;
    for (size_t i = 1; i < n; ++i)
      if (Get(1) != 1) return false;
    return true;
  }
  size_t pos() const { return pos_; }
  bool overrun = false;

 private:
  const std::vector<uint8_t>& b_;
  size_t pos_ = 0;
};

struct Parsed {
  int profile = -1;
  std::string userData;
  int verid = 1, priority = -1, objectType = -1;
  int aspect = -1, parW = 0, parH = 0;
  int shape = -1, resolution = -1, fixedRate = -1, fixedIncrement = -1;
  int width = -1, height = -1, interlaced = -1, obmc = -1;
  int resyncDisable = -1, partitioned = -1, reversible = -1;
  bool markersOk = true, stuffingOk = true, consumedAll = false;
};

Parsed Parse(const std::vector<uint8_t>& b) {
  Parsed p;
  Reader r(b);
  auto marker = [&] { p.markersOk &= r.Get(1) == 1; };
  EXPECT_EQ(r.Get(32), 0x1B0u);
  p.profile = int(r.Get(8));
  EXPECT_EQ(r.Get(32), 0x1B2u);
  while (r.pos() + 24 <= b.size() * 8 && !(b[r.pos() / 8] == 0 && b[r.pos() / 8 + 1] == 0 && b[r.pos() / 8 + 2] == 1))
    p.userData += char(r.Get(8));
  EXPECT_EQ(r.Get(32), 0x1B5u);
  if (r.Get(1)) {
    p.verid = int(r.Get(4));
    p.priority = int(r.Get(3));
  }
  p.objectType = int(r.Get(4));
  EXPECT_EQ(r.Get(1), 0u) << "video_signal_type";
  p.stuffingOk &= r.Stuffing();
  EXPECT_EQ(r.Get(32), 0x100u);
  EXPECT_EQ(r.Get(32), 0x120u);
  EXPECT_EQ(r.Get(1), 0u);
  EXPECT_EQ(r.Get(8), 1u) << "simple object";
  EXPECT_EQ(r.Get(1), 0u) << "is_object_layer_identifier";
  p.aspect = int(r.Get(4));
  if (p.aspect == 15) {
    p.parW = int(r.Get(8));
    p.parH = int(r.Get(8));
  }
  EXPECT_EQ(r.Get(1), 0u) << "vol_control_parameters";
  p.shape = int(r.Get(2));
  marker();
  p.resolution = int(r.Get(16));
  marker();
  p.fixedRate = int(r.Get(1));
  if (p.fixedRate) {
    int bits = 1;
    while (bits < 16 && (1 << bits) < p.resolution) ++bits;  // holds resolution - 1
    p.fixedIncrement = int(r.Get(bits));
  }
  marker();
  p.width = int(r.Get(13));
  marker();
  p.height = int(r.Get(13));
  marker();
  p.interlaced = int(r.Get(1));
  p.obmc = int(r.Get(1));
  EXPECT_EQ(r.Get(p.verid == 1 ? 1 : 2), 0u) << "sprite_enable";
  EXPECT_EQ(r.Get(1), 0u) << "not_8_bit";
  EXPECT_EQ(r.Get(1), 0u) << "quant_type";
  if (p.verid != 1) {
    EXPECT_EQ(r.Get(1), 0u) << "quarter_sample";
  }
  EXPECT_EQ(r.Get(1), 1u) << "complexity_estimation_disable";
  p.resyncDisable = int(r.Get(1));
  p.partitioned = int(r.Get(1));
  if (p.partitioned) p.reversible = int(r.Get(1));
  if (p.verid != 1) {
    EXPECT_EQ(r.Get(2), 0u) << "newpred, reduced resolution";
  }
  EXPECT_EQ(r.Get(1), 0u) << "scalability";
  p.stuffingOk &= r.Stuffing();
  p.consumedAll = !r.overrun && r.pos() == b.size() * 8;
  return p;
}

std::vector<uint8_t> Headers(VideoEncoder& enc, int w, int h) {
  EXPECT_EQ(enc.Initialise(w, h), 0);
  size_t n = 0;
  const uint8_t* p = enc.Headers(&n);
  return std::vector<uint8_t>(p, p + n);
}

TEST(VideoEncoderHeaders, DefaultsFor320x240ParseBack) {
  VideoEncoder enc;
  const std::vector<uint8_t> b = Headers(enc, 320, 240);
  const Parsed p = Parse(b);
  EXPECT_EQ(p.profile, 1);
  EXPECT_NE(p.userData.find("Vantreck"), std::string::npos);
  EXPECT_NE(p.userData.find("3.5.14"), std::string::npos);
  EXPECT_NE(p.userData.find("2002.11.17"), std::string::npos);
  EXPECT_EQ(p.priority, -1) << "no visual object identifier for version 1, priority 0";
  EXPECT_EQ(p.objectType, 1);
  EXPECT_EQ(p.aspect, 1);
  EXPECT_EQ(p.shape, 0);
  EXPECT_EQ(p.resolution, 30);
  EXPECT_EQ(p.fixedRate, 1);
  EXPECT_EQ(p.fixedIncrement, 1);
  EXPECT_EQ(p.width, 320);
  EXPECT_EQ(p.height, 240);
  EXPECT_EQ(p.interlaced, 0);
  EXPECT_EQ(p.obmc, 1);
  EXPECT_EQ(p.resyncDisable, 0);
  EXPECT_EQ(p.partitioned, 0);
  EXPECT_TRUE(p.markersOk);
  EXPECT_TRUE(p.stuffingOk);
  EXPECT_TRUE(p.consumedAll) << "bytes left after the layer header";

  EXPECT_EQ(enc.TimeIncrementBits(), 5);
  EXPECT_EQ(enc.MacroblockNumberBits(), 9);  // 300 macroblocks
  EXPECT_EQ(enc.PaddedWidth(), 352);
  EXPECT_EQ(enc.PaddedHeight(), 272);
}

// Version 2 (the layer takes the visual object's version: two-bit
// sprite_enable, quarter_sample, newpred and reduced-resolution flags) too.
TEST(VideoEncoderHeaders, EveryResilienceModeParsesBack) {
  const int expect[4][3] = {{1, 0, -1}, {0, 0, -1}, {0, 1, 0}, {0, 1, 1}};
  for (int version : {1, 2})
    for (int mode = 0; mode < 4; ++mode) {
      VideoEncoder enc;
      enc.object_version_ = version;
      enc.resilience_mode_ = mode;
      const Parsed p = Parse(Headers(enc, 176, 144));
      SCOPED_TRACE(::testing::Message() << "version " << version << " mode " << mode);
      EXPECT_EQ(p.verid, version);
      EXPECT_EQ(p.resyncDisable, expect[mode][0]);
      EXPECT_EQ(p.partitioned, expect[mode][1]);
      EXPECT_EQ(p.reversible, expect[mode][2]);
      EXPECT_EQ(p.width, 176);
      EXPECT_EQ(p.height, 144);
      EXPECT_TRUE(p.stuffingOk && p.markersOk && p.consumedAll);
    }
}

TEST(VideoEncoderHeaders, EveryAspectRatioParsesBack) {
  const int ratios[][3] = {{1, 1, 1}, {12, 11, 2}, {10, 11, 3}, {16, 11, 4}, {40, 33, 5}, {24, 22, 2}, {4, 3, 15}, {255, 1, 15}};
  for (const auto& r : ratios) {
    VideoEncoder enc;
    enc.par_width_ = r[0];
    enc.par_height_ = r[1];
    const Parsed p = Parse(Headers(enc, 640, 480));
    EXPECT_EQ(p.aspect, r[2]) << r[0] << ":" << r[1];
    if (r[2] == 15) {
      EXPECT_EQ(p.parW, r[0]);
      EXPECT_EQ(p.parH, r[1]);
    }
    EXPECT_EQ(p.width, 640);
    EXPECT_TRUE(p.stuffingOk && p.markersOk && p.consumedAll) << r[0] << ":" << r[1];
  }
}

TEST(VideoEncoderHeaders, VersionPriorityAndTimeBase) {
  VideoEncoder enc;
  enc.object_version_ = 2;
  enc.object_priority_ = 5;
  enc.time_increment_resolution_ = 1000;
  enc.ticks_per_picture_ = 40;
  enc.profile_and_level_ = 3;
  Parsed p = Parse(Headers(enc, 320, 240));
  EXPECT_EQ(p.verid, 2);
  EXPECT_EQ(p.priority, 5);
  EXPECT_EQ(p.profile, 3);
  EXPECT_EQ(p.resolution, 1000);
  EXPECT_EQ(p.fixedIncrement, 40);
  EXPECT_EQ(enc.TimeIncrementBits(), 10);
  EXPECT_TRUE(p.consumedAll && p.stuffingOk);

  // The recorder's 100 ticks at resolution 30 do not fit 5 bits: no fixed rate.
  VideoEncoder rec;
  rec.resilience_mode_ = 0;
  rec.ticks_per_picture_ = 100;
  p = Parse(Headers(rec, 320, 240));
  EXPECT_EQ(p.fixedRate, 0);
  EXPECT_EQ(p.resyncDisable, 1);
  EXPECT_EQ(p.partitioned, 0);
  EXPECT_TRUE(p.consumedAll && p.markersOk);
  rec.ticks_per_picture_ = 0;
  EXPECT_EQ(Parse(Headers(rec, 320, 240)).fixedRate, 0);

  // A power-of-two resolution: increments 0..1023 take 10 bits, not 11.
  VideoEncoder pow2;
  pow2.time_increment_resolution_ = 1024;
  pow2.ticks_per_picture_ = 41;
  p = Parse(Headers(pow2, 320, 240));
  EXPECT_EQ(pow2.TimeIncrementBits(), 10);
  EXPECT_EQ(p.fixedIncrement, 41);
  EXPECT_TRUE(p.consumedAll && p.markersOk && p.stuffingOk);

  VideoEncoder wide;
  wide.time_increment_resolution_ = 65535;
  wide.ticks_per_picture_ = 65534;
  p = Parse(Headers(wide, 16, 16));
  EXPECT_EQ(wide.TimeIncrementBits(), 16);
  EXPECT_EQ(wide.MacroblockNumberBits(), 1);
  EXPECT_EQ(p.fixedIncrement, 65534);
}

TEST(VideoEncoderHeaders, RefusesWhatTheHeadersCannotHold) {
  VideoEncoder enc;
  EXPECT_EQ(enc.Initialise(100, 240), -1);
  EXPECT_EQ(enc.Initialise(0, 0), -1);
  EXPECT_EQ(enc.Initialise(8192, 240), -1);
  enc.time_increment_resolution_ = 0;
  EXPECT_EQ(enc.Initialise(320, 240), -1);
  enc.time_increment_resolution_ = 30;
  enc.par_width_ = 0;
  EXPECT_EQ(enc.Initialise(320, 240), -1);
  size_t n = 99;
  EXPECT_EQ(enc.Headers(&n), nullptr);
  EXPECT_EQ(n, 0u);

  // Free, then initialise again: the object stays usable.
  enc.par_width_ = 1;
  ASSERT_EQ(enc.Initialise(320, 240), 0);
  const std::vector<uint8_t> first = Headers(enc, 320, 240);
  enc.Free();
  EXPECT_EQ(enc.Headers(&n), nullptr);
  EXPECT_EQ(Headers(enc, 320, 240), first);
}

TEST(VideoEncoderStuffing, AlignedHeaderGetsAWholeStuffingByte) {
  // Modes 2 and 3 make the 320x240 layer header exactly 80 bits long.
  VideoEncoder enc;
  enc.resilience_mode_ = 2;
  const std::vector<uint8_t> b = Headers(enc, 320, 240);
  EXPECT_EQ(b.back(), 0x7F);
  EXPECT_TRUE(Parse(b).stuffingOk);
  enc.resilience_mode_ = 1;  // 79 bits: one stuffing bit 0
  const std::vector<uint8_t> c = Headers(enc, 320, 240);
  EXPECT_EQ(c.size(), b.size() - 1);
  EXPECT_EQ(c.back() & 1, 0);
}

TEST(BitWriterTest, PacksMostSignificantFirstAcrossWordsAndBlocks) {
  std::vector<uint8_t> out;
  BitWriter bw(&out);
  bw.Put(0x5, 3);
  bw.Stuff();  // 101 then 0 1111
  EXPECT_TRUE(bw.ByteAligned());
  bw.Stuff();  // aligned: 0x7F
  bw.Put(0xABCDEF01, 32);
  bw.Put(0x3, 2);
  bw.Put(0xFFFFFFFF, 32);
  bw.Put(0x1FF, 6);  // too wide for its field: only 6 bits land
  bw.Flush();
  EXPECT_EQ(out, (std::vector<uint8_t>{0xAF, 0x7F, 0xAB, 0xCD, 0xEF, 0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));

  // More than one 512-word block, written in odd-sized pieces.
  std::vector<uint8_t> big;
  BitWriter bw2(&big);
  for (int i = 0; i < 3000; ++i) bw2.Put(uint32_t(i) & 0x1FFF, 13);
  bw2.Flush();
  ASSERT_EQ(big.size(), (3000u * 13 + 7) / 8);
  std::vector<uint8_t> copy = big;
  Reader r(copy);
  for (int i = 0; i < 3000; ++i) ASSERT_EQ(r.Get(13), uint32_t(i) & 0x1FFF) << "field " << i;
}

}  // namespace
}  // namespace codec
