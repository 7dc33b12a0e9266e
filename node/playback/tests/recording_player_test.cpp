// The recording player shows exactly the picture a decoder shows when it
// decodes the file from its start: after a seek, a step back (which decodes
// from the intra picture before) and a step forward, in either of two files.
#include "node/playback/recording_player.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>

#include "record/recording_names.h"
#include "record/tests/recording_maker.h"

namespace node {
namespace {

uint64_t Hash(const codec::DecodedPicture& p) {
  uint64_t h = 1469598103934665603ull;
  for (size_t i = 0; i < p.Size(); ++i) h = (h ^ p.data[i]) * 1099511628211ull;
  return h;
}

struct LastPicture : present::PictureSink {
  void ShowPicture(const codec::DecodedPicture& picture) override { hash = Hash(picture), ++count; }
  void Resize(int, int) override {}
  uint64_t hash = 0;
  int count = 0;
};

// Each picture of a file as a decoder shows it, decoding from the start.
std::vector<uint64_t> Reference(const std::string& path) {
  record::RecordingTrack track;
  std::string error;
  EXPECT_TRUE(record::LoadRecordingTrack(path, &track, &error)) << error;
  auto file = record::Mp4FileOutput::OpenExisting(path, false);
  codec::VideoDecoder decoder;
  decoder.SetPostFilter(true, true);
  decoder.Decode(track.config.data(), track.config.size());
  std::vector<uint64_t> hashes;
  std::vector<uint8_t> bytes, picture(size_t(track.width) * track.height * 3 / 2);
  for (const record::TrackSample& s : track.video) {
    bytes.resize(s.size);
    EXPECT_TRUE(file->Read(s.offset, bytes.data(), bytes.size()));
    decoder.Decode(bytes.data(), bytes.size());
    const codec::DecodedPicture p{picture.data(), track.width, track.height};
    EXPECT_EQ(decoder.ProducePicture(p), 0);
    hashes.push_back(Hash(p));
  }
  return hashes;
}

TEST(RecordingPlayer, ShowsThePictureAFileDecodedFromItsStartShows) {
  record::testing::TempFolder root("recording_player");
  const record::testing::Clip clip = record::testing::LoadClip();
  int64_t base = 0;
  ASSERT_TRUE(record::LocalToWallSeconds(2026, 3, 14, 10, 0, 0, &base));
  const std::string files[] = {root / (record::testing::Stem("CAM-1", base) + ".mp4"),
                               root / (record::testing::Stem("CAM-1", base + 5) + ".mp4")};
  for (int i = 0; i < 2; ++i) {
    record::testing::Recording r;
    r.creation = base + 5 * i;
    r.times = record::testing::Times(90, 66);
    r.firstPicture = 45 * size_t(i);  // the second file begins elsewhere in the clip
    ASSERT_TRUE(record::testing::Write(files[i], clip, r));
  }
  const std::vector<uint64_t> reference[] = {Reference(files[0]), Reference(files[1])};
  record::RecordingsIndex index({root.Root()}, "");
  auto catalog = index.Refresh();

  uint64_t now = 1000;
  RecordingPlayer player([&] { return now; });
  LastPicture sink;
  player.SetCatalog(catalog);
  player.SetCameras({{"CAM-1", &sink}});
  struct Case {
    const char* what;
    std::function<void()> act;
    int file;
    size_t picture;
  };
  auto at = [&](int file, size_t picture) { return base * 1000 + file * 5940 + int64_t(picture) * 66; };
  const Case cases[] = {
      {"seek to an intra picture", [&] { player.Seek(at(0, 30)); }, 0, 30},
      {"seek between two", [&] { player.Seek(at(0, 44) + 20); }, 0, 44},
      {"step back", [&] { player.Step(-1); }, 0, 43},
      {"step forward", [&] { player.Step(+1); }, 0, 44},
      {"seek into the second file", [&] { player.Seek(at(1, 88)); }, 1, 88},
      {"step back over an intra picture", [&] { player.Step(-1), player.Step(-1); }, 1, 86},
      {"back across the boundary", [&] { player.Seek(at(1, 0)), player.Step(-1); }, 0, 89},
      {"forward across it", [&] { player.Step(+1); }, 1, 0},
  };
  for (const Case& c : cases) {
    c.act();
    player.RunOnce();
    EXPECT_EQ(sink.hash, reference[c.file][c.picture]) << c.what;
    const PlayerStatus status = player.Status();
    ASSERT_EQ(status.views.size(), 1u);
    EXPECT_EQ(status.views[0].pictureTime, at(c.file, c.picture)) << c.what;
    EXPECT_EQ(status.views[0].error, "") << c.what;
  }

  // Playing across the boundary shows every picture in turn.
  player.Seek(at(0, 80));
  player.SetPaused(false);
  const int before = sink.count;
  std::vector<uint64_t> shown;
  while (now < 1000 + 20 * 66) {
    const int count = sink.count;
    player.RunOnce();
    if (sink.count != count) shown.push_back(sink.hash);
    now += 11;
  }
  std::vector<uint64_t> expected(reference[0].begin() + 80, reference[0].end());
  expected.insert(expected.end(), reference[1].begin(), reference[1].begin() + 10);
  EXPECT_GT(sink.count, before);
  EXPECT_EQ(shown, expected);
}

// The player's own thread takes commands from another and tells its status
// through the listener (TSan runs this too).
TEST(RecordingPlayer, ItsThreadPlaysWhatAnotherThreadAsks) {
  record::testing::TempFolder root("recording_player_thread");
  int64_t base = 0;
  ASSERT_TRUE(record::LocalToWallSeconds(2026, 3, 14, 10, 0, 0, &base));
  record::testing::Recording r;
  r.creation = base;
  r.times = record::testing::Times(90, 66);
  ASSERT_TRUE(record::testing::Write(root / (record::testing::Stem("CAM-1", base) + ".mp4"),
                                     record::testing::LoadClip(), r));
  record::RecordingsIndex index({root.Root()}, "");
  RecordingPlayer player;
  LastPicture sink;
  std::mutex lock;
  std::condition_variable changed;
  std::vector<int64_t> times;
  player.SetStatusListener([&](const PlayerStatus& s) {
    std::lock_guard<std::mutex> l(lock);
    if (!s.views.empty() && !s.views[0].noRecording) times.push_back(s.views[0].pictureTime);
    changed.notify_all();
  });
  player.Start();
  player.SetCatalog(index.Refresh());
  player.SetCameras({{"CAM-1", &sink}});
  player.Seek(base * 1000 + 1000);
  player.SetSpeed({16, 1});
  player.SetPaused(false);
  std::unique_lock<std::mutex> l(lock);
  EXPECT_TRUE(changed.wait_for(l, std::chrono::seconds(20), [&] { return times.size() >= 10; }));
  l.unlock();
  player.Stop();
  EXPECT_TRUE(std::is_sorted(times.begin(), times.end()));
  EXPECT_GE(times.front(), base * 1000 + 990);
}

}  // namespace
}  // namespace node
