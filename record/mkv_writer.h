#pragma once
// The few Matroska (EBML) elements an exported recording needs, built in
// memory: elements with their IDs and sizes, master elements whose size is
// patched once their body is complete.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace record {

namespace mkv {
constexpr uint32_t kEbml = 0x1A45DFA3, kEbmlVersion = 0x4286, kEbmlReadVersion = 0x42F7, kEbmlMaxIdLength = 0x42F2,
                   kEbmlMaxSizeLength = 0x42F3, kDocType = 0x4282, kDocTypeVersion = 0x4287,
                   kDocTypeReadVersion = 0x4285;
constexpr uint32_t kSegment = 0x18538067, kSeekHead = 0x114D9B74, kSeek = 0x4DBB, kSeekId = 0x53AB,
                   kSeekPosition = 0x53AC;
constexpr uint32_t kInfo = 0x1549A966, kTimestampScale = 0x2AD7B1, kDuration = 0x4489, kMuxingApp = 0x4D80,
                   kWritingApp = 0x5741;
constexpr uint32_t kTracks = 0x1654AE6B, kTrackEntry = 0xAE, kTrackNumber = 0xD7, kTrackUid = 0x73C5,
                   kTrackType = 0x83, kFlagLacing = 0x9C, kCodecId = 0x86, kCodecPrivate = 0x63A2,
                   kLanguage = 0x22B59C, kVideo = 0xE0, kPixelWidth = 0xB0, kPixelHeight = 0xBA, kAudio = 0xE1,
                   kSamplingFrequency = 0xB5, kChannels = 0x9F, kBitDepth = 0x6264;
constexpr uint32_t kCluster = 0x1F43B675, kTimestamp = 0xE7, kSimpleBlock = 0xA3;
constexpr uint32_t kCues = 0x1C53BB6B, kCuePoint = 0xBB, kCueTime = 0xB3, kCueTrackPositions = 0xB7,
                   kCueTrack = 0xF7, kCueClusterPosition = 0xF1;
}  // namespace mkv

class EbmlBuffer {
 public:
  // A master element; its size is written in 8 bytes by End.
  size_t Begin(uint32_t id);
  void End(size_t start);
  void Uint(uint32_t id, uint64_t value);
  // An unsigned integer always 8 bytes wide, so it can be patched later;
  // returns where its value starts.
  size_t FixedUint(uint32_t id, uint64_t value);
  void Float(uint32_t id, double value);
  void String(uint32_t id, const std::string& value);
  void Binary(uint32_t id, const uint8_t* data, size_t length);
  // A SimpleBlock: track number, time relative to its cluster, keyframe flag.
  void SimpleBlock(uint8_t track, int16_t relative_time, bool keyframe, const uint8_t* data, size_t length);

  const std::vector<uint8_t>& Data() const { return data_; }
  size_t Size() const { return data_.size(); }
  void Clear() { data_.clear(); }

 private:
  void Id(uint32_t id);
  void Size(uint64_t size);  // shortest vint form
  std::vector<uint8_t> data_;
};

// Big-endian bytes of an 8-byte unsigned integer, for patching.
void PutFixed64(uint8_t* at, uint64_t value);

}  // namespace record
