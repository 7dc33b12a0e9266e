// Recording control: when a recording starts and stops, what it posts and
// logs, the clocks of its units, and the file it leaves behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>

#include "net/media_data.h"
#include "node/media_path.h"
#include "node/node_recorder.h"
#include "node/tests/media/test_support.h"
#include "present/tests/log_capture.h"
#include "record/mp4_output.h"

namespace node {
namespace {

using node_test::Media;
using node_test::RecordingPoster;

constexpr os::WindowHandle kParent = 0x10;
constexpr os::WindowHandle kMain = 0x20;
constexpr int kNode = 3;

class FakeHost : public RecorderHost {
 public:
  bool CameraIdKnown() const override { return cameraId; }
  bool LinkUp() const override { return linkUp; }
  bool ChooseRecordingPath(std::string* path) override {
    ++dialogs;
    if (chosen.empty()) return false;
    *path = chosen;
    return true;
  }
  bool cameraId = true;
  bool linkUp = true;
  std::string chosen;
  int dialogs = 0;
};

// Keeps a recording's bytes in memory beyond the writer's life.
class SharedOutput : public record::Mp4Output {
 public:
  explicit SharedOutput(std::shared_ptr<record::Mp4MemoryOutput> target) : m_target(std::move(target)) {}
  bool Write(const uint8_t* data, size_t length) override { return m_target->Write(data, length); }
  bool Seek(uint64_t position) override { return m_target->Seek(position); }

 private:
  std::shared_ptr<record::Mp4MemoryOutput> m_target;
};


uint32_t Be32(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | b[at + 3];
}

// Per-sample durations of each "stts" box, in file order (tracks in the order
// they were created: video first when it came first).
std::vector<std::vector<uint32_t>> SampleDurations(const std::vector<uint8_t>& file) {
  std::vector<std::vector<uint32_t>> tracks;
  for (size_t at = 4; at + 12 <= file.size(); ++at) {
    if (std::memcmp(&file[at], "stts", 4) != 0) continue;
    const uint32_t entries = Be32(file, at + 8);
    std::vector<uint32_t> durations;
    for (uint32_t e = 0; e < entries && at + 20 + 8 * e <= file.size(); ++e)
      durations.insert(durations.end(), Be32(file, at + 12 + 8 * e), Be32(file, at + 16 + 8 * e));
    tracks.push_back(durations);
  }
  return tracks;
}

bool Contains(const std::vector<uint8_t>& haystack, const void* needle, size_t length) {
  const uint8_t* n = static_cast<const uint8_t*>(needle);
  return std::search(haystack.begin(), haystack.end(), n, n + length) != haystack.end();
}

std::vector<uint8_t> Picture(uint8_t codingType, uint8_t fill) {
  return {0x00, 0x00, 0x01, 0xB6, uint8_t(codingType << 6), fill, fill, fill};
}

class NodeRecorderTest : public ::testing::Test {
 protected:
  void UseMemory() {
    memory = std::make_shared<record::Mp4MemoryOutput>();
    recorder.SetOutputFactory([this](const std::string&) { return std::make_unique<SharedOutput>(memory); });
  }
  RecordingPoster poster;
  FakeHost host;
  NodeRecorder recorder{kNode, poster, kParent, kMain, host};
  std::shared_ptr<record::Mp4MemoryOutput> memory;
};

TEST_F(NodeRecorderTest, ToggleWithoutCameraIdOnlyNotifiesTheFrame) {
  host.cameraId = false;
  host.chosen = "unused.mp4";
  recorder.Toggle();
  EXPECT_FALSE(recorder.IsRecording());
  EXPECT_EQ(host.dialogs, 0) << "the save dialog opened without a camera";
  const auto posts = poster.Posts();
  ASSERT_EQ(posts.size(), 1u);
  EXPECT_EQ(posts[0].window, kParent);
  EXPECT_EQ(posts[0].message, uint32_t(os::kWmNodeChannelReady));
  EXPECT_EQ(posts[0].wparam, uintptr_t(kNode));
  EXPECT_EQ(posts[0].lparam, 0);
}

TEST_F(NodeRecorderTest, ToggleStartsThroughTheDialogAndStopsWithLogLines) {
  UseMemory();
  LogCapture log;
  host.chosen = "chosen.mp4";
  recorder.Toggle();
  ASSERT_TRUE(recorder.IsRecording());
  EXPECT_EQ(recorder.Path(), "chosen.mp4");
  auto posts = poster.Posts();
  ASSERT_EQ(posts.size(), 2u);
  EXPECT_EQ(posts[0].window, kMain) << "Start notifies the main window";
  EXPECT_EQ(posts[1].window, kParent) << "Toggle notifies the frame";
  recorder.Toggle();
  EXPECT_FALSE(recorder.IsRecording());
  EXPECT_EQ(recorder.Path(), "");
  posts = poster.Posts();
  ASSERT_EQ(posts.size(), 4u);
  EXPECT_EQ(posts[2].window, kMain);
  EXPECT_EQ(posts[3].window, kParent);
  EXPECT_EQ(host.dialogs, 1);

  const auto lines = log.Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].rfind("Channel 3 : Record Start : ", 0), 0u) << lines[0];
  EXPECT_EQ(lines[0].back(), '\n');
  EXPECT_EQ(lines[1].rfind("Channel 3 : <<", 0), 0u) << lines[1];
  EXPECT_NE(lines[1].find(">> Record Stop: "), std::string::npos) << lines[1];
  EXPECT_GT(memory->Bytes().size(), 8u);
  EXPECT_TRUE(Contains(memory->Bytes(), "moov", 4)) << "Stop did not finalise the file";
}

TEST_F(NodeRecorderTest, StartIsRefusedWhenCancelledUnlinkedOrUnwritable) {
  UseMemory();
  EXPECT_EQ(recorder.Start(""), -1) << "a cancelled dialog started a recording";
  host.linkUp = false;
  EXPECT_EQ(recorder.Start("x.mp4"), -1);
  host.linkUp = true;
  host.cameraId = false;
  EXPECT_EQ(recorder.Start("x.mp4"), -1);
  EXPECT_TRUE(poster.Posts().empty());
  host.cameraId = true;
  ASSERT_EQ(recorder.Start("x.mp4"), 0);
  EXPECT_EQ(recorder.Start("y.mp4"), -1) << "a second start while recording";
  EXPECT_EQ(recorder.Path(), "x.mp4");
  recorder.Stop();

  NodeRecorder onDisk(kNode, poster, kParent, kMain, host);
  EXPECT_EQ(onDisk.Start(node_test::TempPath("no-such-dir/sub/rec.mp4")), -1)
      << "a file that cannot be created reported as recording";
  EXPECT_FALSE(onDisk.IsRecording());
}

TEST_F(NodeRecorderTest, ClocksNeverRunBackwardsOrLeapAnHour) {
  UseMemory();
  ASSERT_EQ(recorder.Start("clock.mp4"), 0);
  // Video: back in time and an hour's leap land 50 ms after the previous unit.
  const uint64_t video[] = {1000, 1040, 1080, 500, 1170, 1170 + 3600001, 1250};
  for (uint64_t ts : video) {
    const auto unit = Picture(0, uint8_t(ts));
    recorder.FeedVideo(unit.data(), uint32_t(unit.size()), ts, true);
  }
  // Audio (its own base): fallback step 64 ms.
  const uint64_t audio[] = {5000, 5064, 4000, 5192, 5192 + 3600001, 5300};
  const std::vector<uint8_t> frame(48, 0x11);
  for (uint64_t ts : audio) recorder.FeedAudio(frame.data(), uint32_t(frame.size()), ts);
  recorder.Stop();

  const auto durations = SampleDurations(memory->Bytes());
  ASSERT_GE(durations.size(), 2u);
  // Times 0, 40, 80, 130, 170, 220, 250; the last sample lasts as the one before.
  EXPECT_EQ(durations[0], (std::vector<uint32_t>{40, 40, 50, 40, 50, 30, 30}));
  // Times 0, 64, 128, 192, 256, 300.
  EXPECT_EQ(durations[1], (std::vector<uint32_t>{64, 64, 64, 64, 44, 44}));
}

TEST_F(NodeRecorderTest, UnitsBeforeStartOrWithoutPictureAreNotRecorded) {
  UseMemory();
  const auto unit = Picture(0, 1);
  recorder.FeedVideo(unit.data(), uint32_t(unit.size()), 10, true);  // not recording yet
  ASSERT_EQ(recorder.Start("p.mp4"), 0);
  recorder.FeedVideo(unit.data(), uint32_t(unit.size()), 100, false);  // no picture buffer yet
  recorder.FeedVideo(unit.data(), uint32_t(unit.size()), 140, true);
  recorder.FeedVideo(unit.data(), uint32_t(unit.size()), 180, true);
  recorder.Stop();
  const auto durations = SampleDurations(memory->Bytes());
  ASSERT_GE(durations.size(), 1u);
  // The first unit after Start sets the base; the two written follow at 40, 80.
  EXPECT_EQ(durations[0].size(), 2u);
}

TEST_F(NodeRecorderTest, UnitZeroIsTheReceivedConfiguration) {
  const auto stream = node_test::LoadStream("test_320x240.m4v");
  ASSERT_FALSE(stream.configuration.empty());
  UseMemory();
  // Without a received configuration the encoder's headers describe the track.
  ASSERT_EQ(recorder.Start("a.mp4"), 0);
  recorder.Stop();
  EXPECT_TRUE(Contains(memory->Bytes(), "3.5.14", 6)) << "the encoder's headers are missing";

  UseMemory();
  recorder.SetVideoConfiguration(stream.configuration.data(), stream.configuration.size(), 320, 240);
  ASSERT_EQ(recorder.Start("b.mp4"), 0);
  recorder.FeedVideo(stream.pictures[0].data(), uint32_t(stream.pictures[0].size()), 0, true);
  recorder.Stop();
  EXPECT_TRUE(Contains(memory->Bytes(), stream.configuration.data(), stream.configuration.size()))
      << "the received configuration is not the track's decoder configuration";
  EXPECT_FALSE(Contains(memory->Bytes(), "3.5.14", 6)) << "the encoder's headers were recorded as well";
}

// The receive thread, the media worker and the window's thread at once:
// configurations, pictures and audio arrive while recordings start and stop
// and the window repaints. Every recording must come out finalised.
TEST(NodeRecording, StartAndStopWhileMediaFlows) {
  const auto stream = node_test::LoadStream("test_320x240.m4v");
  ASSERT_GE(stream.pictures.size(), 100u);
  RecordingPoster poster;
  FakeHost host;
  NodeRecorder recorder(kNode, poster, kParent, kMain, host);
  std::vector<std::shared_ptr<record::Mp4MemoryOutput>> files;
  std::mutex filesMutex;
  recorder.SetOutputFactory([&](const std::string&) {
    auto memory = std::make_shared<record::Mp4MemoryOutput>();
    std::lock_guard<std::mutex> lock(filesMutex);
    files.push_back(memory);
    return std::make_unique<SharedOutput>(memory);
  });
  NodeMediaPath path(kNode, poster, kParent, nullptr, nullptr, &recorder);
  path.StartWorker();
  std::atomic<bool> done{false};
  std::thread receive([&] {
    const std::vector<uint8_t> audio(48, 0x21);
    for (size_t i = 0; i < 100; ++i) {
      if (i % 25 == 0) path.DeliverMedia(Media(net::kMediaVideoConfig, stream.configuration, 0));
      path.DeliverMedia(Media(net::kMediaVideoFrame, stream.pictures[i], 40 * i));
      path.DeliverMedia(Media(net::kMediaAudio, audio, 40 * i));
      os::SleepMs(10);
    }
    done = true;
  });
  int recordings = 0;
  while (!done) {
    if (recorder.Start("r.mp4") == 0) ++recordings;
    path.WithPicture([](const DecodedPicture& p) { EXPECT_EQ(p.width, 320); });
    os::SleepMs(37);
    recorder.Stop();
  }
  receive.join();
  path.StopWorker();
  EXPECT_GT(recordings, 3);
  std::lock_guard<std::mutex> lock(filesMutex);
  ASSERT_EQ(files.size(), size_t(recordings));
  for (const auto& file : files) EXPECT_TRUE(Contains(file->Bytes(), "moov", 4)) << "a recording was not finalised";
}

TEST_F(NodeRecorderTest, NewPictureSizeClosesTheRecording) {
  const auto stream = node_test::LoadStream("test_320x240.m4v");
  UseMemory();
  recorder.SetVideoConfiguration(stream.configuration.data(), stream.configuration.size(), 320, 240);
  ASSERT_EQ(recorder.Start("s.mp4"), 0);
  recorder.FeedVideo(stream.pictures[0].data(), uint32_t(stream.pictures[0].size()), 0, true);
  recorder.SetVideoConfiguration(stream.configuration.data(), stream.configuration.size(), 320, 240);
  EXPECT_TRUE(recorder.IsRecording()) << "the same size stopped the recording";
  recorder.SetVideoConfiguration(stream.configuration.data(), stream.configuration.size(), 640, 480);
  EXPECT_FALSE(recorder.IsRecording());
  EXPECT_TRUE(Contains(memory->Bytes(), "moov", 4)) << "the recording was not finalised";
  EXPECT_EQ(poster.Posts().size(), 2u) << "start and stop each notify the main window";
}

#ifndef _WIN32
// A recording made through the media path, read back by ffprobe and decoded
// by ffmpeg: tools that share no code with ours.
TEST(NodeRecording, RecordingOfTheMediaPathPlaysInFfmpeg) {
  if (std::system("ffprobe -version >/dev/null 2>&1") != 0) GTEST_SKIP() << "no ffprobe";
  const auto stream = node_test::LoadStream("test_320x240.m4v");
  ASSERT_GE(stream.pictures.size(), 50u);
  RecordingPoster poster;
  FakeHost host;
  NodeRecorder recorder(kNode, poster, kParent, kMain, host);
  NodeMediaPath path(kNode, poster, kParent, nullptr, nullptr, &recorder);
  const char* dir = std::getenv("HALYARD_BINARY_DIR");
  const std::string file = std::string(dir ? dir : "/tmp") + "/node_media_recording.mp4";
  std::remove(file.c_str());

  path.DeliverMedia(Media(net::kMediaVideoConfig, stream.configuration, 0));
  path.StartWorker();
  ASSERT_EQ(recorder.Start(file), 0);
  const size_t count = 50;
  for (size_t i = 0; i < count; ++i) {
    path.DeliverMedia(Media(net::kMediaVideoFrame, stream.pictures[i], 7000 + 40 * i));
    ASSERT_TRUE(node_test::WaitFor([&] { return path.FramesShown() >= i + 1; }));
  }
  path.StopWorker();
  recorder.Stop();

  const std::string probe = "ffprobe -v error -count_packets -select_streams v -show_entries "
                            "stream=codec_name,width,height,nb_frames,nb_read_packets,duration -of "
                            "default=noprint_wrappers=1 " + file + " 2>&1";
  std::FILE* pipe = popen(probe.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string out;
  char line[256];
  while (std::fgets(line, sizeof line, pipe)) out += line;
  pclose(pipe);
  EXPECT_NE(out.find("codec_name=mpeg4\n"), std::string::npos) << out;
  EXPECT_NE(out.find("width=320\n"), std::string::npos) << out;
  EXPECT_NE(out.find("height=240\n"), std::string::npos) << out;
  EXPECT_NE(out.find("nb_frames=50\n"), std::string::npos) << out;
  EXPECT_NE(out.find("nb_read_packets=50\n"), std::string::npos) << out;
  EXPECT_NE(out.find("duration=2.000000\n"), std::string::npos) << out;

  // Every recorded picture decodes with the recorded configuration.
  const std::string decode = "ffmpeg -v error -i " + file + " -f null - 2>&1";
  pipe = popen(decode.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string errors;
  while (std::fgets(line, sizeof line, pipe)) errors += line;
  const int status = pclose(pipe);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(errors, "") << "ffmpeg reported errors decoding the recording";
  std::remove(file.c_str());
}
#endif

}  // namespace
}  // namespace node
