#include "codec/audio/wav_reader.h"

#include <cstring>

namespace codec {
namespace {

uint32_t Le32(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
int Le16(const uint8_t* p) { return p[0] | (p[1] << 8); }

}  // namespace

WavStatus ParseWav(const uint8_t* data, size_t length, WavInfo* info) {
  *info = WavInfo();
  if (length < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0)
    return WavStatus::kNotRiff;
  bool haveFormat = false;
  size_t pos = 12;
  while (length - pos >= 8) {
    const uint8_t* chunk = data + pos;
    const size_t size = Le32(chunk + 4);
    const size_t body = pos + 8;
    const size_t avail = length - body;
    if (std::memcmp(chunk, "fmt ", 4) == 0) {
      if (size < 16 || avail < 16) return WavStatus::kTruncated;
      info->formatTag = Le16(data + body);
      info->channels = Le16(data + body + 2);
      info->sampleRate = Le32(data + body + 4);
      info->bitsPerSample = Le16(data + body + 14);
      haveFormat = true;
    } else if (std::memcmp(chunk, "data", 4) == 0) {
      if (!haveFormat) return WavStatus::kNoFormat;
      info->dataOffset = body;
      // Streaming writers leave the size at 0 or 0xFFFFFFFF; take what is there.
      info->dataLength = (size == 0 || size > avail) ? avail : size;
      return WavStatus::kOk;
    }
    if (size > avail) return WavStatus::kTruncated;
    pos = body + size + (size & 1);  // chunks are padded to even length
    if (pos > length) return WavStatus::kTruncated;
  }
  return haveFormat ? WavStatus::kNoData : WavStatus::kNoFormat;
}

}  // namespace codec
