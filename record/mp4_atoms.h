// The atoms and descriptors of a recording, built in memory and serialised
// big-endian field by field. Sizes are patched once a body is complete.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace record {

class Mp4Buffer {
 public:
  void U8(uint32_t v) { data_.push_back(static_cast<uint8_t>(v)); }
  void U16(uint32_t v);
  void U24(uint32_t v);
  void U32(uint32_t v);
  void Bytes(const uint8_t* data, size_t length) { data_.insert(data_.end(), data, data + length); }
  void Zeros(size_t count) { data_.insert(data_.end(), count, 0); }
  void FourCC(const char* type) { Bytes(reinterpret_cast<const uint8_t*>(type), 4); }

  // Atom: size placeholder and type; End patches the size of everything since.
  size_t BeginAtom(const char* type);
  size_t BeginFullAtom(const char* type, uint32_t flags);  // version 0
  void EndAtom(size_t start);
  // Descriptor: tag and four size bytes in the expandable form (7 bits each,
  // bit 7 set on the first three), patched with the body length.
  size_t BeginDescriptor(uint8_t tag);
  void EndDescriptor(size_t start);

  const std::vector<uint8_t>& Data() const { return data_; }
  size_t Size() const { return data_.size(); }

 private:
  void Patch32(size_t at, uint32_t v);
  std::vector<uint8_t> data_;
};

enum class TrackKind : uint16_t {
  kVideo = 0x100,            // MPEG-4 visual
  kAudio = 0x202,            // 3-bit ADPCM
  kScene = 0x500,            // scene description (BIFS)
  kObjectDescriptor = 0x600  // object descriptor stream
};

// Run-length table of (count, value) pairs: a value equal to the last one
// extends its run.
struct Mp4Run {
  uint32_t count;
  uint32_t value;
};
class Mp4RunTable {
 public:
  void Add(uint32_t value);
  // Takes back the last value added; nothing when empty.
  void RemoveLast();
  const std::vector<Mp4Run>& Runs() const { return runs_; }
  uint64_t Total() const;  // sum of count * value
  uint32_t SampleCount() const;

 private:
  std::vector<Mp4Run> runs_;
};

struct Mp4DecoderConfig {
  uint8_t objectTypeIndication = 0;
  uint8_t streamType = 0;
  uint32_t bufferSizeDB = 0;
  uint32_t maxBitrate = 0;
  uint32_t avgBitrate = 0;
  std::vector<uint8_t> specificInfo;  // DecoderSpecificInfo body; none when empty
};

class Mp4Track {
 public:
  Mp4Track(TrackKind kind, uint32_t track_id, uint32_t timescale);

  // Enters one written sample. `delta` is its distance from the previous
  // sample; a first sample with delta 0 has no distance yet and is entered in
  // the time-to-sample table by Finish.
  void AddSample(uint32_t offset, uint32_t size, uint32_t delta, bool sync, uint32_t composition_offset);
  // Takes back the last sample entered (a full disk gives its room to the
  // index); nothing when there is none.
  void RemoveLastSample();
  // Where the last sample lies; 0 without samples.
  uint32_t LastOffset() const { return offsets_.empty() ? 0 : offsets_.back(); }
  // Completes the time-to-sample table so it counts every sample (the last
  // sample lasts as long as the one before it) and sets the duration.
  void Finish();
  void Write(Mp4Buffer& out, uint32_t now) const;

  TrackKind Kind() const { return kind_; }
  uint32_t TrackId() const { return track_id_; }
  uint32_t Timescale() const { return timescale_; }
  uint32_t SampleCount() const { return static_cast<uint32_t>(sizes_.size()); }
  uint32_t Duration() const { return duration_; }
  const Mp4RunTable& TimeToSample() const { return stts_; }

  Mp4DecoderConfig config;
  uint16_t width = 320;   // picture size for tkhd and the visual sample entry
  uint16_t height = 240;
  std::vector<uint32_t> mpod;  // tref lists of track IDs
  std::vector<uint32_t> sync;

 private:
  void WriteSampleEntry(Mp4Buffer& out) const;
  void WriteEsds(Mp4Buffer& out) const;
  void WriteSampleTables(Mp4Buffer& out) const;

  TrackKind kind_;
  uint32_t track_id_;
  uint32_t timescale_;
  uint32_t duration_ = 0;
  bool first_sample_untimed_ = false;
  uint32_t last_delta_ = 0;
  Mp4RunTable stts_;
  Mp4RunTable ctts_;
  std::vector<uint32_t> sizes_;
  std::vector<uint32_t> offsets_;  // every sample is its own chunk
  std::vector<uint32_t> sync_numbers_;
};

struct Mp4Movie {
  uint32_t timescale = 1000;
  uint32_t nextTrackId = 200;
  uint32_t duration = 0;
  // ODProfile, sceneProfile, audioProfile, visualProfile, graphicsProfile.
  uint8_t odProfile = 1;
  uint8_t sceneProfile = 1;
  uint8_t audioProfile = 2;
  uint8_t visualProfile = 3;
  uint8_t graphicsProfile = 1;
  std::vector<uint32_t> esIdIncs;  // tracks named by the initial object descriptor
  std::vector<std::unique_ptr<Mp4Track>> tracks;

  // Finishes every track and sets the movie duration.
  void Finish();
  void Write(Mp4Buffer& out, uint32_t now) const;
};

// The top-level user data atom with its copyright notice.
void WriteUserData(Mp4Buffer& out);

// Fixed content of the two system tracks, the same in every recording.
extern const uint8_t kSceneSample[142];
extern const uint8_t kObjectDescriptorSample[33];
// The scene track's 6-byte configuration for a picture size.
std::vector<uint8_t> SceneConfig(int width, int height);

}  // namespace record
