// Opaque runs of small hand-drawn pictures, the tolerance around the
// transparent colour and the byte order it is compared in.
#include "skin/region_runs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace skin {
namespace {

constexpr uint32_t kMagenta = 0xFF00FF;

// A 32-bit picture from rows of characters: '.' is the colour `clear`
// (0x00BBGGRR, as a skin names it), '#' is dark grey. Stored bottom-up like
// the region cutter's copy.
struct Picture {
  int width, height;
  std::vector<uint8_t> bytes;
  const uint8_t* top() const { return bytes.data() + 4 * width * (height - 1); }
  ptrdiff_t stride() const { return -4 * static_cast<ptrdiff_t>(width); }
};

Picture Draw(const std::vector<std::string>& rows, uint32_t clear = kMagenta) {
  Picture p{static_cast<int>(rows[0].size()), static_cast<int>(rows.size()), {}};
  for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
    for (char c : *row) {
      // Memory order blue, green, red, unused; `clear` is 0x00BBGGRR.
      uint32_t bgr = c == '.' ? clear : 0x303030;
      p.bytes.insert(p.bytes.end(), {static_cast<uint8_t>(bgr >> 16), static_cast<uint8_t>(bgr >> 8),
                                     static_cast<uint8_t>(bgr), 0});
    }
  }
  return p;
}

std::vector<RunRect> Runs(const Picture& p, uint32_t colour = kMagenta) {
  return FindOpaqueRuns(p.top(), p.stride(), p.width, p.height, TransparentTest(colour));
}

TEST(RegionRuns, RowRunsOfHandDrawnPictures) {
  struct Case {
    const char* what;
    std::vector<std::string> rows;
    std::vector<RunRect> expected;
  };
  const Case cases[] = {
      {"a rounded corner panel",
       {".####.",
        "######",
        ".####."},
       {{1, 0, 5, 1}, {0, 1, 6, 2}, {1, 2, 5, 3}}},
      {"two runs in one row, top row first",
       {"##..#",
        ".....",
        "#...."},
       {{0, 0, 2, 1}, {4, 0, 5, 1}, {0, 2, 1, 3}}},
      {"runs touching both edges",
       {"#.#.#"},
       {{0, 0, 1, 1}, {2, 0, 3, 1}, {4, 0, 5, 1}}},
      {"a ring",
       {"###",
        "#.#",
        "###"},
       {{0, 0, 3, 1}, {0, 1, 1, 2}, {2, 1, 3, 2}, {0, 2, 3, 3}}},
      {"all transparent", {"....", "...."}, {}},
  };
  for (const Case& c : cases) EXPECT_EQ(Runs(Draw(c.rows)), c.expected) << c.what;
}

TEST(RegionRuns, TopDownPicturesGiveTheSameRuns) {
  Picture p = Draw({"#...", "..##"});
  // The same pixels with rows in top-down order.
  std::vector<uint8_t> top_down;
  for (int y = p.height - 1; y >= 0; --y)
    top_down.insert(top_down.end(), p.bytes.begin() + 4 * p.width * y, p.bytes.begin() + 4 * p.width * (y + 1));
  EXPECT_EQ(FindOpaqueRuns(top_down.data(), 4 * p.width, p.width, p.height, TransparentTest(kMagenta)), Runs(p));
}

// One pixel of colour 0x00BBGGRR in a 1x1 picture: transparent or not.
bool Clear(uint32_t pixel, uint32_t colour) { return Runs(Draw({"."}, pixel), colour).empty(); }

TEST(RegionRuns, GreyToleranceIsEightEitherSide) {
  const uint32_t grey = 0x808080;
  for (int d = -8; d <= 8; ++d) {
    uint32_t c = static_cast<uint32_t>(0x80 + d) * 0x010101;
    EXPECT_TRUE(Clear(c, grey)) << "grey off by " << d;
  }
  EXPECT_FALSE(Clear(0x777777, grey)) << "off by -9";
  EXPECT_FALSE(Clear(0x898989, grey)) << "off by +9";
  EXPECT_FALSE(Clear(0x808089, grey)) << "one channel off by +9";
  EXPECT_TRUE(Clear(0x888078, grey)) << "each channel within 8, in different directions";
}

TEST(RegionRuns, RangesStopAtTheEndsOfAChannel) {
  // Channel 0: low 0, high 16. Channel 255: low 247, high 255.
  EXPECT_TRUE(Clear(0x101010, 0x000000));
  EXPECT_FALSE(Clear(0x111111, 0x000000));
  EXPECT_TRUE(Clear(0xF7F7F7, 0xFFFFFF));
  EXPECT_FALSE(Clear(0xF6F6F6, 0xFFFFFF));
}

TEST(RegionRuns, PixelBytesMeetTheColourRedFirst) {
  // The pixel's first byte in memory (its blue) is held against the colour's
  // red: for a pure red transparent colour, pure blue pixels are the clear
  // ones. Colours with equal red and blue (greys, magenta) are unaffected.
  const uint32_t red = 0x0000FF, blue = 0xFF0000;
  EXPECT_TRUE(Clear(blue, red));
  EXPECT_FALSE(Clear(red, red));
  EXPECT_TRUE(Clear(kMagenta, kMagenta));
}

}  // namespace
}  // namespace skin
