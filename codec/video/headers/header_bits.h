#pragma once
// The decoder's bit reader with an end of the caller's choosing, for stream
// header fields. The decoder reads its headers through the unit's start-code
// padding as it always has (no end of its own); the recorder holds the reader
// to one header's bytes, where a field past them must read as absent.
#include <cstdint>

#include "codec/video/bitstream/bit_reader.h"

namespace codec::video {

class HeaderBits {
 public:
  static constexpr uint64_t kNoEnd = ~uint64_t{0};

  // Reads from the reader's position on; `end` counts bits from where the
  // reader was bound.
  explicit HeaderBits(BitReader& reader, uint64_t end = kNoEnd) : reader_(reader), end_(end) {}

  // n is 1..32. A read that would pass the end yields 0 and sets Overrun(),
  // and so does every read after it.
  uint32_t Get(int n) {
    if (overrun_ || static_cast<uint64_t>(n) > end_ - reader_.Position()) {
      overrun_ = true;
      return 0;
    }
    return reader_.Get(n);
  }
  bool Overrun() const { return overrun_; }
  // True once a read went past the unit and its padding (reading with no end).
  bool Exhausted() const { return reader_.Exhausted(); }

 private:
  BitReader& reader_;
  uint64_t end_;
  bool overrun_ = false;
};

}  // namespace codec::video
