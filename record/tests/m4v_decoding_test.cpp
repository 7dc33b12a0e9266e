// Whether two configuration units describe the same coded pictures: the
// recorder starts a new file exactly when they do not.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "codec/video/video_encoder.h"
#include "record/m4v_headers.h"

namespace record {
namespace {

// Stream headers as a camera of the given settings sends them.
M4vConfig Headers(const std::function<void(codec::VideoEncoder&)>& settings, int width = 320, int height = 240,
                  const std::string& tail = "") {
  codec::VideoEncoder encoder;
  encoder.resilience_mode_ = 1;
  settings(encoder);
  EXPECT_EQ(encoder.Initialise(width, height), 0);
  size_t length = 0;
  const uint8_t* bytes = encoder.Headers(&length);
  std::vector<uint8_t> unit(bytes, bytes + length);
  unit.insert(unit.end(), tail.begin(), tail.end());
  M4vConfig config;
  EXPECT_TRUE(ParseM4vConfig(unit.data(), unit.size(), &config));
  EXPECT_TRUE(config.hasCodingTools) << "the layer header was not read to its end";
  return config;
}

TEST(M4vDecoding, ValuesADecoderReadsDecideAndBytesDoNot) {
  const M4vConfig base = Headers([](codec::VideoEncoder&) {});
  struct Case {
    const char* what;
    M4vConfig config;
    const char* difference;  // null: the same decoding
  };
  const Case cases[] = {
      {"another profile", Headers([](codec::VideoEncoder& e) { e.profile_and_level_ = 3; }), nullptr},
      {"another pixel aspect", Headers([](codec::VideoEncoder& e) { e.par_width_ = 12, e.par_height_ = 11; }), nullptr},
      {"other user data", Headers([](codec::VideoEncoder&) {}, 320, 240, std::string("\0\0\1\xB2xyz", 7)), nullptr},
      {"time base 25", Headers([](codec::VideoEncoder& e) { e.time_increment_resolution_ = 25; }),
       "time-increment resolution"},
      {"no fixed rate", Headers([](codec::VideoEncoder& e) { e.ticks_per_picture_ = 0; }), "fixed picture rate"},
      {"640 x 480", Headers([](codec::VideoEncoder&) {}, 640, 480), "picture size"},
      {"320 x 256", Headers([](codec::VideoEncoder&) {}, 320, 256), "picture size"},
      {"no resync markers", Headers([](codec::VideoEncoder& e) { e.resilience_mode_ = 0; }), "resync markers"},
      {"data partitioning", Headers([](codec::VideoEncoder& e) { e.resilience_mode_ = 2; }), "data partitioning"},
  };
  for (const Case& c : cases) {
    std::string difference;
    EXPECT_EQ(SameDecoding(base, c.config, &difference), c.difference == nullptr) << c.what;
    if (c.difference) {
      EXPECT_EQ(difference, c.difference) << c.what;
    }
  }
  const M4vConfig partitioned = Headers([](codec::VideoEncoder& e) { e.resilience_mode_ = 2; });
  const M4vConfig reversible = Headers([](codec::VideoEncoder& e) { e.resilience_mode_ = 3; });
  std::string difference;
  EXPECT_FALSE(SameDecoding(partitioned, reversible, &difference));
  EXPECT_EQ(difference, "reversible VLC");
}

TEST(M4vDecoding, LayerFieldsBeyondTheSizeAreRead) {
  // ffmpeg's mpeg4 headers for 320x240 at 25 pictures per second, and the same
  // with data partitioning.
  std::vector<uint8_t> unit = {0x00, 0x00, 0x01, 0xB0, 0x01, 0x00, 0x00, 0x01, 0xB5, 0x89, 0x13, 0x00, 0x00, 0x01, 0x00,
                               0x00, 0x00, 0x01, 0x20, 0x00, 0xC4, 0x8D, 0x88, 0x00, 0xCD, 0x0A, 0x04, 0x1E, 0x14, 0x43};
  M4vConfig c;
  ASSERT_TRUE(ParseM4vConfig(unit.data(), unit.size(), &c));
  EXPECT_EQ(c.timeIncrementResolution, 25u);
  EXPECT_FALSE(c.fixedVopRate);
  EXPECT_EQ(c.width, 320);
  EXPECT_EQ(c.height, 240);
  ASSERT_TRUE(c.hasCodingTools);
  EXPECT_FALSE(c.interlaced);
  EXPECT_TRUE(c.obmcDisable);
  EXPECT_FALSE(c.quantType);
  EXPECT_TRUE(c.complexityEstimationDisable);
  EXPECT_FALSE(c.resyncMarkerDisable);
  EXPECT_FALSE(c.dataPartitioned);

  M4vConfig cut;
  ASSERT_TRUE(ParseM4vConfig(unit.data(), unit.size() - 1, &cut));
  EXPECT_TRUE(cut.hasSize);
  EXPECT_FALSE(cut.hasCodingTools);
  EXPECT_FALSE(SameDecoding(c, cut)) << "a header cut short describes other pictures";

  unit.back() = 0x51;
  M4vConfig partitioned;
  ASSERT_TRUE(ParseM4vConfig(unit.data(), unit.size(), &partitioned));
  EXPECT_TRUE(partitioned.dataPartitioned);
  EXPECT_FALSE(partitioned.reversibleVlc);
  std::string difference;
  EXPECT_FALSE(SameDecoding(c, partitioned, &difference));
  EXPECT_EQ(difference, "data partitioning");
}

}  // namespace
}  // namespace record
