#include "record/mkv_writer.h"

#include <cstring>

namespace record {

void PutFixed64(uint8_t* at, uint64_t value) {
  for (int i = 0; i < 8; ++i) at[i] = static_cast<uint8_t>(value >> (56 - 8 * i));
}

void EbmlBuffer::Id(uint32_t id) {
  // An ID carries its own length marker: write its significant bytes.
  int bytes = id > 0xFFFFFF ? 4 : id > 0xFFFF ? 3 : id > 0xFF ? 2 : 1;
  while (bytes--) data_.push_back(static_cast<uint8_t>(id >> (8 * bytes)));
}

void EbmlBuffer::Size(uint64_t size) {
  int length = 1;
  while (length < 8 && size >= (uint64_t{1} << (7 * length)) - 1) ++length;
  const uint64_t marked = size | (uint64_t{1} << (7 * length));
  for (int i = length - 1; i >= 0; --i) data_.push_back(static_cast<uint8_t>(marked >> (8 * i)));
}

size_t EbmlBuffer::Begin(uint32_t id) {
  Id(id);
  const size_t start = data_.size();
  data_.insert(data_.end(), 8, 0);
  return start;
}

void EbmlBuffer::End(size_t start) {
  const uint64_t size = data_.size() - start - 8;
  PutFixed64(&data_[start], size | (uint64_t{1} << 56));
}

void EbmlBuffer::Uint(uint32_t id, uint64_t value) {
  int bytes = 1;
  while (bytes < 8 && (value >> (8 * bytes)) != 0) ++bytes;
  Id(id);
  Size(static_cast<uint64_t>(bytes));
  while (bytes--) data_.push_back(static_cast<uint8_t>(value >> (8 * bytes)));
}

size_t EbmlBuffer::FixedUint(uint32_t id, uint64_t value) {
  Id(id);
  Size(8);
  const size_t at = data_.size();
  data_.insert(data_.end(), 8, 0);
  PutFixed64(&data_[at], value);
  return at;
}

void EbmlBuffer::Float(uint32_t id, double value) {
  uint64_t bits = 0;
  static_assert(sizeof bits == sizeof value, "IEEE double");
  std::memcpy(&bits, &value, sizeof bits);
  Id(id);
  Size(8);
  data_.insert(data_.end(), 8, 0);
  PutFixed64(&data_[data_.size() - 8], bits);
}

void EbmlBuffer::String(uint32_t id, const std::string& value) {
  Binary(id, reinterpret_cast<const uint8_t*>(value.data()), value.size());
}

void EbmlBuffer::Binary(uint32_t id, const uint8_t* data, size_t length) {
  Id(id);
  Size(length);
  data_.insert(data_.end(), data, data + length);
}

void EbmlBuffer::SimpleBlock(uint8_t track, int16_t relative_time, bool keyframe, const uint8_t* data, size_t length) {
  Id(mkv::kSimpleBlock);
  Size(length + 4);
  data_.push_back(static_cast<uint8_t>(0x80 | track));  // track number, one-byte vint
  data_.push_back(static_cast<uint8_t>(static_cast<uint16_t>(relative_time) >> 8));
  data_.push_back(static_cast<uint8_t>(relative_time));
  data_.push_back(keyframe ? 0x80 : 0x00);
  data_.insert(data_.end(), data, data + length);
}

}  // namespace record
