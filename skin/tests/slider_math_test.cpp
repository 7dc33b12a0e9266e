// The skinned slider's thumb placement and drag arithmetic, and the skin's
// lengths and pictures at a display's scale.
#include "skin/slider_math.h"

#include "skin/pixel_scale.h"

#include <gtest/gtest.h>

namespace skin {
namespace {

TEST(SliderMath, ThumbOffsetSharesTheTravelByPosition) {
  struct Case {
    SliderRange range;
    int position, length, thumb, margin;
    bool vertical;
    int expected;
  };
  const Case cases[] = {
      {{0, 100}, 0, 244, 12, 0, false, 0},
      {{0, 100}, 100, 244, 12, 0, false, 232},
      {{0, 100}, 50, 244, 12, 0, false, 116},
      {{0, 100}, 33, 244, 12, 0, false, 76},  // 33 x 232 / 100 = 76.56, cut down
      {{0, 100}, 50, 244, 12, 10, false, 10 + 106},
      {{-50, 50}, 0, 110, 10, 0, false, 50},
      {{0, 100}, 100, 244, 12, 0, true, 0},  // vertical: the maximum at the top
      {{0, 100}, 0, 244, 12, 0, true, 232},
      {{0, 100}, 25, 244, 12, 0, true, 174},
      {{5, 5}, 5, 244, 12, 3, false, 3},  // no range: the thumb rests at the margin
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ThumbOffset(c.range, c.position, c.length, c.thumb, c.margin, c.vertical), c.expected)
        << "position " << c.position << " range " << c.range.minimum << ".." << c.range.maximum
        << (c.vertical ? " vertical" : "");
  }
}

TEST(SliderMath, DragValueTruncatesAndClamps) {
  struct Case {
    SliderRange range;
    int current, pointer, length, thumb, margin;
    bool vertical;
    int expected;
  };
  const Case cases[] = {
      {{0, 100}, 0, 122, 244, 12, 0, false, 50},   // offset 116 of 232
      {{0, 100}, 0, 6, 244, 12, 0, false, 0},      // thumb centre at the left end
      {{0, 100}, 0, 238, 244, 12, 0, false, 100},  // and at the right end
      {{0, 100}, 0, 8, 244, 12, 0, false, 0},      // 2 x 100 / 232 = 0.86, truncated
      {{0, 100}, 0, 9, 244, 12, 0, false, 1},      // 3 x 100 / 232 = 1.29
      {{0, 100}, 50, -40, 244, 12, 0, false, 0},   // far left: clamped
      {{0, 100}, 50, 900, 244, 12, 0, false, 100}, // far right: clamped
      {{0, 10}, 0, 4, 244, 12, 0, false, 0},       // offset -2: trunc(-0.09) is 0, not -1
      {{0, 100}, 0, 122, 244, 12, 0, true, 50},
      {{0, 100}, 0, 9, 244, 12, 0, true, 99},      // vertical: maximum minus the share
      {{0, 100}, 0, 16, 244, 12, 10, false, 0},    // margin: offset 0
      {{0, 100}, 0, 132, 264, 12, 10, false, 50},  // offset 132 - 6 - 10 = 116 of 232
      {{0, 100}, 42, 50, 12, 12, 0, false, 42},    // no travel: the value stays
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DragValue(c.range, c.current, c.pointer, c.length, c.thumb, c.margin, c.vertical), c.expected)
        << "pointer " << c.pointer << " length " << c.length << " margin " << c.margin
        << (c.vertical ? " vertical" : "");
  }
}

TEST(SliderMath, VerticalWhenNotWiderThanTall) {
  EXPECT_FALSE(IsVertical(244, 20));
  EXPECT_TRUE(IsVertical(20, 244));
  EXPECT_TRUE(IsVertical(30, 30));
}

// Above 96 DPI the skin grows with the display, its pictures by whole
// pixels: every pixel shown is one of the picture's, none a blend.
TEST(PixelScale, PicturesGrowByRepeatingWholePixels) {
  const std::vector<uint32_t> picture = {1, 2, 3, 4,  //
                                         5, 6, 7, 8};
  const struct {
    int percent, width, height;
    std::vector<uint32_t> pixels;
  } cases[] = {
      {100, 4, 2, picture},
      {200, 8, 4, {1, 1, 2, 2, 3, 3, 4, 4, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 5, 5, 6, 6, 7, 7, 8, 8}},
      {150, 6, 3, {1, 2, 2, 3, 4, 4, 5, 6, 6, 7, 8, 8, 5, 6, 6, 7, 8, 8}},
  };
  for (const auto& c : cases) {
    int w = 0, h = 0;
    EXPECT_EQ(c.pixels, ScalePixels(picture, 4, 2, c.percent, &w, &h)) << c.percent;
    EXPECT_EQ(c.width, w);
    EXPECT_EQ(c.height, h);
  }
  EXPECT_EQ(498, ScaledLength(332, 150));
  EXPECT_EQ(415, ScaledLength(332, 125));
  int w = 0, h = 0;
  EXPECT_TRUE(ScalePixels({1, 2}, 4, 2, 150, &w, &h).empty()) << "fewer pixels than the size says";
}

}  // namespace
}  // namespace skin
