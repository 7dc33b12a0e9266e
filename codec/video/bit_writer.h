// Writes bit fields most significant bit first. Bits collect in a 32-bit
// accumulator that is stored big-endian when full; words gather in a block
// of 512 that is flushed to the output as it fills.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace codec {

class BitWriter {
 public:
  explicit BitWriter(std::vector<uint8_t>* out) : out_(out) {}

  // Writes the low `bits` bits of `value` (bits 0..32); the value must fit.
  void Put(uint32_t value, int bits);
  void PutBytes(const uint8_t* data, size_t length);
  // Stuffing to the next byte boundary: a 0 bit, then 1 bits; a whole 0x7F
  // byte when already aligned (the decoder always finds a stuffing pattern).
  void Stuff();
  bool ByteAligned() const { return bits_ % 8 == 0; }
  uint64_t BitCount() const { return total_; }
  // Moves every written whole byte to the output; leftover bits of a partial
  // byte are padded with zeros.
  void Flush();

 private:
  void StoreWord();

  std::vector<uint8_t>* out_;
  uint32_t acc_ = 0;  // pending bits, left-aligned
  int bits_ = 0;      // pending bit count, 0..31
  uint64_t total_ = 0;
  uint32_t words_[512];
  int word_count_ = 0;
};

}  // namespace codec
