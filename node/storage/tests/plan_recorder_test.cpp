// Recording plans at work on a fake clock: files cut at the first intra
// picture after each full hour (or quarter), the schedule's cells switching
// what is recorded, and a full disk with nothing to delete stopping the
// plans until there is room again.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "node/events/event_log.h"
#include "node/media/node_media.h"
#include "node/storage/plan_recorder.h"
#include "node/storage/retention_service.h"
#include "node/media/tests/test_support.h"
#include "node/storage/tests/fake_storage.h"
#include "record/mp4_output.h"
#include "record/mp4_reader.h"

namespace node {
namespace {

using testing::LocalTime;

using node::testing::ReadRecording;

class PlanRecording : public ::testing::Test {
 protected:
  PlanRecording() {
    std::filesystem::remove_all(root_);
    plan_.TapLinkState(true, true);
    plan_.TapConfiguration(stream_.configuration.data(), stream_.configuration.size(), 320, 240);
  }
  ~PlanRecording() override {
    plan_.Stop();
    plan_.continuous().WaitFinished();
    plan_.motion().recorder().WaitFinished();
    std::filesystem::remove_all(root_);
  }
  void Configure(const std::string& text) {
    RecordingPlan p;
    ASSERT_TRUE(ParseRecordingPlan(text, &p)) << text;
    plan_.Configure(p, root_, "GATE");
  }
  // `count` pictures at 25 a second from the clock's time on, an intra
  // picture each second 0.52 s past the start's second.
  void Feed(int count) {
    for (int i = 0; i < count; ++i, ++picture_, now_ms_ += 40) {
      const auto unit = node::testing::Vop(picture_ % 25 == 13 ? 0 : 1, 200);
      plan_.TapVideo(unit.data(), uint32_t(unit.size()), uint64_t(picture_) * 40, true);
    }
  }
  std::vector<std::string> Files() const { return node::testing::FilesUnder(root_); }
  // Pictures [from, to) of `stream` through a node's media path and its worker.
  static void Play(NodeMedia& media, const node::testing::SplitStream& stream, size_t from, size_t to) {
    node::testing::PlayInBursts(
        media, std::vector<std::vector<uint8_t>>(stream.pictures.begin() + long(from), stream.pictures.begin() + long(to)),
        40 * from);
  }

  const std::string root_ = node::testing::TempPath("plan_recording");
  const node::testing::SplitStream stream_ = node::testing::LoadStream("test_320x240.m4v");
  std::atomic<int64_t> now_ms_{0};
  int picture_ = 0;
  PlanRecorder plan_{4, [this] { return now_ms_.load() / 1000; }};
};

TEST_F(PlanRecording, FilesAreCutAtTheFirstIntraPictureAfterTheHourOrQuarter) {
  const struct {
    int minutes;
    int hour, minute, second;  // the plan starts
    const char* firstName;
    const char* secondName;   // the files' times
    size_t firstPictures;    // from the first intra picture to the cut
  } cases[] = {
      {60, 12, 59, 0, "_20261102_125900.mp4", "_20261102_130000.mp4", 1500},
      {15, 12, 44, 30, "_20261102_124430.mp4", "_20261102_124500.mp4", 750},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.minutes);
    std::filesystem::remove_all(root_);
    picture_ = 0;
    now_ms_ = LocalTime(0, c.hour, c.minute, c.second) * 1000;
    Configure("continuous files=" + std::to_string(c.minutes));
    plan_.Tick();
    ASSERT_EQ(plan_.State().kind, PlanStateKind::kRecording) << plan_.State().why;
    Feed(int(c.firstPictures) + 13 + 100);
    plan_.Stop();
    plan_.continuous().WaitFinished();
    const auto files = Files();
    ASSERT_EQ(files.size(), 2u);
    const std::string folder = std::string("GATE") + char(std::filesystem::path::preferred_separator) + "2026-11-02";
    for (size_t i = 0; i < 2; ++i) {
      EXPECT_NE(files[i].find(folder), std::string::npos) << files[i];
      EXPECT_NE(files[i].find(std::string("GATE") + (i ? c.secondName : c.firstName)), std::string::npos) << files[i];
    }
    const auto first = ReadRecording(files[0]).sync, second = ReadRecording(files[1]).sync;
    EXPECT_EQ(first.size(), c.firstPictures) << "not cut at the first intra picture after the time";
    EXPECT_EQ(second.size(), 100u);
    EXPECT_TRUE(first.at(0) && second.at(0));
  }
}

TEST_F(PlanRecording, TheScheduleSwitchesWhatIsRecorded) {
  // Monday: off until 6, continuous by day, with motion marked from 18;
  // motion only on every other day.
  std::string week = std::string(6, '-') + std::string(12, 'C') + std::string(6, 'B');
  for (int day = 1; day < 7; ++day) week += "/" + std::string(24, 'M');
  Configure("schedule week=" + week);
  const struct {
    int day, hour;
    PlanStateKind kind;
    bool continuous, motion;
  } steps[] = {
      {0, 5, PlanStateKind::kOff, false, false},      {0, 6, PlanStateKind::kRecording, true, false},
      {0, 18, PlanStateKind::kRecording, true, true}, {1, 0, PlanStateKind::kWaiting, false, true},
  };
  for (const auto& s : steps) {
    now_ms_ = LocalTime(s.day, s.hour, 0, 0) * 1000;
    plan_.Tick();
    const PlanState state = plan_.State();
    EXPECT_EQ(state.kind, s.kind) << "day " << s.day << " hour " << s.hour << ": " << state.why;
    EXPECT_EQ(plan_.continuous().IsRecording(), s.continuous) << "day " << s.day << " hour " << s.hour;
    EXPECT_EQ(plan_.TapWantsMotion(), s.motion) << "day " << s.day << " hour " << s.hour;
  }
  EXPECT_EQ(plan_.State().why, "watching for motion");
  // A motion's file goes beside the day's continuous files.
  Feed(30);
  plan_.TapMotion(MotionDetector::Change::kStarted, uint64_t(picture_) * 40);
  Feed(10);
  plan_.Tick();
  EXPECT_EQ(plan_.State().kind, PlanStateKind::kRecording);
  EXPECT_NE(plan_.State().path.find("2026-11-03"), std::string::npos) << plan_.State().path;
  EXPECT_NE(plan_.State().path.find("_motion.mp4"), std::string::npos) << plan_.State().path;
}

TEST_F(PlanRecording, AFullDiskWithNothingToDeleteStopsThePlanUntilThereIsRoom) {
  constexpr uint64_t kGB = uint64_t{1} << 30;
  node::testing::FakeStorage disk;
  for (int h = 0; h < 10; ++h) {
    const std::string file = "/full/CAM/2026-11-01/CAM_20261101_0" + std::to_string(h) + "0000.mp4";
    disk.AddFile(file, kGB, LocalTime(-1, h + 1, 0, 0));
    disk.Lock(file);  // a backup holds every one of them
  }
  disk.SetDisk(12 * kGB, 0);  // 2 GB free
  EventLog log;
  RetentionService retention(disk, &log, [this] { return now_ms_.load() / 1000; });
  RetentionLimits limits;
  limits.free_set = true;
  limits.min_free_bytes = 4 * kGB;
  retention.Configure("/full", limits);
  plan_.SetDiskGuard(&retention.guard());
  plan_.SetEventLog(&log);
  now_ms_ = LocalTime(0, 9, 0, 0) * 1000;
  Configure("continuous");
  plan_.Tick();
  ASSERT_EQ(plan_.State().kind, PlanStateKind::kRecording);

  const RetentionReport report = retention.RunPass();
  EXPECT_TRUE(report.deleted.empty());
  EXPECT_EQ(report.passed_over, 10u);
  ASSERT_TRUE(retention.guard().Stopped());
  plan_.Tick();
  EXPECT_EQ(plan_.State().kind, PlanStateKind::kFailed);
  EXPECT_NE(plan_.State().why.find("no recording there may be deleted"), std::string::npos) << plan_.State().why;
  EXPECT_FALSE(plan_.continuous().IsRecording());

  disk.SetDisk(14 * kGB + kGB / 10, 0);  // 4.1 GB: over the floor, not by enough to resume
  retention.CheckSpace();
  EXPECT_TRUE(retention.guard().Stopped()) << "resumed at the floor: it would stop again at once";
  disk.SetDisk(20 * kGB, 0);
  retention.CheckSpace();
  ASSERT_FALSE(retention.guard().Stopped());
  plan_.Tick();
  EXPECT_EQ(plan_.State().kind, PlanStateKind::kRecording) << plan_.State().why;

  std::string lines;  // oldest first, each on a line of its own
  for (const EventEntry& e : log.Entries()) lines = "\n" + e.text + lines;
  const auto at = [&](const std::string& start) { return lines.find("\n" + start); };
  // Each line there, and in order: a missing one is at npos, after every other.
  EXPECT_LT(at("Disk full: the disk of /full has 2.0 GB free, under the 4 GB it keeps free"),
            at("Recording plan stopped: ")) << lines;
  EXPECT_LT(at("Room again: the disk of /full has 10.0 GB free"), at("Recording plan resumed")) << lines;
  EXPECT_NE(at("Recording plan stopped: "), std::string::npos) << lines;
  EXPECT_NE(at("Recording plan resumed"), std::string::npos) << lines;
  plan_.Stop();
  plan_.SetEventLog(nullptr);
}

// Through a node's media path and its worker: a motion plan makes the
// detector run although the view's detection is off, and the motion's file
// holds the camera's pictures.
TEST_F(PlanRecording, AMotionPlanRecordsWhatTheNodesMediaPathReceives) {
  const auto scene = node::testing::LoadStream("motion_320x240.m4v");  // a square crosses it from 8 s to 11 s
  ASSERT_GE(scene.pictures.size(), 300u);
  node::testing::RecordingPoster poster;
  NodeMedia media{2, poster, {0x10, 0x20}, nullptr, nullptr};
  media.LinkStateChanged(true, true);
  now_ms_ = LocalTime(0, 9, 0, 0) * 1000;
  Configure("motion");
  media.AddTap(&plan_);
  plan_.Tick();
  ASSERT_TRUE(plan_.TapWantsMotion());
  media.DeliverMedia(node::testing::Media(net::kMediaVideoConfig, scene.configuration, 0));
  media.StartWorker();
  Play(media, scene, 5 * 25, 12 * 25);
  media.StopWorker();
  EXPECT_FALSE(media.path().motion().MotionDetectionOn()) << "the view's detection was switched on";
  media.RemoveTap(&plan_);
  plan_.Stop();
  plan_.motion().recorder().WaitFinished();
  const auto files = Files();
  ASSERT_EQ(files.size(), 1u) << "the crossing was not recorded";
  EXPECT_NE(files[0].find("_motion.mp4"), std::string::npos) << files[0];
  EXPECT_GT(ReadRecording(files[0]).sync.size(), 75u) << "fewer pictures than the seconds before the motion";
}

// A plan moved onto a link that streams already (a view opened on a camera
// that records) is given the stream's configuration: the camera sent it
// once, before the plan came.
TEST_F(PlanRecording, APlanMovedOntoALinkThatStreamsAlreadyGoesOnRecording) {
  node::testing::RecordingPoster poster;
  NodeMedia view{3, poster, {0x10, 0x20}, nullptr, nullptr};
  view.LinkStateChanged(true, true);
  view.DeliverMedia(node::testing::Media(net::kMediaVideoConfig, stream_.configuration, 0));
  view.StartWorker();
  const size_t half = stream_.pictures.size() / 2;
  Play(view, stream_, 0, half);
  now_ms_ = LocalTime(0, 9, 0, 0) * 1000;
  PlanRecorder moved{5, [this] { return now_ms_.load() / 1000; }};
  RecordingPlan continuous;
  continuous.mode = PlanMode::kContinuous;
  moved.Configure(continuous, root_, "GATE");
  view.AddTap(&moved);
  moved.Tick();
  Play(view, stream_, half, stream_.pictures.size());
  view.StopWorker();
  view.RemoveTap(&moved);
  moved.Stop();
  moved.continuous().WaitFinished();
  const auto files = Files();
  ASSERT_EQ(files.size(), 1u);
  EXPECT_GT(ReadRecording(files[0]).sync.size(), 0u) << "the moved plan wrote no picture";
  EXPECT_EQ(ReadRecording(files[0]).configuration, stream_.configuration) << "the file holds other headers than the camera's";
}

}  // namespace
}  // namespace node
