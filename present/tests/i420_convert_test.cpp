// The converters against a per-pixel reference written out plainly here:
// every output sample at its position, the destination pitch honoured and
// nothing written outside the picture; the SSE2 converters equal the plain
// ones bit for bit.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>
#include <vector>

#include "present/i420_convert.h"
#include "present/render_modes.h"

namespace present {
namespace {

constexpr uint8_t kGuard = 0xA5;

struct Picture {
  int width, height;
  std::vector<uint8_t> data;
  Picture(int w, int h) : width(w), height(h), data(size_t(w) * h * 3 / 2) {}
  uint8_t& Y(int x, int y) { return data[size_t(y) * width + x]; }
  uint8_t& Cb(int x, int y) { return data[size_t(width) * height + size_t(y) * (width / 2) + x]; }
  uint8_t& Cr(int x, int y) {
    return data[size_t(width) * height + size_t(width / 2) * (height / 2) + size_t(y) * (width / 2) + x];
  }
  // The chroma of the 2x2 block a pixel belongs to.
  int CbAt(int x, int y) { return Cb(x / 2, y / 2); }
  int CrAt(int x, int y) { return Cr(x / 2, y / 2); }
};

Picture RandomPicture(int w, int h, unsigned seed) {
  Picture p(w, h);
  std::mt19937 rng(seed);
  for (auto& b : p.data) b = uint8_t(rng());
  return p;
}

// Eight vertical bars (white, yellow, cyan, green, magenta, red, blue, black)
// in full-range YCbCr, made from their RGB values with the inverse formulas.
const int kBarRgb[8][3] = {{255, 255, 255}, {255, 255, 0}, {0, 255, 255}, {0, 255, 0},
                           {255, 0, 255},   {255, 0, 0},   {0, 0, 255},   {0, 0, 0}};

Picture ColourBars(int w, int h) {
  Picture p(w, h);
  auto bar = [&](int x) { return kBarRgb[x * 8 / w]; };
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int* c = bar(x);
      p.Y(x, y) = uint8_t(std::lround(0.299 * c[0] + 0.587 * c[1] + 0.114 * c[2]));
    }
  for (int y = 0; y < h / 2; ++y)
    for (int x = 0; x < w / 2; ++x) {
      const int* c = bar(2 * x);
      p.Cb(x, y) = uint8_t(std::clamp(std::lround(128 - 0.168736 * c[0] - 0.331264 * c[1] + 0.5 * c[2]), 0l, 255l));
      p.Cr(x, y) = uint8_t(std::clamp(std::lround(128 + 0.5 * c[0] - 0.418688 * c[1] - 0.081312 * c[2]), 0l, 255l));
    }
  return p;
}

struct Rgb {
  int r, g, b;
};

// The conversion formulas in floating point, rounded and clipped.
Rgb Reference(int y, int cb, int cr) {
  auto clip = [](double v) { return int(std::clamp(std::lround(v), 0l, 255l)); };
  return {clip(y + 1.402 * (cr - 128)), clip(y - 0.344 * (cb - 128) - 0.714 * (cr - 128)),
          clip(y + 1.772 * (cb - 128))};
}

Rgb ReferenceAt(Picture& p, int x, int y) { return Reference(p.Y(x, y), p.CbAt(x, y), p.CrAt(x, y)); }

// A destination of `rows` rows at `pitch`, plus a guard row, filled with kGuard.
std::vector<uint8_t> Destination(int pitch, int rows) { return std::vector<uint8_t>(size_t(pitch) * (rows + 1), kGuard); }

void ExpectGuardsUntouched(const std::vector<uint8_t>& dst, int pitch, int rows, int row_bytes, const char* what) {
  for (int r = 0; r < rows; ++r)
    for (int i = row_bytes; i < pitch; ++i)
      ASSERT_EQ(kGuard, dst[size_t(r) * pitch + i]) << what << ": row " << r << " byte " << i << " is past the row";
  for (int i = 0; i < pitch; ++i) ASSERT_EQ(kGuard, dst[size_t(rows) * pitch + i]) << what << ": past the last row";
}

void ExpectNear(const Rgb& want, int r, int g, int b, int tolerance, int x, int y, const char* what) {
  ASSERT_LE(std::abs(want.r - r), tolerance) << what << " red at " << x << "," << y;
  ASSERT_LE(std::abs(want.g - g), tolerance) << what << " green at " << x << "," << y;
  ASSERT_LE(std::abs(want.b - b), tolerance) << what << " blue at " << x << "," << y;
}

struct Size {
  int width, height, pitchExtra;
};
// Odd pitches, widths with and without a tail past 16-pixel groups, one row pair.
const Size kSizes[] = {{2, 2, 1}, {16, 2, 0}, {34, 6, 3}, {48, 10, 7}, {176, 144, 5}, {640, 480, 0}};

TEST(RgbConverters, FollowTheFormulasPixelByPixel) {
  for (const Size& s : kSizes) {
    for (int kind = 0; kind < 2; ++kind) {
      Picture p = kind == 0 ? RandomPicture(s.width, s.height, 7u + unsigned(s.width)) : ColourBars(s.width, s.height);
      SCOPED_TRACE(::testing::Message() << s.width << "x" << s.height << (kind ? " colour bars" : " random"));

      const int pitch32 = s.width * 4 + s.pitchExtra * 4;
      auto rgb32 = Destination(pitch32, s.height);
      ConvertToRgb32Plain(p.data.data(), rgb32.data(), s.width, s.height, pitch32);
      const int pitchDib = s.width * 3 + s.pitchExtra;
      auto dib = Destination(pitchDib, s.height);
      ConvertToDibPlain(p.data.data(), dib.data(), s.width, s.height, pitchDib);
      const int pitch16 = s.width * 2 + s.pitchExtra * 2;
      auto rgb565 = Destination(pitch16, s.height), rgb555 = Destination(pitch16, s.height);
      ConvertToRgb565(p.data.data(), rgb565.data(), s.width, s.height, pitch16);
      ConvertToRgb555(p.data.data(), rgb555.data(), s.width, s.height, pitch16);

      for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x) {
          const Rgb want = ReferenceAt(p, x, y);
          const uint8_t* q = &rgb32[size_t(y) * pitch32 + 4 * x];
          ExpectNear(want, q[2], q[1], q[0], 1, x, y, "RGB32");
          ASSERT_EQ(kGuard, q[3]) << "RGB32 leaves the fourth byte as it was";
          // The DIB's picture row y sits at buffer row height - 1 - y.
          const uint8_t* d = &dib[size_t(s.height - 1 - y) * pitchDib + 3 * x];
          ExpectNear(want, d[2], d[1], d[0], 1, x, y, "DIB");
          const unsigned v565 = rgb565[size_t(y) * pitch16 + 2 * x] | rgb565[size_t(y) * pitch16 + 2 * x + 1] << 8;
          ExpectNear({want.r >> 3, want.g >> 2, want.b >> 3}, v565 >> 11, (v565 >> 5) & 63, v565 & 31, 1, x, y,
                     "RGB565");
          const unsigned v555 = rgb555[size_t(y) * pitch16 + 2 * x] | rgb555[size_t(y) * pitch16 + 2 * x + 1] << 8;
          ASSERT_EQ(0u, v555 >> 15) << "RGB555 leaves the top bit clear";
          ExpectNear({want.r >> 3, want.g >> 3, want.b >> 3}, v555 >> 10, (v555 >> 5) & 31, v555 & 31, 1, x, y,
                     "RGB555");
        }
      ExpectGuardsUntouched(dib, pitchDib, s.height, s.width * 3, "DIB");
      ExpectGuardsUntouched(rgb565, pitch16, s.height, s.width * 2, "RGB565");
      ExpectGuardsUntouched(rgb555, pitch16, s.height, s.width * 2, "RGB555");
      ExpectGuardsUntouched(rgb32, pitch32, s.height, s.width * 4, "RGB32");
    }
  }
}

TEST(YuvConverters, PlanarFormatsPlaceEachPlane) {
  for (const Size& s : kSizes) {
    if (s.width % 4 || s.height % 4) continue;  // YVU9 needs 4x4 blocks
    SCOPED_TRACE(::testing::Message() << s.width << "x" << s.height);
    Picture p = RandomPicture(s.width, s.height, 99u);
    const int pitch = s.width + 4 * s.pitchExtra;  // P/2 and P/4 stay whole
    const size_t lumaBytes = size_t(pitch) * s.height;
    struct Case {
      ConvertFn convert;
      bool crFirst;
    };
    for (const Case& c : {Case{ConvertToYV12, true}, Case{ConvertToI420, false}}) {
      std::vector<uint8_t> out(lumaBytes * 2, kGuard);
      c.convert(p.data.data(), out.data(), s.width, s.height, pitch);
      const uint8_t* first = &out[lumaBytes];
      const uint8_t* second = first + size_t(pitch / 2) * (s.height / 2);
      for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x) ASSERT_EQ(p.Y(x, y), out[size_t(y) * pitch + x]);
      for (int y = 0; y < s.height / 2; ++y)
        for (int x = 0; x < s.width / 2; ++x) {
          const uint8_t cr = first[size_t(y) * (pitch / 2) + x], cb = second[size_t(y) * (pitch / 2) + x];
          ASSERT_EQ(c.crFirst ? p.Cr(x, y) : p.Cb(x, y), cr) << "first chroma plane at " << x << "," << y;
          ASSERT_EQ(c.crFirst ? p.Cb(x, y) : p.Cr(x, y), cb) << "second chroma plane at " << x << "," << y;
        }
      EXPECT_EQ(kGuard, second[size_t(pitch / 2) * (s.height / 2)]) << "written past the second chroma plane";
    }

    std::vector<uint8_t> yvu9(lumaBytes * 2, kGuard);
    ConvertToYVU9(p.data.data(), yvu9.data(), s.width, s.height, pitch);
    const uint8_t* cr = &yvu9[lumaBytes];
    const uint8_t* cb = cr + size_t(pitch / 4) * (s.height / 4);
    for (int y = 0; y < s.height / 4; ++y)
      for (int x = 0; x < s.width / 4; ++x) {
        // Every second sample of every second chroma row.
        ASSERT_EQ(p.Cr(2 * x, 2 * y), cr[size_t(y) * (pitch / 4) + x]) << "YVU9 Cr at " << x << "," << y;
        ASSERT_EQ(p.Cb(2 * x, 2 * y), cb[size_t(y) * (pitch / 4) + x]) << "YVU9 Cb at " << x << "," << y;
      }
    EXPECT_EQ(kGuard, cb[size_t(pitch / 4) * (s.height / 4)]) << "YVU9 wrote past its Cb plane";
  }
}

TEST(YuvConverters, PackedFormatsPairPixelsWithTheirChroma) {
  for (const Size& s : kSizes) {
    SCOPED_TRACE(::testing::Message() << s.width << "x" << s.height);
    Picture p = RandomPicture(s.width, s.height, 5u);
    const int pitch = s.width * 2 + 2 * s.pitchExtra;
    auto yuy2 = Destination(pitch, s.height), uyvy = Destination(pitch, s.height);
    ConvertToYUY2(p.data.data(), yuy2.data(), s.width, s.height, pitch);
    ConvertToUYVY(p.data.data(), uyvy.data(), s.width, s.height, pitch);
    for (int y = 0; y < s.height; ++y)
      for (int x = 0; x < s.width; x += 2) {
        const uint8_t* a = &yuy2[size_t(y) * pitch + 2 * x];
        const uint8_t* b = &uyvy[size_t(y) * pitch + 2 * x];
        const uint8_t y0 = p.Y(x, y), cb = uint8_t(p.CbAt(x, y)), y1 = p.Y(x + 1, y), cr = uint8_t(p.CrAt(x, y));
        ASSERT_EQ((std::vector<uint8_t>{y0, cb, y1, cr}), std::vector<uint8_t>(a, a + 4)) << "YUY2 at " << x << "," << y;
        ASSERT_EQ((std::vector<uint8_t>{cb, y0, cr, y1}), std::vector<uint8_t>(b, b + 4)) << "UYVY at " << x << "," << y;
      }
    ExpectGuardsUntouched(yuy2, pitch, s.height, s.width * 2, "YUY2");
    ExpectGuardsUntouched(uyvy, pitch, s.height, s.width * 2, "UYVY");
  }
}

TEST(Converters, EveryModeHasItsConverterAndTheRefusedOneNone) {
  const std::pair<uint32_t, ConvertFn> modes[] = {
      {kFourccYV12, ConvertToYV12}, {kFourccI420, ConvertToI420}, {kFourccIYUV, ConvertToI420},
      {kFourccYVU9, ConvertToYVU9}, {kFourccYUY2, ConvertToYUY2}, {kFourccUYVY, ConvertToUYVY},
      {kModeRgb565, ConvertToRgb565}, {kModeRgb555, ConvertToRgb555}, {kModeRgb32, ActiveConverters().rgb32},
      {kModeDib, ActiveConverters().dib}, {kModeRgb24, nullptr}, {kModeNone, nullptr}};
  for (const auto& [mode, converter] : modes) EXPECT_EQ(converter, ConverterFor(mode)) << std::hex << mode;
  if (os::DetectCpuFeatures().sse2) {
    ConverterTable sse2;
    InitPlainConverters(sse2);
    InitSse2Converters(sse2);
    EXPECT_EQ(sse2.rgb32, ActiveConverters().rgb32) << "a processor with SSE2 gets the SSE2 converters";
  }
}

TEST(Sse2Converters, EqualThePlainOnesOnEveryByte) {
  ConverterTable plain, sse2;
  InitPlainConverters(plain);
  InitPlainConverters(sse2);
  if (!os::DetectCpuFeatures().sse2 || !InitSse2Converters(sse2)) GTEST_SKIP() << "no SSE2 here";
  std::mt19937 rng(2024);
  for (const Size& s : kSizes) {
    for (int round = 0; round < 4; ++round) {
      SCOPED_TRACE(::testing::Message() << s.width << "x" << s.height << " round " << round);
      Picture p = RandomPicture(s.width, s.height, rng());
      if (round == 3) {  // extremes: clipping at both ends
        for (auto& b : p.data) b = (rng() & 1) ? 255 : 0;
      }
      struct Kind {
        ConvertFn a, b;
        int bytes;
      };
      for (const Kind& k : {Kind{plain.rgb32, sse2.rgb32, 4}, Kind{plain.dib, sse2.dib, 3}}) {
        const int pitch = s.width * k.bytes + s.pitchExtra * (k.bytes == 4 ? 4 : 1);
        std::vector<uint8_t> a(size_t(pitch) * (s.height + 1));
        for (auto& b : a) b = uint8_t(rng());
        std::vector<uint8_t> b = a;
        k.a(p.data.data(), a.data(), s.width, s.height, pitch);
        k.b(p.data.data(), b.data(), s.width, s.height, pitch);
        for (size_t i = 0; i < a.size(); ++i)
          ASSERT_EQ(a[i], b[i]) << (k.bytes == 4 ? "RGB32" : "DIB") << " row " << i / size_t(pitch) << " byte "
                                << i % size_t(pitch);
      }
    }
  }
}

TEST(SnapshotConversion, PlanesWithTheirOwnStrideComeOutBottomUp) {
  // 2x2 picture: top row black, bottom row white, neutral chroma.
  const uint8_t y[4] = {0, 0, 255, 255}, u[1] = {128}, v[1] = {128};
  uint8_t out[2 * 8] = {};
  I420ToBgr24BottomUp(y, u, v, 2, 2, out, 8);
  EXPECT_EQ(255, out[0]) << "the bottom row of the picture comes first";
  EXPECT_EQ(0, out[8]);
  EXPECT_EQ(0, out[6]) << "padding past 3 * width is left alone";
}

}  // namespace
}  // namespace present
