#include "codec/video/bitstream/bit_reader.h"

namespace codec::video {

void BitReader::Refill() {
  if (pos_ + 8 <= length_) {
    const uint8_t* p = data_ + pos_;
    uint64_t w = (uint64_t(p[0]) << 56) | (uint64_t(p[1]) << 48) | (uint64_t(p[2]) << 40) |
                 (uint64_t(p[3]) << 32) | (uint64_t(p[4]) << 24) | (uint64_t(p[5]) << 16) |
                 (uint64_t(p[6]) << 8) | uint64_t(p[7]);
    cache_ |= w >> bits_;
    int bytes = (64 - bits_) >> 3;
    pos_ += static_cast<size_t>(bytes);
    bits_ += bytes * 8;
    return;
  }
  // Near the end: byte by byte, clearing what lies below the valid bits first.
  cache_ = bits_ ? (cache_ & (~uint64_t(0) << (64 - bits_))) : 0;
  while (bits_ <= 56) {
    cache_ |= uint64_t(ByteAt(pos_)) << (56 - bits_);
    ++pos_;
    bits_ += 8;
  }
}

}  // namespace codec::video
