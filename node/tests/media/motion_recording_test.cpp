// Recording on motion: the file begins with the last intra picture at least
// three seconds before the motion and ends ten seconds after it; a motion
// in those ten seconds extends the same file; the seconds before are kept
// in bounded memory.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <mutex>
#include <regex>
#include <string>

#include "node/motion_recorder.h"
#include "node/pre_roll.h"
#include "node/tests/media/test_support.h"
#include "record/mp4_output.h"
#include "record/mp4_reader.h"

namespace node {
namespace {

using Change = MotionDetector::Change;

class Host : public RecorderHost {
 public:
  bool CameraIdKnown() const override { return true; }
  bool LinkUp() const override { return true; }
  bool ChooseRecordingPath(std::string*) override { return false; }
};

std::vector<uint8_t> Picture(bool intra, size_t size = 200) {
  std::vector<uint8_t> unit(size, 0x5A);
  const uint8_t head[] = {0x00, 0x00, 0x01, 0xB6, uint8_t(intra ? 0x00 : 0x40)};
  std::copy(head, head + sizeof head, unit.begin());
  return unit;
}

struct Span {
  size_t pictures = 0;
  uint64_t videoMs = 0, audioMs = 0;
};

Span Read(const std::string& path) {
  auto file = record::Mp4FileOutput::OpenExisting(path, false);
  EXPECT_TRUE(file) << path;
  if (!file) return Span();
  record::Mp4Index index;
  std::string error;
  Span span;
  EXPECT_TRUE(record::ReadMp4Index(*file, &index, &error)) << error;
  for (const auto& track : index.tracks) {
    if (track.samples.size() < 2) continue;
    const uint64_t last = track.samples.back().decodeTime + track.samples.back().compositionOffset;
    const uint64_t first = track.samples.front().decodeTime + track.samples.front().compositionOffset;
    if (track.handler == "vide") {
      span.pictures = track.samples.size();
      span.videoMs = last - first;
    }
    if (track.handler == "soun") span.audioMs = last - first;
  }
  return span;
}

class MotionRecording : public ::testing::Test {
 protected:
  MotionRecording() {
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    motion.Configure(true, dir, "GATE");
  }
  ~MotionRecording() override { std::filesystem::remove_all(dir); }
  std::vector<std::string> Files() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) names.push_back(entry.path().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  // A camera at 25 pictures per second, an intra picture every second, and
  // sound every 64 ms; `verdict(t)` says what the detector saw at t.
  template <typename Verdict>
  void Stream(uint64_t from, uint64_t to, Verdict verdict) {
    uint64_t audio = from;
    const std::vector<uint8_t> sound(48, 0x33);
    for (uint64_t t = from; t < to; t += 40) {
      for (; audio <= t; audio += 64) motion.OnAudio(sound.data(), uint32_t(sound.size()), audio);
      motion.OnMotion(verdict(t), t);
      const auto unit = Picture(t % 1000 == 0);
      motion.OnVideo(unit.data(), uint32_t(unit.size()), t, true);
    }
  }

  const std::string dir = node::testing::TempPath("motion_recording");
  node::testing::RecordingPoster poster;
  Host host;
  MotionRecorder motion{2, poster, 0x10, 0x20, host};
};

TEST_F(MotionRecording, BeginsThreeSecondsBeforeAndEndsTenAfter) {
  Stream(0, 30000, [](uint64_t t) { return t == 8040 ? Change::kStarted : t == 9000 ? Change::kEnded : Change::kNone; });
  motion.recorder().WaitFinished();
  const auto files = Files();
  ASSERT_EQ(files.size(), 1u);
  EXPECT_TRUE(std::regex_search(files[0], std::regex(R"([/\\]GATE_\d{8}_\d{6}_motion\.mp4$)"))) << files[0];
  const Span span = Read(files[0]);
  // From the intra picture at 5 s (the last one at least 3 s before 8.04 s)
  // to 10 s after 9 s: 14 s of pictures.
  EXPECT_NEAR(double(span.videoMs), 14000.0, 80.0);
  EXPECT_NEAR(double(span.audioMs), double(span.videoMs), 150.0) << "the sound of the seconds before is missing";
}

TEST_F(MotionRecording, AMotionDuringTheTailExtendsTheSameFile) {
  Stream(0, 40000, [](uint64_t t) {
    switch (t) {
      case 8000: return Change::kStarted;
      case 9000: return Change::kEnded;
      case 15000: return Change::kStarted;  // 6 s into the tail
      case 16000: return Change::kEnded;
      default: return Change::kNone;
    }
  });
  motion.recorder().WaitFinished();
  auto files = Files();
  ASSERT_EQ(files.size(), 1u) << "two files for one long event";
  EXPECT_NEAR(double(Read(files[0]).videoMs), 26000.0 - 5000.0, 80.0);
  // A motion after the tail is a new file.
  Stream(40000, 60000, [](uint64_t t) { return t == 50000 ? Change::kStarted : Change::kNone; });
  motion.Configure(false, dir, "GATE");
  motion.recorder().WaitFinished();
  files = Files();
  EXPECT_EQ(files.size(), 2u) << "a motion after the tail replaced or joined the first file";
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
