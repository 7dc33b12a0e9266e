#include "codec/audio/wav_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace codec {
namespace {

// A mono 16-bit 8 kHz wave file claiming `data_size` bytes of samples, with
// `data_present` bytes of 0x11, after a padded odd-sized LIST chunk if asked.
std::vector<uint8_t> Wav(uint32_t data_size, size_t data_present, bool odd_chunk_first) {
  const std::string list("LIST\3\0\0\0\1\2\3\0", 12);
  const std::string format("fmt \x10\0\0\0\1\0\1\0\x40\x1F\0\0\x80\x3E\0\0\2\0\x10\0data", 28);
  std::string s = std::string("RIFF\0\0\0\0WAVE", 12) + (odd_chunk_first ? list : "") + format;
  for (int i = 0; i < 4; ++i) s += char(data_size >> (8 * i));
  std::vector<uint8_t> v(s.begin(), s.end());
  v.resize(v.size() + data_present, 0x11);
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
