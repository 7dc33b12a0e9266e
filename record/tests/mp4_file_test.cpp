#include "record/mp4_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "record/m4v_headers.h"
#include "record/tests/mp4_test_util.h"

namespace record {
namespace {

using testing::Be32;
using testing::Find;
using testing::FromHex;
using testing::List;
using testing::Runs;
using testing::Vop;
using Pairs = std::vector<std::pair<uint32_t, uint32_t>>;

const std::vector<uint8_t>& kHeaders = testing::kStreamHeaders;
const char* const kVideo = "moov/trak#0/mdia/minf/stbl/";
const char* const kAudio = "moov/trak#1/mdia/minf/stbl/";

// Records into memory with a fixed creation time, so runs compare byte for byte.
class Recording {
 public:
  explicit Recording(size_t capacity = SIZE_MAX) {
    auto out = std::make_unique<Mp4MemoryOutput>(capacity);
    output = out.get();
    mp4.SetCreationTime(3000000000u);
    EXPECT_TRUE(mp4.Open(std::move(out)));
  }
  bool Header(const std::vector<uint8_t>& h = kHeaders) { return mp4.WriteVideo(h.data(), uint32_t(h.size()), 0, 0); }
  bool Video(const std::vector<uint8_t>& p, uint32_t index, uint32_t time) {
    return mp4.WriteVideo(p.data(), uint32_t(p.size()), index, time);
  }
  bool Audio(uint32_t index, uint32_t time, uint8_t fill = 0x33) {
    const std::vector<uint8_t> frame(192, fill);
    return mp4.WriteAudio(frame.data(), 192, index, time);
  }
  std::vector<uint8_t> Finish() {
    EXPECT_TRUE(mp4.Finalise());
    return output->Bytes();
  }

  Mp4File mp4;
  Mp4MemoryOutput* output;
};

TEST(Mp4Layout, MdatFirstThenUserDataThenMovieWithFourTracks) {
  Recording r;
  ASSERT_TRUE(r.Header());
  for (uint32_t i = 1; i <= 5; ++i) ASSERT_TRUE(r.Video(Vop(i == 1 ? 0 : 1), i, (i - 1) * 40));
  for (uint32_t i = 0; i < 3; ++i) ASSERT_TRUE(r.Audio(i, i * 64));
  const std::vector<uint8_t>& b = r.Finish();

  const std::vector<testing::Box> top = testing::Children(b, 0, b.size());
  ASSERT_EQ(top.size(), 3u);
  EXPECT_EQ(top[0].type, "mdat");
  EXPECT_EQ(top[0].start, 0u);
  EXPECT_EQ(top[1].type, "udta");
  EXPECT_EQ(top[2].type, "moov");
  EXPECT_EQ(top[0].size, top[1].start) << "mdat size not patched to the end of the samples";
  EXPECT_TRUE(Find(b, "udta/cprt").found);
  EXPECT_FALSE(Find(b, "moov/udta").found);

  std::vector<std::string> moov;
  for (const testing::Box& c : testing::Children(b, top[2].Body(), b.size())) moov.push_back(c.type);
  EXPECT_EQ(moov, (std::vector<std::string>{"mvhd", "iods", "trak", "trak", "trak", "trak"}));
  std::vector<uint32_t> ids;
  for (int t = 0; t < 4; ++t) ids.push_back(Be32(b, Find(b, "moov/trak#" + std::to_string(t) + "/tkhd").Body() + 12));
  EXPECT_EQ(ids, (std::vector<uint32_t>{200, 201, 1, 2}));
  EXPECT_EQ(Be32(b, Find(b, "moov/mvhd").Body() + 96), 202u) << "next_track_ID";

  // Reference lists: media tracks sync to the scene, the OD track names both media.
  EXPECT_EQ(List(b, "moov/trak#0/tref/sync"), std::vector<uint32_t>{1});
  EXPECT_EQ(List(b, "moov/trak#1/tref/sync"), std::vector<uint32_t>{1});
  EXPECT_FALSE(Find(b, "moov/trak#2/tref").found);
  EXPECT_EQ(List(b, "moov/trak#3/tref/mpod"), (std::vector<uint32_t>{200, 201}));

  // iods: ID 1, profiles OD 1, scene 1, audio 0xFE, visual from the VOS, graphics 1,
  // ES_ID_Inc for tracks 1 and 2, all sizes in the four-byte form.
  const testing::Box iods = Find(b, "moov/iods");
  const std::vector<uint8_t> body(b.begin() + iods.Body() + 4, b.begin() + iods.start + iods.size);
  EXPECT_EQ(body, FromHex("1080808019" "004f0101fe0101" "0e8080800400000001" "0e8080800400000002"));

  // The scene and OD samples follow the media in mdat, byte for byte.
  const uint32_t odAt = List(b, "moov/trak#3/mdia/minf/stbl/stco")[0];
  EXPECT_EQ(std::vector<uint8_t>(b.begin() + odAt, b.begin() + odAt + 33),
            std::vector<uint8_t>(kObjectDescriptorSample, kObjectDescriptorSample + 33));
  const uint32_t sceneAt = List(b, "moov/trak#2/mdia/minf/stbl/stco")[0];
  EXPECT_EQ(List(b, "moov/trak#2/mdia/minf/stbl/stsz"), std::vector<uint32_t>{142});
  EXPECT_EQ(b[sceneAt], 0xC0);
  EXPECT_EQ(Runs(b, "moov/trak#2/mdia/minf/stbl/stts"), (Pairs{{1, 1000}}));
}

TEST(Mp4Layout, WithoutAudioThreeTracksAndOneMpodEntry) {
  Recording r;
  ASSERT_TRUE(r.Header());
  ASSERT_TRUE(r.Video(Vop(0), 1, 0));
  const std::vector<uint8_t>& b = r.Finish();
  EXPECT_FALSE(Find(b, "moov/trak#3").found);
  EXPECT_EQ(List(b, "moov/trak#2/tref/mpod"), std::vector<uint32_t>{200});
  EXPECT_EQ(Be32(b, Find(b, "moov/mvhd").Body() + 96), 201u);
  const uint32_t odAt = List(b, "moov/trak#2/mdia/minf/stbl/stco")[0];
  EXPECT_EQ(std::vector<uint8_t>(b.begin() + odAt, b.begin() + odAt + 33),
            std::vector<uint8_t>(kObjectDescriptorSample, kObjectDescriptorSample + 33));
  // Audio profile "none" in the iods.
  EXPECT_EQ(b[Find(b, "moov/iods").Body() + 4 + 5 + 2 + 2], 2);
}

TEST(Mp4Layout, SampleEntriesAndTrackHeadersDescribeTheStreamHeaders) {
  Recording r;
  ASSERT_TRUE(r.Header());
  EXPECT_EQ(r.mp4.PictureWidth(), 640);
  EXPECT_EQ(r.mp4.PictureHeight(), 480);
  EXPECT_EQ(r.mp4.TimeIncrementBits(), 5);  // resolution 30
  ASSERT_TRUE(r.Video(Vop(0), 1, 0));
  ASSERT_TRUE(r.Audio(0, 0));
  const std::vector<uint8_t>& b = r.Finish();
  auto bytes = [&](size_t at, size_t n) { return std::vector<uint8_t>(b.begin() + at, b.begin() + at + n); };

  // esds: ES descriptor > DecoderConfig (0x20, visual stream, 106666) >
  // DecoderSpecificInfo = the header unit; SL config predefined 2.
  const size_t entry = Find(b, std::string(kVideo) + "stsd").Body() + 8;  // after version/flags and entry_count
  EXPECT_EQ(std::string(b.begin() + entry + 4, b.begin() + entry + 8), "mp4v");
  const size_t es = entry + 86 + 12;  // visual sample entry, then the esds header
  EXPECT_EQ(std::string(b.begin() + entry + 90, b.begin() + entry + 94), "esds");
  const size_t dsiSize = kHeaders.size();
  const std::vector<uint8_t> want = [&] {
    std::vector<uint8_t> v = FromHex("03808080");
    v.push_back(uint8_t(3 + 5 + 13 + 5 + dsiSize + 5 + 1));
    for (uint8_t x : FromHex("000000" "04808080")) v.push_back(x);
    v.push_back(uint8_t(13 + 5 + dsiSize));
    for (uint8_t x : FromHex("2011" "01a0aa" "00000000" "00000000" "05808080")) v.push_back(x);
    v.push_back(uint8_t(dsiSize));
    v.insert(v.end(), kHeaders.begin(), kHeaders.end());
    for (uint8_t x : FromHex("06808080" "0102")) v.push_back(x);
    return v;
  }();
  EXPECT_EQ(bytes(es, want.size()), want);
  // The scene configuration carries the picture size.
  EXPECT_EQ(SceneConfig(320, 240), FromHex("52b80a000780"));
  EXPECT_EQ(SceneConfig(640, 480), FromHex("52b814000f00"));

  // Where the writer knowingly differs from the fixed layout it was given, the
  // bytes are pinned here: a player must see the stream as it is.
  // 1. The visual sample entry's size is the stream's (0x014000F0 would say 320x240).
  EXPECT_EQ(bytes(entry + 32, 4), FromHex("028001e0"));
  // 2. So is the video track header's, in 16.16.
  const size_t videoTkhd = Find(b, "moov/trak#0/tkhd").Body();
  EXPECT_EQ(bytes(videoTkhd + 76, 8), FromHex("0280000001e00000"));
  // 3. The sound sample entry: one channel of 16-bit samples at 8000 Hz (16.16),
  //    what the ADPCM frames decode to.
  const size_t mp4a = Find(b, std::string(kAudio) + "stsd").Body() + 8;
  EXPECT_EQ(bytes(mp4a + 4, 32), FromHex("6d703461" "000000000000" "0001" "0000000000000000" "0001" "0010" "00000000"
                                         "1f400000"));
  // 4. Track-header volume at its standard place (after layer and alternate
  //    group), full for sound, zero for video, with the reserved word behind it.
  const size_t audioTkhd = Find(b, "moov/trak#1/tkhd").Body();
  EXPECT_EQ(bytes(audioTkhd + 32, 8), FromHex("0000" "0000" "0100" "0000"));
  EXPECT_EQ(bytes(videoTkhd + 32, 8), FromHex("0000" "0000" "0000" "0000"));
}

TEST(Mp4Timing, SampleTimesGiveTheirTimeAndOffsetTables) {
  const struct {
    const char* name;
    std::vector<uint32_t> video, audio;
    Pairs videoStts, videoCtts, audioStts, audioCtts;
  } cases[] = {
      // A first delta of 0 still counts: the last delta is repeated once.
      {"samples from time zero", {0, 40, 80, 120}, {}, {{4, 40}}, {{4, 0}}, {}, {}},
      {"late first picture", {500, 540, 580}, {}, {{3, 40}}, {{3, 500}}, {}, {}},
      {"one gap, and one late audio frame", {0, 40, 80, 200, 240, 280}, {100},
       {{2, 40}, {1, 120}, {3, 40}}, {{6, 0}}, {{1, 0}}, {{1, 100}}},
      {"time going backwards never wraps", {0, 40, 20, 80}, {}, {{1, 40}, {1, 0}, {2, 40}}, {{4, 0}}, {}, {}},
  };
  for (const auto& c : cases) {
    Recording r;
    ASSERT_TRUE(r.Header());
    for (uint32_t i = 0; i < c.video.size(); ++i) ASSERT_TRUE(r.Video(Vop(1), i + 1, c.video[i])) << c.name;
    for (uint32_t i = 0; i < c.audio.size(); ++i) ASSERT_TRUE(r.Audio(i, c.audio[i])) << c.name;
    const std::vector<uint8_t>& b = r.Finish();
    EXPECT_EQ(Runs(b, std::string(kVideo) + "stts"), c.videoStts) << c.name;
    EXPECT_EQ(Runs(b, std::string(kVideo) + "ctts"), c.videoCtts) << c.name;
    if (!c.audio.empty()) {
      EXPECT_EQ(Runs(b, std::string(kAudio) + "stts"), c.audioStts) << c.name;
      EXPECT_EQ(Runs(b, std::string(kAudio) + "ctts"), c.audioCtts) << c.name;
    }
    if (c.video.front() == 0) {
      uint32_t total = 0;
      for (const auto& run : c.videoStts) total += run.first * run.second;
      EXPECT_EQ(Be32(b, Find(b, "moov/trak#0/mdia/mdhd").Body() + 16), total) << c.name << ": track duration";
    }
  }
  Recording r;
  ASSERT_TRUE(r.Header());
  ASSERT_TRUE(r.Video(Vop(0), 1, 0));
  const std::vector<uint8_t>& b = r.Finish();
  EXPECT_EQ(Be32(b, Find(b, "moov/mvhd").Body() + 12), 1000u) << "movie duration: the 1 s system tracks";
}

TEST(Mp4Tables, EverySampleIsItsOwnChunkAndSyncNumbersFollowWrittenSamples) {
  Recording r;
  ASSERT_TRUE(r.Header());
  const int types[] = {0, 1, 1, 0, 1};
  uint32_t index = 1;
  for (int t : types) {
    ASSERT_TRUE(r.Video(Vop(t, 40 + index), index, index * 40));
    ++index;
    // A unit the recorder refuses in between: its index is used up, yet the
    // sync table must keep numbering the samples in the file.
    EXPECT_FALSE(r.Video(std::vector<uint8_t>{0, 0, 1, 0xB3, 0, 0}, index, index * 40));
    ++index;
  }
  const std::vector<uint8_t>& b = r.Finish();
  EXPECT_EQ(List(b, std::string(kVideo) + "stss"), (std::vector<uint32_t>{1, 4}));
  const std::vector<uint32_t> sizes = List(b, std::string(kVideo) + "stsz");
  const std::vector<uint32_t> offsets = List(b, std::string(kVideo) + "stco");
  ASSERT_EQ(sizes.size(), 5u);
  ASSERT_EQ(offsets.size(), 5u);
  EXPECT_EQ(offsets[0], 8u);
  for (size_t i = 1; i < 5; ++i) EXPECT_EQ(offsets[i], offsets[i - 1] + sizes[i - 1]) << "sample " << i + 1;
  const testing::Box stsc = Find(b, std::string(kVideo) + "stsc");
  ASSERT_EQ(Be32(b, stsc.Body() + 4), 5u);
  for (uint32_t i = 0; i < 5; ++i) {
    EXPECT_EQ(Be32(b, stsc.Body() + 8 + 12 * i), i + 1) << "first_chunk";
    EXPECT_EQ(Be32(b, stsc.Body() + 12 + 12 * i), 1u);
    EXPECT_EQ(Be32(b, stsc.Body() + 16 + 12 * i), 1u);
  }
}

TEST(Mp4Refusals, RefusedUnitsChangeNothing) {
  const std::vector<uint8_t> notPicture = {0, 0, 1, 0xB5, 1, 2, 3, 4};
  const std::vector<uint8_t> noPrefix = {1, 2, 3, 4, 5, 6};
  Recording plain;
  ASSERT_TRUE(plain.Header());
  ASSERT_TRUE(plain.Video(Vop(0), 1, 0));
  ASSERT_TRUE(plain.Video(Vop(1), 2, 40));
  ASSERT_TRUE(plain.Audio(0, 0));

  Recording noisy;
  EXPECT_FALSE(noisy.Video(Vop(0), 1, 0)) << "picture before the configuration unit";
  EXPECT_FALSE(noisy.Header(Vop(0))) << "configuration unit that is a picture";
  EXPECT_FALSE(noisy.Header(noPrefix)) << "configuration unit without a start code";
  EXPECT_EQ(noisy.mp4.VideoTrack(), nullptr);
  ASSERT_TRUE(noisy.Header());
  EXPECT_FALSE(noisy.Header()) << "a second configuration unit";
  ASSERT_TRUE(noisy.Video(Vop(0), 1, 0));
  EXPECT_FALSE(noisy.Video(notPicture, 2, 20));
  EXPECT_FALSE(noisy.Video(noPrefix, 2, 30));
  ASSERT_TRUE(noisy.Video(Vop(1), 2, 40));
  ASSERT_TRUE(noisy.Audio(0, 0));
  EXPECT_EQ(noisy.Finish(), plain.Finish());
}

TEST(Mp4Refusals, FullDiskFailsTheWriteAndLeavesTheTablesAlone) {
  Recording plain;
  ASSERT_TRUE(plain.Header());
  ASSERT_TRUE(plain.Video(Vop(0, 100, 1), 1, 0));
  ASSERT_TRUE(plain.Video(Vop(1, 100, 3), 3, 80));
  ASSERT_TRUE(plain.Audio(0, 64));

  // Room for the mdat header and one and a half pictures.
  Recording full(8 + 150);
  ASSERT_TRUE(full.Header());
  ASSERT_TRUE(full.Video(Vop(0, 100, 1), 1, 0));
  EXPECT_FALSE(full.Video(Vop(1, 100, 2), 2, 40));
  EXPECT_FALSE(full.Audio(0, 64));
  EXPECT_EQ(full.mp4.VideoTrack()->SampleCount(), 1u);
  EXPECT_EQ(full.mp4.AudioTrack(), nullptr) << "a track whose only frame was lost";
  EXPECT_EQ(full.mp4.Position(), 108u);
  // Space comes back: the next picture goes where the lost one started and
  // keeps its real distance from the last written one.
  full.output->SetCapacity(SIZE_MAX);
  ASSERT_TRUE(full.Video(Vop(1, 100, 3), 3, 80));
  ASSERT_TRUE(full.Audio(0, 64));
  EXPECT_EQ(full.Finish(), plain.Finish());
}

TEST(Mp4Refusals, FinaliseOnAFullDiskReportsFailure) {
  Recording r(8 + 60);
  ASSERT_TRUE(r.Header());
  ASSERT_TRUE(r.Video(Vop(0), 1, 0));
  EXPECT_FALSE(r.mp4.Finalise());
  EXPECT_FALSE(r.mp4.Finalise()) << "finalised twice";
}

// Counts bytes without keeping them, for recordings near the 4 GiB limit.
class CountingOutput : public Mp4Output {
 public:
  bool Write(const uint8_t*, size_t length) override {
    position_ += length;
    end = std::max(end, position_);
    return true;
  }
  bool Seek(uint64_t position) override {
    position_ = position;
    return true;
  }
  uint64_t end = 0;

 private:
  uint64_t position_ = 0;
};

TEST(Mp4Refusals, MdatStopsAt4GiBWithRoomForTheSystemSamples) {
  auto counting = std::make_unique<CountingOutput>();
  CountingOutput* out = counting.get();
  Mp4File mp4;
  ASSERT_TRUE(mp4.Open(std::move(counting)));
  ASSERT_TRUE(mp4.WriteVideo(kHeaders.data(), uint32_t(kHeaders.size()), 0, 0));
  const std::vector<uint8_t> p = Vop(0);  // only its first bytes are read
  ASSERT_TRUE(mp4.WriteVideo(p.data(), 0xFFFFFF00u, 1, 0));
  EXPECT_FALSE(mp4.WriteVideo(p.data(), 0x50, 2, 40)) << "would leave no room for the scene and OD samples";
  ASSERT_TRUE(mp4.WriteVideo(p.data(), 0x20, 2, 40));
  ASSERT_TRUE(mp4.Finalise());
  EXPECT_EQ(mp4.VideoTrack()->SampleCount(), 2u);
  EXPECT_GT(out->end, 0xFFFFFFFFu) << "moov follows the full mdat";
}

// An unfinished file holds an mdat of size 0 and the samples; Finalise seeks
// only to patch that size.
TEST(Mp4Output, SeeksOnlyToPatchTheMdatSize) {
  Recording r;
  ASSERT_TRUE(r.Header());
  ASSERT_TRUE(r.Video(Vop(0, 20), 1, 0));
  const std::vector<uint8_t>& b = r.output->Bytes();
  ASSERT_EQ(b.size(), 28u);
  EXPECT_EQ(FromHex("000000006d646174"), std::vector<uint8_t>(b.begin(), b.begin() + 8));
  for (uint32_t i = 2; i <= 10; ++i) ASSERT_TRUE(r.Video(Vop(i % 5 == 1 ? 0 : 1), i, i * 40));
  r.Finish();
  EXPECT_EQ(r.output->SeekCount(), 1) << "to offset 0, after everything else is written";
}

#ifndef _WIN32
// /dev/full refuses every byte: the failure must show at the write it hits,
// not vanish into a buffer that is flushed (and fails) only at close.
TEST(Mp4Output, FullDeviceFailsAtTheFirstWrite) {
  Mp4File mp4;
  EXPECT_FALSE(mp4.Open("/dev/full"));
}
#endif

TEST(Mp4Output, AFileThatCannotBeMadeIsNoRecording) {
  Mp4File bad;
  EXPECT_FALSE(bad.Open((std::filesystem::temp_directory_path() / "no such dir" / "x.mp4").string()));
}

}  // namespace
}  // namespace record
