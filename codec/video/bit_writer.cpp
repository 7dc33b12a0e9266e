#include "codec/video/bit_writer.h"

namespace codec {

void BitWriter::StoreWord() {
  words_[word_count_++] = acc_;
  acc_ = 0;
  bits_ = 0;
  if (word_count_ == 512) {
    for (int i = 0; i < word_count_; ++i)
      for (int k = 0; k < 4; ++k) out_->push_back(static_cast<uint8_t>(words_[i] >> (24 - 8 * k)));
    word_count_ = 0;
  }
}

void BitWriter::Put(uint32_t value, int bits) {
  if (bits <= 0) return;
  if (bits < 32) value &= (1u << bits) - 1;
  total_ += static_cast<uint64_t>(bits);
  const int room = 32 - bits_;
  if (bits < room) {
    acc_ |= value << (room - bits);
    bits_ += bits;
    return;
  }
  // Fill the word, store it, keep the rest.
  const int rest = bits - room;
  acc_ |= rest >= 32 ? 0 : static_cast<uint32_t>(static_cast<uint64_t>(value) >> rest);
  StoreWord();
  if (rest > 0) {
    acc_ = value << (32 - rest);
    bits_ = rest;
  }
}

void BitWriter::PutBytes(const uint8_t* data, size_t length) {
  for (size_t i = 0; i < length; ++i) Put(data[i], 8);
}

void BitWriter::Stuff() {
  const int toBoundary = 8 - bits_ % 8;  // 8 when aligned: a whole 0x7F
  Put((1u << (toBoundary - 1)) - 1, toBoundary);
}

void BitWriter::Flush() {
  for (int i = 0; i < word_count_; ++i)
    for (int k = 0; k < 4; ++k) out_->push_back(static_cast<uint8_t>(words_[i] >> (24 - 8 * k)));
  word_count_ = 0;
  for (int k = 0; k < (bits_ + 7) / 8; ++k) out_->push_back(static_cast<uint8_t>(acc_ >> (24 - 8 * k)));
  acc_ = 0;
  bits_ = 0;
}

}  // namespace codec
