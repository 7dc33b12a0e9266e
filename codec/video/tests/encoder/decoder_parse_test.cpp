// The headers the writer makes, read back by this program's own decoder: its
// header-layer parser and a whole decode of the configuration unit, as a
// node does when a recording starts.
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

TEST(VideoEncoderThroughDecoder, LayerHeaderOfEveryModeParsesBack) {
  for (int mode = 0; mode < 4; ++mode) {
    VideoEncoder enc;
    enc.m_resilienceMode = mode;
    enc.m_parWidth = mode == 1 ? 40 : 1;
    enc.m_parHeight = mode == 1 ? 33 : 1;
    const std::vector<uint8_t> b = Headers(enc, 320, 240);
    VolInfo info;
    ASSERT_EQ(ParseVolInfo(b.data(), b.size(), &info), 0) << "mode " << mode;
    EXPECT_EQ(info.width, 320);
    EXPECT_EQ(info.height, 240);
    EXPECT_EQ(info.timeIncrementResolution, 30u);
    EXPECT_EQ(info.timeIncrementBits, 5);
    EXPECT_TRUE(info.fixedVopRate);
    EXPECT_EQ(info.fixedVopTimeIncrement, 1u);
    EXPECT_EQ(info.resyncMarkerDisable, mode == 0) << "mode " << mode;
    EXPECT_EQ(info.dataPartitioned, mode >= 2) << "mode " << mode;
    EXPECT_EQ(info.reversibleVlc, mode == 3) << "mode " << mode;
  }
}

TEST(VideoEncoderThroughDecoder, RecorderSettingsParseBack) {
  VideoEncoder enc;  // as the recorder sets it: mode 0, 100 ticks
  enc.m_resilienceMode = 0;
  enc.m_intraPeriod = 30;
  enc.m_ticksPerPicture = 100;
  enc.m_intraQuantiser = enc.m_interQuantiser = 5;
  enc.m_writeHeadersFirst = 0;
  const std::vector<uint8_t> b = Headers(enc, 640, 480);
  VolInfo info;
  ASSERT_EQ(ParseVolInfo(b.data(), b.size(), &info), 0);
  EXPECT_EQ(info.width, 640);
  EXPECT_EQ(info.height, 480);
  EXPECT_FALSE(info.fixedVopRate);
  EXPECT_TRUE(info.resyncMarkerDisable);
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

}  // namespace
}  // namespace codec
