// Finds the PCM samples in a RIFF WAVE file held in memory.
#pragma once

#include <cstddef>
#include <cstdint>

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

}  // namespace codec
