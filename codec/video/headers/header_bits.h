#pragma once
// The decoder's bit reader with an end of the caller's choosing, for stream
// header fields. The decoder reads its headers through the unit's start-code
// padding as it always has (no end of its own); the recorder holds the reader
// to one header's bytes, where a field past them must read as absent.
#include <cstdint>

#include "codec/video/bitstream/bit_reader.h"

namespace video {

class HeaderBits {
 public:
  static constexpr uint64_t kNoEnd = ~uint64_t{0};

  // Reads from the reader's position on; `end` counts bits from where the
  // reader was bound.
  explicit HeaderBits(BitReader& reader, uint64_t end = kNoEnd) : m_reader(reader), m_end(end) {}

  // n is 1..32. A read that would pass the end yields 0 and sets Overrun(),
  // and so does every read after it.
  uint32_t Get(int n) {
    if (m_overrun || static_cast<uint64_t>(n) > m_end - m_reader.Position()) {
      m_overrun = true;
      return 0;
    }
    return m_reader.Get(n);
  }
  bool Overrun() const { return m_overrun; }
  // True once a read went past the unit and its padding (reading with no end).
  bool Exhausted() const { return m_reader.Exhausted(); }

 private:
  BitReader& m_reader;
  uint64_t m_end;
  bool m_overrun = false;
};

}  // namespace video
