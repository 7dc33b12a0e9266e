#pragma once
// The journal kept beside a recording while it runs, so that a recording cut
// off by a crash or a power cut can be finished later (see recording_repair.h).
//
// It is a sequence of records, each
//   type u8, payload length u32, payload, CRC-32 of type, length and payload
// (big-endian, like the recording). The first record is the header; then
// follow, in the order the writer took them, the video configuration unit
// and one record per sample written into mdat; whenever the media file has
// been made durable, a mark says up to where. A record cut off or damaged
// ends the journal: everything before it holds.
#include <cstdint>
#include <vector>

#include "record/mp4_output.h"

namespace record {

enum class JournalRecord : uint8_t {
  kHeader = 'H',        // magic, version, record mode, creation time
  kCreationTime = 'T',  // the creation time changed after the header
  kVideoConfig = 'C',   // video unit 0: the configuration the track is made from
  kVideoSample = 'V',
  kAudioSample = 'A',
  kDurable = 'D',       // the samples ending at or before this offset are on disk
};

// The largest payload a journal holds; a longer configuration unit is not
// journaled (no camera sends one).
constexpr uint32_t kMaxJournalPayload = 1u << 20;

struct JournalSample {
  bool video = true;
  uint32_t offset = 0;  // where its bytes start in the file
  uint32_t length = 0;
  uint32_t time = 0;    // the time the writer was given (ms)
  bool sync = false;    // an I picture
  uint32_t crc = 0;     // CRC-32 of its bytes
};

struct JournalEntry {
  JournalRecord type = JournalRecord::kHeader;
  uint16_t mode = 0;           // kHeader
  uint32_t creationTime = 0;   // kHeader, kCreationTime (seconds since 1904)
  std::vector<uint8_t> config; // kVideoConfig
  JournalSample sample;        // kVideoSample, kAudioSample
  uint32_t durableEnd = 0;     // kDurable
};

// One encoded record, ready to append.
std::vector<uint8_t> EncodeJournalHeader(uint16_t mode, uint32_t creation_time);
std::vector<uint8_t> EncodeJournalCreationTime(uint32_t creation_time);
std::vector<uint8_t> EncodeJournalConfig(const uint8_t* data, uint32_t length);
std::vector<uint8_t> EncodeJournalSample(const JournalSample& sample);
std::vector<uint8_t> EncodeJournalDurable(uint32_t end);

// Reads records from the start of a journal, never past its size.
class JournalReader {
 public:
  explicit JournalReader(Mp4Storage& source) : source_(source), size_(source.Size()) {}
  // The next whole record; false at the end and at a record that is cut off,
  // damaged or of a kind this program does not write.
  bool Next(JournalEntry* entry);
  // Bytes of whole records read so far.
  uint64_t Position() const { return position_; }

 private:
  bool Decode(JournalRecord type, const uint8_t* p, uint32_t length, JournalEntry* entry) const;

  Mp4Storage& source_;
  uint64_t size_;
  uint64_t position_ = 0;
  std::vector<uint8_t> record_;
};

}  // namespace record
