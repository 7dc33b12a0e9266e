// The status line's figures: pictures shown per second and their coded
// bits, over the real time between two ticks, falling to 0 when none come.
#include <gtest/gtest.h>

#include "node/media/media_statistics.h"

namespace node {
namespace {

TEST(MediaStatistics, ReportWhatWasShownOverTheTimeBetweenTicks) {
  MediaStatistics statistics;
  EXPECT_EQ(statistics.StatusText(), "0 fps, 0 kbps");
  struct Step {
    int pictures;  // shown since the tick before, from a 25 fps camera
    uint64_t tick_ms;
    int fps;
    const char* why;
  };
  const Step steps[] = {
      {0, 10000, 0, "the first tick"},
      {25, 11000, 25, "a 25 fps camera"},
      {15, 12000, 15, "a 15 fps camera"},
      {30, 14000, 15, "a tick two seconds late spreads the pictures over both"},
      {8, 14500, 16, "an early tick"},
      {0, 15500, 0, "no pictures came"},
      {0, 16500, 0, "still none"},
  };
  for (const Step& step : steps) {
    for (int i = 0; i < step.pictures; ++i) statistics.CountShown(0);
    statistics.TickAt(step.tick_ms);
    EXPECT_EQ(statistics.FramesPerSecond(), step.fps) << step.why;
    if (step.pictures == 0) {
      EXPECT_EQ(statistics.StatusText(), "0 fps, 0 kbps") << step.why;
    }
  }
}

}  // namespace
}  // namespace node
