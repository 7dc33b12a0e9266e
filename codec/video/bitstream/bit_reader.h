#pragma once
// Big-endian bit reader over one received unit. Past the unit it feeds eight
// bytes of start-code padding so that a variable-length read that runs off the
// end meets a start code and stops; past the padding it reads zeros and reports
// Exhausted(). It never reads outside the bound buffer.
#include <cstddef>
#include <cstdint>

namespace codec::video {

class BitReader {
 public:
  void Bind(const uint8_t* data, size_t length, bool short_header) {
    data_ = data;
    length_ = length;
    pos_ = 0;
    cache_ = 0;
    bits_ = 0;
    static const uint8_t kOrdinary[8] = {0x00, 0x00, 0x01, 0xB6, 0x00, 0x00, 0x01, 0xB6};
    static const uint8_t kShort[8] = {0x00, 0x00, 0x80, 0x00, 0x00, 0x00, 0x80, 0x00};
    pad_ = short_header ? kShort : kOrdinary;
  }

  // n is 1..32.
  uint32_t Show(int n) {
    if (bits_ < n) Refill();
    return static_cast<uint32_t>(cache_ >> (64 - n));
  }
  void Skip(int n) {
    if (bits_ < n) Refill();
    cache_ <<= n;
    bits_ -= n;
  }
  // Skip without the refill test: n is at most the count of the last Show.
  void SkipShown(int n) {
    cache_ <<= n;
    bits_ -= n;
  }
  uint32_t Get(int n) {
    uint32_t v = Show(n);
    cache_ <<= n;
    bits_ -= n;
    return v;
  }
  uint32_t Get1() { return Get(1); }

  // Bits consumed since Bind.
  uint64_t Position() const { return pos_ * 8 - static_cast<uint64_t>(bits_); }
  bool IsAligned() const { return (bits_ & 7) == 0; }
  int BitsToAlign() const { return bits_ & 7; }
  // True once a read went past the unit and its padding.
  bool Exhausted() const { return Position() > (static_cast<uint64_t>(length_) + 8) * 8; }
  size_t Length() const { return length_; }

  // Drops to the byte boundary; when already aligned, consumes a 0x7F stuffing byte.
  void AlignStuffing() {
    if (!IsAligned()) {
      Skip(BitsToAlign());
    } else if (Show(8) == 0x7F) {
      Skip(8);
    }
  }
  void AlignOnly() {
    if (!IsAligned()) Skip(BitsToAlign());
  }
  // The n bits that follow the stuffing (without consuming anything): n is 1..24.
  // Stuffing is a zero and then ones up to the byte boundary (0x7F when
  // aligned); other bits there are data, and the answer is 0.
  uint32_t ShowAfterStuffing(int n) {
    int lead = BitsToAlign();
    if (lead == 0 && Show(8) == 0x7F) lead = 8;
    if (lead && Show(lead) != (1u << (lead - 1)) - 1) return 0;
    return Show(lead + n) & ((1u << n) - 1);
  }

 private:
  uint8_t ByteAt(size_t i) const {
    if (i < length_) return data_[i];
    if (i < length_ + 8) return pad_[i - length_];
    return 0;
  }
  // Tops the register up to at least 57 valid bits; near the end of the unit
  // it feeds the remaining bytes and the padding one by one. Inline, so that a
  // reader copied into a local keeps its state in registers.
  void Refill() {
    if (pos_ + 8 <= length_) {
      uint64_t w;
      __builtin_memcpy(&w, data_ + pos_, 8);
      cache_ |= __builtin_bswap64(w) >> bits_;
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

  const uint8_t* data_ = nullptr;
  size_t length_ = 0;
  size_t pos_ = 0;
  uint64_t cache_ = 0;
  int bits_ = 0;
  const uint8_t* pad_ = nullptr;
};

}  // namespace codec::video
