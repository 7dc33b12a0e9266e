#include "codec/audio/wav_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace codec {
namespace {

void Put32(std::vector<uint8_t>& v, uint32_t x) {
  for (int i = 0; i < 4; ++i) v.push_back(uint8_t(x >> (8 * i)));
}
void Put16(std::vector<uint8_t>& v, int x) {
  v.push_back(uint8_t(x));
  v.push_back(uint8_t(x >> 8));
}
void Tag(std::vector<uint8_t>& v, const char* t) {
  for (int i = 0; i < 4; ++i) v.push_back(uint8_t(t[i]));
}

std::vector<uint8_t> Wav(uint32_t dataSize, size_t dataPresent, bool oddChunkFirst) {
  std::vector<uint8_t> v;
  Tag(v, "RIFF");
  Put32(v, 0);
  Tag(v, "WAVE");
  if (oddChunkFirst) {
    Tag(v, "LIST");
    Put32(v, 3);
    v.insert(v.end(), {1, 2, 3, 0});  // padded to even length
  }
  Tag(v, "fmt ");
  Put32(v, 16);
  Put16(v, 1);
  Put16(v, 1);
  Put32(v, 8000);
  Put32(v, 16000);
  Put16(v, 2);
  Put16(v, 16);
  Tag(v, "data");
  Put32(v, dataSize);
  v.resize(v.size() + dataPresent, 0x11);
  return v;
}

TEST(WavReader, FindsFormatAndSamplesPastOtherChunks) {
  const std::vector<uint8_t> v = Wav(100, 100, true);
  WavInfo info;
  ASSERT_EQ(ParseWav(v.data(), v.size(), &info), WavStatus::kOk);
  EXPECT_EQ(info.formatTag, 1);
  EXPECT_EQ(info.channels, 1);
  EXPECT_EQ(info.sampleRate, 8000u);
  EXPECT_EQ(info.bitsPerSample, 16);
  EXPECT_EQ(info.dataOffset, v.size() - 100);
  EXPECT_EQ(info.dataLength, 100u);
}

TEST(WavReader, DataSizePastTheEndIsCutToWhatIsThere) {
  const std::vector<uint8_t> v = Wav(0xFFFFFFFF, 10, false);
  WavInfo info;
  ASSERT_EQ(ParseWav(v.data(), v.size(), &info), WavStatus::kOk);
  EXPECT_EQ(info.dataLength, 10u);
}

TEST(WavReader, RefusesBrokenFiles) {
  WavInfo info;
  const std::string text = "not a wave file at all";
  EXPECT_EQ(ParseWav(reinterpret_cast<const uint8_t*>(text.data()), text.size(), &info), WavStatus::kNotRiff);
  std::vector<uint8_t> v = Wav(100, 100, false);
  EXPECT_EQ(ParseWav(v.data(), 30, &info), WavStatus::kTruncated);  // inside fmt
  v = Wav(100, 100, true);
  v[16] = 0xFF;  // LIST chunk claims more than the file holds
  v[17] = 0xFF;
  EXPECT_EQ(ParseWav(v.data(), v.size(), &info), WavStatus::kTruncated);
  v = Wav(100, 100, false);
  std::copy_n("junk", 4, v.begin() + 12);  // no fmt chunk before the data
  EXPECT_NE(ParseWav(v.data(), v.size(), &info), WavStatus::kOk);
}

TEST(VoicePcm, WavSamplesRawOnlyWhenAllowedAndNeverFromADamagedWav) {
  std::vector<int16_t> pcm;
  const std::vector<uint8_t> wav = Wav(4, 4, false);
  ASSERT_EQ(ReadVoicePcm(wav.data(), wav.size(), false, &pcm), VoicePcmStatus::kOk);
  EXPECT_EQ(pcm, (std::vector<int16_t>{0x1111, 0x1111}));

  const std::vector<uint8_t> raw = {0x01, 0x80, 0xFF, 0x7F, 0x05};
  EXPECT_EQ(ReadVoicePcm(raw.data(), raw.size(), false, &pcm), VoicePcmStatus::kUnreadableWav);
  ASSERT_EQ(ReadVoicePcm(raw.data(), raw.size(), true, &pcm), VoicePcmStatus::kOk);
  EXPECT_EQ(pcm, (std::vector<int16_t>{-32767, 32767})) << "little-endian samples, a stray last byte ignored";

  std::vector<uint8_t> cut(wav.begin(), wav.begin() + 20);  // "RIFF" but no format chunk
  EXPECT_EQ(ReadVoicePcm(cut.data(), cut.size(), true, &pcm), VoicePcmStatus::kUnreadableWav);

  std::vector<uint8_t> stereo = Wav(4, 4, false);
  stereo[22] = 2;  // channels
  WavInfo info;
  EXPECT_EQ(ReadVoicePcm(stereo.data(), stereo.size(), true, &pcm, &info), VoicePcmStatus::kWrongFormat);
  EXPECT_EQ(2, info.channels);
}

}  // namespace
}  // namespace codec
