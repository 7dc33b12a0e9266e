// A recording must never lose footage without saying so: sound and pictures
// on one clock, no file replaced, no silent stop at the size limit or on a
// full disk, no broken pictures after a gap, and no network thread waiting
// for the disk.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <cstdio>
#include <fstream>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "net/media_data.h"
#include "node/media/media_path.h"
#include "node/media/node_recorder.h"
#include "node/media/tests/test_support.h"
#include "os/tests/log_capture.h"
#include "record/mp4_output.h"
#include "record/mp4_reader.h"
#include "record/open_recordings.h"
#include "record/startup_repair.h"

namespace node {
namespace {

using node::testing::IndexOf;
using node::testing::Media;
using node::testing::RecordingPoster;
using node::testing::SharedOutput;
using node::testing::TrackOf;
using node::testing::Vop;

constexpr os::WindowHandle kParent = 0x10;
constexpr os::WindowHandle kMain = 0x20;
constexpr int kNode = 5;

// Presentation time of a track's first sample and of its end, in ms.
struct Span {
  int64_t start = 0, end = 0;
};
Span SpanOf(const record::Mp4ReadTrack& track) {
  Span span;
  if (track.samples.empty()) return span;
  const auto& first = track.samples.front();
  const auto& last = track.samples.back();
  const int64_t last_duration =
      track.samples.size() > 1 ? int64_t(last.decodeTime - track.samples[track.samples.size() - 2].decodeTime) : 0;
  span.start = int64_t(first.decodeTime) + first.compositionOffset;
  span.end = int64_t(last.decodeTime) + last.compositionOffset + last_duration;
  return span;
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteText(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

class RecordingFaults : public ::testing::Test {
 protected:
  // Every file the recorder makes goes to memory, by name.
  void UseMemory(size_t capacity = SIZE_MAX) {
    recorder_.SetOutputFactory([this, capacity](const std::string& path) -> std::unique_ptr<record::Mp4Output> {
      std::lock_guard<std::mutex> lock(files_lock_);
      files_[path] = std::make_shared<record::Mp4MemoryOutput>(capacity);
      order_.push_back(path);
      return std::make_unique<SharedOutput>(files_[path]);
    });
  }
  void Video(const std::vector<uint8_t>& unit, uint64_t ts) {
    recorder_.FeedVideo(unit.data(), uint32_t(unit.size()), ts, true);
  }
  void Audio(uint64_t ts) {
    const std::vector<uint8_t> frame(48, 0x33);
    recorder_.FeedAudio(frame.data(), uint32_t(frame.size()), ts);
  }
  void Finish() {
    recorder_.Stop();
    recorder_.WaitFinished();
  }
  record::Mp4Index Index(const std::string& path) {
    record::Mp4Index index;
    EXPECT_TRUE(IndexOf(files_[path]->Bytes(), &index)) << path << " is not a finished MP4 file";
    return index;
  }

  RecordingPoster poster_;
  node::testing::FakeRecorderHost host_;
  NodeRecorder recorder_{kNode, poster_, kParent, kMain, host_};
  std::mutex files_lock_;
  std::map<std::string, std::shared_ptr<record::Mp4MemoryOutput>> files_;
  std::vector<std::string> order_;
};

// Started between two intra pictures: the pictures before the next one are
// left out, and so must the sound recorded with them be.
TEST_F(RecordingFaults, SoundAndPicturesShareOneClock) {
  UseMemory();
  ASSERT_EQ(recorder_.Start("step.mp4"), 0);
  // Started 0.4 s into a group of pictures; the next intra picture comes at 1 s.
  uint64_t nextAudio = 400;
  for (uint64_t ts = 400; ts < 3000; ts += 40) {
    for (; nextAudio <= ts; nextAudio += 64) Audio(nextAudio);
    Video(Vop(ts % 1000 == 0 ? 0 : 1), ts);
  }
  Finish();
  const record::Mp4Index index = Index("step.mp4");
  const record::Mp4ReadTrack* video = TrackOf(index, "vide");
  const record::Mp4ReadTrack* audio = TrackOf(index, "soun");
  ASSERT_TRUE(video && audio);
  const Span v = SpanOf(*video), a = SpanOf(*audio);
  EXPECT_LE(std::abs(a.start - v.start), 40) << "sound starts at " << a.start << " ms, pictures at " << v.start;
  EXPECT_LE(std::abs(a.end - v.end), 40) << "sound ends at " << a.end << " ms, pictures at " << v.end;
}

// The camera's clock steps back (a small step, an NTP correction), leaps
// over an hour, or its 32-bit short timestamp wraps (signed at 2^31 ms, at
// 2^32 ms); or a relayed stream stalls for over an hour. Pictures (25 a
// second) and sound (a frame every 64 ms) stay within one picture of real
// time across each; the hour of a stall is left out.
TEST_F(RecordingFaults, TimesFollowTheCameraAgainAfterItsClockJumps) {
  constexpr uint64_t kEvent = 3000, kEnd = 8000, kPicture = 40, kStall = 3840000, kHour = 3600000;
  auto shortStamp = [](uint32_t wire) { return uint64_t(int64_t(int32_t(wire))); };
  struct Case { const char* what; std::function<uint64_t(uint64_t)> stamp; uint64_t stall; };  // stamp at real r
  const Case cases[] = {
      {"a small step back", [](uint64_t r) { return 500000 + r - (r >= kEvent ? 300 : 0); }, 0},
      {"an NTP correction", [](uint64_t r) { return 1700000000000 + r - (r >= kEvent ? 95000 : 0); }, 0},
      {"a leap over an hour", [](uint64_t r) { return 500000 + r + (r >= kEvent ? 2 * kHour : 0); }, 0},
      {"the short stamp at 2^31", [&](uint64_t r) { return shortStamp(uint32_t((1u << 31) - kEvent + r)); }, 0},
      {"the short stamp at 2^32", [&](uint64_t r) { return shortStamp(uint32_t(0u - kEvent + r)); }, 0},
      {"a relayed stall", [](uint64_t r) { return 500000 + r; }, kStall},
  };
  UseMemory();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(recorder_.Start(std::string(c.what) + ".mp4"), 0);
    auto live = [&](uint64_t r) { return r < kEvent || r >= kEvent + c.stall; };
    std::vector<uint64_t> pictures, sounds;  // the real times of what was sent
    uint64_t audio = 0;
    for (uint64_t r = 0; r < kEnd + c.stall; r += kPicture) {
      if (!live(r)) continue;
      for (; audio <= r; audio += 64)
        if (live(audio)) Audio(c.stamp(audio)), sounds.push_back(audio);
      Video(Vop(r % 1000 == 0 ? 0 : 1), c.stamp(r));
      pictures.push_back(r);
    }
    Finish();
    const record::Mp4Index index = Index(std::string(c.what) + ".mp4");
    for (const auto& [handler, sent] : {std::pair{"vide", &pictures}, {"soun", &sounds}}) {
      const record::Mp4ReadTrack* track = TrackOf(index, handler);
      ASSERT_TRUE(track);
      ASSERT_GE(track->samples.size() + 1, sent->size()) << handler;
      for (size_t i = 0; i < track->samples.size(); ++i) {
        const uint64_t r = (*sent)[i];
        const int64_t expected = int64_t(r - (r >= kEvent ? c.stall : 0));
        const int64_t at = int64_t(track->samples[i].decodeTime);
        ASSERT_LE(std::abs(at - expected), int64_t(kPicture))
            << handler << " sample " << i << " sent at " << r << " ms lies at " << at << " ms";
      }
    }
  }
}

// Yesterday's recordings keep their bytes: a new recording and each file it
// rolls over into take the next free name, and a path another recording is
// writing is refused even when the user agreed to replace it.
TEST_F(RecordingFaults, NoRecordingReplacesAFile) {
  const std::string dir = node::testing::TempPath("no_replace");
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  const std::string first = dir + "/day.mp4";
  WriteText(first, "yesterday");
  WriteText(dir + "/day-2.mp4", "the day before");
  WriteText(dir + "/day-4.mp4", "last week");
  const auto stream = node::testing::LoadStream("test_320x240.m4v");
  ASSERT_GE(stream.pictures.size(), 40u);
  recorder_.SetVideoConfiguration(stream.configuration.data(), stream.configuration.size(), 320, 240);
  recorder_.SetSizeLimit(16 * 1024);
  ASSERT_EQ(recorder_.Start(first), 0);
  EXPECT_EQ(recorder_.Path(), dir + "/day-3.mp4");
  for (size_t i = 0; i < 40; ++i) Video(stream.pictures[i], 40 * i);
  EXPECT_EQ(recorder_.Path(), dir + "/day-5.mp4") << "the roll-over did not skip the taken name";

  // Another view on the same camera, the user choosing the file being written.
  record::MemoryOpenRecordingList open;
  record::SetOpenRecordingList(&open);
  NodeRecorder other(kNode + 1, poster_, kParent, kMain, host_);
  other.SetVideoConfiguration(stream.configuration.data(), stream.configuration.size(), 320, 240);
  ASSERT_EQ(other.Start(dir + "/cam.mp4"), 0);
  other.FeedVideo(stream.pictures[0].data(), uint32_t(stream.pictures[0].size()), 0, true);
  host_.chosen = dir + "/cam.mp4";
  NodeRecorder third(kNode + 2, poster_, kParent, kMain, host_);
  EXPECT_EQ(third.Start(""), -1) << "a recording in progress was replaced";
  EXPECT_EQ(third.LastFailure().kind, RecordingFailure::kInUse);
  other.Stop();
  other.WaitFinished();
  record::SetOpenRecordingList(nullptr);
  Finish();

  EXPECT_EQ(ReadText(first), "yesterday");
  EXPECT_EQ(ReadText(dir + "/day-2.mp4"), "the day before");
  EXPECT_EQ(ReadText(dir + "/day-4.mp4"), "last week");
  for (const char* name : {"/day-3.mp4", "/day-5.mp4", "/cam.mp4"}) {
    record::Mp4Index index;
    EXPECT_TRUE(IndexOf(node::testing::ReadFile(dir + name), &index)) << name << " is not a finished recording";
  }
  std::filesystem::remove_all(dir);
}

// Past the size limit the writer refuses samples: the recording must go on
// in the next numbered file instead, from an intra picture, losing nothing.
TEST_F(RecordingFaults, ContinuesInTheNextFileBeforeTheSizeLimit) {
  UseMemory();
  LogCapture log;
  const uint64_t limit = 40000;
  recorder_.SetSizeLimit(limit);
  ASSERT_EQ(recorder_.Start("big.mp4"), 0);
  const int pictures = 300;
  for (int i = 0; i < pictures; ++i) Video(Vop(i % 10 == 0 ? 0 : 1, 900), 40 * uint64_t(i));
  EXPECT_TRUE(recorder_.IsRecording());
  Finish();
  ASSERT_GE(order_.size(), 6u) << "about 270 kB in files of at most 40 kB";
  EXPECT_EQ(order_[1], "big-2.mp4");
  size_t written = 0;
  for (const auto& path : order_) {
    EXPECT_LE(files_[path]->Bytes().size(), limit + 4096) << path;
    const record::Mp4Index index = Index(path);
    const record::Mp4ReadTrack* video = TrackOf(index, "vide");
    ASSERT_TRUE(video && !video->samples.empty()) << path;
    EXPECT_TRUE(video->samples.front().sync) << path << " does not start with an intra picture";
    written += video->samples.size();
  }
  EXPECT_EQ(written, size_t(pictures)) << "pictures were lost between files";
  EXPECT_TRUE(log.Mentions("recording continues in big-2.mp4"))
      << ::testing::PrintToString(log.Lines());
}

// A disk that fills: the recording stops by itself and says why, and what
// was written is a finished file, its index where the last samples were.
TEST_F(RecordingFaults, FullDiskStopsTheRecordingWithAPlayableFile) {
  const size_t capacity = 60000;
  UseMemory(capacity);
  ASSERT_EQ(recorder_.Start("full.mp4"), 0);
  int i = 0;
  for (; i < 1000 && recorder_.IsRecording(); ++i) {
    Audio(40 * uint64_t(i));
    Video(Vop(i % 10 == 0 ? 0 : 1, 700), 40 * uint64_t(i));
  }
  EXPECT_FALSE(recorder_.IsRecording()) << "the recording went on writing nothing";
  EXPECT_LT(i, 1000);
  const RecordingFailureReport failure = recorder_.LastFailure();
  EXPECT_EQ(failure.kind, RecordingFailure::kWriteFailed);
  EXPECT_EQ(failure.path, "full.mp4");
  const auto posts = poster_.Posts(os::kWmNodeChannelReady);
  ASSERT_FALSE(posts.empty());
  EXPECT_EQ(posts.back().window, kParent) << "the view's toggle was not told";
  recorder_.WaitFinished();
  ASSERT_LE(files_["full.mp4"]->Bytes().size(), capacity);
  const record::Mp4Index index = Index("full.mp4");
  const record::Mp4ReadTrack* video = TrackOf(index, "vide");
  ASSERT_TRUE(video);
  EXPECT_GT(video->samples.size(), 40u) << "most of what was written must stay";
}

// A file on a drive that goes away as the recording stops: its index
// cannot be written. That is a failure the user is told of, not a stop, and
// the journal stays beside the file, so the repair at the next start
// finishes it.
TEST_F(RecordingFaults, AFileThatCannotBeFinishedIsAFailureRepairedAtTheNextStart) {
  const std::string dir = node::testing::TempPath("cannot_finish"), path = dir + "/cut.mp4";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  std::atomic<bool> gone{false};
  recorder_.SetOutputFactory([&](const std::string& p) -> std::unique_ptr<record::Mp4Output> {
    return std::make_unique<node::testing::FailingFile>(record::Mp4FileOutput::CreateNew(p), gone);
  });
  std::atomic<int> told{0};
  recorder_.SetEventTeller([&](int kind, const std::string&) { told += kind == NodeRecorder::kTellFailed; });
  record::MemoryOpenRecordingList open;  // as the registry keeps it for the next start
  record::SetOpenRecordingList(&open);
  ASSERT_EQ(recorder_.Start(path), 0);
  for (uint64_t ts = 0; ts < 2000; ts += 40) Video(Vop(ts % 1000 == 0 ? 0 : 1, 300), ts);
  gone = true;
  Finish();
  record::SetOpenRecordingList(nullptr);
  EXPECT_EQ(recorder_.LastFailure().kind, RecordingFailure::kFinishFailed);
  EXPECT_EQ(recorder_.LastFailure().path, path);
  EXPECT_EQ(told.load(), 1) << "the event log was not told";
  EXPECT_EQ(record::RepairAtStartup(open, std::vector<std::string>{dir}).repaired.size(), 1u);
  std::filesystem::remove_all(dir);
}

// After units were thrown away unseen, the predicted pictures that follow
// refer to pictures that never came: the file resumes at an intra picture.
TEST_F(RecordingFaults, DiscardedUnitsResumeAtTheNextIntraPicture) {
  UseMemory();
  LogCapture log;
  const auto stream = node::testing::LoadStream("test_320x240.m4v");
  NodeMediaPath path(kNode, poster_, kParent, nullptr, nullptr, &recorder_);
  path.DeliverMedia(Media(net::kMediaVideoConfig, stream.configuration, 0));
  path.ApplyDueConfiguration();
  ASSERT_EQ(recorder_.Start("gap.mp4"), 0);
  path.StartWorker();
  uint64_t ts = 0;
  auto show = [&](std::initializer_list<int> types) {
    for (int type : types) {
      const uint64_t shown = path.FramesShown();
      path.DeliverMedia(Media(net::kMediaVideoFrame, Vop(type, 64), ts += 40));
      ASSERT_TRUE(node::testing::WaitFor([&] { return path.FramesShown() > shown; }));
    }
  };
  show({0, 1, 1});
  path.StopWorker();
  // A stalled worker: the ring overflows and drops its backlog.
  for (int i = 0; i < MediaRing::kLiveVideoSlots + 5; ++i)
    path.DeliverMedia(Media(net::kMediaVideoFrame, Vop(1, 64), ts += 40));
  ASSERT_GT(path.LiveRing().Discarded(), 0u);
  path.StartWorker();
  ASSERT_TRUE(node::testing::WaitFor([&] { return path.LiveRing().Count() == 0; }));
  show({0, 1});
  path.StopWorker();
  Finish();
  const record::Mp4Index index = Index("gap.mp4");
  const record::Mp4ReadTrack* video = TrackOf(index, "vide");
  ASSERT_TRUE(video);
  ASSERT_EQ(video->samples.size(), 5u) << "predicted pictures after the gap were recorded";
  EXPECT_TRUE(video->samples[3].sync);
  EXPECT_TRUE(log.Mentions("video units discarded")) << ::testing::PrintToString(log.Lines());
}

// A slow or hung disk: writes and syncs wait while the test holds `gate`.
class SlowDisk : public SharedOutput {
 public:
  SlowDisk(std::shared_ptr<record::Mp4MemoryOutput> target, std::mutex& gate, std::atomic<int>& waiting)
      : SharedOutput(std::move(target)), gate_(gate), waiting_(waiting) {}
  bool Write(const uint8_t* data, size_t length) override { return Pass() && SharedOutput::Write(data, length); }
  bool Sync() override { return Pass(); }

 private:
  bool Pass() {
    ++waiting_;
    std::lock_guard<std::mutex> lock(gate_);
    --waiting_;
    return true;
  }
  std::mutex& gate_;
  std::atomic<int>& waiting_;
};

// The receive thread serves every camera: a disk that hangs under one
// recording must not hold up its sound hand-off, nor Stop the window.
TEST_F(RecordingFaults, NoThreadButTheFinisherWaitsForTheDisk) {
  std::mutex gate;
  std::atomic<int> waiting{0};
  auto memory = std::make_shared<record::Mp4MemoryOutput>();
  recorder_.SetOutputFactory([&](const std::string&) { return std::make_unique<SlowDisk>(memory, gate, waiting); });
  ASSERT_EQ(recorder_.Start("slow.mp4"), 0);
  Video(Vop(0), 0);
  gate.lock();
  std::thread worker([&] { Video(Vop(1), 40); });  // the media worker, stuck in a write
  ASSERT_TRUE(node::testing::WaitFor([&] { return waiting > 0; }));
  {
    auto audio = std::async(std::launch::async, [&] { Audio(40); });
    EXPECT_EQ(audio.wait_for(std::chrono::seconds(2)), std::future_status::ready) << "the receive thread waited for the disk";
    gate.unlock();
  }
  worker.join();

  gate.lock();
  {
    auto stop = std::async(std::launch::async, [&] { recorder_.Stop(); });
    EXPECT_EQ(stop.wait_for(std::chrono::seconds(2)), std::future_status::ready) << "Stop waited for the file to be finalised";
    gate.unlock();
  }
  recorder_.WaitFinished();
  record::Mp4Index index;
  EXPECT_TRUE(IndexOf(memory->Bytes(), &index));
}

}  // namespace
}  // namespace node
