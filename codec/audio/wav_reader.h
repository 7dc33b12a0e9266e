// Finds the PCM samples in a RIFF WAVE file held in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace codec {

struct WavInfo {
  int formatTag = 0;       // 1 = integer PCM
  int channels = 0;
  uint32_t sampleRate = 0;
  int bitsPerSample = 0;
  size_t dataOffset = 0;   // first byte of the samples
  size_t dataLength = 0;   // bytes of samples, within the buffer
};

enum class WavStatus { kOk, kNotRiff, kTruncated, kNoFormat, kNoData };

// Walks the chunks of `data`; never reads past `length`. A data chunk whose
// declared size runs past the end is cut to the bytes present.
WavStatus ParseWav(const uint8_t* data, size_t length, WavInfo* info);

// The codec's own sound format: 8 kHz mono 16-bit PCM.
bool IsVoicePcm(const WavInfo& info);

enum class VoicePcmStatus { kOk, kUnreadableWav, kWrongFormat };
// The samples of `data`: a WAV file of 8 kHz mono 16-bit PCM or, when
// `allow_raw` and the data is no RIFF file at all, raw little-endian samples.
// `info` (optional) tells what a WAV file held, for a message.
VoicePcmStatus ReadVoicePcm(const uint8_t* data, size_t length, bool allow_raw, std::vector<int16_t>* samples,
                            WavInfo* info = nullptr);

}  // namespace codec
