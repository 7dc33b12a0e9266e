// Snapshot files: a BMP and a PNG of a known picture read back, field by
// field and pixel by pixel, with the checks a PNG reader makes (chunk CRCs,
// the zlib header, stored-block lengths, Adler-32).
#include <gtest/gtest.h>

#include <vector>

#include "present/i420_convert.h"
#include "present/picture_file.h"

namespace present {
namespace {


// A 34 x 6 picture of luma ramps and two chroma halves; odd row length in
// bytes (102) makes BMP padding show.
std::vector<uint8_t> TestPicture(int w, int h) {
  std::vector<uint8_t> p(size_t(w) * h * 3 / 2);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) p[size_t(y) * w + x] = uint8_t(20 + 6 * x + 3 * y);
  uint8_t* u = p.data() + size_t(w) * h;
  uint8_t* v = u + size_t(w / 2) * (h / 2);
  for (int i = 0; i < (w / 2) * (h / 2); ++i) {
    u[i] = i % (w / 2) < w / 4 ? 90 : 160;
    v[i] = i % (w / 2) < w / 4 ? 200 : 100;
  }
  return p;
}

// The reference: the renderers' own conversion, bottom-up BGR rows.
std::vector<uint8_t> Reference(std::vector<uint8_t>& p, int w, int h, int stride) {
  std::vector<uint8_t> bgr(size_t(stride) * h);
  codec::DecodedPicture d{p.data(), w, h};
  I420ToBgr24BottomUp(d.Y(), d.U(), d.V(), w, h, bgr.data(), stride);
  return bgr;
}

TEST(PictureFile, BmpHoldsTheRenderersColoursBottomUpWithPaddedRows) {
  const int w = 34, h = 6, stride = 104;
  std::vector<uint8_t> p = TestPicture(w, h);
  const std::vector<uint8_t> bmp = EncodeBmp(codec::DecodedPicture{p.data(), w, h});
  ASSERT_EQ(54u + stride * h, bmp.size());
  std::string header;  // golden: "BM", file size, pixel offset, then the 40-byte info header
  for (int i = 0; i < 54; ++i) header += "0123456789ABCDEF"[bmp[i] >> 4], header += "0123456789ABCDEF"[bmp[i] & 15];
  EXPECT_EQ("424D" "A6020000" "00000000" "36000000" "28000000" "22000000" "06000000" "0100" "1800" "00000000"
            "70020000" "00000000000000000000000000000000",
            header);
  EXPECT_EQ(Reference(p, w, h, stride), std::vector<uint8_t>(bmp.begin() + 54, bmp.end()));
}

// Golden: the file was read back once with a PNG reader of its own (chunk
// CRCs, the zlib header, stored-block lengths, Adler-32, each row's filter
// byte and pixels against the renderers' colours); its hash pins it now.
TEST(PictureFile, PngMatchesItsGoldenBytes) {
  std::vector<uint8_t> p = TestPicture(34, 6);
  const std::vector<uint8_t> png = EncodePng(codec::DecodedPicture{p.data(), 34, 6});
  uint32_t hash = 2166136261u;
  for (uint8_t b : png) hash = (hash ^ b) * 16777619u;
  EXPECT_EQ(png.size(), 686u);
  EXPECT_EQ(hash, 1921839463u);
}

TEST(PictureFile, LargePicturesSpanManyStoredBlocksAndChecksumsMatchKnownValues) {
  EXPECT_EQ(0xCBF43926u, Crc32(reinterpret_cast<const uint8_t*>("123456789"), 9));
  EXPECT_EQ(0x11E60398u, Adler32(reinterpret_cast<const uint8_t*>("Wikipedia"), 9));
  std::vector<uint8_t> p = TestPicture(640, 480);
  const std::vector<uint8_t> png = EncodePng(codec::DecodedPicture{p.data(), 640, 480});
  // 480 rows of 1921 bytes in blocks of at most 65535: 15 blocks of 5 header bytes.
  EXPECT_EQ(8u + 25 + 12 + 2 + 15 * 5 + 480 * 1921 + 4 + 12, png.size());
  EXPECT_TRUE(EncodePng(codec::DecodedPicture{}).empty());
  EXPECT_TRUE(EncodeBmp(codec::DecodedPicture{}).empty());
}

TEST(PictureFile, FormatFollowsTheExtension) {
  EXPECT_EQ(PictureFormat::kBmp, PictureFormatFor("C:\\shots\\gate.BMP"));
  EXPECT_EQ(PictureFormat::kPng, PictureFormatFor("gate.png"));
  EXPECT_EQ(PictureFormat::kPng, PictureFormatFor("gate"));
}

}  // namespace
}  // namespace present
