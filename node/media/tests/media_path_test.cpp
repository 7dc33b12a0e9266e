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
#include "node/media/picture_pacer.h"
#include "present/picture_sink.h"
#include "present/playback_feeder.h"
#include "node/media/tests/test_support.h"
#include "os/clock.h"
#include "record/m4v_headers.h"

namespace node {
namespace {

using node::testing::Media;
using node::testing::RecordingPoster;
using node::testing::WaitFor;
using Units = std::vector<std::vector<uint8_t>>;

constexpr os::WindowHandle kParent = 0x1234;

class FakeSink : public present::PictureSink {
 public:
  void ShowPicture(const codec::DecodedPicture& picture) override {
    std::lock_guard<std::mutex> lock(mutex_);
    last_.assign(picture.data, picture.data + picture.Size());
    times_.push_back(os::MonotonicMs());
  }
  void Resize(int width, int height) override {
    std::lock_guard<std::mutex> lock(mutex_);
    resizes_.push_back({width, height});
  }
  std::vector<uint8_t> Last() const { return Locked(last_); }
  int Shown() const { return int(Locked(times_).size()); }
  std::vector<uint64_t> ShowTimes() const { return Locked(times_); }
  std::vector<std::pair<int, int>> Resizes() const { return Locked(resizes_); }
  bool WantsPictures() override { return wanted.load(); }
  std::atomic<bool> wanted{true};

 private:
  // A copy of a field, taken under the lock the worker writes it under.
  template <class T>
  T Locked(const T& field) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return field;
  }
  mutable std::mutex mutex_;
  std::vector<uint8_t> last_;
  std::vector<std::pair<int, int>> resizes_;
  std::vector<uint64_t> times_;
};

// A sound output with room for `room` units; decodes what it takes.
class FakeFeeder : public present::PlaybackFeeder {
 public:
  bool IsOpen() const override { return open.load(); }
  bool FeedOne(present::SoundSource& sound) override {
    present::SoundSamples pcm;
    if (room.load() <= 0 || !sound.TakeOldest(&pcm)) return false;
    std::lock_guard<std::mutex> lock(mutex);
    timestamps.push_back(pcm.timestamp);
    decoded_bytes += pcm.count * 2;
    --room;
    return true;
  }
  std::atomic<bool> open{true};
  std::atomic<int> room{1000};
  std::mutex mutex;
  std::vector<uint64_t> timestamps;
  int decoded_bytes = 0;
};

// The picture a decoder driven as a node drives it shows after `units`, the
// first of them the configuration.
std::vector<uint8_t> Decoded(int width, int height, const Units& units) {
  codec::VideoDecoder reference;
  reference.SetSize(width, height);
  reference.SetPostFilter(true, true);
  for (size_t i = 0; i < units.size(); ++i) {
    reference.Decode(units[i].data(), units[i].size());
    if (i > 0) {
      EXPECT_EQ(reference.LastStatus(), codec::DecodeStatus::Ok) << "unit " << i;
    }
  }
  std::vector<uint8_t> picture(size_t(width * height * 3 / 2));
  EXPECT_EQ(reference.ProducePicture(codec::DecodedPicture{picture.data(), width, height}), 0);
  return picture;
}

class MediaPathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(stream_.configuration.empty()) << "test stream missing";
    ASSERT_GE(stream_.pictures.size(), 60u);
  }
  // Configures as the worker does, without it.
  void Configure(NodeMediaPath& path, const std::vector<uint8_t>& unit) {
    path.DeliverMedia(Media(net::kMediaVideoConfig, unit, 0));
    path.ApplyDueConfiguration();
  }
  // Delivers each unit once the worker has shown the one before.
  void Show(NodeMediaPath& path, const Units& units, size_t first = 0) {
    for (size_t i = first; i < units.size(); ++i) {
      path.DeliverMedia(Media(net::kMediaVideoFrame, units[i], 40 * i));
      ASSERT_TRUE(WaitFor([&] { return path.FramesShown() >= i + 1; })) << "unit " << i << " not shown";
    }
  }
  const node::testing::SplitStream stream_ = node::testing::LoadStream("test_320x240.m4v");
  RecordingPoster poster_;
  FakeSink sink_;
};

TEST_F(MediaPathTest, FramesBeforeAnyConfigurationAreDroppedButPositionIsPosted) {
  NodeMediaPath path(2, poster_, kParent, &sink_, nullptr);
  path.DeliverMedia(Media(net::kMediaVideoFrame, stream_.pictures[0], 0x100000005ull));
  EXPECT_EQ(path.LiveRing().Count(), 0) << "a picture without headers was queued";
  const auto positions = poster_.Posts(os::kWmNodePosition);
  ASSERT_EQ(positions.size(), 1u);
  EXPECT_EQ(positions[0].window, kParent);
  EXPECT_EQ(positions[0].wparam, 5u) << "wParam carries the low 32 bits of the timestamp";
  EXPECT_TRUE(path.Playing());
  EXPECT_EQ(path.Position(), 0x100000005ull);

  path.DeliverMedia(Media(net::kMediaVideoConfig, stream_.configuration, 0));
  path.DeliverMedia(Media(net::kMediaVideoFrame, {}, 40));
  EXPECT_EQ(path.LiveRing().Count(), 0) << "an empty unit was queued";
  path.DeliverMedia(Media(net::kMediaVideoFrame, stream_.pictures[0], 80));
  path.DeliverMedia(Media(7, stream_.pictures[0], 80));
  EXPECT_EQ(path.LiveRing().Count(), 1) << "an unknown kind was queued";
}

TEST_F(MediaPathTest, ConfigurationSetsSizeAndPostsTheWidthOnlyWhenItChanges) {
  NodeMediaPath path(1, poster_, kParent, &sink_, nullptr);
  Configure(path, stream_.configuration);
  EXPECT_EQ(path.Width(), 320);
  EXPECT_EQ(path.Height(), 240);
  auto commands = poster_.Posts(os::kWmNodePictureWidth);
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

  poster_.Clear();
  Configure(path, stream_.configuration);
  EXPECT_TRUE(poster_.Posts(os::kWmNodePictureWidth).empty()) << "the same width posted again";
  Configure(path, node::testing::LoadStream("test_176x144.m4v").configuration);
  EXPECT_EQ(path.Height(), 144);
  Configure(path, node::testing::LoadStream("test_640x480.m4v").configuration);
  commands = poster_.Posts(os::kWmNodePictureWidth);
  ASSERT_EQ(commands.size(), 2u);
  EXPECT_EQ(commands[0].wparam, 176u);
  EXPECT_EQ(commands[1].wparam, 640u);
  EXPECT_TRUE(path.WithPicture([](const codec::DecodedPicture& p) { EXPECT_EQ(p.Size(), 640u * 480 * 3 / 2); }));
}

TEST_F(MediaPathTest, ConfigurationOfAnUnusableSizeConfiguresNothing) {
  codec::VideoEncoder encoder;
  ASSERT_EQ(encoder.Initialise(4096, 4096), 0);
  size_t length = 0;
  const uint8_t* headers = encoder.Headers(&length);
  const std::vector<uint8_t> huge(headers, headers + length);
  NodeMediaPath path(1, poster_, kParent, &sink_, nullptr);
  Configure(path, huge);
  EXPECT_EQ(path.Width(), 0);
  EXPECT_FALSE(path.WithPicture([](const codec::DecodedPicture&) {})) << "a 4096 x 4096 picture buffer was made";
  EXPECT_TRUE(poster_.Posts(os::kWmNodePictureWidth).empty());

  // After usable headers, unusable ones leave the stream undecodable: its
  // pictures are dropped, neither decoded nor counted.
  Configure(path, stream_.configuration);
  Configure(path, huge);
  EXPECT_FALSE(path.HasConfiguration());
  EXPECT_TRUE(path.Configuration().empty());
  path.DeliverMedia(Media(net::kMediaVideoFrame, stream_.pictures[0], 40));
  path.StartWorker();
  ASSERT_TRUE(WaitFor([&] { return path.LiveRing().Count() == 0; }));
  path.StopWorker();
  EXPECT_EQ(path.FramesShown(), 0u) << "a picture was decoded for unusable headers";
  EXPECT_EQ(sink_.Shown(), 0);
  EXPECT_TRUE(path.WithPicture([](const codec::DecodedPicture& p) { EXPECT_EQ(p.width, 320); }))
      << "the picture buffer of the usable headers stays";
}

// The receive thread only stores a configuration unit: the worker applies
// it in its place among the pictures, so those queued before it decode with
// the configuration before, and those after it with it.
TEST_F(MediaPathTest, TheWorkerAppliesAConfigurationInItsPlaceAmongThePictures) {
  const auto vga = node::testing::LoadStream("test_640x480.m4v");
  NodeMediaPath path(1, poster_, kParent, &sink_, nullptr);
  path.DeliverMedia(Media(net::kMediaVideoConfig, stream_.configuration, 0));
  for (size_t i = 0; i < 3; ++i) path.DeliverMedia(Media(net::kMediaVideoFrame, stream_.pictures[i], 40 * i));
  path.DeliverMedia(Media(net::kMediaVideoConfig, vga.configuration, 120));
  for (size_t i = 0; i < 3; ++i) path.DeliverMedia(Media(net::kMediaVideoFrame, vga.pictures[i], 120 + 40 * i));
  EXPECT_EQ(path.Width(), 0) << "the receive thread decoded a configuration";
  path.StartWorker();
  ASSERT_TRUE(WaitFor([&] { return path.LiveRing().Count() == 0 && path.Width() == 640; }));
  path.StopWorker();
  EXPECT_EQ(path.FramesShown(), 6u) << "pictures sent before the new configuration were thrown away";
  EXPECT_EQ(sink_.Resizes(), (std::vector<std::pair<int, int>>{{320, 240}, {640, 480}}));
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
      answered = answered && WaitFor([&] { return painted->load(); }, 3000);
      ++calls;
    }
    NodeMediaPath* path = nullptr;
    std::atomic<bool> answered{true};
    std::atomic<int> calls{0}, pending{0};
  } waiting;
  NodeMediaPath path(1, poster_, kParent, &waiting, nullptr);
  waiting.path = &path;
  path.DeliverMedia(Media(net::kMediaVideoConfig, stream_.configuration, 0));
  path.StartWorker();
  for (size_t i = 0; i < 3; ++i) path.DeliverMedia(Media(net::kMediaVideoFrame, stream_.pictures[i], 40 * i));
  ASSERT_TRUE(WaitFor([&] { return waiting.calls >= 4; }, 20000));
  path.StopWorker();
  ASSERT_TRUE(WaitFor([&] { return waiting.pending == 0; }));
  EXPECT_TRUE(waiting.answered) << "the repaint waited for a lock the renderer's caller held";
}

TEST_F(MediaPathTest, WorkerStartsAndStopsFromAnyThread) {
  NodeMediaPath path(1, poster_, kParent, &sink_, nullptr);
  auto flip = [&] {
    for (int i = 0; i < 200; ++i) path.StartWorker(), path.StopWorker();
  };
  std::thread other(flip);
  flip();
  other.join();
  EXPECT_FALSE(path.WorkerRunning());
}

// The window hears of the position a few times a second, not per picture,
// but at once when the stream jumps back or far ahead (a seek, a new file).
TEST_F(MediaPathTest, PositionsGoToTheWindowAFewTimesASecondAndAtOnceAfterAJump) {
  NodeMediaPath path(1, poster_, kParent, &sink_, nullptr);
  path.DeliverMedia(Media(net::kMediaVideoConfig, stream_.configuration, 0));
  for (uint64_t i = 0; i < 60; ++i) path.DeliverMedia(Media(net::kMediaVideoFrame, {}, 1000 + 33 * i));
  auto positions = poster_.Posts(os::kWmNodePosition);
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
  positions = poster_.Posts(os::kWmNodePosition);
  ASSERT_EQ(positions.size(), before + 2);
  EXPECT_EQ(positions[before].wparam, 500u) << "a jump back";
  EXPECT_EQ(positions[before + 1].wparam, 90000u) << "a jump ahead";
}

TEST_F(MediaPathTest, StalledWorkerLosesTheBacklogWhenTheRingOverflows) {
  NodeMediaPath path(1, poster_, kParent, &sink_, nullptr);
  path.DeliverMedia(Media(net::kMediaVideoConfig, stream_.configuration, 0));
  for (int i = 0; i < 21; ++i) path.DeliverMedia(Media(net::kMediaVideoFrame, stream_.pictures[size_t(i)], 40u * i));
  EXPECT_EQ(path.LiveRing().Count(), 1);
  EXPECT_EQ(path.LiveRing().Slot(path.LiveRing().BeginRead()).timestamp, 800u) << "the 21st unit should be the one left";
  EXPECT_EQ(path.LiveRing().Discarded(), 20u) << "the load figures count every unit thrown away";
  path.LiveRing().CommitRead();
  EXPECT_EQ(path.Position(), 800u) << "the position follows every unit, queued or not";

  // Audio follows the same rule in its 100 slots, and needs no configuration;
  // a path without a sound output (a wall cell) queues none to throw away.
  const std::vector<uint8_t> unit(48, 0x55);
  FakeFeeder feeder;
  NodeMediaPath heard(2, poster_, kParent, &sink_, &feeder);
  for (int i = 0; i < 101; ++i) {
    heard.DeliverMedia(Media(net::kMediaAudio, unit, 64u * i));
    path.DeliverMedia(Media(net::kMediaAudio, unit, 64u * i));
  }
  EXPECT_EQ(heard.AudioRing().Count(), 1);
  EXPECT_EQ(path.AudioRing().Count() + path.AudioRing().Discarded(), 0u) << "sound queued for no output";
}

TEST_F(MediaPathTest, ABacklogIsShownAtOnceThenPicturesAreSpacedAgain) {
  NodeMediaPath path(1, poster_, kParent, &sink_, nullptr);
  path.DeliverMedia(Media(net::kMediaVideoConfig, stream_.configuration, 0));
  // Twelve pictures waiting, as after a stall of the worker.
  for (size_t i = 0; i < 12; ++i) path.DeliverMedia(Media(net::kMediaVideoFrame, stream_.pictures[i], 33 * i));
  path.StartWorker();
  ASSERT_TRUE(WaitFor([&] { return path.FramesShown() >= 12; }));
  path.StopWorker();
  const std::vector<uint64_t> at = sink_.ShowTimes();
  ASSERT_EQ(at.size(), 12u);
  const uint64_t spacing = PicturePacer::kPictureIntervalMs;
  // Spaced out, the first nine would take 8 x 30 ms, and every stall would
  // leave the view that far behind for seconds.
  EXPECT_LT(at[8] - at[0], 8 * spacing) << "the backlog was played at the pictures' spacing";
  // The last three are no backlog by number, but they have waited since
  // before the worker started: spaced a whole interval each, the view would
  // stay three pictures behind for good.
  EXPECT_LT(at[11] - at[8], 3 * spacing) << "pictures that had waited long were spaced again";
}

// The pacer's rules by the numbers, at 1000 ms: the first picture, a burst,
// a late worker, a backlog, the longest wait.
TEST(PicturePacerTest, APictureWaitsForItsTurnButNeverLongerThanAnInterval) {
  const uint64_t never = ~uint64_t{0};
  const uint64_t spacing = PicturePacer::kPictureIntervalMs;
  struct Row {
    const char* what;
    uint64_t last_arrived, last_shown;  // the picture shown before; last_shown never: none was
    int waiting;
    uint64_t arrived;  // the oldest waiting picture's
    uint64_t wait_ms;
  } rows[] = {
      {"the first picture goes at once", 0, never, 1, 1000, 0},
      {"a picture that came with the last one waits its turn", 1000, 1000, 1, 1000, spacing},
      {"a late worker does not push the next picture back", 967, 995, 1, 1000, 0},
      {"a backlog goes at once", 1000, 1000, PicturePacer::kCatchUpBacklog + 1, 1000, 0},
      {"a picture waits no longer than an interval after it came", 990, 990, 1, 985, 985 + spacing - 1000},
      {"a picture whose turn has passed goes", 960, 960, 1, 990, 0},
  };
  const uint64_t now = 1000;
  for (const Row& row : rows) {
    PicturePacer pacer;
    if (row.last_shown != never) pacer.Shown(row.last_shown, row.last_arrived);
    EXPECT_EQ(pacer.WaitMs(now, row.waiting, row.arrived), row.wait_ms) << row.what;
  }
}

TEST_F(MediaPathTest, EndOfFileMarkStopsPlayingAndQueuesNothing) {
  NodeMediaPath path(1, poster_, kParent, &sink_, nullptr);
  path.DeliverMedia(Media(net::kMediaVideoConfig, stream_.configuration, 0));
  path.DeliverMedia(Media(net::kMediaVideoFrame, stream_.pictures[0], 40));
  EXPECT_FALSE(path.EndOfFile());
  poster_.Clear();
  path.DeliverMedia(Media(net::kMediaVideoFrame, stream_.pictures[1], net::kEndOfFileTimestamp));
  EXPECT_TRUE(path.EndOfFile());
  EXPECT_FALSE(path.Playing());
  EXPECT_EQ(path.LiveRing().Count(), 1);
  EXPECT_TRUE(poster_.Posts().empty()) << "the end mark posted a position";
  EXPECT_EQ(path.Position(), 40u);

  path.DeliverMedia(Media(net::kMediaVideoFrame, stream_.pictures[1], 80));
  EXPECT_FALSE(path.EndOfFile()) << "a picture after a seek clears the end mark";
  path.DeliverMedia(Media(net::kMediaAudio, std::vector<uint8_t>(48, 1), net::kEndOfFileTimestamp));
  EXPECT_TRUE(path.EndOfFile());
  EXPECT_EQ(path.AudioRing().Count(), 0);
}

// The path counts every picture it shows with its coded bytes (the
// figures' own rule is MediaStatistics'): 125000 coded bytes in one second
// are 1000 kbps; in two seconds, 500.
TEST_F(MediaPathTest, StatisticsCountTheCodedBytesOfThePicturesShown) {
  NodeMediaPath path(1, poster_, kParent, nullptr, nullptr);
  path.DeliverMedia(Media(net::kMediaVideoConfig, stream_.configuration, 0));
  path.StartWorker();
  const Units big(20, std::vector<uint8_t>(12500, 0));
  Show(path, Units(big.begin(), big.begin() + 10));
  path.statistics().TickAt(1000);
  EXPECT_EQ(path.StatusText(), "10 fps, 1000 kbps");
  Show(path, big, 10);
  path.statistics().TickAt(3000);
  EXPECT_EQ(path.StatusText(), "5 fps, 500 kbps");
  path.StopWorker();
}

// Nobody sees the pictures (a minimised view): nothing is decoded, every
// unit still counts as received; once they are seen again decoding starts
// at the next intra picture, whose picture is the decoder's own.
TEST_F(MediaPathTest, PicturesNobodySeesAreNotDecodedAndDecodingRestartsAtAnIntraPicture) {
  size_t second_intra = 0;
  for (size_t i = 1; i < stream_.pictures.size() && !second_intra; ++i)
    if (record::VopCodingType(stream_.pictures[i].data(), stream_.pictures[i].size()) == 0) second_intra = i;
  ASSERT_GT(second_intra, 3u) << "the test stream needs a second intra picture";
  NodeMediaPath path(1, poster_, kParent, &sink_, nullptr);
  path.StartWorker();
  path.DeliverMedia(Media(net::kMediaVideoConfig, stream_.configuration, 0));
  sink_.wanted = false;
  Show(path, Units(stream_.pictures.begin(), stream_.pictures.begin() + 2));
  EXPECT_EQ(sink_.Shown(), 0);
  EXPECT_EQ(path.PicturesUndecoded(), 2u);
  sink_.wanted = true;
  Show(path, Units(stream_.pictures.begin(), stream_.pictures.begin() + long(second_intra)), 2);
  EXPECT_EQ(sink_.Shown(), 0) << "pictures that refer to skipped ones were shown";
  Show(path, Units(stream_.pictures.begin(), stream_.pictures.begin() + long(second_intra) + 1), second_intra);
  path.StopWorker();
  ASSERT_EQ(sink_.Shown(), 1);
  EXPECT_EQ(path.PicturesUndecoded(), second_intra);
  EXPECT_TRUE(sink_.Last() == Decoded(320, 240, {stream_.configuration, stream_.pictures[second_intra]}))
      << "the intra picture restarted decoding wrongly";
}

// An H.263 (short header) stream split at its picture start codes; the first
// picture doubles as the configuration unit, as a short-header camera sends it.
Units ShortHeaderPictures(const std::string& name) {
  const std::vector<uint8_t> all = node::testing::ReadFile(std::string(HALYARD_SOURCE_DIR) + "/codec/video/tests/data/" + name);
  std::vector<size_t> starts;
  for (size_t i = 0; i + 2 < all.size(); ++i)
    if (all[i] == 0 && all[i + 1] == 0 && (all[i + 2] & 0xFC) == 0x80) starts.push_back(i);
  Units pictures;
  for (size_t k = 0; k < starts.size(); ++k)
    pictures.emplace_back(all.begin() + long(starts[k]), k + 1 < starts.size() ? all.begin() + long(starts[k + 1]) : all.end());
  return pictures;
}

// The worker shows what a decoder makes of the same units, in a picture
// buffer and a sink sized once before they show: an MPEG-4 camera's, and
// short-header cameras' at the size their source format names.
TEST_F(MediaPathTest, WorkerShowsWhatTheDecoderMakesOfTheSameUnits) {
  const Units qcif = ShortHeaderPictures("gobs_qcif.h263"), sqcif = ShortHeaderPictures("gobs_sqcif.h263");
  const struct {
    const char* what;
    std::vector<uint8_t> configuration;
    Units pictures;
    int width, height;
  } cases[] = {{"MPEG-4", stream_.configuration, Units(stream_.pictures.begin(), stream_.pictures.begin() + 40), 320, 240},
               {"QCIF", qcif.at(0), qcif, 176, 144},
               {"SQCIF", sqcif.at(0), sqcif, 128, 96}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_GE(c.pictures.size(), 6u);
    FakeSink sink;
    NodeMediaPath path(1, poster_, kParent, &sink, nullptr);
    path.StartWorker();
    path.DeliverMedia(Media(net::kMediaVideoConfig, c.configuration, 0));
    EXPECT_TRUE(WaitFor([&] { return path.Width() == c.width; }));
    EXPECT_EQ(path.Height(), c.height);
    Show(path, c.pictures);
    path.StopWorker();
    EXPECT_EQ(sink.Shown(), int(c.pictures.size()));
    ASSERT_EQ(sink.Resizes(), (std::vector<std::pair<int, int>>{{c.width, c.height}}));
    Units units{c.configuration};
    units.insert(units.end(), c.pictures.begin(), c.pictures.end());
    const std::vector<uint8_t> want = Decoded(c.width, c.height, units);
    EXPECT_TRUE(sink.Last() == want) << "the shown picture differs from the decoder's own";
    EXPECT_TRUE(path.WithPicture([&](const codec::DecodedPicture& p) {
      EXPECT_EQ(0, std::memcmp(p.data, want.data(), want.size()));
    }));
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
  NodeMediaPath path(1, poster_, kParent, &sink_, &feeder);
  path.StartWorker();
  const std::vector<uint8_t> unit(48, 0x3C);
  for (int i = 0; i < 5; ++i) path.DeliverMedia(Media(net::kMediaAudio, unit, 64u * uint64_t(i)));
  WaitFor([] { return false; }, 30);
  EXPECT_EQ(path.AudioRing().Count(), 5) << "audio was consumed while the output was closed";
  feeder.open = true;
  EXPECT_TRUE(WaitFor([&] { return path.AudioRing().Count() == 0; }));
  path.StopWorker();
  std::lock_guard<std::mutex> lock(feeder.mutex);
  EXPECT_EQ(feeder.timestamps, (std::vector<uint64_t>{0, 64, 128, 192, 256}));
  EXPECT_EQ(feeder.decoded_bytes, 5 * 256) << "48 code bytes give 128 samples of 2 bytes";
}

// While pictures flow the worker wakes for them and feeds the sound then;
// a sound unit wakes it only when no picture came since the one before.
TEST_F(MediaPathTest, PicturesWakeTheWorkerAndSoundOnlyWithoutThem) {
  FakeFeeder feeder;
  NodeMediaPath path(1, poster_, kParent, &sink_, &feeder);
  path.DeliverMedia(Media(net::kMediaVideoConfig, stream_.configuration, 0));
  const std::vector<uint8_t> sound(48, 0x3C);
  const uint64_t before = path.Worker().WakeRequests();
  for (uint64_t i = 0; i < 6; ++i) {
    path.DeliverMedia(Media(net::kMediaVideoFrame, stream_.pictures[size_t(i)], 33 * i));
    path.DeliverMedia(Media(net::kMediaAudio, sound, 33 * i + 10));
  }
  EXPECT_EQ(6u, path.Worker().WakeRequests() - before) << "one wake-up per picture";
  for (uint64_t i = 0; i < 3; ++i) path.DeliverMedia(Media(net::kMediaAudio, sound, 300 + 64 * i));
  EXPECT_EQ(9u, path.Worker().WakeRequests() - before) << "with the pictures gone, each sound unit wakes it";
}

}  // namespace
}  // namespace node
