// Snapshot files: a BMP and a PNG of a known picture read back, field by
// field and pixel by pixel, with the checks a PNG reader makes (chunk CRCs,
// the zlib header, stored-block lengths, Adler-32).
#include <gtest/gtest.h>

#include <vector>

#include "net/byte_order.h"
#include "present/i420_convert.h"
#include "present/picture_file.h"

namespace present {
namespace {

uint32_t BE32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

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
  EXPECT_EQ('B', bmp[0]);
  EXPECT_EQ('M', bmp[1]);
  EXPECT_EQ(bmp.size(), net::GetLE32(&bmp[2]));
  EXPECT_EQ(54u, net::GetLE32(&bmp[10]));
  EXPECT_EQ(uint32_t(w), net::GetLE32(&bmp[18]));
  EXPECT_EQ(uint32_t(h), net::GetLE32(&bmp[22]));
  EXPECT_EQ(24, bmp[28]);
  EXPECT_EQ(Reference(p, w, h, stride), std::vector<uint8_t>(bmp.begin() + 54, bmp.end()));
}

TEST(PictureFile, PngIsValidAndHoldsTheSamePixelsTopDown) {
  const int w = 34, h = 6, stride = 104;
  std::vector<uint8_t> p = TestPicture(w, h);
  const std::vector<uint8_t> png = EncodePng(codec::DecodedPicture{p.data(), w, h});
  const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  ASSERT_GT(png.size(), 8u);
  ASSERT_TRUE(std::equal(signature, signature + 8, png.begin()));
  std::vector<std::string> chunks;
  std::vector<uint8_t> idat;
  for (size_t at = 8; at + 12 <= png.size();) {
    const uint32_t length = BE32(&png[at]);
    ASSERT_LE(at + 12 + length, png.size());
    const std::string type(png.begin() + long(at) + 4, png.begin() + long(at) + 8);
    EXPECT_EQ(BE32(&png[at + 8 + length]), Crc32(&png[at + 4], length + 4)) << type;
    if (type == "IHDR") {
      EXPECT_EQ(uint32_t(w), BE32(&png[at + 8]));
      EXPECT_EQ(uint32_t(h), BE32(&png[at + 12]));
      EXPECT_EQ(8, png[at + 16]);
      EXPECT_EQ(2, png[at + 17]);
    }
    if (type == "IDAT") idat.insert(idat.end(), png.begin() + long(at) + 8, png.begin() + long(at) + 8 + length);
    chunks.push_back(type);
    at += 12 + length;
  }
  EXPECT_EQ((std::vector<std::string>{"IHDR", "IDAT", "IEND"}), chunks);
  // zlib: header, stored blocks (LEN and its complement), Adler-32 of the data.
  ASSERT_GE(idat.size(), 2u + 5u + 4u);
  EXPECT_EQ(0, (idat[0] * 256 + idat[1]) % 31) << "zlib header check";
  std::vector<uint8_t> raw;
  size_t at = 2;
  for (bool last = false; !last;) {
    ASSERT_LE(at + 5, idat.size());
    last = idat[at] & 1;
    EXPECT_EQ(0, idat[at] & 6) << "stored block";
    const uint16_t len = uint16_t(idat[at + 1] | idat[at + 2] << 8);
    const uint16_t nlen = uint16_t(idat[at + 3] | idat[at + 4] << 8);
    EXPECT_EQ(uint16_t(~len), nlen);
    ASSERT_LE(at + 5 + len, idat.size());
    raw.insert(raw.end(), idat.begin() + long(at) + 5, idat.begin() + long(at) + 5 + len);
    at += 5 + len;
  }
  ASSERT_EQ(at + 4, idat.size());
  EXPECT_EQ(BE32(&idat[at]), Adler32(raw.data(), raw.size()));
  ASSERT_EQ(size_t(w * 3 + 1) * h, raw.size());
  const std::vector<uint8_t> bgr = Reference(p, w, h, stride);
  for (int y = 0; y < h; ++y) {
    const uint8_t* row = &raw[size_t(y) * (w * 3 + 1)];
    EXPECT_EQ(0, row[0]) << "filter none";
    const uint8_t* ref = &bgr[size_t(h - 1 - y) * stride];
    for (int x = 0; x < w; ++x) {
      ASSERT_EQ(ref[3 * x + 2], row[1 + 3 * x]) << x << "," << y;
      ASSERT_EQ(ref[3 * x], row[1 + 3 * x + 2]) << x << "," << y;
    }
  }
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
