// Recording control: when a recording starts and stops, what it posts and
// logs, the clocks of its units, and the file it leaves behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
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
#include "record/tests/mp4_test_util.h"

namespace node {
namespace {

using node::testing::FakeRecorderHost;
using node::testing::Media;
using node::testing::RecordingPoster;
using node::testing::SharedOutput;
using node::testing::Vop;
using record::testing::Box;
using record::testing::Find;
using record::testing::Runs;

constexpr os::WindowHandle kParent = 0x10;
constexpr os::WindowHandle kMain = 0x20;
constexpr int kNode = 3;

// Per-sample durations of one track's "stts", in sample order (tracks in the
// order they were created: video first when it came first).
std::vector<uint32_t> SampleDurations(const std::vector<uint8_t>& file, int track) {
  std::vector<uint32_t> durations;
  for (const auto& [count, delta] : Runs(file, "moov/trak#" + std::to_string(track) + "/mdia/minf/stbl/stts"))
    durations.insert(durations.end(), count, delta);
  return durations;
}

bool Finalised(const std::vector<uint8_t>& file) { return Find(file, "moov").found; }

// Whether the video track's sample description holds `unit` (its decoder
// configuration sits in there, nowhere else).
bool DescribedBy(const std::vector<uint8_t>& file, const std::vector<uint8_t>& unit) {
  const Box stsd = Find(file, "moov/trak#0/mdia/minf/stbl/stsd");
  if (!stsd.found) return false;
  const auto begin = file.begin() + static_cast<long>(stsd.start), end = begin + static_cast<long>(stsd.size);
  return std::search(begin, end, unit.begin(), unit.end()) != end;
}
// The encoder's own headers name it: they stand in for a camera's that never came.
bool DescribedByTheEncoder(const std::vector<uint8_t>& file) { return DescribedBy(file, {'3', '.', '5', '.', '1', '4'}); }

class NodeRecorderTest : public ::testing::Test {
 protected:
  void UseMemory() {
    memory_ = std::make_shared<record::Mp4MemoryOutput>();
    recorder_.SetOutputFactory([this](const std::string&) { return std::make_unique<SharedOutput>(memory_); });
  }
  void Feed(const std::vector<uint8_t>& unit, uint64_t ts, bool picture = true) {
    recorder_.FeedVideo(unit.data(), uint32_t(unit.size()), ts, picture);
  }
  void Finish() {
    recorder_.Stop();
    recorder_.WaitFinished();
  }
  RecordingPoster poster_;
  FakeRecorderHost host_;
  NodeRecorder recorder_{kNode, poster_, kParent, kMain, host_};
  std::shared_ptr<record::Mp4MemoryOutput> memory_;
  const node::testing::SplitStream stream_ = node::testing::LoadStream("test_320x240.m4v");
};

TEST_F(NodeRecorderTest, ToggleStartsThroughTheDialogAndStopsWithLogLines) {
  UseMemory();
  LogCapture log;
  host_.chosen = "chosen.mp4";
  recorder_.Toggle();
  ASSERT_TRUE(recorder_.IsRecording());
  EXPECT_EQ(recorder_.Path(), "chosen.mp4");
  recorder_.Toggle();
  recorder_.WaitFinished();
  EXPECT_FALSE(recorder_.IsRecording());
  EXPECT_EQ(recorder_.Path(), "");
  const auto posts = poster_.Posts();
  ASSERT_EQ(posts.size(), 4u);
  // Start and Stop notify the main window, Toggle the frame.
  EXPECT_EQ(std::vector<os::WindowHandle>({posts[0].window, posts[1].window, posts[2].window, posts[3].window}),
            std::vector<os::WindowHandle>({kMain, kParent, kMain, kParent}));
  EXPECT_EQ(host_.dialogs, 1);

  const auto lines = log.Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].rfind("Channel 3 : Record Start : ", 0), 0u) << lines[0];
  EXPECT_EQ(lines[0].back(), '\n');
  EXPECT_EQ(lines[1].rfind("Channel 3 : <<", 0), 0u) << lines[1];
  EXPECT_NE(lines[1].find(">> Record Stop: "), std::string::npos) << lines[1];
  EXPECT_TRUE(Finalised(memory_->Bytes())) << "Stop did not finalise the file";
}

TEST_F(NodeRecorderTest, StartIsRefusedWhenCancelledUnlinkedUnknownOrUnwritable) {
  UseMemory();
  EXPECT_EQ(recorder_.Start(""), -1) << "a cancelled dialog started a recording";
  host_.link_up = false;
  EXPECT_EQ(recorder_.Start("x.mp4"), -1);
  host_.link_up = true;
  host_.camera_known = false;
  EXPECT_EQ(recorder_.Start("x.mp4"), -1);
  EXPECT_TRUE(poster_.Posts().empty());
  // The toggle without a camera only tells the frame its button is off again.
  host_.chosen = "unused.mp4";
  const int dialogs = host_.dialogs;
  recorder_.Toggle();
  EXPECT_FALSE(recorder_.IsRecording());
  EXPECT_EQ(host_.dialogs, dialogs) << "the save dialog opened without a camera";
  const auto posts = poster_.Posts();
  ASSERT_EQ(posts.size(), 1u);
  EXPECT_EQ(posts[0].window, kParent);
  EXPECT_EQ(posts[0].message, uint32_t(os::kWmNodeChannelReady));
  EXPECT_EQ(posts[0].wparam, uintptr_t(kNode));
  EXPECT_EQ(posts[0].lparam, 0);
  host_.camera_known = true;
  ASSERT_EQ(recorder_.Start("x.mp4"), 0);
  EXPECT_EQ(recorder_.Start("y.mp4"), -1) << "a second start while recording";
  EXPECT_EQ(recorder_.Path(), "x.mp4");
  Finish();

  NodeRecorder on_disk(kNode, poster_, kParent, kMain, host_);
  EXPECT_EQ(on_disk.Start(node::testing::TempPath("no-such-dir/sub/rec.mp4")), -1)
      << "a file that cannot be created reported as recording";
  EXPECT_FALSE(on_disk.IsRecording());
}

TEST_F(NodeRecorderTest, ClocksNeverRunBackwardsOrLeapAnHour) {
  UseMemory();
  ASSERT_EQ(recorder_.Start("clock.mp4"), 0);
  // Sound on the pictures' clock: back in time and an hour's leap land 64 ms
  // after the previous frame. It waits for the pictures to catch up with it.
  const std::vector<uint8_t> frame(48, 0x11);
  for (uint64_t ts : {1000, 1064, 900, 1192, 1192 + 3600001, 1300})
    recorder_.FeedAudio(frame.data(), uint32_t(frame.size()), ts);
  // Video: back in time and an hour's leap land 50 ms after the previous
  // unit. A camera that sends a late burst can stamp two units alike: they
  // are a millisecond apart in the file (players refuse samples at the same time).
  for (uint64_t ts : {1000, 1040, 1040, 1080, 500, 1170, 1170 + 3600001, 1250}) Feed(Vop(0, 8, uint8_t(ts)), ts);
  Finish();
  // Times 0, 40, 41, 80, 130, 170, 220, 250; the last sample lasts as the one before.
  EXPECT_EQ(SampleDurations(memory_->Bytes(), 0), (std::vector<uint32_t>{40, 1, 39, 50, 40, 50, 30, 30}));
  // Times 0, 64, 128, 192; 256 lies past the last picture and is left out.
  EXPECT_EQ(SampleDurations(memory_->Bytes(), 1), (std::vector<uint32_t>{64, 64, 64, 64}));
}

// Units before Start or without a picture buffer are not recorded, and the
// file starts with the next intra picture, at time 0.
TEST_F(NodeRecorderTest, VideoStartsWithTheNextIntraPictureAfterStart) {
  UseMemory();
  Feed(Vop(0), 10);  // not recording yet
  ASSERT_EQ(recorder_.Start("i.mp4"), 0);
  Feed(Vop(0), 100, false);  // no picture buffer yet
  for (const auto& [type, ts] : {std::pair{1, 140}, {1, 180}, {0, 220}, {1, 270}}) Feed(Vop(type), uint64_t(ts));
  // Sound that comes after the last picture but belongs before it is still
  // held when the recording stops: the file takes it as it closes.
  const std::vector<uint8_t> frame(48, 0x11);
  for (uint64_t ts : {230, 262}) recorder_.FeedAudio(frame.data(), uint32_t(frame.size()), ts);
  Finish();
  EXPECT_EQ(SampleDurations(memory_->Bytes(), 0), (std::vector<uint32_t>{50, 50}));
  EXPECT_EQ(SampleDurations(memory_->Bytes(), 1), (std::vector<uint32_t>{32, 32})) << "the sound held at the stop is lost";
}

// Without a received configuration the encoder's headers describe the track;
// one that comes after Start is unit 0 of the one file all the same.
TEST_F(NodeRecorderTest, UnitZeroIsTheReceivedConfigurationWhenEverItCame) {
  UseMemory();
  ASSERT_EQ(recorder_.Start("a.mp4"), 0);
  Finish();
  EXPECT_TRUE(DescribedByTheEncoder(memory_->Bytes())) << "the encoder's headers are missing";

  memory_ = std::make_shared<record::Mp4MemoryOutput>();
  std::vector<std::string> opened;
  recorder_.SetOutputFactory([&](const std::string& path) {
    opened.push_back(path);
    return std::make_unique<SharedOutput>(memory_);
  });
  // Started the moment the camera is known, before its headers came.
  ASSERT_EQ(recorder_.Start("early.mp4"), 0);
  const std::vector<uint8_t> frame(48, 0x11);
  recorder_.FeedAudio(frame.data(), uint32_t(frame.size()), 10);
  recorder_.SetVideoConfiguration(stream_.configuration.data(), stream_.configuration.size(), 320, 240);
  Feed(Vop(1, 8, 7), 20);
  Feed(stream_.pictures[0], 60);
  Finish();
  EXPECT_EQ(opened, (std::vector<std::string>{"early.mp4"})) << "the recording rolled over to a second file";
  EXPECT_TRUE(DescribedBy(memory_->Bytes(), stream_.configuration)) << "the camera's configuration is not unit 0";
  EXPECT_FALSE(DescribedByTheEncoder(memory_->Bytes())) << "the encoder's headers stood in";
  // The file starts with the intra picture: nothing before it decodes.
  EXPECT_EQ(SampleDurations(memory_->Bytes(), 0).size(), 1u);
}

// The receive thread, the media worker and the window's thread at once:
// configurations, pictures and audio arrive while recordings start and stop
// and the window repaints. Every recording must come out finalised.
TEST_F(NodeRecorderTest, StartAndStopWhileMediaFlows) {
  const auto& stream = stream_;
  ASSERT_GE(stream.pictures.size(), 100u);
  std::vector<std::shared_ptr<record::Mp4MemoryOutput>> files;
  std::mutex filesMutex;
  recorder_.SetOutputFactory([&](const std::string&) {
    auto memory = std::make_shared<record::Mp4MemoryOutput>();
    std::lock_guard<std::mutex> lock(filesMutex);
    files.push_back(memory);
    return std::make_unique<SharedOutput>(memory);
  });
  NodeMediaPath path(kNode, poster_, kParent, nullptr, nullptr, &recorder_);
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
    if (recorder_.Start("r.mp4") == 0) ++recordings;
    path.WithPicture([](const codec::DecodedPicture& p) { EXPECT_EQ(p.width, 320); });
    os::SleepMs(37);
    recorder_.Stop();
  }
  receive.join();
  recorder_.WaitFinished();
  path.StopWorker();
  EXPECT_GT(recordings, 3);
  std::lock_guard<std::mutex> lock(filesMutex);
  // A recording started before the first configuration continues in a
  // second file once the camera's own headers arrive.
  ASSERT_GE(files.size(), size_t(recordings));
  for (const auto& file : files) EXPECT_TRUE(Finalised(file->Bytes())) << "a recording was not finalised";
}

// A camera that changes its configuration mid-recording: the file so far is
// finalised on the media worker when the next intra picture comes, and the
// recording goes on in "name-2.mp4" described by the new configuration.
TEST_F(NodeRecorderTest, NewConfigurationContinuesInANumberedFile) {
  const auto& cif = stream_;
  const auto vga = node::testing::LoadStream("test_640x480.m4v");
  ASSERT_EQ(record::VopCodingType(vga.pictures[0].data(), vga.pictures[0].size()), 0);
  ASSERT_NE(record::VopCodingType(vga.pictures[1].data(), vga.pictures[1].size()), 0);
  std::map<std::string, std::shared_ptr<record::Mp4MemoryOutput>> files;
  recorder_.SetOutputFactory([&](const std::string& path) -> std::unique_ptr<record::Mp4Output> {
    if (path == "fail-3.mp4") return nullptr;
    files[path] = std::make_shared<record::Mp4MemoryOutput>();
    return std::make_unique<SharedOutput>(files[path]);
  });
  LogCapture log;
  recorder_.SetVideoConfiguration(cif.configuration.data(), cif.configuration.size(), 320, 240);
  ASSERT_EQ(recorder_.Start("fail.mp4"), 0);
  Feed(cif.pictures[0], 1000);
  Feed(cif.pictures[1], 1040);
  // The same values again, in other bytes: the file goes on.
  std::vector<uint8_t> resent = cif.configuration;
  resent.insert(resent.end(), {0x00, 0x00, 0x01, 0xB2, 'x'});
  recorder_.SetVideoConfiguration(resent.data(), resent.size(), 320, 240);
  Feed(cif.pictures[2], 1080);

  recorder_.SetVideoConfiguration(vga.configuration.data(), vga.configuration.size(), 640, 480);
  EXPECT_FALSE(Finalised(files["fail.mp4"]->Bytes())) << "the receive thread's call finalised the file";
  Feed(vga.pictures[1], 1120);  // not intra: belongs to no file
  EXPECT_EQ(files.size(), 1u);
  Feed(vga.pictures[0], 1160);
  Feed(vga.pictures[1], 1200);
  ASSERT_EQ(files.size(), 2u);
  EXPECT_TRUE(recorder_.IsRecording()) << "the recording must go on by itself";
  EXPECT_EQ(recorder_.Path(), "fail-2.mp4");
  EXPECT_TRUE(log.Has("Channel 3 : video configuration changed (picture size), recording continues in fail-2.mp4\n"))
      << ::testing::PrintToString(log.Lines());
  recorder_.WaitFinished();  // files are finished on a thread of their own
  const auto& first = files["fail.mp4"]->Bytes();
  EXPECT_TRUE(Finalised(first));
  EXPECT_EQ(SampleDurations(first, 0).size(), 3u);
  EXPECT_TRUE(DescribedBy(first, cif.configuration));
  EXPECT_FALSE(DescribedByTheEncoder(first)) << "the encoder's headers were recorded as well";

  // The next file cannot be created: the recording ends and says so.
  recorder_.SetVideoConfiguration(cif.configuration.data(), cif.configuration.size(), 320, 240);
  Feed(cif.pictures[0], 1240);
  recorder_.WaitFinished();
  EXPECT_FALSE(recorder_.IsRecording());
  EXPECT_TRUE(log.Has("Channel 3 : Record Open Fail : fail-3.mp4\n"));
  const auto& second = files["fail-2.mp4"]->Bytes();
  ASSERT_TRUE(Finalised(second));
  EXPECT_EQ(SampleDurations(second, 0), (std::vector<uint32_t>{40, 40})) << "the new file starts its own clock";
  EXPECT_TRUE(DescribedBy(second, vga.configuration));
  EXPECT_EQ(record::testing::List(second, "moov/trak#0/mdia/minf/stbl/stss"), (std::vector<uint32_t>{1}));
  const auto posts = poster_.Posts(os::kWmNodeChannelReady);
  ASSERT_EQ(posts.size(), 3u) << "Start and the end of the recording notify, a new file does not";
  EXPECT_EQ(posts[1].window, kMain);
  EXPECT_EQ(posts[2].window, kParent) << "the frame's toggle must go off by itself";
  EXPECT_EQ(recorder_.LastFailure().kind, RecordingFailure::kCannotCreate);
  EXPECT_EQ(recorder_.LastFailure().path, "fail-3.mp4");
}

TEST(RecordingNames, NumberedPathsKeepTheExtension) {
  EXPECT_EQ(RecordingNames::NumberedPath("rec.mp4", 1), "rec.mp4");
  EXPECT_EQ(RecordingNames::NumberedPath("C:\\cam.v1\\rec.mp4", 2), "C:\\cam.v1\\rec-2.mp4");
  EXPECT_EQ(RecordingNames::NumberedPath("/tmp/cam.v1/rec", 3), "/tmp/cam.v1/rec-3");
}

#ifndef _WIN32
using record::testing::Shell;

// ffprobe's figures of a file's video, once ffmpeg, which shares no code
// with ours, decoded it without an error and read `frames` pictures from it.
std::string ExpectPlayable(const std::string& file, int frames) {
  const std::string probe = Shell("ffprobe -v error -count_packets -select_streams v -show_entries "
                                  "stream=codec_name,width,height,nb_frames,nb_read_packets,duration -of "
                                  "default=noprint_wrappers=1 " + file);
  const std::string count = std::to_string(frames) + "\n";
  for (const std::string& line : {std::string("codec_name=mpeg4\n"), "nb_frames=" + count, "nb_read_packets=" + count})
    EXPECT_NE(probe.find(line), std::string::npos) << file << "\n" << probe;
  int status = -1;
  EXPECT_EQ(Shell("ffmpeg -v error -i " + file + " -f null -", &status), "") << "ffmpeg reported errors in " << file;
  EXPECT_EQ(status, 0) << file;
  return probe;
}

std::string ScratchBase(const char* name) {
  const char* dir = std::getenv("HALYARD_BINARY_DIR");
  return std::string(dir ? dir : "/tmp") + "/" + name;
}

// A camera streams through the media path into a recording and changes its
// configuration twice without changing its picture size: another time base,
// then data partitioning. Each of the three files plays whole.
TEST_F(NodeRecorderTest, ConfigurationChangesGiveFilesThatFfmpegDecodesWhole) {
  ASSERT_EQ(std::system("ffmpeg -version >/dev/null 2>&1 && ffprobe -version >/dev/null 2>&1"), 0)
      << "ffmpeg and ffprobe are needed";
  const std::string base = ScratchBase("node_media_recording");
  auto encode = [&](const char* name, const char* options) {
    const std::string path = base + "_" + name + ".m4v";
    Shell("ffmpeg -v error -y -f lavfi -i testsrc=size=320x240:rate=30 -frames:v 12 -c:v mpeg4 -q:v 8 -g 12 -bf 0 " +
          std::string(options) + " -f m4v " + path);
    return node::testing::LoadStreamFile(path);
  };
  const node::testing::SplitStream streams[] = {stream_, encode("30fps", ""),
                                                encode("partitioned", "-data_partitioning 1")};
  const size_t count = 12;
  for (const auto& stream : streams) ASSERT_GE(stream.pictures.size(), count);

  NodeMediaPath path(kNode, poster_, kParent, nullptr, nullptr, &recorder_);
  const std::string files[] = {base + ".mp4", base + "-2.mp4", base + "-3.mp4"};
  for (const auto& f : files) std::remove(f.c_str());
  path.DeliverMedia(Media(net::kMediaVideoConfig, streams[0].configuration, 0));
  path.StartWorker();
  // Started once the stream is configured, as a view and the command line do.
  ASSERT_TRUE(node::testing::WaitFor([&] { return path.HasConfiguration(); }));
  ASSERT_EQ(recorder_.Start(files[0]), 0);
  uint64_t ts = 7000;
  for (const auto& stream : streams) {
    if (&stream != &streams[0]) path.DeliverMedia(Media(net::kMediaVideoConfig, stream.configuration, ts));
    for (size_t i = 0; i < count; ++i, ts += 40) {
      const uint64_t shown = path.FramesShown();
      path.DeliverMedia(Media(net::kMediaVideoFrame, stream.pictures[i], ts));
      ASSERT_TRUE(node::testing::WaitFor([&] { return path.FramesShown() > shown; }));
    }
  }
  path.StopWorker();
  Finish();
  for (const auto& f : files) {
    const std::string probe = ExpectPlayable(f, 12);
    EXPECT_NE(probe.find("width=320\nheight=240\n"), std::string::npos) << f << "\n" << probe;
    EXPECT_NE(probe.find("duration=0.480000\n"), std::string::npos) << f << "\n" << probe;
    std::remove(f.c_str());
  }
}

// The link drops in the middle of a recording: the file so far is
// finished, the recording stays on, and the first intra picture after the
// gap starts the next free numbered file (one taken by someone else is
// left alone). ffprobe and ffmpeg read both files whole.
TEST_F(NodeRecorderTest, ARecordingAcrossAnOutageGivesTwoPlayableFiles) {
  ASSERT_EQ(std::system("ffmpeg -version >/dev/null 2>&1 && ffprobe -version >/dev/null 2>&1"), 0)
      << "ffmpeg and ffprobe are needed";
  const std::string base = ScratchBase("node_media_outage");
  Shell("ffmpeg -v error -y -f lavfi -i testsrc=size=320x240:rate=25 -frames:v 24 -c:v mpeg4 -q:v 8 -g 6 -bf 0 -f m4v " +
        base + ".m4v");
  const node::testing::SplitStream stream = node::testing::LoadStreamFile(base + ".m4v");
  ASSERT_GE(stream.pictures.size(), 24u);
  const std::string first = base + ".mp4", taken = base + "-2.mp4", second = base + "-3.mp4";
  for (const auto& f : {first, taken, second}) std::remove(f.c_str());
  { std::FILE* other = std::fopen(taken.c_str(), "wb"); ASSERT_TRUE(other); std::fputs("someone else's", other); std::fclose(other); }

  std::vector<std::string> told;
  recorder_.SetEventTeller([&](int, const std::string& text) { told.push_back(text); });
  recorder_.SetVideoConfiguration(stream.configuration.data(), stream.configuration.size(), 320, 240);
  ASSERT_EQ(recorder_.Start(first), 0);
  for (size_t i = 0; i < 12; ++i) Feed(stream.pictures[i], 5000 + 40 * i);
  recorder_.Interrupt();
  EXPECT_TRUE(recorder_.IsRecording()) << "the toggle must stay on through the outage";
  // The camera's clock starts afresh with the new link; pictures before an
  // intra one have nothing to refer to.
  for (size_t i = 14; i < 24; ++i) Feed(stream.pictures[i], 40 * (i - 14));
  EXPECT_EQ(recorder_.Path(), second);
  Finish();

  ExpectPlayable(first, 12);
  ExpectPlayable(second, 6);
  EXPECT_EQ(Shell("cat " + taken), "someone else's") << "a taken name was overwritten";
  EXPECT_NE(std::find(told.begin(), told.end(), "Recording continues in " + second + " after the gap"), told.end())
      << ::testing::PrintToString(told);
  for (const auto& f : {first, taken, second, base + ".m4v"}) std::remove(f.c_str());
}
#endif

}  // namespace
}  // namespace node
