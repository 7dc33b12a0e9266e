// Export of a range of time: where it cuts, the times it carries, and that
// ffprobe (which shares no code with ours) reads the range that was asked
// for, within one picture.
#include "record/range_export.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "record/recording_names.h"
#include "recording_maker.h"
#include "record/tests/mp4_test_util.h"

namespace record {
namespace {

#ifndef _WIN32
using testing::Shell;

// "key=value" lines of ffprobe for the video stream and the format.
std::map<std::string, std::string> Probe(const std::string& file) {
  std::map<std::string, std::string> values;
  std::istringstream out(Shell("ffprobe -v error -count_packets -select_streams v -show_entries "
                               "stream=width,nb_frames,nb_read_packets,start_time,duration:"
                               "format_tags=creation_time -of default=noprint_wrappers=1 '" + file + "'"));
  for (std::string line; std::getline(out, line);)
    if (const size_t eq = line.find('='); eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 1);
  return values;
}

// creation_time "2026-03-14T09:00:02.000000Z" in seconds since 1970.
int64_t UtcSeconds(const std::string& text) {
  std::tm t{};
  if (std::sscanf(text.c_str(), "%d-%d-%dT%d:%d:%d", &t.tm_year, &t.tm_mon, &t.tm_mday, &t.tm_hour, &t.tm_min,
                  &t.tm_sec) != 6)
    return 0;
  t.tm_year -= 1900;
  t.tm_mon -= 1;
  return static_cast<int64_t>(timegm(&t));
}

class RangeExportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(std::system("ffprobe -version >/dev/null 2>&1"), 0) << "ffprobe is needed";
    ASSERT_TRUE(LocalToWallSeconds(2026, 3, 14, 10, 0, 0, &base_));
  }
  // Two files of CAM-1 one after the other, the second continuing the first
  // (its first picture known to the second only), each 90 pictures of 66 ms.
  void TwoFiles(const testing::Clip& second) {
    testing::Recording a;
    a.creation = base_;
    a.times = testing::Times(90, 66);
    ASSERT_TRUE(testing::Write(root_ / (testing::Stem("CAM-1", base_) + ".mp4"), qcif_, a));
    testing::Recording b = a;
    b.creation = base_ + 5;
    ASSERT_TRUE(testing::Write(root_ / (testing::Stem("CAM-1", base_ + 5) + ".mp4"), second, b));
    RecordingsIndex index({root_.Root()}, "");
    catalog_ = index.Refresh();
    ASSERT_TRUE(catalog_ && catalog_->Find("CAM-1"));
    for (const auto& e : std::filesystem::directory_iterator(root_.path))
      sources_.emplace_back(e.path(), std::filesystem::last_write_time(e.path()));
  }
  RangeExportRequest Request(int64_t from_s, int64_t to_s, const std::string& name = "clip.mp4") {
    RangeExportRequest r;
    r.camera = "CAM-1";
    r.from = (base_ + from_s) * 1000;
    r.to = (base_ + to_s) * 1000;
    r.output = out_ / name;
    return r;
  }
  void ExpectSourcesUntouched() {
    for (const auto& [path, time] : sources_) {
      EXPECT_EQ(std::filesystem::last_write_time(path), time) << path;
    }
    EXPECT_EQ(size_t(std::distance(std::filesystem::directory_iterator(root_.path), {})), sources_.size());
  }

  testing::TempFolder root_{"range_export_root"}, out_{"range_export_out"};
  testing::Clip qcif_ = testing::LoadClip();
  int64_t base_ = 0;
  std::shared_ptr<const RecordingsCatalog> catalog_;
  std::vector<std::pair<std::filesystem::path, std::filesystem::file_time_type>> sources_;
  TrackCache tracks_;
};

TEST_F(RangeExportTest, ARangeAcrossTwoFilesStartsAtTheIntraPictureBeforeItAndEndsAtItsEnd) {
  TwoFiles(qcif_);
  struct Case {
    int64_t fromS, toS;
    int64_t firstMs;   // the intra picture at or before the start, from base
    uint32_t pictures;
  };
  const Case cases[] = {
      {3, 8, 2970, 45 + 32},  // from picture 45 (an intra picture) of the first file into the second
      {1, 2, 990, 16},        // inside the first file: 990 .. 1980
      {7, 11, 5940 + 990, 62},
  };
  for (const Case& c : cases) {
    RangeExportResult result;
    uint64_t lastDone = 0, lastTotal = 0;
    RangeExportRequest request = Request(c.fromS, c.toS);
    request.matroska = c.fromS == 3;
    ASSERT_TRUE(ExportRange(*catalog_, tracks_, request, [&](uint64_t d, uint64_t t) { lastDone = d, lastTotal = t; },
                            nullptr, &result))
        << result.error;
    ASSERT_EQ(result.files.size(), 1u);
    EXPECT_EQ(result.firstPicture - base_ * 1000, c.firstMs) << c.fromS;
    EXPECT_EQ(result.pictures, c.pictures) << c.fromS;
    EXPECT_EQ(lastDone, lastTotal) << "progress reaches its end";
    auto probe = Probe(result.files[0]);
    EXPECT_EQ(probe["width"], "176");
    EXPECT_EQ(probe["nb_frames"], std::to_string(c.pictures)) << c.fromS;
    EXPECT_EQ(probe["nb_read_packets"], std::to_string(c.pictures)) << c.fromS;
    // Wall-clock time of the first picture and of the end, as ffprobe reads them.
    const int64_t creation = UtcSeconds(probe["TAG:creation_time"]);
    const double start = std::atof(probe["start_time"].c_str()), duration = std::atof(probe["duration"].c_str());
    const double first = double(creation - base_) + start;
    EXPECT_NEAR(first * 1000, double(c.firstMs), 1.0) << c.fromS;
    EXPECT_LE(first, double(c.fromS));
    EXPECT_NEAR((first + duration) * 1000, double(c.toS * 1000), 66.0) << c.fromS << ": the end is off by more than a picture";
    if (request.matroska) {
      ASSERT_EQ(result.copies.size(), 1u);
      EXPECT_EQ(Probe(result.copies[0])["nb_read_packets"], std::to_string(c.pictures));
    }
  }
  ExpectSourcesUntouched();
}

TEST_F(RangeExportTest, AConfigurationChangeGoesOnInANumberedFileWithTheSoundOfItsTime) {
  const testing::Clip cif = testing::LoadClip("test_320x240.m4v");
  TwoFiles(cif);
  std::filesystem::path taken = out_ / "clip-2.mp4";
  { std::ofstream(taken) << "someone else's"; }
  RangeExportResult result;
  ASSERT_TRUE(ExportRange(*catalog_, tracks_, Request(3, 8), nullptr, nullptr, &result)) << result.error;
  ASSERT_EQ(result.files.size(), 2u);
  EXPECT_EQ(result.files[1], out_ / "clip-3.mp4") << "a file that was there is never replaced";
  const auto first = Probe(result.files[0]), second = Probe(result.files[1]);
  EXPECT_EQ(first.at("width"), "176");
  EXPECT_EQ(second.at("width"), "320");
  EXPECT_EQ(first.at("nb_frames"), "45");
  EXPECT_EQ(second.at("nb_frames"), "32");
  // Sound every 64 ms from 2970 to 8000, each frame in one file only.
  EXPECT_NEAR(double(result.soundFrames), (8000.0 - 2970.0) / 64.0, 2.0);
  ExpectSourcesUntouched();
}

TEST_F(RangeExportTest, ACancelledOrEmptyExportLeavesNothingBehind) {
  TwoFiles(qcif_);
  std::atomic<bool> cancel{false};
  RangeExportResult result;
  EXPECT_FALSE(ExportRange(*catalog_, tracks_, Request(1, 9), [&](uint64_t done, uint64_t) { cancel = done > 20; },
                           &cancel, &result));
  EXPECT_EQ(result.error, "cancelled");
  EXPECT_FALSE(ExportRange(*catalog_, tracks_, Request(30, 40), nullptr, nullptr, &result));
  EXPECT_NE(result.error.find("nothing of CAM-1 was recorded"), std::string::npos) << result.error;
  RangeExportRequest onto = Request(1, 2);
  onto.output = catalog_->Find("CAM-1")->files[0].path;
  EXPECT_FALSE(ExportRange(*catalog_, tracks_, onto, nullptr, nullptr, &result));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out_.path), {}), 0);
  ExpectSourcesUntouched();
}
#endif

}  // namespace
}  // namespace record
