// Recording on motion: the file begins with the last intra picture at least
// three seconds before the motion and ends ten seconds after it; a motion
// in those ten seconds extends the same file; the seconds before are kept
// in bounded memory.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <memory>
#include <mutex>
#include <regex>
#include <string>

#include "node/events/event_log.h"
#include "node/media/motion_recorder.h"
#include "node/media/node_media.h"
#include "node/media/pre_roll.h"
#include "node/media/tests/test_support.h"
#include "record/mp4_output.h"
#include "record/mp4_reader.h"

namespace node {
namespace {

using Change = MotionDetector::Change;
using node::testing::Media;
using node::testing::WaitFor;

std::vector<uint8_t> Picture(bool intra, size_t size = 200) { return node::testing::Vop(intra ? 0 : 1, size); }

using node::testing::ReadRecording;

class MotionRecording : public ::testing::Test {
 protected:
  MotionRecording() {
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    motion_.Configure(true, dir_, "GATE");
  }
  ~MotionRecording() override { std::filesystem::remove_all(dir_); }
  std::vector<std::string> Files() { return node::testing::FilesUnder(dir_); }
  // A camera at 25 pictures per second, an intra picture every second, and
  // sound every 64 ms; `verdict(t)` says what the detector saw at t.
  template <typename Verdict>
  void Stream(uint64_t from, uint64_t to, Verdict verdict) {
    uint64_t audio = from;
    const std::vector<uint8_t> sound(48, 0x33);
    for (uint64_t t = from; t < to; t += 40) {
      for (; audio <= t; audio += 64) motion_.OnAudio(sound.data(), uint32_t(sound.size()), audio);
      motion_.OnMotion(verdict(t), t);
      const auto unit = Picture(t % 1000 == 0);
      motion_.OnVideo(unit.data(), uint32_t(unit.size()), t, true);
    }
  }

  const std::string dir_ = node::testing::TempPath("motion_recording");
  node::testing::RecordingPoster poster_;
  node::testing::FakeRecorderHost host_;
  MotionRecorder motion_{2, poster_, 0x10, 0x20, host_};
};

// The file begins with the last intra picture at least three seconds before
// the motion (at 5 s for 8 s) and ends ten seconds after the last motion
// ended; one in the tail extends the same file.
TEST_F(MotionRecording, BeginsThreeSecondsBeforeEndsTenAfterAndAMotionInTheTailExtendsIt) {
  Stream(0, 40000, [](uint64_t t) {
    switch (t) {
      case 8000: return Change::kStarted;
      case 9000: return Change::kEnded;
      case 15000: return Change::kStarted;  // 6 s into the tail
      case 16000: return Change::kEnded;
      default: return Change::kNone;
    }
  });
  motion_.recorder().WaitFinished();
  auto files = Files();
  ASSERT_EQ(files.size(), 1u) << "two files for one long event";
  EXPECT_TRUE(std::regex_search(files[0], std::regex(R"([/\\]GATE_\d{8}_\d{6}_motion\.mp4$)"))) << files[0];
  const node::testing::Recorded span = ReadRecording(files[0]);
  EXPECT_NEAR(double(span.video_ms), 26000.0 - 5000.0, 80.0);
  EXPECT_NEAR(double(span.audio_ms), double(span.video_ms), 150.0) << "the sound of the seconds before is missing";
  // A motion after the tail is a new file.
  Stream(40000, 60000, [](uint64_t t) { return t == 50000 ? Change::kStarted : Change::kNone; });
  motion_.Configure(false, dir_, "GATE");
  motion_.recorder().WaitFinished();
  files = Files();
  EXPECT_EQ(files.size(), 2u) << "a motion after the tail replaced or joined the first file";
}

// A node's whole media side. `Play` runs the worker until it has taken the
// pictures; between plays the test may act in the worker's place.
class NodeMotion : public MotionRecording {
 protected:
  using Units = std::vector<std::vector<uint8_t>>;
  NodeMotion() {
    media_.LinkStateChanged(true, true);
    media_.motion_recorder().Configure(true, dir_, "GATE");
  }
  void Play(const Units& pictures, uint64_t first_ms) {
    media_.StartWorker();
    node::testing::PlayInBursts(media_, pictures, first_ms);
    media_.StopWorker();
  }
  // The worker stalls and the live ring throws its backlog away.
  void Overflow(uint64_t first_ms) {
    for (int i = 0; i < MediaRing::kLiveVideoSlots + 5; ++i)
      media_.DeliverMedia(Media(net::kMediaVideoFrame, Picture(false), first_ms + 40 * uint64_t(i)));
  }
  // Seconds of the scene in which a square crosses from 8 s to 11 s.
  Units Seconds(long from, long to) const { return Units(&scene_.pictures[from * 25], &scene_.pictures[to * 25]); }
  NodeMedia media_{2, poster_, {0x10, 0x20}, nullptr, nullptr};
  const node::testing::SplitStream stream_ = node::testing::LoadStream("test_320x240.m4v");
  const node::testing::SplitStream scene_ = node::testing::LoadStream("motion_320x240.m4v");
};

// The motion file's unit 0 is the configuration the camera sent, and the
// predicted pictures whose references the ring threw away are kept neither
// in the seconds before a motion nor in the motion's file.
TEST_F(NodeMotion, KeepsTheCamerasConfigurationAndNoPictureAfterAGap) {
  const auto I = Picture(true), P = Picture(false);
  media_.DeliverMedia(Media(net::kMediaVideoConfig, stream_.configuration, 0));
  Play({I, P, P}, 0);
  Overflow(120);  // before the motion: the pre-roll's pictures
  Play({I, P}, 1200);
  media_.motion_recorder().OnMotion(Change::kStarted, 1240);
  Play({P}, 1280);
  Overflow(1320);  // during the motion: its file's pictures
  Play({I, P}, 2400);
  media_.motion_recorder().Configure(false, dir_, "GATE");
  media_.motion_recorder().recorder().WaitFinished();
  const auto files = Files();
  ASSERT_EQ(files.size(), 1u);
  const node::testing::Recorded file = ReadRecording(files[0]);
  EXPECT_EQ(file.configuration, stream_.configuration) << "unit 0 is not the camera's configuration";
  EXPECT_EQ(file.sync, (std::vector<bool>{true, false, false, true, false, false, true, false}));
}

// A motion goes on while the link is down and comes back: with the new link
// the detector starts afresh, so the motion is found again and recorded.
TEST_F(NodeMotion, AMotionGoingOnThroughAnOutageIsRecordedAfterIt) {
  ASSERT_GE(scene_.pictures.size(), 300u);
  std::atomic<int> started{0}, ended{0};
  media_.path().motion().SetMotionTeller([&](bool start, const MotionDetector::Event&) { ++(start ? started : ended); });
  media_.path().motion().SetMotionDetection(true, MotionDetector::kDefaultSensitivity, MotionDetector::Mask());
  media_.DeliverMedia(Media(net::kMediaVideoConfig, scene_.configuration, 0));
  Play(Seconds(6, 9), 6000);
  ASSERT_TRUE(media_.path().motion().InMotion()) << "the crossing gave no motion";
  media_.InterruptRecording();  // the close sequence of a link being restored, then Setup
  media_.Reset();
  media_.DeliverMedia(Media(net::kMediaVideoConfig, scene_.configuration, 0));
  Play(Seconds(10, 12), 10000);
  media_.motion_recorder().Configure(false, dir_, "GATE");
  media_.motion_recorder().recorder().WaitFinished();
  EXPECT_EQ(ended.load(), 1) << "the motion did not end with the link";
  EXPECT_EQ(started.load(), 2) << "the motion after the outage was not found";
  EXPECT_EQ(Files().size(), 2u) << "the motion after the outage was not recorded";
}

// While the settings window is open the cells show with detection off, but
// nothing the preview sees is a motion, and its cells clear when it ends.
TEST_F(NodeMotion, TheSettingsPreviewShowsCellsAndStartsNoMotion) {
  ASSERT_GE(scene_.pictures.size(), 300u);
  std::atomic<int> started{0};
  media_.path().motion().SetMotionTeller([&](bool start, const MotionDetector::Event&) { started += start ? 1 : 0; });
  media_.DeliverMedia(Media(net::kMediaVideoConfig, scene_.configuration, 0));
  media_.path().motion().SetMotionPreview(true);
  Play(Seconds(6, 9), 6000);
  MotionDetector::Mask changed, objects;
  media_.path().motion().MotionCells(&changed, &objects);
  EXPECT_TRUE(changed.any()) << "no cells shown while the square crosses";
  EXPECT_EQ(0, started.load());
  EXPECT_FALSE(media_.path().motion().InMotion());
  media_.path().motion().SetMotionPreview(false);
  Play(Seconds(9, 10), 9000);
  media_.path().motion().MotionCells(&changed, &objects);
  EXPECT_TRUE(changed.none()) << "the preview's cells stayed";
  EXPECT_EQ(0, started.load());
}

// The camera's ID names the motion files: whatever it holds, they stay in
// the chosen folder. A full disk gives a failure for the event log and the
// view, as the user's recording does, and leaves no empty file.
TEST_F(NodeMotion, FileNamesAndFailuresOnAFullDisk) {
  for (const char* id : {"../up", "..\\up", "C:\\cam", "a/b:c", "", "\x01*?<>|\""}) {
    const std::string name = MotionRecorder::FileName("/rec", id, 0);
    EXPECT_EQ(name.rfind("/rec/", 0), 0u) << name;
    EXPECT_EQ(name.find_first_of("/\\:", 5), std::string::npos) << id << " gave " << name;
  }
  static const std::atomic<bool> full{true};
  media_.motion_recorder().recorder().SetOutputFactory([](const std::string& path) -> std::unique_ptr<record::Mp4Output> {
    return std::make_unique<node::testing::FailingFile>(record::Mp4FileOutput::CreateNew(path), full);
  });
  EventLog log;
  media_.SetEventLog(&log, "GATE");
  media_.DeliverMedia(Media(net::kMediaVideoConfig, stream_.configuration, 0));
  Play({Picture(true)}, 0);
  media_.motion_recorder().OnMotion(Change::kStarted, 40);
  const RecordingFailureReport failure = media_.LastRecordingFailure();
  EXPECT_TRUE(failure.motion && failure.path.rfind(dir_, 0) == 0) << "the view is not told: " << failure.path;
  const auto entries = log.Entries("GATE");
  EXPECT_TRUE(std::any_of(entries.begin(), entries.end(), [](const EventEntry& e) {
    return e.kind == EventKind::kRecordingFailed;
  })) << "the event log was not told";
  EXPECT_TRUE(Files().empty()) << "an empty file was left: " << Files()[0];
}

TEST(PreRoll, KeepsWholeGroupsOfTheLastSecondsWithinItsMemory) {
  PreRollBuffer buffer(3000, 1024 * 1024);
  const auto p = Picture(false, 1000), i = Picture(true, 1000);
  buffer.AddVideo(p.data(), uint32_t(p.size()), 0, false);  // nothing before an intra picture
  EXPECT_EQ(buffer.Bytes(), 0u);
  for (uint64_t t = 0; t < 20000; t += 40) {
    const auto& unit = t % 2000 == 0 ? i : p;
    buffer.AddVideo(unit.data(), uint32_t(unit.size()), t, t % 2000 == 0);
    if (t >= 4000) {
      EXPECT_LE(buffer.OldestPicture() + 3000, t) << "less than 3 s kept at " << t;
      EXPECT_GE(buffer.OldestPicture() + 5000, t) << "more kept than needed at " << t;
    }
  }
  int units = 0;
  bool firstIntra = false;
  buffer.Replay(20000, [&](const PreRollBuffer::Unit& u) {
    if (units++ == 0) firstIntra = u.intra;
  });
  EXPECT_TRUE(firstIntra) << "a replay must start with an intra picture";

  // A camera of large pictures: the oldest group goes first, the memory holds.
  PreRollBuffer small(3000, 30 * 1024);
  for (uint64_t t = 0; t < 20000; t += 40) {
    const auto& unit = t % 2000 == 0 ? i : p;
    small.AddVideo(unit.data(), uint32_t(unit.size()), t, t % 2000 == 0);
    EXPECT_LE(small.Bytes(), 30u * 1024);
  }

  // The camera's clock starts again from 0 (it restarted, it was set back):
  // the seconds kept follow the new clock, as many as before.
  PreRollBuffer restarted(3000, 1024 * 1024);
  for (const uint64_t from : {uint64_t{1000000}, uint64_t{0}})
    for (uint64_t t = from; t < from + 50000; t += 40)
      restarted.AddVideo((t % 2000 == 0 ? i : p).data(), uint32_t(i.size()), t, t % 2000 == 0);
  uint64_t first = 0;
  units = 0;
  restarted.Replay(49960, [&](const PreRollBuffer::Unit& u) {
    if (units++ == 0) first = u.timestamp;
  });
  EXPECT_EQ(first, 46000u) << "not the intra picture at least 3 s before the new clock's 49.96 s";
}

}  // namespace
}  // namespace node
