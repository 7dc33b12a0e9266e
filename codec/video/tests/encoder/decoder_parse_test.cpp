// The headers the writer makes, decoded by this program's own decoder as a
// node does when a recording starts. Each field of every mode is read back by
// the independent reader of video_encoder_test, and the decoder's header
// parser is proven on hand-built layers (stream_start_test).
#include <gtest/gtest.h>

#include <vector>

#include "codec/video/video_decoder.h"
#include "codec/video/video_encoder.h"

namespace codec {
namespace {

std::vector<uint8_t> Headers(VideoEncoder& enc, int w, int h) {
  EXPECT_EQ(enc.Initialise(w, h), 0);
  size_t n = 0;
  const uint8_t* p = enc.Headers(&n);
  return std::vector<uint8_t>(p, p + n);
}

TEST(VideoEncoderThroughDecoder, ConfigurationUnitStartsTheStream) {
  VideoEncoder enc;
  const std::vector<uint8_t> b = Headers(enc, 320, 240);
  VideoDecoder dec;
  dec.SetSize(320, 240);
  dec.SetPostFilter(true, true);
  EXPECT_EQ(dec.Decode(b.data(), b.size()), kDecodeStarted);
  EXPECT_EQ(dec.Width(), 320);
  EXPECT_EQ(dec.Height(), 240);

  VideoEncoder qcif;
  const std::vector<uint8_t> q = Headers(qcif, 176, 144);
  VideoDecoder dec2;
  dec2.SetSize(320, 240);
  EXPECT_EQ(dec2.Decode(q.data(), q.size()), kDecodeStarted);
  EXPECT_EQ(dec2.Width(), 176);
  EXPECT_EQ(dec2.Height(), 144);
}

// At a power-of-two resolution the fixed increment is as wide as the writer
// made it; one bit more would shift the picture size that follows.
TEST(VideoEncoderThroughDecoder, PowerOfTwoTimeBaseReadsBack) {
  for (int resolution : {2, 32, 1024, 32768}) {
    VideoEncoder enc;
    enc.time_increment_resolution_ = resolution;
    enc.ticks_per_picture_ = resolution - 1;
    const std::vector<uint8_t> b = Headers(enc, 320, 240);
    VolInfo info;
    ASSERT_EQ(ParseVolInfo(b.data(), b.size(), &info), 0) << resolution;
    EXPECT_EQ(info.timeIncrementBits, enc.TimeIncrementBits()) << resolution;
    EXPECT_TRUE(info.fixedVopRate) << resolution;
    EXPECT_EQ(info.fixedVopTimeIncrement, uint32_t(resolution - 1)) << resolution;
    EXPECT_EQ(info.width, 320) << resolution;
    EXPECT_EQ(info.height, 240) << resolution;
    VideoDecoder dec;
    EXPECT_EQ(dec.Decode(b.data(), b.size()), kDecodeStarted) << resolution;
    EXPECT_EQ(dec.Width(), 320) << resolution;
  }
}

// The writer's version-2 form (the layer takes the visual object's version:
// two-bit sprite_enable, quarter_sample, newpred and reduced-resolution flags)
// reads back field for field.
TEST(VideoEncoderThroughDecoder, VersionTwoHeadersReadBack) {
  for (int mode = 0; mode <= 3; ++mode) {
    VideoEncoder enc;
    enc.object_version_ = 2;
    enc.resilience_mode_ = mode;
    const std::vector<uint8_t> b = Headers(enc, 176, 144);
    VolInfo info;
    ASSERT_EQ(ParseVolInfo(b.data(), b.size(), &info), 0) << mode;
    EXPECT_EQ(info.width, 176) << mode;
    EXPECT_EQ(info.height, 144) << mode;
    EXPECT_EQ(info.resyncMarkerDisable, mode == 0) << mode;
    EXPECT_EQ(info.dataPartitioned, mode >= 2) << mode;
    EXPECT_EQ(info.reversibleVlc, mode == 3) << mode;
    VideoDecoder dec;
    EXPECT_EQ(dec.Decode(b.data(), b.size()), kDecodeStarted) << mode;
    EXPECT_EQ(dec.LastStatus(), DecodeStatus::Ok) << mode;
  }
}

}  // namespace
}  // namespace codec
