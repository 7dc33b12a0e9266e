#include "record/journal_format.h"

#include <cstring>

#include "os/byte_order.h"
#include "record/crc32.h"

namespace record {
namespace {

constexpr char kMagic[8] = {'H', 'L', 'Y', 'D', 'J', 'R', 'N', 'L'};
constexpr uint16_t kVersion = 1;
constexpr size_t kFrame = 5;  // type and length before the payload

using os::AppendBE16;
using os::AppendBE32;
using os::GetBE16;
using os::GetBE32;

std::vector<uint8_t> Begin(JournalRecord type) {
  std::vector<uint8_t> out;
  out.push_back(static_cast<uint8_t>(type));
  AppendBE32(out, 0);
  return out;
}

std::vector<uint8_t> End(std::vector<uint8_t> out) {
  const uint32_t length = static_cast<uint32_t>(out.size() - kFrame);
  for (int i = 0; i < 4; ++i) out[1 + i] = uint8_t(length >> (24 - 8 * i));
  AppendBE32(out, Crc32(out.data(), out.size()));
  return out;
}

}  // namespace

std::vector<uint8_t> EncodeJournalHeader(uint16_t mode, uint32_t creation_time) {
  std::vector<uint8_t> out = Begin(JournalRecord::kHeader);
  out.insert(out.end(), kMagic, kMagic + sizeof kMagic);
  AppendBE16(out, kVersion);
  AppendBE16(out, mode);
  AppendBE32(out, creation_time);
  return End(std::move(out));
}

std::vector<uint8_t> EncodeJournalCreationTime(uint32_t creation_time) {
  std::vector<uint8_t> out = Begin(JournalRecord::kCreationTime);
  AppendBE32(out, creation_time);
  return End(std::move(out));
}

std::vector<uint8_t> EncodeJournalConfig(const uint8_t* data, uint32_t length) {
  std::vector<uint8_t> out = Begin(JournalRecord::kVideoConfig);
  out.insert(out.end(), data, data + length);
  return End(std::move(out));
}

std::vector<uint8_t> EncodeJournalSample(const JournalSample& s) {
  std::vector<uint8_t> out = Begin(s.video ? JournalRecord::kVideoSample : JournalRecord::kAudioSample);
  AppendBE32(out, s.offset);
  AppendBE32(out, s.length);
  AppendBE32(out, s.time);
  if (s.video) out.push_back(s.sync ? 1 : 0);
  AppendBE32(out, s.crc);
  return End(std::move(out));
}

std::vector<uint8_t> EncodeJournalDurable(uint32_t end) {
  std::vector<uint8_t> out = Begin(JournalRecord::kDurable);
  AppendBE32(out, end);
  return End(std::move(out));
}

bool JournalReader::Next(JournalEntry* entry) {
  if (size_ - position_ < kFrame + 4) return false;
  uint8_t frame[kFrame];
  if (!source_.Read(position_, frame, kFrame)) return false;
  const uint32_t length = GetBE32(frame + 1);
  if (length > kMaxJournalPayload || size_ - position_ - kFrame - 4 < length) return false;
  record_.resize(kFrame + length + 4);
  if (!source_.Read(position_, record_.data(), record_.size())) return false;
  if (Crc32(record_.data(), kFrame + length) != GetBE32(record_.data() + kFrame + length)) return false;
  if (!Decode(static_cast<JournalRecord>(frame[0]), record_.data() + kFrame, length, entry)) return false;
  position_ += record_.size();
  return true;
}

bool JournalReader::Decode(JournalRecord type, const uint8_t* p, uint32_t length, JournalEntry* e) const {
  e->type = type;
  switch (type) {
    case JournalRecord::kHeader:
      if (length != sizeof kMagic + 8 || std::memcmp(p, kMagic, sizeof kMagic) != 0) return false;
      if (GetBE16(p + 8) != kVersion) return false;
      e->mode = static_cast<uint16_t>(GetBE16(p + 10));
      e->creationTime = GetBE32(p + 12);
      return true;
    case JournalRecord::kCreationTime:
      if (length != 4) return false;
      e->creationTime = GetBE32(p);
      return true;
    case JournalRecord::kDurable:
      if (length != 4) return false;
      e->durableEnd = GetBE32(p);
      return true;
    case JournalRecord::kVideoConfig:
      e->config.assign(p, p + length);
      return true;
    case JournalRecord::kVideoSample:
    case JournalRecord::kAudioSample: {
      const bool video = type == JournalRecord::kVideoSample;
      if (length != (video ? 17u : 16u)) return false;
      e->sample.video = video;
      e->sample.offset = GetBE32(p);
      e->sample.length = GetBE32(p + 4);
      e->sample.time = GetBE32(p + 8);
      e->sample.sync = video && p[12] != 0;
      e->sample.crc = GetBE32(p + (video ? 13 : 12));
      return true;
    }
  }
  return false;
}

}  // namespace record
