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

bool IsVoicePcm(const WavInfo& info) {
  return info.formatTag == 1 && info.channels == 1 && info.sampleRate == 8000 && info.bitsPerSample == 16;
}

VoicePcmStatus ReadVoicePcm(const uint8_t* data, size_t length, bool allow_raw, std::vector<int16_t>* samples,
                            WavInfo* info) {
  WavInfo wav;
  size_t offset = 0, bytes = length;
  const WavStatus status = ParseWav(data, length, &wav);
  if (info) *info = wav;
  if (status == WavStatus::kOk) {
    if (!IsVoicePcm(wav)) return VoicePcmStatus::kWrongFormat;
    offset = wav.dataOffset;
    bytes = wav.dataLength;
  } else if (status != WavStatus::kNotRiff || !allow_raw || (length >= 4 && std::memcmp(data, "RIFF", 4) == 0)) {
    // A damaged WAV file is not taken for raw samples.
    return VoicePcmStatus::kUnreadableWav;
  }
  samples->resize(bytes / 2);
  for (size_t i = 0; i < samples->size(); ++i)
    (*samples)[i] = static_cast<int16_t>(data[offset + 2 * i] | (data[offset + 2 * i + 1] << 8));
  return VoicePcmStatus::kOk;
}

}  // namespace codec
