#include "codec/audio/adpcm.h"
#include "codec/audio/wav_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace codec {
namespace {

constexpr double kPi = 3.14159265358979323846;

std::vector<int16_t> Tone(double hz, double amplitude, int samples) {
  std::vector<int16_t> pcm(samples);
  for (int i = 0; i < samples; ++i)
    pcm[i] = static_cast<int16_t>(std::lround(amplitude * std::sin(2 * kPi * hz * i / 8000.0)));
  return pcm;
}

// Runs whole signal through encoder and decoder in 512-sample blocks, the
// microphone's and the playback's block size. Signals that never saturate
// keep the two sides in lockstep: the decoder's estimate is the encoder's.
std::vector<int16_t> RoundTrip(const std::vector<int16_t>& pcm, bool lockstep = false) {
  AdpcmEncoder enc;
  AdpcmDecoder dec;
  std::vector<int16_t> out;
  uint8_t codes[192];
  int16_t block[512];
  for (size_t at = 0; at + 512 <= pcm.size(); at += 512) {
    EXPECT_EQ(enc.Encode(&pcm[at], 1024, codes), 192);
    EXPECT_EQ(dec.Decode(codes, 192, block), 1024);
    if (lockstep) {
      EXPECT_EQ(enc.State().se, dec.State().se) << "diverged by sample " << at + 512;
      EXPECT_EQ(enc.State().y, dec.State().y) << "diverged by sample " << at + 512;
    }
    out.insert(out.end(), block, block + 512);
  }
  return out;
}

double SnrDb(const std::vector<int16_t>& ref, const std::vector<int16_t>& got) {
  double signal = 0, noise = 0;
  for (size_t i = 0; i < got.size(); ++i) {
    signal += double(ref[i]) * ref[i];
    noise += double(ref[i] - got[i]) * (ref[i] - got[i]);
  }
  return 10 * std::log10(signal / std::max(noise, 1.0));
}

std::vector<int> Unpack(const uint8_t* bytes, int count) {
  std::vector<int> codes;
  for (int bit = 0; bit + 3 <= count * 8; bit += 3) {
    int c = 0;
    for (int k = 0; k < 3; ++k) c |= ((bytes[(bit + k) / 8] >> ((bit + k) % 8)) & 1) << k;
    codes.push_back(c);
  }
  return codes;
}

TEST(AdpcmSizes, BlocksAndPartialBytes) {
  std::vector<int16_t> pcm(512, 1000);
  std::vector<uint8_t> codes(200, 0xEE);
  AdpcmEncoder enc;
  EXPECT_EQ(enc.Encode(pcm.data(), 1024, codes.data()), 192);
  EXPECT_EQ(codes[192], 0xEE) << "encoder wrote past 192 bytes";

  std::vector<int16_t> out(520, 0x5555);
  AdpcmDecoder dec;
  EXPECT_EQ(dec.Decode(codes.data(), 192, out.data()), 1024);
  EXPECT_EQ(out[512], 0x5555) << "decoder wrote past 512 samples";

  // 3 samples are 9 bits: one whole byte, the last bit is dropped. A lone
  // odd byte of PCM is no sample.
  AdpcmEncoder enc2;
  EXPECT_EQ(enc2.Encode(pcm.data(), 7, codes.data()), 1);
  EXPECT_EQ(enc2.Encode(pcm.data(), 1, codes.data()), 0);
  EXPECT_EQ(enc2.Encode(pcm.data(), 0, codes.data()), 0);
  EXPECT_EQ(dec.Decode(codes.data(), 0, out.data()), 0);
  EXPECT_EQ(dec.Decode(codes.data(), -4, out.data()), 0);
  EXPECT_EQ(dec.Decode(codes.data(), 1, out.data()), 4);  // two codes in 8 bits
  EXPECT_EQ(AdpcmEncodedSize(1024), 192);
  EXPECT_EQ(AdpcmDecodedSize(192), 1024);
}

TEST(AdpcmPacking, TenCodesInFourBytesLeastSignificantBitFirst) {
  const int codes[10] = {1, 2, 3, 4, 5, 6, 7, 0, 3, 6};
  uint8_t bytes[4] = {0, 0, 0, 0};
  for (int i = 0; i < 10; ++i)
    for (int k = 0; k < 3; ++k)
      if (codes[i] >> k & 1) bytes[(3 * i + k) / 8] |= uint8_t(1 << ((3 * i + k) % 8));
  bytes[3] |= 0xC0;  // the two spare bits must be ignored
  EXPECT_EQ(bytes[0], 0xD1);  // 001 010 11.. : codes 1, 2 and the low bits of 3

  AdpcmState ref;
  int16_t expected[10];
  for (int i = 0; i < 10; ++i) expected[i] = AdpcmDecodeSample(ref, codes[i]);

  AdpcmDecoder dec;
  int16_t out[11];
  out[10] = 0x1234;
  ASSERT_EQ(dec.Decode(bytes, 4, out), 20);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(out[i], expected[i]) << "sample " << i;
  EXPECT_EQ(out[10], 0x1234);
}

TEST(AdpcmPacking, EncoderPacksTheCodesItChooses) {
  const std::vector<int16_t> pcm = Tone(440, 8000, 80);
  AdpcmState ref;
  std::vector<int> expected;
  for (int16_t x : pcm) expected.push_back(AdpcmEncodeSample(ref, x));

  AdpcmEncoder enc;
  uint8_t bytes[30];
  ASSERT_EQ(enc.Encode(pcm.data(), 160, bytes), 30);
  EXPECT_EQ(Unpack(bytes, 30), expected);
}

TEST(AdpcmState, CarriesOverFromOneUnitToTheNext) {
  const std::vector<int16_t> pcm = Tone(700, 12000, 512);
  AdpcmEncoder whole, halves;
  uint8_t a[192], b[192];
  whole.Encode(pcm.data(), 1024, a);
  halves.Encode(pcm.data(), 512, b);        // 256 samples = 96 bytes exactly
  halves.Encode(pcm.data() + 256, 512, b + 96);
  EXPECT_EQ(std::vector<uint8_t>(a, a + 192), std::vector<uint8_t>(b, b + 192));

  AdpcmDecoder d1, d2;
  int16_t o1[512], o2[512];
  d1.Decode(a, 192, o1);
  d2.Decode(a, 96, o2);
  d2.Decode(a + 96, 96, o2 + 256);
  EXPECT_EQ(std::vector<int16_t>(o1, o1 + 512), std::vector<int16_t>(o2, o2 + 512));

  d1.Reset();
  EXPECT_EQ(d1.State().y, 544);
  EXPECT_EQ(d1.State().a1, 0);
  EXPECT_EQ(d1.State().seTotal, 0);
}

TEST(AdpcmSignal, SilenceEncodesToZeroDifferenceAndMinimumScale) {
  std::vector<int16_t> pcm(512, 0);
  AdpcmEncoder enc;
  uint8_t bytes[192];
  for (int unit = 0; unit < 3; ++unit) {
    ASSERT_EQ(enc.Encode(pcm.data(), 1024, bytes), 192);
    for (int c : Unpack(bytes, 192)) ASSERT_EQ(c, 7);
    EXPECT_EQ(enc.State().y, 544);
    EXPECT_EQ(enc.State().se, 0);
  }
  AdpcmDecoder dec;
  int16_t out[512];
  dec.Decode(bytes, 192, out);
  for (int16_t s : out) ASSERT_EQ(s, 0);
}

TEST(AdpcmSignal, InverseQuantiserAndScaleAtTheirLimits) {
  // At the minimum scale the largest code reconstructs 373 + 136 = 509:
  // exponent 3, mantissa 125, (253 << 7) >> 11 = 15.
  EXPECT_EQ(AdpcmInverseQuantise(3, 544), 15);
  EXPECT_EQ(AdpcmInverseQuantise(4, 544), -15);
  EXPECT_EQ(AdpcmInverseQuantise(7, 5120), 0);
  EXPECT_EQ(AdpcmInverseQuantise(0, 544), 0);
  // At the maximum scale: 373 + 1280 = 1653, exponent 12: (245 << 7) >> 2.
  EXPECT_EQ(AdpcmInverseQuantise(3, 5120), 7840);
  EXPECT_EQ(AdpcmUpdateScale(3, 5100), 5120);
  EXPECT_EQ(AdpcmUpdateScale(1, 544), 544 + ((960 - 544) >> 5));
  EXPECT_EQ(AdpcmUpdateScale(7, 544), 544);
  // Sign and size order of the codes.
  EXPECT_EQ(AdpcmQuantise(0, 544), 7);
  EXPECT_EQ(AdpcmQuantise(-1, 544), 7);
  EXPECT_EQ(AdpcmQuantise(30000, 544), 3);
  EXPECT_EQ(AdpcmQuantise(-30000, 544), 4);
}

TEST(AdpcmSignal, StateStaysWithinItsClamps) {
  std::mt19937 rng(7);
  std::vector<int16_t> pcm(8000);
  // Full-scale noise, a square wave and a hard step: the worst the predictor gets.
  for (int i = 0; i < 8000; ++i) {
    if (i < 3000) pcm[i] = int16_t(int(rng() % 65536) - 32768);
    else if (i < 6000) pcm[i] = (i / 7) % 2 ? 32767 : -32768;
    else pcm[i] = i < 7000 ? 32767 : -32768;
  }
  AdpcmState enc, dec;
  int maxY = 0, minA2 = 99999;
  for (int16_t x : pcm) {
    AdpcmDecodeSample(dec, AdpcmEncodeSample(enc, x));
    maxY = std::max<int>(maxY, enc.y);
    minA2 = std::min(minA2, enc.a2);
    for (const AdpcmState* s : {&enc, &dec}) {
      ASSERT_GE(s->y, 544);
      ASSERT_LE(s->y, 5120);
      ASSERT_GE(s->a2, -12288);
      ASSERT_LE(s->a2, 12288);
      ASSERT_LE(std::abs(s->a1), 15360 - s->a2);
    }
  }
  EXPECT_EQ(maxY, 5120) << "the signal never drove the scale factor to its ceiling";
  EXPECT_EQ(minA2, -12288) << "the signal never drove a2 to its clamp";
}

// Quality floors sit a few dB under the measured figures (1 kHz tone at
// -10 dBFS: 28.7 dB; the espeak-ng voice sample: 16.4 dB); a wrong table,
// shift or sign drops the SNR far below them.
TEST(AdpcmQuality, ToneAt1kHzAndSpeech) {
  const std::vector<int16_t> tone = Tone(1000, 10000, 8192);
  const std::vector<int16_t> toneOut = RoundTrip(tone, true);
  // Skip the first 64 ms while the predictor adapts.
  const double toneSnr = SnrDb({tone.begin() + 512, tone.end()}, {toneOut.begin() + 512, toneOut.end()});
  std::printf("1 kHz tone SNR: %.2f dB\n", toneSnr);
  EXPECT_GT(toneSnr, 25.0);

  const std::string path = std::string(std::getenv("HALYARD_SOURCE_DIR") ? std::getenv("HALYARD_SOURCE_DIR") : ".") +
                           "/codec/audio/tests/data/speech_8k.wav";
  std::ifstream file(path, std::ios::binary);
  ASSERT_TRUE(file) << "missing " << path;
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  WavInfo info;
  ASSERT_EQ(ParseWav(bytes.data(), bytes.size(), &info), WavStatus::kOk);
  ASSERT_EQ(info.sampleRate, 8000u);
  ASSERT_EQ(info.bitsPerSample, 16);
  std::vector<int16_t> pcm(info.dataLength / 2);
  for (size_t i = 0; i < pcm.size(); ++i)
    pcm[i] = int16_t(bytes[info.dataOffset + 2 * i] | bytes[info.dataOffset + 2 * i + 1] << 8);
  ASSERT_GT(pcm.size(), 16000u);
  const std::vector<int16_t> out = RoundTrip(pcm);
  const double snr = SnrDb(pcm, out);
  std::printf("speech SNR: %.2f dB\n", snr);
  EXPECT_GT(snr, 13.0);
}

}  // namespace
}  // namespace codec
