#include "record/m4v_headers.h"

#include <gtest/gtest.h>

#include "codec/video/video_encoder.h"
#include "record/tests/mp4_test_util.h"

namespace record {
namespace {

using testing::FromHex;

// Headers of profile 3, time base 30, 640x480: the VOL's fields start at
// byte 19 and the last bit of its height lies in byte 28, so 29 bytes are the
// least that hold a size; shorter ones keep the defaults.
TEST(M4vConfigParse, ReadsProfileTimeBaseAndSizeAndCutShortOrMissingHeadersKeepTheDefaults) {
  const std::vector<uint8_t> full = FromHex("000001b003000001b58913000001000000012000c48d8800f514043c1443");
  const size_t kSizeComplete = 29;
  M4vConfig whole;
  ASSERT_TRUE(ParseM4vConfig(full.data(), full.size(), &whole));
  EXPECT_TRUE(whole.hasVos);
  EXPECT_EQ(whole.profileAndLevel, 3);
  EXPECT_EQ(whole.timeIncrementResolution, 30u);
  EXPECT_EQ(whole.timeIncrementBits, 5);
  for (size_t cut = 4; cut <= full.size(); ++cut) {
    M4vConfig c;
    ASSERT_TRUE(ParseM4vConfig(full.data(), cut, &c)) << cut;
    EXPECT_EQ(c.hasSize, cut >= kSizeComplete) << cut;
    EXPECT_EQ(c.width, cut >= kSizeComplete ? 640 : 320) << cut;
    EXPECT_EQ(c.height, cut >= kSizeComplete ? 480 : 240) << cut;
  }
  M4vConfig c;
  const std::vector<uint8_t> onlyUserData = FromHex("000001b2414243");
  ASSERT_TRUE(ParseM4vConfig(onlyUserData.data(), onlyUserData.size(), &c));
  EXPECT_FALSE(c.hasVos);
  EXPECT_EQ(c.profileAndLevel, 3);
  EXPECT_EQ(c.timeIncrementBits, 15);
}

// The encoder's version-2 headers: the layer states no version of its own and
// takes the visual object's, so its sprite_enable is two bits wide and the
// version-2 flags follow.
TEST(M4vConfigParse, LayerTakesTheVisualObjectsVersion) {
  codec::VideoEncoder enc;
  enc.object_version_ = 2;
  enc.resilience_mode_ = 3;
  ASSERT_EQ(enc.Initialise(176, 144), 0);
  size_t n = 0;
  const uint8_t* h = enc.Headers(&n);
  M4vConfig c;
  ASSERT_TRUE(ParseM4vConfig(h, n, &c));
  EXPECT_TRUE(c.hasCodingTools);
  EXPECT_EQ(c.width, 176);
  EXPECT_EQ(c.spriteEnable, 0);
  EXPECT_TRUE(c.complexityEstimationDisable);
  EXPECT_FALSE(c.resyncMarkerDisable);
  EXPECT_TRUE(c.dataPartitioned);
  EXPECT_TRUE(c.reversibleVlc);
}

TEST(M4vConfigParse, RefusesPicturesAndUnitsWithoutAStartCode) {
  M4vConfig c;
  const std::vector<uint8_t> picture = FromHex("000001b6105a");
  const std::vector<uint8_t> junk = FromHex("0000020001b0");
  EXPECT_FALSE(ParseM4vConfig(picture.data(), picture.size(), &c));
  EXPECT_FALSE(ParseM4vConfig(junk.data(), junk.size(), &c));
  EXPECT_FALSE(ParseM4vConfig(junk.data(), 2, &c));
  EXPECT_EQ(VopCodingType(picture.data(), picture.size()), 0);
  EXPECT_EQ(VopCodingType(picture.data(), 4), -1);
  EXPECT_EQ(VopCodingType(junk.data(), junk.size()), -1);
}

TEST(M4vSplitter, HeaderThenOnePicturePerStartCode) {
  const std::vector<uint8_t> s = FromHex("000001b001" "000001b6aa0000" "000001b3ff" "000001b6bb" "000001b6");
  M4vSpan header;
  std::vector<M4vSpan> pictures;
  SplitM4vStream(s.data(), s.size(), &header, &pictures);
  EXPECT_EQ(header.length, 5u);
  ASSERT_EQ(pictures.size(), 3u);
  EXPECT_EQ(pictures[0].offset, 5u);
  EXPECT_EQ(pictures[0].length, 12u) << "a GOV header stays with the picture before it";
  EXPECT_EQ(pictures[1].length, 5u);
  EXPECT_EQ(pictures[2].length, 4u);

  const std::vector<uint8_t> none = FromHex("000001b00100");
  SplitM4vStream(none.data(), none.size(), &header, &pictures);
  EXPECT_EQ(header.length, none.size());
  EXPECT_TRUE(pictures.empty());
}

}  // namespace
}  // namespace record
