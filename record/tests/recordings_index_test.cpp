// The index of recordings: where each file lies on the wall clock and which
// plays where, for every layout and state the recorders leave files in, and
// what a second look reads again.
#include "record/recordings_index.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "record/recording_names.h"
#include "record/recording_repair.h"
#include "recording_maker.h"

namespace record {
namespace {

using testing::Clip;
using testing::Recording;
using testing::Stem;
using testing::Times;

int64_t Base() {
  int64_t s = 0;
  EXPECT_TRUE(LocalToWallSeconds(2026, 3, 14, 10, 0, 0, &s));
  return s;
}

std::string DayFolder(const std::string& camera, int64_t seconds) {
  return camera + "/" + DayText(LocalDay(seconds)) + "/";
}

struct Expected {
  const char* camera;
  const char* file;  // file name
  int64_t startMs;   // from Base()
  FileState state;
  std::vector<std::pair<int64_t, int64_t>> spans;  // from Base(), ms
};

class RecordingsIndexTest : public ::testing::Test {
 protected:
  void Add(const std::string& relPath, const Recording& r) {
    std::filesystem::create_directories(std::filesystem::path(root / relPath).parent_path());
    ASSERT_TRUE(testing::Write(root / relPath, clip, r)) << relPath;
  }
  // A recording of `count` pictures every 66 ms whose first picture came at `at` ms past Base().
  Recording At(int64_t atMs, size_t count, bool finish = true) {
    Recording r;
    r.creation = Base() + atMs / 1000;
    r.times = Times(count, 66);
    r.finish = finish;
    return r;
  }
  void ExpectFiles(const RecordingsCatalog& catalog, const std::vector<Expected>& expected) {
    for (const Expected& e : expected) {
      const CameraRecordings* camera = catalog.Find(e.camera);
      ASSERT_TRUE(camera) << e.camera;
      const RecordingFile* found = nullptr;
      for (const RecordingFile& f : camera->files)
        if (std::filesystem::path(f.path).filename() == e.file) found = &f;
      ASSERT_TRUE(found) << e.file;
      EXPECT_EQ(found->start - Base() * 1000, e.startMs) << e.file;
      EXPECT_EQ(found->state, e.state) << e.file;
      std::vector<std::pair<int64_t, int64_t>> spans;
      for (const TimeSpan& s : found->spans) spans.emplace_back(s.begin - Base() * 1000, s.end - Base() * 1000);
      EXPECT_EQ(spans, e.spans) << e.file;
    }
  }

  testing::TempFolder root{"recordings_index"};
  Clip clip = testing::LoadClip();
};

TEST_F(RecordingsIndexTest, PlacesEveryLayoutAndStateOnTheWallClock) {
  ASSERT_EQ(clip.pictures.size(), 90u);
  const int64_t b = Base();
  // --record: a file, its numbered continuation (whose first picture came
  // 3.96 s later, known to the second) and one continued without a creation time.
  Add(Stem("CAM-1", b) + ".mp4", At(0, 60));
  Add(Stem("CAM-1", b) + "-2.mp4", At(3960, 30));
  Recording unknown = At(0, 15);
  unknown.creation = b - 100 * 86400;  // a clock that was wrong: the name says better
  Add(Stem("CAM-3", b) + ".mp4", At(0, 60));
  Add(Stem("CAM-3", b) + "-2.mp4", unknown);
  // A plan's layout, with a gap of 10 s in the middle of a file.
  Recording gap = At(3600000, 30);
  for (uint32_t& t : gap.times) t += t >= 15 * 66 ? 10000 : 0;
  Add(DayFolder("CAM-1", b + 3600) + Stem("CAM-1", b + 3600) + ".mp4", gap);
  // Cut off by a crash, with its journal; another file of the camera overlaps it.
  Add(Stem("CAM-2", b) + ".mp4", At(0, 60, false));
  // Cut off where the last pictures never reached the disk: its journal names more than it holds.
  Add(Stem("CAM-4", b) + ".mp4", At(0, 60, false));
  std::filesystem::resize_file(root / (Stem("CAM-4", b) + ".mp4"),
                               std::filesystem::file_size(root / (Stem("CAM-4", b) + ".mp4")) / 2);
  Add(DayFolder("CAM-2", b) + Stem("CAM-2", b + 2) + ".mp4", At(2000, 60));

  RecordingsIndex index({root.Root()}, "");
  const auto catalog = index.Refresh();
  ASSERT_TRUE(catalog);
  ExpectFiles(*catalog, {
      {"CAM-1", (Stem("CAM-1", b) + ".mp4").c_str(), 0, FileState::kFinished, {{0, 3960}}},
      // Joined to the file before it without a gap or a jump.
      {"CAM-1", (Stem("CAM-1", b) + "-2.mp4").c_str(), 3960, FileState::kFinished, {{3960, 3960 + 1980}}},
      {"CAM-1", (Stem("CAM-1", b + 3600) + ".mp4").c_str(), 3600000, FileState::kFinished,
       {{3600000, 3600000 + 990}, {3600000 + 10990, 3600000 + 11980}}},
      {"CAM-3", (Stem("CAM-3", b) + "-2.mp4").c_str(), 3960, FileState::kFinished, {{3960, 3960 + 990}}},
      {"CAM-2", (Stem("CAM-2", b) + ".mp4").c_str(), 0, FileState::kUnfinished, {{0, 3960}}},
  });

  const RecordingFile& shortened = catalog->Find("CAM-4")->files[0];
  EXPECT_GT(shortened.pictures, 10u);
  EXPECT_LT(shortened.pictures, 50u) << "pictures past the end of the file were counted";
  EXPECT_EQ(shortened.End() - shortened.start, 66 * int64_t(shortened.pictures));

  // Where files overlap, the one begun first plays on; the other takes over at its end.
  const CameraRecordings* two = catalog->Find("CAM-2");
  ASSERT_EQ(two->segments.size(), 2u);
  EXPECT_EQ(two->segments[0].end - b * 1000, 3960);
  EXPECT_EQ(two->segments[1].begin - b * 1000, 3960);
  EXPECT_EQ(two->segments[1].end - b * 1000, 2000 + 3960);
  EXPECT_EQ(two->files[two->segments[1].file].start - b * 1000, 2000);
  ASSERT_EQ(two->recorded.size(), 1u);
  EXPECT_EQ(catalog->Find("CAM-1")->recorded.size(), 3u) << "two files joined, then the one with a gap";
  EXPECT_EQ(catalog->Find("CAM-1")->Days(), std::vector<int>{LocalDay(b)});
}

TEST_F(RecordingsIndexTest, MotionFilesAreMotionAndTheLogGivesBands) {
  const int64_t b = Base();
  // A motion file made at b + 60 with 3 s of pictures from before; its last
  // picture came as it was finished (its modification time).
  const std::string motion = Stem("CAM-1", b + 60) + "_motion.mp4";
  Recording r = At(60000, 150);
  Add(motion, r);
  const int64_t end = b + 60 - 3 + 10;  // the pictures cover 9.9 s from 3 s before the motion
  std::filesystem::last_write_time(root.path / motion,
                                   std::chrono::file_clock::from_sys(
                                       std::chrono::system_clock::time_point(std::chrono::seconds(end)) -
                                       std::chrono::milliseconds(100)));
  Add(Stem("CAM-1", b) + ".mp4", At(0, 15));
  testing::TempFolder events{"recordings_events"};
  {
    std::ofstream day(events / ("events-" + os::FormatLocalTime("%Y%m%d", static_cast<std::time_t>(b)) + ".log"), std::ios::binary);
    day << "10:01:00\tCAM-1\tMotion started\r\n"
        << "10:01:05\tCAM-1\tMotion ended after 4.2 s, at most 3% of the picture changed\r\n"
        << "10:30:00\tCAM-1\tVideo resumed after 3 min 5 s\r\n"
        << "10:31:00\tCAM-9\tRecording started\r\n"
        << "10:32:00\tCAM-1\tcut off";  // no end of line yet: being written
  }
  RecordingsIndex index({root.Root()}, events.Root());
  const auto catalog = index.Refresh();
  const CameraRecordings* camera = catalog->Find("CAM-1");
  ASSERT_TRUE(camera);
  const RecordingFile* file = nullptr;
  for (const RecordingFile& f : camera->files)
    if (f.kind == RecordingKind::kMotion) file = &f;
  ASSERT_TRUE(file);
  // Within the second where the file system keeps times to the second.
  EXPECT_NEAR(double(file->start), double(b * 1000 + 57000), 500.0) << "placed by its last picture";
  ASSERT_EQ(camera->events.size(), 2u);
  EXPECT_EQ(camera->events[0].begin, (b + 65) * 1000 - 4200);
  EXPECT_EQ(camera->events[0].end, (b + 65) * 1000);
  EXPECT_TRUE(camera->events[0].motion);
  EXPECT_EQ(camera->events[1].begin, (b + 1800 - 185) * 1000);
  ASSERT_EQ(camera->motion.size(), 1u) << "the motion file's span holds the logged motion";
  const DayView day = RecordingsCatalog::Day(*camera, LocalDay(b));
  EXPECT_EQ(day.files.size(), 2u);
  EXPECT_EQ(day.recorded.size(), 2u);
}

TEST_F(RecordingsIndexTest, ASecondLookReadsOnlyWhatChanged) {
  const int64_t b = Base();
  const std::string cut = root / (Stem("CAM-1", b + 10) + ".mp4");
  Add(Stem("CAM-1", b) + ".mp4", At(0, 15));
  Add(Stem("CAM-1", b + 10) + ".mp4", At(10000, 15, false));
  Add(DayFolder("CAM-2", b) + Stem("CAM-2", b) + ".mp4", At(0, 15));
  auto spans = [](const RecordingsCatalog& c, const char* camera) { return c.Find(camera)->recorded.size(); };

  IndexStats stats;
  RecordingsIndex first({root.Root()}, "");
  ASSERT_TRUE(first.Refresh(&stats));
  EXPECT_EQ(stats.read, 3u);
  EXPECT_EQ(stats.cachesWritten, 1u);

  struct Step {
    const char* what;
    std::function<void()> change;
    size_t read;
    FileState cutState;
    size_t cutPictures;
  };
  const Step steps[] = {
      {"nothing changed (another window)", [] {}, 0, FileState::kUnfinished, 15},
      {"the cut-off file grew", [&] { Add(Stem("CAM-1", b + 10) + ".mp4", At(10000, 30, false)); }, 1,
       FileState::kUnfinished, 30},
      {"it was repaired", [&] { EXPECT_TRUE(RepairRecording(cut).Repaired()); }, 1, FileState::kFinished, 30},
      {"a file was added", [&] { Add(Stem("CAM-1", b + 20) + ".mp4", At(20000, 15)); }, 1, FileState::kFinished, 30},
      {"the index file was damaged",
       [&] { std::ofstream(root / kIndexCacheName, std::ios::binary | std::ios::app) << "x"; }, 4,
       FileState::kFinished, 30},
  };
  for (const Step& step : steps) {
    step.change();
    RecordingsIndex again({root.Root()}, "");
    const auto catalog = again.Refresh(&stats);
    ASSERT_TRUE(catalog) << step.what;
    EXPECT_EQ(stats.read, step.read) << step.what;
    EXPECT_EQ(stats.cached, stats.files - step.read) << step.what;
    for (const RecordingFile& f : catalog->Find("CAM-1")->files)
      if (f.path == cut) {
        EXPECT_EQ(f.state, step.cutState) << step.what;
        EXPECT_EQ(f.pictures, step.cutPictures) << step.what;
        EXPECT_EQ(f.End() - f.start, 66 * int64_t(step.cutPictures)) << step.what;
      }
    EXPECT_EQ(spans(*catalog, "CAM-2"), 1u) << step.what;
  }
  std::filesystem::remove(cut);
  RecordingsIndex last({root.Root()}, "");
  const auto catalog = last.Refresh(&stats);
  EXPECT_EQ(stats.read, 0u);
  EXPECT_EQ(catalog->Find("CAM-1")->files.size(), 2u) << "a deleted file is gone";
}

TEST(RecordingNames, ReadFromTheirEnd) {
  struct Case {
    const char* name;
    bool ok;
    const char* camera;
    bool motion;
    int number;
  };
  const Case cases[] = {
      {"CAM-1_20260314_100000.mp4", true, "CAM-1", false, 1},
      {"My_Cam_2_20260314_100000-12.MP4", true, "My_Cam_2", false, 12},
      {"CAM_20260314_100000_motion-2.mp4", true, "CAM", true, 2},
      {"_20260314_100000.mp4", false, "", false, 1},
      {"CAM_20260230_100000.mp4", false, "", false, 1},
      {"CAM_20260314_100000.mp4.part", false, "", false, 1},
      {"CAM_20260314_1000000.mp4", false, "", false, 1},
  };
  for (const Case& c : cases) {
    RecordingName n;
    ASSERT_EQ(ParseRecordingName(c.name, &n), c.ok) << c.name;
    if (!c.ok) continue;
    EXPECT_EQ(n.camera, c.camera) << c.name;
    EXPECT_EQ(n.motion, c.motion) << c.name;
    EXPECT_EQ(n.number, c.number) << c.name;
  }
}

}  // namespace
}  // namespace record
