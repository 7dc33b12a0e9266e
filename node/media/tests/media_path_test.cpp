// The hand-off from the receive thread, the media worker and the statistics.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

#include "codec/video/video_decoder.h"
#include "codec/video/video_encoder.h"
#include "node/media/media_path.h"
#include "present/picture_sink.h"
#include "present/playback_feeder.h"
#include "node/media/tests/test_support.h"
#include "os/clock.h"
#include "record/m4v_headers.h"

namespace node {
namespace {

using node::testing::Media;
using node::testing::RecordingPoster;

constexpr os::WindowHandle kParent = 0x1234;

class FakeSink : public present::PictureSink {
 public:
  void ShowPicture(const codec::DecodedPicture& picture) override {
    std::lock_guard<std::mutex> lock(mutex_);
    last_.assign(picture.data, picture.data + picture.Size());
    width_ = picture.width;
    height_ = picture.height;
    ++shown_;
    times_.push_back(os::MonotonicMs());
  }
  void Resize(int width, int height) override {
    std::lock_guard<std::mutex> lock(mutex_);
    resizes_.push_back({width, height});
  }
  std::vector<uint8_t> Last() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return last_;
  }
  int Shown() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return shown_;
  }
  std::vector<uint64_t> ShowTimes() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return times_;
  }
  std::vector<std::pair<int, int>> Resizes() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return resizes_;
  }
  bool WantsPictures() override { return wanted.load(); }
  std::atomic<bool> wanted{true};

 private:
  mutable std::mutex mutex_;
  std::vector<uint8_t> last_;
  int width_ = 0, height_ = 0, shown_ = 0;
  std::vector<std::pair<int, int>> resizes_;
  std::vector<uint64_t> times_;
};

// A sound output with room for `room` units; decodes what it takes.
class FakeFeeder : public present::PlaybackFeeder {
 public:
  bool IsOpen() const override { return open.load(); }
  bool FeedOne(present::SoundSource& sound) override {
    if (room.load() <= 0) return false;
    present::SoundSamples pcm;
    if (!sound.TakeOldest(&pcm)) return false;
    {
      std::lock_guard<std::mutex> lock(mutex);
      timestamps.push_back(pcm.timestamp);
      decodedBytes += pcm.count * 2;
    }
    --room;
    return true;
  }
  std::atomic<bool> open{true};
  std::atomic<int> room{1000};
  std::mutex mutex;
  std::vector<uint64_t> timestamps;
  int decodedBytes = 0;
};

class MediaPathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    stream = node::testing::LoadStream("test_320x240.m4v");
    ASSERT_FALSE(stream.configuration.empty()) << "test stream missing";
    ASSERT_GE(stream.pictures.size(), 60u);
  }
  node::testing::SplitStream stream;
  RecordingPoster poster;
  FakeSink sink;
};

TEST_F(MediaPathTest, FramesBeforeAnyConfigurationAreDroppedButPositionIsPosted) {
  NodeMediaPath path(2, poster, kParent, &sink, nullptr);
  path.DeliverMedia(Media(net::kMediaVideoFrame, stream.pictures[0], 0x100000005ull));
  EXPECT_EQ(path.LiveRing().Count(), 0) << "a picture without headers was queued";
  const auto positions = poster.Posts(os::kWmNodePosition);
  ASSERT_EQ(positions.size(), 1u);
  EXPECT_EQ(positions[0].window, kParent);
  EXPECT_EQ(positions[0].wparam, 5u) << "wParam carries the low 32 bits of the timestamp";
  EXPECT_TRUE(path.Playing());
  EXPECT_EQ(path.Position(), 0x100000005ull);

  path.DeliverMedia(Media(net::kMediaVideoConfig, stream.configuration, 0));
  path.DeliverMedia(Media(net::kMediaVideoFrame, {}, 40));
  EXPECT_EQ(path.LiveRing().Count(), 0) << "an empty unit was queued";
  path.DeliverMedia(Media(net::kMediaVideoFrame, stream.pictures[0], 80));
  EXPECT_EQ(path.LiveRing().Count(), 1);
  path.DeliverMedia(Media(7, stream.pictures[0], 80));
  EXPECT_EQ(path.LiveRing().Count(), 1) << "an unknown kind was queued";
}

TEST_F(MediaPathTest, ConfigurationSetsSizeAndPostsTheWidthOnlyWhenItChanges) {
  NodeMediaPath path(1, poster, kParent, &sink, nullptr);
  auto configure = [&](const std::vector<uint8_t>& unit) {
    path.DeliverMedia(Media(net::kMediaVideoConfig, unit, 0));
    path.ApplyDueConfiguration();
  };
  configure(stream.configuration);
  EXPECT_EQ(path.Width(), 320);
  EXPECT_EQ(path.Height(), 240);
  auto commands = poster.Posts(os::kWmNodePictureWidth);
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0].window, kParent);
  EXPECT_EQ(commands[0].wparam, 320u);
  // The new picture buffer starts grey luma, zero chroma.
  EXPECT_TRUE(path.WithPicture([](const codec::DecodedPicture& p) {
    EXPECT_EQ(p.width, 320);
    EXPECT_EQ(p.Y()[0], 128);
    EXPECT_EQ(p.Y()[320 * 240 - 1], 128);
    EXPECT_EQ(p.U()[0], 0);
    EXPECT_EQ(p.V()[160 * 120 - 1], 0);
  }));

  // Same width again: nothing is posted.
  poster.Clear();
  configure(stream.configuration);
  EXPECT_TRUE(poster.Posts(os::kWmNodePictureWidth).empty());

  // Another width: it is posted.
  const auto qcif = node::testing::LoadStream("test_176x144.m4v");
  configure(qcif.configuration);
  EXPECT_EQ(path.Width(), 176);
  EXPECT_EQ(path.Height(), 144);
  commands = poster.Posts(os::kWmNodePictureWidth);
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0].wparam, 176u);
  const auto vga = node::testing::LoadStream("test_640x480.m4v");
  configure(vga.configuration);
  commands = poster.Posts(os::kWmNodePictureWidth);
  ASSERT_EQ(commands.size(), 2u);
  EXPECT_EQ(commands[1].wparam, 640u);
  EXPECT_TRUE(path.WithPicture([](const codec::DecodedPicture& p) { EXPECT_EQ(p.Size(), 640u * 480 * 3 / 2); }));
}

TEST_F(MediaPathTest, ConfigurationOfAnUnusableSizeConfiguresNothing) {
  codec::VideoEncoder encoder;
  ASSERT_EQ(encoder.Initialise(4096, 4096), 0);
  size_t length = 0;
  const uint8_t* headers = encoder.Headers(&length);
  const std::vector<uint8_t> huge(headers, headers + length);
  NodeMediaPath path(1, poster, kParent, &sink, nullptr);
  auto configure = [&](const std::vector<uint8_t>& unit) {
    path.DeliverMedia(Media(net::kMediaVideoConfig, unit, 0));
    path.ApplyDueConfiguration();
  };
  configure(huge);
  EXPECT_EQ(path.Width(), 0);
  EXPECT_FALSE(path.WithPicture([](const codec::DecodedPicture&) {})) << "a 4096 x 4096 picture buffer was made";
  EXPECT_TRUE(poster.Posts(os::kWmNodePictureWidth).empty());

  // After usable headers, unusable ones leave the stream undecodable: its
  // pictures are dropped, neither decoded nor counted.
  configure(stream.configuration);
  configure(huge);
  EXPECT_FALSE(path.HasConfiguration());
  EXPECT_TRUE(path.Configuration().empty());
  path.DeliverMedia(Media(net::kMediaVideoFrame, stream.pictures[0], 40));
  path.StartWorker();
  ASSERT_TRUE(node::testing::WaitFor([&] { return path.LiveRing().Count() == 0; }));
  path.StopWorker();
  EXPECT_EQ(path.FramesShown(), 0u) << "a picture was decoded for unusable headers";
  EXPECT_EQ(sink.Shown(), 0);
  EXPECT_TRUE(path.WithPicture([](const codec::DecodedPicture& p) { EXPECT_EQ(p.width, 320); }))
      << "the picture buffer of the usable headers stays";
}

// The receive thread only stores a configuration unit: the worker applies
// it in its place among the pictures, so those queued before it decode with
// the configuration before, and those after it with it.
TEST_F(MediaPathTest, TheWorkerAppliesAConfigurationInItsPlaceAmongThePictures) {
  const auto vga = node::testing::LoadStream("test_640x480.m4v");
  NodeMediaPath path(1, poster, kParent, &sink, nullptr);
  path.DeliverMedia(Media(net::kMediaVideoConfig, stream.configuration, 0));
  for (size_t i = 0; i < 3; ++i) path.DeliverMedia(Media(net::kMediaVideoFrame, stream.pictures[i], 40 * i));
  path.DeliverMedia(Media(net::kMediaVideoConfig, vga.configuration, 120));
  for (size_t i = 0; i < 3; ++i) path.DeliverMedia(Media(net::kMediaVideoFrame, vga.pictures[i], 120 + 40 * i));
  EXPECT_EQ(path.Width(), 0) << "the receive thread decoded a configuration";
  path.StartWorker();
  ASSERT_TRUE(node::testing::WaitFor([&] { return path.LiveRing().Count() == 0 && path.Width() == 640; }));
  path.StopWorker();
  EXPECT_EQ(path.FramesShown(), 6u) << "pictures sent before the new configuration were thrown away";
  EXPECT_EQ(sink.Resizes(), (std::vector<std::pair<int, int>>{{320, 240}, {640, 480}}));
}

// A renderer that hands the picture to the window's thread and waits for its
// repaint, which reads the picture through WithPicture: nothing of the node
// may be locked while the renderer runs.
TEST_F(MediaPathTest, RendererMayWaitForTheWindowsRepaint) {
  class WaitingSink : public present::PictureSink {
   public:
    void ShowPicture(const codec::DecodedPicture&) override { Repaint(); }
    void Resize(int, int) override { Repaint(); }
    void Repaint() {
      auto painted = std::make_shared<std::atomic<bool>>(false);
      ++pending;
      std::thread([this, painted] {
        *painted = path->WithPicture([](const codec::DecodedPicture&) {});
        --pending;
      }).detach();
      answered = answered && node::testing::WaitFor([&] { return painted->load(); }, 3000);
      ++calls;
    }
    NodeMediaPath* path = nullptr;
    std::atomic<bool> answered{true};
    std::atomic<int> calls{0}, pending{0};
  } waiting;
  NodeMediaPath path(1, poster, kParent, &waiting, nullptr);
  waiting.path = &path;
  path.DeliverMedia(Media(net::kMediaVideoConfig, stream.configuration, 0));
  path.StartWorker();
  for (size_t i = 0; i < 3; ++i) path.DeliverMedia(Media(net::kMediaVideoFrame, stream.pictures[i], 40 * i));
  ASSERT_TRUE(node::testing::WaitFor([&] { return waiting.calls >= 4; }, 20000));
  path.StopWorker();
  ASSERT_TRUE(node::testing::WaitFor([&] { return waiting.pending == 0; }));
  EXPECT_TRUE(waiting.answered) << "the repaint waited for a lock the renderer's caller held";
}

TEST_F(MediaPathTest, WorkerStartsAndStopsFromAnyThread) {
  NodeMediaPath path(1, poster, kParent, &sink, nullptr);
  auto flip = [&] {
    for (int i = 0; i < 200; ++i) {
      path.StartWorker();
      path.StopWorker();
    }
  };
  std::thread other(flip);
  flip();
  other.join();
  EXPECT_FALSE(path.WorkerRunning());
}

// The window hears of the position a few times a second, not per picture,
// but at once when the stream jumps back or far ahead (a seek, a new file).
TEST_F(MediaPathTest, PositionsGoToTheWindowAFewTimesASecondAndAtOnceAfterAJump) {
  NodeMediaPath path(1, poster, kParent, &sink, nullptr);
  path.DeliverMedia(Media(net::kMediaVideoConfig, stream.configuration, 0));
  for (uint64_t i = 0; i < 60; ++i) path.DeliverMedia(Media(net::kMediaVideoFrame, {}, 1000 + 33 * i));
  auto positions = poster.Posts(os::kWmNodePosition);
  ASSERT_GE(positions.size(), 7u);
  ASSERT_LE(positions.size(), 8u) << "about two seconds of pictures";
  EXPECT_EQ(positions[0].wparam, 1000u);
  for (size_t i = 1; i < positions.size(); ++i) {
    EXPECT_GE(positions[i].wparam - positions[i - 1].wparam, 250u);
    EXPECT_LT(positions[i].wparam - positions[i - 1].wparam, 250u + 33u);
  }
  EXPECT_EQ(path.Position(), 1000u + 33u * 59u) << "the node itself knows every position";

  const size_t before = positions.size();
  path.DeliverMedia(Media(net::kMediaVideoFrame, {}, 500));
  path.DeliverMedia(Media(net::kMediaVideoFrame, {}, 90000));
  positions = poster.Posts(os::kWmNodePosition);
  ASSERT_EQ(positions.size(), before + 2);
  EXPECT_EQ(positions[before].wparam, 500u) << "a jump back";
  EXPECT_EQ(positions[before + 1].wparam, 90000u) << "a jump ahead";
}

TEST_F(MediaPathTest, StalledWorkerLosesTheBacklogWhenTheRingOverflows) {
  NodeMediaPath path(1, poster, kParent, &sink, nullptr);
  path.DeliverMedia(Media(net::kMediaVideoConfig, stream.configuration, 0));
  for (int i = 0; i < 21; ++i) path.DeliverMedia(Media(net::kMediaVideoFrame, stream.pictures[size_t(i)], 40u * i));
  EXPECT_EQ(path.LiveRing().Count(), 1);
  const int slot = path.LiveRing().BeginRead();
  EXPECT_EQ(path.LiveRing().Slot(slot).timestamp, 800u) << "the 21st unit should be the one left";
  EXPECT_EQ(path.LiveRing().Discarded(), 20u) << "the load figures count every unit thrown away";
  path.LiveRing().CommitRead();
  EXPECT_EQ(path.Position(), 800u) << "the position follows every unit, queued or not";

  // Audio follows the same rule in its 100 slots, and needs no configuration.
  const std::vector<uint8_t> unit(48, 0x55);
  for (int i = 0; i < 101; ++i) path.DeliverMedia(Media(net::kMediaAudio, unit, 64u * i));
  EXPECT_EQ(path.AudioRing().Count(), 1);
}

TEST_F(MediaPathTest, ABacklogIsShownAtOnceThenPicturesAreSpacedAgain) {
  NodeMediaPath path(1, poster, kParent, &sink, nullptr);
  path.DeliverMedia(Media(net::kMediaVideoConfig, stream.configuration, 0));
  // Twelve pictures waiting, as after a stall of the worker.
  for (size_t i = 0; i < 12; ++i) path.DeliverMedia(Media(net::kMediaVideoFrame, stream.pictures[i], 33 * i));
  path.StartWorker();
  ASSERT_TRUE(node::testing::WaitFor([&] { return path.FramesShown() >= 12; }));
  path.StopWorker();
  const std::vector<uint64_t> at = sink.ShowTimes();
  ASSERT_EQ(at.size(), 12u);
  const uint64_t spacing = PicturePacer::kPictureIntervalMs;
  // Spaced out, the first nine would take 8 x 30 ms, and every stall would
  // leave the view that far behind for seconds.
  EXPECT_LT(at[8] - at[0], 8 * spacing) << "the backlog was played at the pictures' spacing";
  // Three left are no backlog: spaced again. The spacing runs from the start
  // of one picture's turn to the next, and a busy machine may take long over
  // one decode, so only more than one spacing is asked of two; unspaced, they
  // would follow one another within a few milliseconds.
  EXPECT_GT(at[11] - at[9], spacing + 5) << "caught up pictures were not spaced again";
}

TEST_F(MediaPathTest, EndOfFileMarkStopsPlayingAndQueuesNothing) {
  NodeMediaPath path(1, poster, kParent, &sink, nullptr);
  path.DeliverMedia(Media(net::kMediaVideoConfig, stream.configuration, 0));
  path.DeliverMedia(Media(net::kMediaVideoFrame, stream.pictures[0], 40));
  EXPECT_TRUE(path.Playing());
  EXPECT_FALSE(path.EndOfFile());
  poster.Clear();
  path.DeliverMedia(Media(net::kMediaVideoFrame, stream.pictures[1], net::kEndOfFileTimestamp));
  EXPECT_TRUE(path.EndOfFile());
  EXPECT_FALSE(path.Playing());
  EXPECT_EQ(path.LiveRing().Count(), 1);
  EXPECT_TRUE(poster.Posts().empty()) << "the end mark posted a position";
  EXPECT_EQ(path.Position(), 40u);

  path.DeliverMedia(Media(net::kMediaVideoFrame, stream.pictures[1], 80));
  EXPECT_FALSE(path.EndOfFile()) << "a picture after a seek clears the end mark";
  path.DeliverMedia(Media(net::kMediaAudio, std::vector<uint8_t>(48, 1), net::kEndOfFileTimestamp));
  EXPECT_TRUE(path.EndOfFile());
  EXPECT_EQ(path.AudioRing().Count(), 0);
}

// The path counts every picture it shows with its coded bytes (the
// figures' own rule is MediaStatistics').
TEST_F(MediaPathTest, StatisticsCountTheCodedBytesOfThePicturesShown) {
  // 125000 coded bytes in one second: 1000 kbps; in two seconds, 500.
  const std::vector<uint8_t> big(12500, 0);
  NodeMediaPath bytes(1, poster, kParent, nullptr, nullptr);
  bytes.DeliverMedia(Media(net::kMediaVideoConfig, stream.configuration, 0));
  bytes.StartWorker();
  for (int round = 0; round < 2; ++round) {
    for (int i = 0; i < 10; ++i) {
      bytes.DeliverMedia(Media(net::kMediaVideoFrame, big, 40u * uint64_t(i)));
      ASSERT_TRUE(node::testing::WaitFor([&] { return bytes.FramesShown() >= uint64_t(round * 10 + i) + 1; }));
    }
    bytes.statistics().TickAt(round == 0 ? 1000 : 3000);
    EXPECT_EQ(bytes.StatusText(), round == 0 ? "10 fps, 1000 kbps" : "5 fps, 500 kbps");
  }
  bytes.StopWorker();
}

TEST_F(MediaPathTest, WorkerShowsWhatTheDecoderMakesOfTheSameUnits) {
  NodeMediaPath path(1, poster, kParent, &sink, nullptr);
  path.StartWorker();
  path.DeliverMedia(Media(net::kMediaVideoConfig, stream.configuration, 0));
  const size_t count = 40;
  for (size_t i = 0; i < count; ++i) {
    path.DeliverMedia(Media(net::kMediaVideoFrame, stream.pictures[i], 40 * i));
    ASSERT_TRUE(node::testing::WaitFor([&] { return path.FramesShown() >= i + 1; })) << "unit " << i << " not shown";
  }
  path.StopWorker();
  EXPECT_EQ(sink.Shown(), int(count));
  EXPECT_EQ(sink.Resizes(), (std::vector<std::pair<int, int>>{{320, 240}})) << "the sink is sized once, before it shows";

  // The reference: a decoder driven as a node drives it.
  codec::VideoDecoder reference;
  reference.SetSize(320, 240);
  reference.SetPostFilter(true, true);
  reference.Decode(stream.configuration.data(), stream.configuration.size());
  for (size_t i = 0; i < count; ++i) reference.Decode(stream.pictures[i].data(), stream.pictures[i].size());
  std::vector<uint8_t> want(320 * 240 * 3 / 2);
  codec::DecodedPicture picture;
  picture.data = want.data();
  picture.width = 320;
  picture.height = 240;
  ASSERT_EQ(reference.ProducePicture(picture), 0);
  const std::vector<uint8_t> got = sink.Last();
  ASSERT_EQ(got.size(), want.size());
  EXPECT_TRUE(got == want) << "the shown picture differs from the decoder's own";
  EXPECT_TRUE(path.WithPicture([&](const codec::DecodedPicture& p) {
    EXPECT_EQ(0, std::memcmp(p.data, want.data(), want.size()));
  }));
}

// Nobody sees the pictures (a minimised view): nothing is decoded, every
// unit still counts as received; once they are seen again decoding starts
// at the next intra picture, whose picture is the decoder's own.
TEST_F(MediaPathTest, PicturesNobodySeesAreNotDecodedAndDecodingRestartsAtAnIntraPicture) {
  size_t second_intra = 0;
  for (size_t i = 1; i < stream.pictures.size() && !second_intra; ++i)
    if (record::VopCodingType(stream.pictures[i].data(), stream.pictures[i].size()) == 0) second_intra = i;
  ASSERT_GT(second_intra, 3u) << "the test stream needs a second intra picture";
  NodeMediaPath path(1, poster, kParent, &sink, nullptr);
  path.StartWorker();
  path.DeliverMedia(Media(net::kMediaVideoConfig, stream.configuration, 0));
  sink.wanted = false;
  auto deliver = [&](size_t i) {
    path.DeliverMedia(Media(net::kMediaVideoFrame, stream.pictures[i], 40 * i));
    ASSERT_TRUE(node::testing::WaitFor([&] { return path.FramesShown() >= i + 1; })) << "unit " << i;
  };
  for (size_t i = 0; i < 2; ++i) deliver(i);
  EXPECT_EQ(sink.Shown(), 0);
  EXPECT_EQ(path.PicturesUndecoded(), 2u);
  sink.wanted = true;
  for (size_t i = 2; i < second_intra; ++i) deliver(i);
  EXPECT_EQ(sink.Shown(), 0) << "pictures that refer to skipped ones were shown";
  deliver(second_intra);
  path.StopWorker();
  ASSERT_EQ(sink.Shown(), 1);
  EXPECT_EQ(path.PicturesUndecoded(), second_intra);

  codec::VideoDecoder reference;
  reference.SetSize(320, 240);
  reference.SetPostFilter(true, true);
  reference.Decode(stream.configuration.data(), stream.configuration.size());
  reference.Decode(stream.pictures[second_intra].data(), stream.pictures[second_intra].size());
  std::vector<uint8_t> want(320 * 240 * 3 / 2);
  codec::DecodedPicture picture{want.data(), 320, 240};
  ASSERT_EQ(reference.ProducePicture(picture), 0);
  EXPECT_TRUE(sink.Last() == want) << "the intra picture restarted decoding wrongly";
}

// An H.263 (short header) stream split at its picture start codes; the first
// picture doubles as the configuration unit, as a short-header camera sends it.
std::vector<std::vector<uint8_t>> ShortHeaderPictures(const std::string& name) {
  const std::vector<uint8_t> all = node::testing::ReadFile(std::string(HALYARD_SOURCE_DIR) + "/codec/video/tests/data/" + name);
  std::vector<size_t> starts;
  for (size_t i = 0; i + 2 < all.size(); ++i)
    if (all[i] == 0 && all[i + 1] == 0 && (all[i + 2] & 0xFC) == 0x80) starts.push_back(i);
  std::vector<std::vector<uint8_t>> pictures;
  for (size_t k = 0; k < starts.size(); ++k) {
    const size_t end = k + 1 < starts.size() ? starts[k + 1] : all.size();
    pictures.emplace_back(all.begin() + long(starts[k]), all.begin() + long(end));
  }
  return pictures;
}

TEST_F(MediaPathTest, ShortHeaderCamerasDecodeAtTheirSourceFormatSize) {
  const struct {
    const char* file;
    int width, height;
  } cases[] = {{"gobs_qcif.h263", 176, 144}, {"gobs_sqcif.h263", 128, 96}};
  for (const auto& c : cases) {
    const auto pictures = ShortHeaderPictures(c.file);
    ASSERT_GE(pictures.size(), 6u) << c.file;
    FakeSink shortSink;
    NodeMediaPath path(1, poster, kParent, &shortSink, nullptr);
    path.StartWorker();
    path.DeliverMedia(Media(net::kMediaVideoConfig, pictures[0], 0));
    EXPECT_TRUE(node::testing::WaitFor([&] { return path.Width() == c.width; })) << c.file;
    EXPECT_EQ(path.Height(), c.height) << c.file;
    for (size_t i = 0; i < pictures.size(); ++i) {
      path.DeliverMedia(Media(net::kMediaVideoFrame, pictures[i], 40 * i));
      ASSERT_TRUE(node::testing::WaitFor([&] { return path.FramesShown() >= i + 1; })) << c.file << " unit " << i;
    }
    path.StopWorker();
    ASSERT_EQ(shortSink.Resizes(), (std::vector<std::pair<int, int>>{{c.width, c.height}})) << c.file;

    codec::VideoDecoder reference;
    reference.SetSize(c.width, c.height);
    reference.SetPostFilter(true, true);
    reference.Decode(pictures[0].data(), pictures[0].size());
    for (const auto& p : pictures) {
      reference.Decode(p.data(), p.size());
      EXPECT_EQ(reference.LastStatus(), codec::DecodeStatus::Ok) << c.file;
    }
    std::vector<uint8_t> want(size_t(c.width * c.height * 3 / 2));
    codec::DecodedPicture picture{want.data(), c.width, c.height};
    ASSERT_EQ(reference.ProducePicture(picture), 0);
    EXPECT_TRUE(shortSink.Last() == want) << c.file << ": the shown picture differs from the decoder's own";
  }
}

// A short-header picture whose source format names no standard size (reserved,
// extended) keeps the 320 x 240 of the cameras that send such pictures.
TEST(ShortHeaderSourceSize, NamesOnlyTheStandardSizes) {
  auto header = [](int format) {
    // start code, temporal reference 0, PTYPE 1 0 0 0 0 fff, then I-picture bits
    const uint64_t bits = uint64_t(0x20) << 18 | uint64_t(2) << 8 | uint64_t(format) << 2;
    std::vector<uint8_t> b(8, 0);
    for (int i = 0; i < 5; ++i) b[size_t(i)] = uint8_t(bits >> (32 - 8 * i));
    return b;
  };
  const int sizes[8][2] = {{0, 0}, {128, 96}, {176, 144}, {352, 288}, {704, 576}, {1408, 1152}, {0, 0}, {0, 0}};
  for (int format = 0; format < 8; ++format) {
    const auto b = header(format);
    int w = 320, h = 240;
    EXPECT_EQ(codec::ShortHeaderSourceSize(b.data(), b.size(), &w, &h), sizes[format][0] != 0) << format;
    EXPECT_EQ(w, sizes[format][0] ? sizes[format][0] : 320) << format;
    EXPECT_EQ(h, sizes[format][1] ? sizes[format][1] : 240) << format;
  }
  const uint8_t mpeg4[] = {0x00, 0x00, 0x01, 0xB6, 0x10, 0x00};
  int w = 320, h = 240;
  EXPECT_FALSE(codec::ShortHeaderSourceSize(mpeg4, sizeof mpeg4, &w, &h));
  EXPECT_FALSE(codec::ShortHeaderSourceSize(header(2).data(), 4, &w, &h)) << "cut short";
  EXPECT_EQ(w, 320);
}

TEST_F(MediaPathTest, WorkerFeedsTheSoundOutputWhileItIsOpen) {
  FakeFeeder feeder;
  feeder.open = false;
  NodeMediaPath path(1, poster, kParent, &sink, &feeder);
  path.StartWorker();
  const std::vector<uint8_t> unit(48, 0x3C);
  for (int i = 0; i < 5; ++i) path.DeliverMedia(Media(net::kMediaAudio, unit, 64u * uint64_t(i)));
  node::testing::WaitFor([] { return false; }, 30);
  EXPECT_EQ(path.AudioRing().Count(), 5) << "audio was consumed while the output was closed";
  feeder.open = true;
  EXPECT_TRUE(node::testing::WaitFor([&] { return path.AudioRing().Count() == 0; }));
  path.StopWorker();
  std::lock_guard<std::mutex> lock(feeder.mutex);
  EXPECT_EQ(feeder.timestamps, (std::vector<uint64_t>{0, 64, 128, 192, 256}));
  EXPECT_EQ(feeder.decodedBytes, 5 * 256) << "48 code bytes give 128 samples of 2 bytes";
}

}  // namespace
}  // namespace node
