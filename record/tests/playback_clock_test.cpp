// The playback clock on fake time over made-up files: which picture each
// camera shows and what is decoded to reach it, across file boundaries, at
// every speed, over gaps, stepping and jumping.
#include "record/playback_clock.h"

#include <gtest/gtest.h>

#include <map>

#include "record/recording_names.h"
#include "recording_maker.h"

namespace record {
namespace {

// Files whose tracks exist only in memory: pictures every `step` ms with
// an intra picture every `gop`, sound every 64 ms.
class Library : public TrackSource {
 public:
  struct File {
    std::string camera;
    int64_t startMs;  // from the base second
    size_t pictures;
    int64_t step = 66;
    size_t gop = 15;
    bool motion = false;
  };
  explicit Library(const std::vector<File>& files) {
    LocalToWallSeconds(2026, 3, 14, 10, 0, 0, &base_);
    std::vector<FileFacts> facts;
    for (const File& f : files) {
      FileFacts fact;
      const int64_t start = base_ * 1000 + f.startMs;
      fact.path = testing::Stem(f.camera, start / 1000) + (f.motion ? "_motion" : "") + ".mp4";
      fact.creation = static_cast<uint32_t>(start / 1000);
      fact.firstTime = static_cast<uint32_t>(start % 1000);  // exact, as an export is
      fact.modified = start + int64_t(f.pictures) * f.step;
      fact.state = FileState::kFinished;
      auto track = std::make_shared<RecordingTrack>();
      for (size_t i = 0; i < f.pictures; ++i) track->video.push_back({0, 1, int64_t(i) * f.step, i % f.gop == 0});
      for (int64_t t = 0; t < int64_t(f.pictures) * f.step; t += 64) track->sound.push_back({0, 1, t, true});
      fact.pictures = static_cast<uint32_t>(f.pictures);
      fact.spans = SpansOfPictures(track->video);
      tracks_["/r/" + fact.path] = track;
      facts.push_back(fact);
    }
    catalog_ = RecordingsCatalog::Build({{"/r/", facts}}, {});
  }
  std::shared_ptr<const RecordingTrack> Track(const std::string& path) override { return tracks_.at(path); }
  std::shared_ptr<const RecordingsCatalog> catalog() const { return catalog_; }
  int64_t At(int64_t ms) const { return base_ * 1000 + ms; }

 private:
  int64_t base_ = 0;
  std::map<std::string, std::shared_ptr<const RecordingTrack>> tracks_;
  std::shared_ptr<const RecordingsCatalog> catalog_;
};

struct Fixture {
  explicit Fixture(const std::vector<Library::File>& files, std::vector<std::string> cameras = {"CAM-1"})
      : library(files), clock(library) {
    clock.SetCatalog(library.catalog());
    clock.SetCameras(cameras);
  }
  Library library;
  PlaybackClock clock;
  uint64_t now = 1000;
};

// Two files of a camera, the second going on where the first ended.
const std::vector<Library::File> kTwoFiles = {{"CAM-1", 0, 45}, {"CAM-1", 2970, 45}};

TEST(PlaybackClock, CrossesAFileBoundaryAtEverySpeedWithoutAGapOrAJump) {
  for (const PlaySpeed speed : kPlaySpeeds) {
    const std::string at = std::to_string(speed.num) + "/" + std::to_string(speed.den);
    Fixture f(kTwoFiles);
    f.clock.Seek(f.library.At(2000), f.now);
    f.clock.SetSpeed(speed, f.now);
    f.clock.SetPaused(false, f.now);
    std::string path;
    size_t picture = 0, shown = 0;
    while (f.clock.Position(f.now) < f.library.At(4500)) {
      const int64_t position = f.clock.Position(f.now);
      const PictureStep step = f.clock.Tick(f.now)[0];
      ASSERT_NE(step.kind, PictureStep::Kind::kNoRecording) << at;
      if (step.kind == PictureStep::Kind::kPicture) {
        ++shown;
        EXPECT_LE(step.time, position) << at;
        EXPECT_LT(position - step.time, 66) << at << ": the picture shown is not the one due";
        if (!path.empty() && step.path == path) {
          EXPECT_FALSE(step.restart) << at << ": decoding began anew inside a file at " << step.picture << " after " << picture;
          EXPECT_EQ(step.decodeFrom, picture + 1) << at << ": a picture was not decoded";
        }
        if (!path.empty() && step.path != path) {
          EXPECT_TRUE(step.restart) << at;
          EXPECT_EQ(step.decodeFrom, 0u) << at;
          EXPECT_EQ(picture, 44u) << at << ": the first file was left before its last picture";
        }
        path = step.path;
        picture = step.picture;
      }
      f.now = f.clock.NextDue(f.now);
    }
    EXPECT_GE(picture, 22u) << at;  // 4500 - 2970 = 1530 ms into the second file
    EXPECT_GE(shown, speed.num >= 4 ? 10u : 36u) << at;
  }
}

TEST(PlaybackClock, AHighSpeedDecodesNoMoreThanItsBudget) {
  Fixture f({{"CAM-1", 0, 900}});
  f.clock.SetDecodeBudget(3);
  f.clock.Seek(f.library.At(1000), f.now);
  f.clock.SetSpeed({16, 1}, f.now);
  f.clock.SetPaused(false, f.now);
  f.clock.Tick(f.now);  // the seek: exact, whatever it costs
  for (int tick = 0; tick < 40; ++tick) {
    f.now += 40;
    const PictureStep step = f.clock.Tick(f.now)[0];
    if (step.kind != PictureStep::Kind::kPicture) continue;
    EXPECT_LE(step.picture + 1 - step.decodeFrom, 3u) << "tick " << tick;
    EXPECT_TRUE(!step.restart || step.decodeFrom % 15 == 0) << "a restart not at an intra picture";
  }
}

TEST(PlaybackClock, StepsOnePictureAcrossTheBoundaryBothWays) {
  Fixture f(kTwoFiles);
  f.clock.Seek(f.library.At(2970), f.now);  // the second file's first picture
  PictureStep step = f.clock.Tick(f.now)[0];
  ASSERT_EQ(step.picture, 0u);
  const std::string second = step.path;
  f.clock.Step(-1, f.now);
  step = f.clock.Tick(f.now)[0];
  EXPECT_NE(step.path, second);
  EXPECT_EQ(step.picture, 44u);
  EXPECT_TRUE(step.restart);
  EXPECT_EQ(step.decodeFrom, 30u) << "back decodes from the intra picture before";
  EXPECT_EQ(f.clock.Position(f.now), f.library.At(44 * 66));
  f.clock.Step(-1, f.now);
  step = f.clock.Tick(f.now)[0];
  EXPECT_EQ(step.picture, 43u);
  EXPECT_EQ(step.decodeFrom, 30u);
  for (size_t expected : {44u, 0u, 1u}) {
    f.clock.Step(+1, f.now);
    step = f.clock.Tick(f.now)[0];
    EXPECT_EQ(step.picture, expected);
    EXPECT_EQ(step.decodeFrom, expected) << "forward decodes only the next picture";
  }
  EXPECT_TRUE(f.clock.Paused());
}

TEST(PlaybackClock, GapsShowNoRecordingAndPlayingGoesOnAtTheNextRecording) {
  Fixture f({{"CAM-1", 0, 30}, {"CAM-2", 0, 90}, {"CAM-1", 60000, 30}, {"CAM-1", 90000, 15, 66, 15, true}},
            {"CAM-1", "CAM-2"});
  f.clock.Seek(f.library.At(3000), f.now);
  std::vector<PictureStep> steps = f.clock.Tick(f.now);
  EXPECT_EQ(steps[0].kind, PictureStep::Kind::kNoRecording);
  EXPECT_EQ(steps[1].kind, PictureStep::Kind::kPicture);
  EXPECT_EQ(f.clock.Tick(f.now)[0].kind, PictureStep::Kind::kSame) << "told once";
  f.clock.SetPaused(false, f.now);
  f.now += 5000;  // both in a gap now: on to the next recording
  steps = f.clock.Tick(f.now);
  EXPECT_EQ(f.clock.Position(f.now), f.library.At(60000));
  EXPECT_EQ(steps[0].kind, PictureStep::Kind::kPicture);
  EXPECT_EQ(steps[1].kind, PictureStep::Kind::kNoRecording);

  // Files of one recording that meet 100 ms apart: no "No recording" between.
  Fixture meet({{"CAM-1", 0, 45}, {"CAM-1", 3070, 45}});
  meet.clock.Seek(meet.library.At(2950), meet.now);
  EXPECT_EQ(meet.clock.Tick(meet.now)[0].kind, PictureStep::Kind::kPicture);
  meet.clock.Seek(meet.library.At(3000), meet.now);
  EXPECT_EQ(meet.clock.Tick(meet.now)[0].kind, PictureStep::Kind::kSame);

  f.clock.Jump(-60000 + 5000, f.now);
  EXPECT_EQ(f.clock.Position(f.now), f.library.At(5000));
  f.clock.Jump(5000, f.now);
  EXPECT_EQ(f.clock.Position(f.now), f.library.At(10000));
  EXPECT_TRUE(f.clock.NextMotion(f.now));
  EXPECT_EQ(f.clock.Position(f.now), f.library.At(90000));
  EXPECT_FALSE(f.clock.NextMotion(f.now));
  f.now += 20000;  // past every recording: playing stops at the end
  f.clock.Tick(f.now);
  EXPECT_TRUE(f.clock.AtEnd());
  EXPECT_TRUE(f.clock.Paused());
  EXPECT_TRUE(f.clock.PreviousMotion(f.now));
  EXPECT_EQ(f.clock.Position(f.now), f.library.At(90000));
}

TEST(PlaybackClock, CamerasInStepShowPicturesWithinOneIntervalOfEachOther) {
  Fixture f({{"CAM-1", 0, 300, 40, 25}, {"CAM-2", 13, 150, 66, 15}, {"CAM-3", 500, 20, 500, 2}},
            {"CAM-1", "CAM-2", "CAM-3"});
  f.clock.Seek(f.library.At(1000), f.now);
  f.clock.SetPaused(false, f.now);
  int64_t shown[3] = {};
  for (int tick = 0; tick < 200; ++tick) {
    const std::vector<PictureStep> steps = f.clock.Tick(f.now);
    for (size_t c = 0; c < 3; ++c)
      if (steps[c].kind == PictureStep::Kind::kPicture) shown[c] = steps[c].time;
    const int64_t interval[3] = {40, 66, 500};
    for (size_t a = 0; a < 3; ++a)
      for (size_t b = 0; b < 3; ++b)
        EXPECT_LT(shown[a] - shown[b], interval[b]) << "cameras " << a << " and " << b << " at tick " << tick;
    f.now = f.clock.NextDue(f.now);
  }
}

TEST(PlaybackClock, SoundPlaysAtNormalSpeedOnlyWithoutAFrameLostOrTwice) {
  Fixture f(kTwoFiles);
  f.clock.Seek(f.library.At(1000), f.now);
  f.clock.SetPaused(false, f.now);
  std::map<std::string, size_t> next;  // per file, the next frame due
  size_t frames = 0;
  for (int tick = 0; tick < 150; ++tick) {
    for (const SoundStep& s : f.clock.TakeSound(f.now)) {
      if (next.count(s.path)) {
        EXPECT_EQ(s.first, next[s.path]) << "tick " << tick;
      }
      next[s.path] = s.first + s.count;
      frames += s.count;
    }
    f.now += 20;
  }
  // 3 s played from 1 s: the frames due by 4.3 s, across both files.
  EXPECT_NEAR(double(frames), (4300.0 - 1000.0) / 64, 2.0);
  EXPECT_EQ(next.size(), 2u);
  f.clock.SetSpeed({2, 1}, f.now);
  EXPECT_TRUE(f.clock.TakeSound(f.now + 100).empty());
}

}  // namespace
}  // namespace record
