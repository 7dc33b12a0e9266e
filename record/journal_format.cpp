#include "record/journal_format.h"

#include <cstring>

#include "record/crc32.h"

namespace record {
namespace {

constexpr char kMagic[8] = {'H', 'L', 'Y', 'D', 'J', 'R', 'N', 'L'};
constexpr uint16_t kVersion = 1;
constexpr size_t kFrame = 5;  // type and length before the payload

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(uint8_t(v >> 8));
  out.push_back(uint8_t(v));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v >> 16);
  Put16(out, v);
}
uint32_t Get16(const uint8_t* p) { return uint32_t(p[0]) << 8 | p[1]; }
uint32_t Get32(const uint8_t* p) { return Get16(p) << 16 | Get16(p + 2); }

std::vector<uint8_t> Begin(JournalRecord type) {
  std::vector<uint8_t> out;
  out.push_back(static_cast<uint8_t>(type));
  Put32(out, 0);
  return out;
}

std::vector<uint8_t> End(std::vector<uint8_t> out) {
  const uint32_t length = static_cast<uint32_t>(out.size() - kFrame);
  for (int i = 0; i < 4; ++i) out[1 + i] = uint8_t(length >> (24 - 8 * i));
  Put32(out, Crc32(out.data(), out.size()));
  return out;
}

}  // namespace

std::vector<uint8_t> EncodeJournalHeader(uint16_t mode, uint32_t creation_time) {
  std::vector<uint8_t> out = Begin(JournalRecord::kHeader);
  out.insert(out.end(), kMagic, kMagic + sizeof kMagic);
  Put16(out, kVersion);
  Put16(out, mode);
  Put32(out, creation_time);
  return End(std::move(out));
}

std::vector<uint8_t> EncodeJournalCreationTime(uint32_t creation_time) {
  std::vector<uint8_t> out = Begin(JournalRecord::kCreationTime);
  Put32(out, creation_time);
  return End(std::move(out));
}

std::vector<uint8_t> EncodeJournalConfig(const uint8_t* data, uint32_t length) {
  std::vector<uint8_t> out = Begin(JournalRecord::kVideoConfig);
  out.insert(out.end(), data, data + length);
  return End(std::move(out));
}

std::vector<uint8_t> EncodeJournalSample(const JournalSample& s) {
  std::vector<uint8_t> out = Begin(s.video ? JournalRecord::kVideoSample : JournalRecord::kAudioSample);
  Put32(out, s.offset);
  Put32(out, s.length);
  Put32(out, s.time);
  if (s.video) out.push_back(s.sync ? 1 : 0);
  Put32(out, s.crc);
  return End(std::move(out));
}

std::vector<uint8_t> EncodeJournalDurable(uint32_t end) {
  std::vector<uint8_t> out = Begin(JournalRecord::kDurable);
  Put32(out, end);
  return End(std::move(out));
}

bool JournalReader::Next(JournalEntry* entry) {
  if (size_ - position_ < kFrame + 4) return false;
  uint8_t frame[kFrame];
  if (!source_.Read(position_, frame, kFrame)) return false;
  const uint32_t length = Get32(frame + 1);
  if (length > kMaxJournalPayload || size_ - position_ - kFrame - 4 < length) return false;
  record_.resize(kFrame + length + 4);
  if (!source_.Read(position_, record_.data(), record_.size())) return false;
  if (Crc32(record_.data(), kFrame + length) != Get32(record_.data() + kFrame + length)) return false;
  if (!Decode(static_cast<JournalRecord>(frame[0]), record_.data() + kFrame, length, entry)) return false;
  position_ += record_.size();
  return true;
}

bool JournalReader::Decode(JournalRecord type, const uint8_t* p, uint32_t length, JournalEntry* e) const {
  e->type = type;
  switch (type) {
    case JournalRecord::kHeader:
      if (length != sizeof kMagic + 8 || std::memcmp(p, kMagic, sizeof kMagic) != 0) return false;
      if (Get16(p + 8) != kVersion) return false;
      e->mode = static_cast<uint16_t>(Get16(p + 10));
      e->creationTime = Get32(p + 12);
      return true;
    case JournalRecord::kCreationTime:
      if (length != 4) return false;
      e->creationTime = Get32(p);
      return true;
    case JournalRecord::kDurable:
      if (length != 4) return false;
      e->durableEnd = Get32(p);
      return true;
    case JournalRecord::kVideoConfig:
      e->config.assign(p, p + length);
      return true;
    case JournalRecord::kVideoSample:
    case JournalRecord::kAudioSample: {
      const bool video = type == JournalRecord::kVideoSample;
      if (length != (video ? 17u : 16u)) return false;
      e->sample.video = video;
      e->sample.offset = Get32(p);
      e->sample.length = Get32(p + 4);
      e->sample.time = Get32(p + 8);
      e->sample.sync = video && p[12] != 0;
      e->sample.crc = Get32(p + (video ? 13 : 12));
      return true;
    }
  }
  return false;
}

}  // namespace record
