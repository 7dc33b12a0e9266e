#include "codec/video/video_encoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codec/video/bit_writer.h"

namespace codec {
namespace {

std::string Hex(const uint8_t* p, size_t n) {
  std::string out;
  char byte[4];
  for (size_t i = 0; i < n; ++i) {
    std::snprintf(byte, sizeof byte, i ? " %02X" : "%02X", p[i]);
    out += byte;
  }
  return out;
}

std::vector<uint8_t> Headers(VideoEncoder& enc, int w, int h) {
  EXPECT_EQ(enc.Initialise(w, h), 0);
  size_t n = 0;
  const uint8_t* p = enc.Headers(&n);
  return std::vector<uint8_t>(p, p + n);
}

// The headers after the visual object's start code (after the user data).
std::string FromVisualObject(const std::vector<uint8_t>& b) {
  for (size_t i = 0; i + 4 <= b.size(); ++i)
    if (b[i] == 0 && b[i + 1] == 0 && b[i + 2] == 1 && b[i + 3] == 0xB5) return Hex(&b[i + 4], b.size() - i - 4);
  return "<no visual object>";
}

// Golden bytes checked once against a reader written from the standard's
// tables apart from the writer: profile, user data, visual object, layer.
TEST(VideoEncoderHeaders, DefaultsFor320x240) {
  VideoEncoder enc;
  const std::vector<uint8_t> b = Headers(enc, 320, 240);
  EXPECT_EQ(Hex(b.data(), b.size()),
            "00 00 01 B0 01 00 00 01 B2 56 61 6E 74 72 65 63 6B 20 4D 50 45 47 2D 34 20 56 69 64 65 6F"
            " 20 45 6E 63 6F 64 65 72 20 33 2E 35 2E 31 34 20 28 32 30 30 32 2E 31 31 2E 31 37 29"
            " 00 00 01 B5 09 00 00 01 00 00 00 01 20 00 84 40 07 B0 C2 81 07 85 10");
  EXPECT_EQ(enc.TimeIncrementBits(), 5);
  EXPECT_EQ(enc.MacroblockNumberBits(), 9);  // 300 macroblocks
  EXPECT_EQ(enc.PaddedWidth(), 352);
  EXPECT_EQ(enc.PaddedHeight(), 272);
}

// Resilience modes (resync, partitioning, reversible VLC) under both object
// versions (version 2: two-bit sprite_enable, quarter_sample, newpred and
// reduced-resolution flags), pixel aspect ratios (table codes or 15 with the
// ratio itself), priority and time bases; an aligned layer header still gets
// a whole stuffing byte (0x7F).
TEST(VideoEncoderHeaders, FieldsLandInTheirBits) {
  const struct Row {
    int version = 1, priority = 0, mode = 1, par_w = 1, par_h = 1, resolution = 30, ticks = 1, w = 176, h = 144;
    const char* bytes;
  } rows[] = {
      {.mode = 0, .bytes = "09 00 00 01 00 00 00 01 20 00 84 40 07 B0 C1 61 04 85 18"},
      {.mode = 1, .bytes = "09 00 00 01 00 00 00 01 20 00 84 40 07 B0 C1 61 04 85 10"},
      {.mode = 2, .bytes = "09 00 00 01 00 00 00 01 20 00 84 40 07 B0 C1 61 04 85 14 7F"},
      {.mode = 3, .bytes = "09 00 00 01 00 00 00 01 20 00 84 40 07 B0 C1 61 04 85 16 7F"},
      {.version = 2, .mode = 0, .bytes = "90 13 00 00 01 00 00 00 01 20 00 84 40 07 B0 C1 61 04 85 06 0F"},
      {.version = 2, .mode = 1, .bytes = "90 13 00 00 01 00 00 00 01 20 00 84 40 07 B0 C1 61 04 85 04 0F"},
      {.version = 2, .mode = 2, .bytes = "90 13 00 00 01 00 00 00 01 20 00 84 40 07 B0 C1 61 04 85 05 07"},
      {.version = 2, .mode = 3, .bytes = "90 13 00 00 01 00 00 00 01 20 00 84 40 07 B0 C1 61 04 85 05 87"},
      {.par_w = 12, .par_h = 11, .bytes = "09 00 00 01 00 00 00 01 20 00 88 40 07 B0 C1 61 04 85 10"},
      {.par_w = 10, .par_h = 11, .bytes = "09 00 00 01 00 00 00 01 20 00 8C 40 07 B0 C1 61 04 85 10"},
      {.par_w = 16, .par_h = 11, .bytes = "09 00 00 01 00 00 00 01 20 00 90 40 07 B0 C1 61 04 85 10"},
      {.par_w = 40, .par_h = 33, .bytes = "09 00 00 01 00 00 00 01 20 00 94 40 07 B0 C1 61 04 85 10"},
      {.par_w = 24, .par_h = 22, .bytes = "09 00 00 01 00 00 00 01 20 00 88 40 07 B0 C1 61 04 85 10"},
      {.par_w = 4, .par_h = 3, .bytes = "09 00 00 01 00 00 00 01 20 00 BC 10 0C 40 07 B0 C1 61 04 85 10"},
      {.par_w = 255, .par_h = 1, .bytes = "09 00 00 01 00 00 00 01 20 00 BF FC 04 40 07 B0 C1 61 04 85 10"},
      {.version = 2, .priority = 5, .resolution = 1000, .ticks = 40,
       .bytes = "95 13 00 00 01 00 00 00 01 20 00 84 40 FA 30 A2 0B 08 24 28 20 7F"},
      // The recorder's 100 ticks at resolution 30 do not fit 5 bits: no fixed rate.
      {.mode = 0, .ticks = 100, .bytes = "09 00 00 01 00 00 00 01 20 00 84 40 07 A8 2C 20 90 A3 1F"},
      {.ticks = 0, .bytes = "09 00 00 01 00 00 00 01 20 00 84 40 07 A8 2C 20 90 A2 1F"},
      // A power-of-two resolution: increments 0..1023 take 10 bits, not 11.
      {.resolution = 1024, .ticks = 41, .bytes = "09 00 00 01 00 00 00 01 20 00 84 41 00 30 A6 0B 08 24 28 87"},
      {.resolution = 65535, .ticks = 65534, .w = 16, .h = 16,
       .bytes = "09 00 00 01 00 00 00 01 20 00 84 7F FF FF FF E8 04 20 10 A2 1F"},
  };
  for (const Row& r : rows) {
    VideoEncoder enc;
    enc.object_version_ = r.version;
    enc.object_priority_ = r.priority;
    enc.resilience_mode_ = r.mode;
    enc.par_width_ = r.par_w;
    enc.par_height_ = r.par_h;
    enc.time_increment_resolution_ = r.resolution;
    enc.ticks_per_picture_ = r.ticks;
    EXPECT_EQ(FromVisualObject(Headers(enc, r.w, r.h)), r.bytes)
        << "version " << r.version << " mode " << r.mode << " par " << r.par_w << ":" << r.par_h << " time "
        << r.ticks << "/" << r.resolution;
  }
  VideoEncoder pow2, wide;
  pow2.time_increment_resolution_ = 1024;
  wide.time_increment_resolution_ = 65535;
  Headers(pow2, 320, 240);
  Headers(wide, 16, 16);
  EXPECT_EQ(pow2.TimeIncrementBits(), 10);
  EXPECT_EQ(wide.TimeIncrementBits(), 16);
  EXPECT_EQ(wide.MacroblockNumberBits(), 1);
  VideoEncoder profile;
  profile.profile_and_level_ = 3;
  EXPECT_EQ(Headers(profile, 320, 240)[4], 3);
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
  for (size_t i = 0, bit = 0; i < 3000; ++i) {
    uint32_t v = 0;
    for (int k = 0; k < 13; ++k, ++bit) v = v << 1 | ((big[bit / 8] >> (7 - bit % 8)) & 1);
    ASSERT_EQ(v, uint32_t(i) & 0x1FFF) << "field " << i;
  }
}

}  // namespace
}  // namespace codec
