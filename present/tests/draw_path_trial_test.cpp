// Which drawing path a view keeps: quick DirectDraw pictures are kept
// without a try; slow ones are tried against GDI and the faster path kept,
// by the median picture, so a few pictures delayed by other work do not
// decide.
#include <gtest/gtest.h>

#include "present/draw_path_trial.h"

namespace present {
namespace {

using Verdict = DrawPathTrial::Verdict;

// `count` pictures of `us` microseconds, every tenth one slowed to `spike`.
Verdict Feed(DrawPathTrial& trial, size_t count, uint64_t us, uint64_t spike = 0) {
  Verdict v = trial.verdict();
  for (size_t i = 0; i < count; ++i) v = trial.Add(spike && i % 10 == 0 ? spike : us);
  return v;
}

TEST(DrawPathTrial, TheFasterPathIsKeptByItsMedianPicture) {
  const struct {
    uint64_t direct_draw, gdi;
    Verdict first, last;
  } cases[] = {
      {1500, 0, Verdict::kKeepDirectDraw, Verdict::kKeepDirectDraw},  // quick: no try
      {30000, 2500, Verdict::kTryGdi, Verdict::kKeepGdi},             // a software rasteriser
      {6000, 4000, Verdict::kTryGdi, Verdict::kKeepDirectDraw},      // slow, but GDI is not much quicker
  };
  for (const auto& c : cases) {
    DrawPathTrial trial;
    EXPECT_EQ(Feed(trial, DrawPathTrial::kPictures - 1, c.direct_draw, 90000), Verdict::kMeasuring);
    EXPECT_EQ(Feed(trial, 1, c.direct_draw), c.first) << c.direct_draw;
    if (c.first == Verdict::kTryGdi) {
      EXPECT_EQ(Feed(trial, DrawPathTrial::kPictures, c.gdi, 90000), c.last);
    }
    EXPECT_EQ(trial.direct_draw_us(), c.direct_draw);
    EXPECT_EQ(Feed(trial, 500, 100000), c.last) << "a decision stands";
  }
}

}  // namespace
}  // namespace present
