// A recording must never lose footage without saying so: sound and pictures
// on one clock, no file replaced, no silent stop at the size limit or on a
// full disk, no broken pictures after a gap, and no network thread waiting
// for the disk.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <condition_variable>
#include <cstdio>
#include <fstream>
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

using node::testing::Media;
using node::testing::RecordingPoster;

constexpr os::WindowHandle kParent = 0x10;
constexpr os::WindowHandle kMain = 0x20;
constexpr int kNode = 5;

class Host : public RecorderHost {
 public:
  bool CameraIdKnown() const override { return true; }
  bool LinkUp() const override { return true; }
  bool ChooseRecordingPath(std::string* path) override {
    *path = chosen;
    return !chosen.empty();
  }
  std::string chosen;
};

// A recording's bytes in memory, kept beyond the writer's life.
class MemoryTarget : public record::Mp4Output {
 public:
  explicit MemoryTarget(std::shared_ptr<record::Mp4MemoryOutput> target) : target_(std::move(target)) {}
  bool Write(const uint8_t* data, size_t length) override { return target_->Write(data, length); }
  bool Seek(uint64_t position) override { return target_->Seek(position); }
  bool Truncate(uint64_t size) override { return target_->Truncate(size); }

 private:
  std::shared_ptr<record::Mp4MemoryOutput> target_;
};

// A picture of `size` bytes: intra (type 0) or predicted (type 1).
std::vector<uint8_t> Picture(uint8_t codingType, size_t size = 8) {
  std::vector<uint8_t> unit(size, 0x5A);
  const uint8_t head[] = {0x00, 0x00, 0x01, 0xB6, uint8_t(codingType << 6)};
  std::copy(head, head + sizeof head, unit.begin());
  return unit;
}

bool ReadIndex(const std::vector<uint8_t>& bytes, record::Mp4Index* index) {
  record::Mp4MemoryOutput file{std::vector<uint8_t>(bytes)};
  std::string error;
  return record::ReadMp4Index(file, index, &error);
}

const record::Mp4ReadTrack* Track(const record::Mp4Index& index, const char* handler) {
  for (const auto& track : index.tracks)
    if (track.handler == handler) return &track;
  return nullptr;
}

// Presentation time of a track's first sample and of its end, in ms.
struct Span {
  int64_t start = 0, end = 0;
};
Span SpanOf(const record::Mp4ReadTrack& track) {
  Span span;
  if (track.samples.empty()) return span;
  const auto& first = track.samples.front();
  const auto& last = track.samples.back();
  const int64_t lastDuration =
      track.samples.size() > 1 ? int64_t(last.decodeTime - track.samples[track.samples.size() - 2].decodeTime) : 0;
  span.start = int64_t(first.decodeTime) + first.compositionOffset;
  span.end = int64_t(last.decodeTime) + last.compositionOffset + lastDuration;
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
    recorder.SetOutputFactory([this, capacity](const std::string& path) -> std::unique_ptr<record::Mp4Output> {
      std::lock_guard<std::mutex> lock(filesLock);
      files[path] = std::make_shared<record::Mp4MemoryOutput>(capacity);
      order.push_back(path);
      return std::make_unique<MemoryTarget>(files[path]);
    });
  }
  void Video(const std::vector<uint8_t>& unit, uint64_t ts) {
    recorder.FeedVideo(unit.data(), uint32_t(unit.size()), ts, true);
  }
  void Audio(uint64_t ts) {
    const std::vector<uint8_t> frame(48, 0x33);
    recorder.FeedAudio(frame.data(), uint32_t(frame.size()), ts);
  }
  record::Mp4Index Index(const std::string& path) {
    record::Mp4Index index;
    EXPECT_TRUE(ReadIndex(files[path]->Bytes(), &index)) << path << " is not a finished MP4 file";
    return index;
  }

  RecordingPoster poster;
  Host host;
  NodeRecorder recorder{kNode, poster, kParent, kMain, host};
  std::mutex filesLock;
  std::map<std::string, std::shared_ptr<record::Mp4MemoryOutput>> files;
  std::vector<std::string> order;
};

// Started between two intra pictures: the pictures before the next one are
// left out, and so must the sound recorded with them be.
TEST_F(RecordingFaults, SoundAndPicturesShareOneClock) {
  UseMemory();
  ASSERT_EQ(recorder.Start("step.mp4"), 0);
  // Started 0.4 s into a group of pictures; the next intra picture comes at 1 s.
  uint64_t nextAudio = 400;
  for (uint64_t ts = 400; ts < 3000; ts += 40) {
    for (; nextAudio <= ts; nextAudio += 64) Audio(nextAudio);
    Video(Picture(ts % 1000 == 0 ? 0 : 1), ts);
  }
  recorder.Stop();
  recorder.WaitFinished();
  const record::Mp4Index index = Index("step.mp4");
  const record::Mp4ReadTrack* video = Track(index, "vide");
  const record::Mp4ReadTrack* audio = Track(index, "soun");
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
    ASSERT_EQ(recorder.Start(std::string(c.what) + ".mp4"), 0);
    auto live = [&](uint64_t r) { return r < kEvent || r >= kEvent + c.stall; };
    std::vector<uint64_t> pictures, sounds;  // the real times of what was sent
    uint64_t audio = 0;
    for (uint64_t r = 0; r < kEnd + c.stall; r += kPicture) {
      if (!live(r)) continue;
      for (; audio <= r; audio += 64)
        if (live(audio)) Audio(c.stamp(audio)), sounds.push_back(audio);
      Video(Picture(r % 1000 == 0 ? 0 : 1), c.stamp(r));
      pictures.push_back(r);
    }
    recorder.Stop();
    recorder.WaitFinished();
    const record::Mp4Index index = Index(std::string(c.what) + ".mp4");
    for (const auto& [handler, sent] : {std::pair{"vide", &pictures}, {"soun", &sounds}}) {
      const record::Mp4ReadTrack* track = Track(index, handler);
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
  recorder.SetVideoConfiguration(stream.configuration.data(), stream.configuration.size(), 320, 240);
  recorder.SetSizeLimit(16 * 1024);
  ASSERT_EQ(recorder.Start(first), 0);
  EXPECT_EQ(recorder.Path(), dir + "/day-3.mp4");
  for (size_t i = 0; i < 40; ++i) {
    const auto& unit = stream.pictures[i];
    Video(unit, 40 * i);
  }
  EXPECT_EQ(recorder.Path(), dir + "/day-5.mp4") << "the roll-over did not skip the taken name";

  // Another view on the same camera, the user choosing the file being written.
  record::MemoryOpenRecordingList open;
  record::SetOpenRecordingList(&open);
  NodeRecorder other(kNode + 1, poster, kParent, kMain, host);
  other.SetVideoConfiguration(stream.configuration.data(), stream.configuration.size(), 320, 240);
  ASSERT_EQ(other.Start(dir + "/cam.mp4"), 0);
  other.FeedVideo(stream.pictures[0].data(), uint32_t(stream.pictures[0].size()), 0, true);
  host.chosen = dir + "/cam.mp4";
  NodeRecorder third(kNode + 2, poster, kParent, kMain, host);
  EXPECT_EQ(third.Start(""), -1) << "a recording in progress was replaced";
  EXPECT_EQ(third.LastFailure().kind, RecordingFailure::kInUse);
  other.Stop();
  other.WaitFinished();
  record::SetOpenRecordingList(nullptr);
  recorder.Stop();
  recorder.WaitFinished();

  EXPECT_EQ(ReadText(first), "yesterday");
  EXPECT_EQ(ReadText(dir + "/day-2.mp4"), "the day before");
  EXPECT_EQ(ReadText(dir + "/day-4.mp4"), "last week");
  for (const char* name : {"/day-3.mp4", "/day-5.mp4", "/cam.mp4"}) {
    auto file = record::Mp4FileOutput::OpenExisting(dir + name, false);
    ASSERT_TRUE(file) << name;
    record::Mp4Index index;
    std::string error;
    EXPECT_TRUE(record::ReadMp4Index(*file, &index, &error)) << name << ": " << error;
  }
  std::filesystem::remove_all(dir);
}

// Past the size limit the writer refuses samples: the recording must go on
// in the next numbered file instead, from an intra picture, losing nothing.
TEST_F(RecordingFaults, ContinuesInTheNextFileBeforeTheSizeLimit) {
  UseMemory();
  LogCapture log;
  const uint64_t limit = 40000;
  recorder.SetSizeLimit(limit);
  ASSERT_EQ(recorder.Start("big.mp4"), 0);
  const int pictures = 300;
  for (int i = 0; i < pictures; ++i) Video(Picture(i % 10 == 0 ? 0 : 1, 900), 40 * uint64_t(i));
  EXPECT_TRUE(recorder.IsRecording());
  recorder.Stop();
  recorder.WaitFinished();
  ASSERT_GE(order.size(), 6u) << "about 270 kB in files of at most 40 kB";
  EXPECT_EQ(order[1], "big-2.mp4");
  size_t written = 0;
  for (const auto& path : order) {
    EXPECT_LE(files[path]->Bytes().size(), limit + 4096) << path;
    const record::Mp4Index index = Index(path);
    const record::Mp4ReadTrack* video = Track(index, "vide");
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
  ASSERT_EQ(recorder.Start("full.mp4"), 0);
  int i = 0;
  for (; i < 1000 && recorder.IsRecording(); ++i) {
    Audio(40 * uint64_t(i));
    Video(Picture(i % 10 == 0 ? 0 : 1, 700), 40 * uint64_t(i));
  }
  EXPECT_FALSE(recorder.IsRecording()) << "the recording went on writing nothing";
  EXPECT_LT(i, 1000);
  const RecordingFailureReport failure = recorder.LastFailure();
  EXPECT_EQ(failure.kind, RecordingFailure::kWriteFailed);
  EXPECT_EQ(failure.path, "full.mp4");
  const auto posts = poster.Posts(os::kWmNodeChannelReady);
  ASSERT_FALSE(posts.empty());
  EXPECT_EQ(posts.back().window, kParent) << "the view's toggle was not told";
  recorder.WaitFinished();
  ASSERT_LE(files["full.mp4"]->Bytes().size(), capacity);
  const record::Mp4Index index = Index("full.mp4");
  const record::Mp4ReadTrack* video = Track(index, "vide");
  ASSERT_TRUE(video);
  EXPECT_GT(video->samples.size(), 40u) << "most of what was written must stay";
}

// A file on a drive that goes away as the recording stops: its index
// cannot be written. That is a failure the user is told of, not a stop, and
// the journal stays beside the file, so the repair at the next start
// finishes it.
TEST_F(RecordingFaults, AFileThatCannotBeFinishedIsAFailureRepairedAtTheNextStart) {
  struct Vanishing : record::Mp4Output {
    Vanishing(std::unique_ptr<record::Mp4FileOutput> f, std::atomic<bool>& g) : file(std::move(f)), gone(g) {}
    bool Write(const uint8_t* data, size_t length) override { return !gone && file->Write(data, length); }
    bool Seek(uint64_t position) override { return !gone && file->Seek(position); }
    std::string FilePath() const override { return file->FilePath(); }
    std::unique_ptr<record::Mp4FileOutput> file;
    std::atomic<bool>& gone;
  };
  const std::string dir = node::testing::TempPath("cannot_finish"), path = dir + "/cut.mp4";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  std::atomic<bool> gone{false};
  recorder.SetOutputFactory([&](const std::string& p) -> std::unique_ptr<record::Mp4Output> {
    return std::make_unique<Vanishing>(record::Mp4FileOutput::CreateNew(p), gone);
  });
  std::atomic<int> told{0};
  recorder.SetEventTeller([&](int kind, const std::string&) { told += kind == NodeRecorder::kTellFailed; });
  record::MemoryOpenRecordingList open;  // as the registry keeps it for the next start
  record::SetOpenRecordingList(&open);
  ASSERT_EQ(recorder.Start(path), 0);
  for (uint64_t ts = 0; ts < 2000; ts += 40) Video(Picture(ts % 1000 == 0 ? 0 : 1, 300), ts);
  gone = true;
  recorder.Stop();
  recorder.WaitFinished();
  record::SetOpenRecordingList(nullptr);
  EXPECT_EQ(recorder.LastFailure().kind, RecordingFailure::kFinishFailed);
  EXPECT_EQ(recorder.LastFailure().path, path);
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
  NodeMediaPath path(kNode, poster, kParent, nullptr, nullptr, &recorder);
  path.DeliverMedia(Media(net::kMediaVideoConfig, stream.configuration, 0));
  path.ApplyDueConfiguration();
  ASSERT_EQ(recorder.Start("gap.mp4"), 0);
  path.StartWorker();
  uint64_t ts = 0;
  auto deliver = [&](uint8_t type) {
    const uint64_t shown = path.FramesShown();
    path.DeliverMedia(Media(net::kMediaVideoFrame, Picture(type, 64), ts += 40));
    return shown;
  };
  for (uint8_t type : {uint8_t{0}, uint8_t{1}, uint8_t{1}}) {
    const uint64_t shown = deliver(type);
    ASSERT_TRUE(node::testing::WaitFor([&] { return path.FramesShown() > shown; }));
  }
  path.StopWorker();
  // A stalled worker: the ring overflows and drops its backlog.
  for (int i = 0; i < MediaRing::kLiveVideoSlots + 5; ++i) deliver(1);
  ASSERT_GT(path.LiveRing().Discarded(), 0u);
  path.StartWorker();
  ASSERT_TRUE(node::testing::WaitFor([&] { return path.LiveRing().Count() == 0; }));
  for (uint8_t type : {uint8_t{0}, uint8_t{1}}) {
    const uint64_t shown = deliver(type);
    ASSERT_TRUE(node::testing::WaitFor([&] { return path.FramesShown() > shown; }));
  }
  path.StopWorker();
  recorder.Stop();
  recorder.WaitFinished();
  const record::Mp4Index index = Index("gap.mp4");
  const record::Mp4ReadTrack* video = Track(index, "vide");
  ASSERT_TRUE(video);
  ASSERT_EQ(video->samples.size(), 5u) << "predicted pictures after the gap were recorded";
  EXPECT_TRUE(video->samples[3].sync);
  EXPECT_TRUE(log.Mentions("video units discarded")) << ::testing::PrintToString(log.Lines());
}

// An output whose writes and syncs wait at a gate: a slow or hung disk.
class Gate {
 public:
  void Close() {
    std::lock_guard<std::mutex> lock(lock_);
    open_ = false;
  }
  void Open() {
    {
      std::lock_guard<std::mutex> lock(lock_);
      open_ = true;
    }
    wake_.notify_all();
  }
  void Pass() {
    std::unique_lock<std::mutex> lock(lock_);
    ++waiting_;
    wake_.wait(lock, [this] { return open_; });
    --waiting_;
  }
  bool SomeoneWaits() {
    std::lock_guard<std::mutex> lock(lock_);
    return waiting_ > 0;
  }

 private:
  std::mutex lock_;
  std::condition_variable wake_;
  bool open_ = true;
  int waiting_ = 0;
};

class SlowDisk : public record::Mp4Output {
 public:
  SlowDisk(std::shared_ptr<record::Mp4MemoryOutput> target, Gate& gate) : target_(std::move(target)), gate_(gate) {}
  bool Write(const uint8_t* data, size_t length) override {
    gate_.Pass();
    return target_->Write(data, length);
  }
  bool Seek(uint64_t position) override { return target_->Seek(position); }
  bool Sync() override {
    gate_.Pass();
    return true;
  }

 private:
  std::shared_ptr<record::Mp4MemoryOutput> target_;
  Gate& gate_;
};

// Runs `fn` on a thread of its own, joined when the attempt ends.
class Attempt {
 public:
  explicit Attempt(std::function<void()> fn) : thread_([this, fn] {
    fn();
    done_ = true;
  }) {}
  ~Attempt() { thread_.join(); }
  bool DoneSoon() { return node::testing::WaitFor([this] { return done_.load(); }, 2000); }

 private:
  std::atomic<bool> done_{false};
  std::thread thread_;
};

// The receive thread serves every camera: a disk that hangs under one
// recording must not hold up its sound hand-off, nor Stop the window.
TEST_F(RecordingFaults, NoThreadButTheFinisherWaitsForTheDisk) {
  Gate gate;
  auto memory = std::make_shared<record::Mp4MemoryOutput>();
  recorder.SetOutputFactory([&](const std::string&) { return std::make_unique<SlowDisk>(memory, gate); });
  ASSERT_EQ(recorder.Start("slow.mp4"), 0);
  Video(Picture(0), 0);
  gate.Close();
  std::thread worker([&] { Video(Picture(1), 40); });  // the media worker, stuck in a write
  ASSERT_TRUE(node::testing::WaitFor([&] { return gate.SomeoneWaits(); }));
  {
    Attempt audio([&] { Audio(40); });
    EXPECT_TRUE(audio.DoneSoon()) << "the receive thread waited for the disk";
    gate.Open();
  }
  worker.join();

  gate.Close();
  {
    Attempt stop([&] { recorder.Stop(); });
    EXPECT_TRUE(stop.DoneSoon()) << "Stop waited for the file to be finalised";
    gate.Open();
  }
  recorder.WaitFinished();
  record::Mp4Index index;
  EXPECT_TRUE(ReadIndex(memory->Bytes(), &index));
}

}  // namespace
}  // namespace node
