#include "app/recordings/timeline_scale.h"

#include <gtest/gtest.h>

namespace app::recordings {
namespace {

constexpr int64_t kHour = 3'600'000;
constexpr int64_t kDay0 = 1'700'000'000'000;  // any midnight will do

// From the whole day down to a minute, for a day of 23, 24 and 25 hours:
// every pixel's time maps back to that pixel, the shown span stays inside
// the day, and the time under the pointer stays under it.
TEST(TimelineScale, PixelsAndTimesAgreeAtEveryZoom) {
  for (int64_t hours : {23, 24, 25}) {
    TimelineScale s;
    s.SetDay(kDay0, kDay0 + hours * kHour);
    s.SetWidth(700);
    EXPECT_EQ(s.XAt(kDay0), 0);
    EXPECT_EQ(s.XAt(kDay0 + hours * kHour), 700);
    for (int zoom = 0; zoom < 14; ++zoom) {
      for (int x = 0; x < 700; x += 7) ASSERT_EQ(s.XAt(s.TimeAt(x)), x) << hours << " h, zoom " << zoom;
      EXPECT_GE(s.begin(), kDay0);
      EXPECT_LE(s.end(), kDay0 + hours * kHour);
      const int64_t under = s.TimeAt(500);
      s.Zoom(1, 500);
      if (s.begin() > kDay0 && s.end() < kDay0 + hours * kHour) {
        EXPECT_LE(std::abs(s.TimeAt(500) - under), s.shown() / 700 + 1) << "zoom moved the time under the pointer";
      }
    }
    EXPECT_EQ(s.shown(), TimelineScale::kMinShownMs);
    s.Zoom(-40, 0);
    EXPECT_EQ(s.shown(), hours * kHour) << "zoomed out past the day";
  }
}

TEST(TimelineScale, BandsAreClippedMergedAndNeverEmpty) {
  TimelineScale s;
  s.SetDay(kDay0, kDay0 + 24 * kHour);
  s.SetWidth(240);  // 6 minutes a pixel
  const std::vector<record::TimeSpan> spans = {
      {kDay0 - kHour, kDay0 + kHour},                       // from the day before
      {kDay0 + 2 * kHour, kDay0 + 2 * kHour + 1'000},       // one second
      {kDay0 + 2 * kHour + 60'000, kDay0 + 3 * kHour},      // touches it at pixel level
      {kDay0 + 23 * kHour, kDay0 + 25 * kHour},             // into the next
      {kDay0 + 30 * kHour, kDay0 + 31 * kHour}};            // not shown
  EXPECT_EQ(s.Place(spans), (std::vector<BandPixels>{{0, 10}, {20, 30}, {230, 240}}));
  s.Zoom(4, 20);  // 90 hours shown / 16: 1.5 h, from 01:52:30
  EXPECT_EQ(s.Place({{kDay0 + 2 * kHour, kDay0 + 2 * kHour + 1'000}}), (std::vector<BandPixels>{{20, 21}}));
  EXPECT_EQ(s.TickMs(60), 30 * 60'000);
}

}  // namespace
}  // namespace app::recordings
