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

// Golden codes and samples, taken once the quality floors below held: the
// codes of a tone pin the packing (three bits a code, least significant bit
// first) and every step of the quantiser and predictor; the hashes of a signal
// that drives the scale factor and a2 to their clamps pin the limits.
uint32_t Hash(const std::vector<int>& values) {
  uint32_t h = 2166136261u;
  for (int v : values) h = (h ^ uint32_t(v)) * 16777619u;
  return h;
}

TEST(AdpcmGolden, CodesAndSamplesOfAToneAndOfSaturation) {
  const std::vector<int16_t> tone = Tone(440, 8000, 80);
  AdpcmEncoder enc;
  uint8_t bytes[30];
  ASSERT_EQ(enc.Encode(tone.data(), 160, bytes), 30);
  std::string hex;
  for (uint8_t b : bytes) hex += "0123456789ABCDEF"[b >> 4], hex += "0123456789ABCDEF"[b & 15];
  EXPECT_EQ(hex, "DFB66D71CBDA7E242DC9DDB6AD1F695172BB74ED275A94FC6D69FB8FB424");
  AdpcmDecoder dec, ten_codes;
  int16_t out[80], first[11];
  ASSERT_EQ(dec.Decode(bytes, 30, out), 160);
  EXPECT_EQ(Hash({out, out + 80}), 2602092193u);
  // Ten codes in four bytes: the two spare bits are ignored.
  const uint8_t four[4] = {bytes[0], bytes[1], bytes[2], uint8_t(bytes[3] | 0xC0)};
  first[10] = 0x1234;
  ASSERT_EQ(ten_codes.Decode(four, 4, first), 20);
  EXPECT_EQ(std::vector<int16_t>(first, first + 10), std::vector<int16_t>(out, out + 10));
  EXPECT_EQ(first[10], 0x1234);

  std::mt19937 rng(7);
  std::vector<int16_t> pcm(8000);
  // Full-scale noise, a square wave and a hard step: the worst the predictor gets.
  for (int i = 0; i < 8000; ++i) {
    if (i < 3000) pcm[i] = int16_t(int(rng() % 65536) - 32768);
    else if (i < 6000) pcm[i] = (i / 7) % 2 ? 32767 : -32768;
    else pcm[i] = i < 7000 ? 32767 : -32768;
  }
  AdpcmState encoder, decoder;
  std::vector<int> codes, samples;
  int max_y = 0, min_a2 = 99999;
  for (int16_t x : pcm) {
    codes.push_back(AdpcmEncodeSample(encoder, x));
    samples.push_back(AdpcmDecodeSample(decoder, codes.back()));
    max_y = std::max<int>(max_y, encoder.y);
    min_a2 = std::min(min_a2, encoder.a2);
  }
  EXPECT_EQ(max_y, 5120) << "the signal never drove the scale factor to its ceiling";
  EXPECT_EQ(min_a2, -12288) << "the signal never drove a2 to its clamp";
  EXPECT_EQ(Hash(codes), 1003094496u);
  EXPECT_EQ(Hash(samples), 457793179u);
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
