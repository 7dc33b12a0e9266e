// Motion found in pictures as a camera makes them: a textured still scene
// with sensor noise and compression flicker must stay quiet for a minute,
// an object crossing it must start one event at once, and masks, light
// that shifts or scales the picture, whole-picture steps, specks, objects
// too small or too short, odd picture sizes and slow cameras must neither
// fire nor crash.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "node/media/motion_detector.h"

namespace node {
namespace {

// A still scene: a fixed texture, fresh noise in every picture, blocks that
// flicker as a coder's quantiser does, a brightness, and one dark square.
class Scene {
 public:
  Scene(int width, int height, uint32_t seed) : width_(width), height_(height), state_(seed) {
    texture_.resize(size_t(width) * height);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        texture_[size_t(y) * width + x] = uint8_t(60 + (x * 90) / width + (y * 40) / height + Next() % 40);
    noise_.resize(1 << 16);
    for (auto& n : noise_) n = int8_t(int(Next() % 13) - 6 + int(Next() % 5) - 2);  // about 3.5 levels
  }

  struct Square {
    int x = -1000, y = 0, size = 0;
    uint8_t luma = 20;
    int width = 0, height = 0;  // a rectangle instead, when set
  };

  // The texture times `gain`, plus `brightness`, with the square over it.
  const std::vector<uint8_t>& Picture(int brightness, const Square& square, double gain = 1.0) {
    const int right = square.x + (square.width ? square.width : square.size);
    const int bottom = square.y + (square.height ? square.height : square.size);
    picture_.resize(texture_.size());
    const uint32_t offset = Next();
    for (int by = 0; by < height_; by += 8)
      for (int bx = 0; bx < width_; bx += 8) {
        const int flicker = Next() % 10 == 0 ? int(Next() % 5) - 2 : 0;
        for (int y = by; y < std::min(by + 8, height_); ++y)
          for (int x = bx; x < std::min(bx + 8, width_); ++x) {
            const size_t i = size_t(y) * width_ + x;
            int v = int(texture_[i] * gain) + brightness + flicker + noise_[(i + offset) & 0xFFFF];
            if (x >= square.x && x < right && y >= square.y && y < bottom)
              v = square.luma + noise_[(i + offset) & 0xFFFF];
            picture_[i] = uint8_t(std::clamp(v, 0, 255));
          }
      }
    return picture_;
  }

 private:
  uint32_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }
  int width_, height_;
  uint32_t state_;
  std::vector<uint8_t> texture_, picture_;
  std::vector<int8_t> noise_;
};

struct Watched {
  int started = 0, ended = 0;
  std::vector<uint64_t> startedAt;  // the pictures that started them
  std::vector<MotionDetector::Event> events;
};

// Feeds `seconds` of pictures at `fps`, `picture(t)` the one at t ms.
using PictureAt = std::function<const std::vector<uint8_t>&(uint64_t)>;
Watched WatchPictures(MotionDetector& detector, int width, int height, int seconds, int fps, const PictureAt& picture) {
  Watched run;
  const uint64_t step = 1000 / fps;
  for (uint64_t t = 0; t < uint64_t(seconds) * 1000; t += step) {
    switch (detector.Feed(picture(t).data(), width, height, width, t)) {
      case MotionDetector::Change::kStarted:
        ++run.started;
        run.startedAt.push_back(t);
        break;
      case MotionDetector::Change::kEnded:
        ++run.ended;
        run.events.push_back(detector.LastEvent());
        break;
      case MotionDetector::Change::kNone: break;
    }
  }
  if (detector.Finish(uint64_t(seconds) * 1000) == MotionDetector::Change::kEnded) {
    ++run.ended;
    run.events.push_back(detector.LastEvent());
  }
  return run;
}

// The same with `square(t)` placing the square over the scene.
template <typename SquareAt>
Watched Watch(MotionDetector& detector, Scene& scene, int width, int height, int seconds, int fps, SquareAt square) {
  return WatchPictures(detector, width, height, seconds, fps,
                       [&](uint64_t t) -> const std::vector<uint8_t>& { return scene.Picture(0, square(t)); });
}

auto NoSquare = [](uint64_t) { return Scene::Square(); };

// A square (64 pixels unless said) crossing from left to right between `from` and `to` ms.
auto Crossing(uint64_t from, uint64_t to, int width, int y = 80, int size = 64) {
  return [=](uint64_t t) {
    Scene::Square s;
    if (t < from || t >= to) return s;
    s.size = size;
    s.y = y;
    s.x = int(-size + (width + size) * double(t - from) / double(to - from));
    return s;
  };
}

TEST(MotionDetector, AStillNoisySceneStaysQuietForAMinute) {
  for (int level : {5, 8}) {
    MotionDetector detector;
    detector.SetSensitivity(level);
    Scene scene(320, 240, 7);
    const Watched run = Watch(detector, scene, 320, 240, 60, 25, NoSquare);
    EXPECT_EQ(run.started, 0) << "false events at sensitivity " << level;
  }
}

TEST(MotionDetector, AnObjectCrossingStartsOneEventAtOnceEvenForASlowCamera) {
  MotionDetector slow;
  Scene scene(320, 240, 11), other(320, 240, 31);
  EXPECT_EQ(Watch(slow, other, 320, 240, 40, 1, Crossing(20000, 26000, 320)).started, 1) << "one picture a second";
  MotionDetector detector;
  const Watched run = Watch(detector, scene, 320, 240, 30, 25, Crossing(20000, 24000, 320));
  ASSERT_EQ(run.started, 1);
  ASSERT_EQ(run.events.size(), 1u);
  const MotionDetector::Event& e = run.events[0];
  EXPECT_GE(e.startMs, 20000u);
  EXPECT_LE(e.startMs, 20500u) << "the event started late";
  EXPECT_GE(e.startMs + e.lengthMs, 23000u) << "the event ended while the square still crossed";
  EXPECT_GT(e.largestArea, 0.03);
  EXPECT_LT(e.largestArea, 0.2);
}

TEST(MotionDetector, MaskedCellsNeverFire) {
  MotionDetector detector;
  MotionDetector::Mask band;  // the rows the square crosses, 80..144 of 240
  for (int r = 7; r <= 15; ++r)
    for (int c = 0; c < MotionDetector::kColumns; ++c) band.set(size_t(r * MotionDetector::kColumns + c));
  detector.SetMask(band);
  detector.SetSensitivity(10);
  Scene scene(320, 240, 13);
  EXPECT_EQ(Watch(detector, scene, 320, 240, 20, 25, Crossing(10000, 14000, 320)).started, 0);

  // Every cell masked: nothing is watched, so nothing to average or divide by.
  MotionDetector blind;
  blind.SetMask(MotionDetector::Mask().set());
  blind.SetSensitivity(10);
  EXPECT_EQ(Watch(blind, scene, 320, 240, 20, 25, Crossing(10000, 14000, 320)).started, 0);
}

// Light over the whole picture is not motion, however it changes: shifted
// or scaled, slowly or in one step; nor is a scene replaced in one picture.
TEST(MotionDetector, LightAndWholePictureStepsStartNothing) {
  struct Case {
    const char* what;
    std::function<int(uint64_t)> brightness;
    std::function<double(uint64_t)> gain;
    bool swapScene = false;  // another scene from 15 s on (the camera turned)
  };
  auto none = [](uint64_t) { return 0; };
  auto unit = [](uint64_t) { return 1.0; };
  const Case cases[] = {
      // Bright parts saturate, so not every cell shifts alike.
      {"switched on", [](uint64_t t) { return t < 10000 ? 0 : 90; }, unit},
      {"dusk", [](uint64_t t) { return -int(t / 500); }, unit},
      {"light doubling over 2 s and halving again", none,
       [](uint64_t t) { return t < 10000 ? 0.5 : t < 12000 ? 0.5 + double(t - 10000) / 4000 : t < 20000 ? 1.0
                               : t < 22000 ? 1.0 - double(t - 20000) / 4000 : 0.5; }},
      {"exposure stepping a quarter stop up and down", none,
       [](uint64_t t) { static const int kSteps[] = {0, 1, 2, 1, 0, -1, -2, -1}; return 0.7 * std::pow(2.0, kSteps[t / 2500 % 8] / 4.0); }},
      {"scene replaced", none, unit, true},
  };
  for (const Case& c : cases) {
    MotionDetector detector;
    Scene scene(320, 240, 17), other(320, 240, 18);
    const Watched run = WatchPictures(detector, 320, 240, 30, 25, [&](uint64_t t) -> const std::vector<uint8_t>& {
      return (c.swapScene && t >= 15000 ? other : scene).Picture(c.brightness(t), Scene::Square(), c.gain(t));
    });
    EXPECT_EQ(run.started, 0) << c.what;
  }
}

// Specks in different places in every picture (rain, snow, insects at
// night) never add up to an event, even at a high sensitivity.
TEST(MotionDetector, SpecksNeverAddUpToAnEvent) {
  MotionDetector detector;
  detector.SetSensitivity(8);
  Scene scene(320, 240, 37);
  std::vector<uint8_t> picture;
  uint32_t state = 99;
  auto next = [&] { return state = state * 1664525u + 1013904223u; };
  const Watched run = WatchPictures(detector, 320, 240, 40, 25, [&](uint64_t) -> const std::vector<uint8_t>& {
    picture = scene.Picture(0, Scene::Square());
    for (int k = 0; k < 25; ++k) {
      const int x0 = int(next() >> 8) % 316, y0 = int(next() >> 8) % 236;
      for (int y = y0; y < y0 + 4; ++y)
        for (int x = x0; x < x0 + 4; ++x) picture[size_t(y) * 320 + x] = uint8_t(std::min(255, picture[size_t(y) * 320 + x] + 90));
    }
    return picture;
  });
  EXPECT_EQ(run.started, 0);
}

// A still dark rectangle of whole cells (the grid's cells are 10 x 10
// pixels at 320 x 240) shown from 10 s on: it starts an event only when it
// is as large as the minimum object and stays as long as the minimum
// duration; the event then begins with it and is told that much later.
TEST(MotionDetector, AnEventNeedsTheMinimumSizeAndDuration) {
  struct Case {
    int minCells, minDurationMs, columns, rows;
    uint64_t shownMs;
    bool fires;
  };
  const Case cases[] = {
      {3, 300, 2, 1, 4000, false}, {2, 300, 2, 1, 4000, true}, {3, 300, 3, 1, 4000, true},
      {3, 300, 2, 2, 200, false},  {3, 0, 2, 2, 200, true},    {3, 1000, 2, 2, 800, false},
      {3, 1000, 2, 2, 1500, true},
  };
  for (const Case& c : cases) {
    MotionDetector detector;
    detector.SetSensitivity(8);
    detector.SetMinObjectCells(c.minCells);
    detector.SetMinDurationMs(c.minDurationMs);
    Scene scene(320, 240, 41);
    auto rectangle = [&](uint64_t t) {
      Scene::Square s;
      if (t >= 10000 && t < 10000 + c.shownMs) s = {100, 120, 0, 20, c.columns * 10, c.rows * 10};
      return s;
    };
    const Watched run = Watch(detector, scene, 320, 240, 16, 25, rectangle);
    const std::string what = std::to_string(c.columns * c.rows) + " cells for " + std::to_string(c.shownMs) +
                             " ms, minimum " + std::to_string(c.minCells) + " cells, " + std::to_string(c.minDurationMs);
    ASSERT_EQ(run.started, c.fires ? 1 : 0) << what;
    if (!c.fires) continue;
    EXPECT_EQ(run.events[0].startMs, 10000u) << what;
    EXPECT_GE(run.startedAt[0], 10000u + c.minDurationMs) << what;
    EXPECT_LE(run.startedAt[0], 10000u + c.minDurationMs + 80) << what;
  }
}

TEST(MotionDetector, OddPicturesNeitherFireNorCrash) {
  MotionDetector detector;
  detector.SetSensitivity(10);
  for (uint8_t level : {uint8_t{0}, uint8_t{255}}) {
    std::vector<uint8_t> flat(176 * 144, level);
    for (uint64_t t = 0; t < 5000; t += 40)
      EXPECT_EQ(detector.Feed(flat.data(), 176, 144, 176, t), MotionDetector::Change::kNone);
  }
  // Too small for the grid, or no picture at all: ignored.
  std::vector<uint8_t> tiny(16 * 16, 0);
  EXPECT_EQ(detector.Feed(tiny.data(), 16, 16, 16, 6000), MotionDetector::Change::kNone);
  EXPECT_EQ(detector.Feed(nullptr, 320, 240, 320, 6040), MotionDetector::Change::kNone);

  // The camera changes its picture size in the middle of a motion: the event
  // ends, and the grid follows the new size.
  MotionDetector resized;
  Scene small(176, 144, 23), large(640, 480, 29);
  Watched first = Watch(resized, small, 176, 144, 6, 25, Crossing(3000, 6000, 176, 40));
  EXPECT_EQ(first.started, 1);
  Watched second = Watch(resized, large, 640, 480, 10, 25, Crossing(5000, 8000, 640, 200, 128));
  EXPECT_EQ(second.started, 1);
}

}  // namespace
}  // namespace node
