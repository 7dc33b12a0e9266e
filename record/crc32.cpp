#include "record/crc32.h"

#include <array>

namespace record {
namespace {

// Slicing by four: a recording checks every sample it writes.
using Tables = std::array<std::array<uint32_t, 256>, 4>;

Tables MakeTables() {
  Tables t{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    t[0][i] = c;
  }
  for (uint32_t i = 0; i < 256; ++i)
    for (int s = 1; s < 4; ++s) t[s][i] = (t[s - 1][i] >> 8) ^ t[0][t[s - 1][i] & 0xFF];
  return t;
}

const Tables& TablesOnce() {
  static const Tables tables = MakeTables();
  return tables;
}

}  // namespace

uint32_t Crc32(const uint8_t* data, size_t length, uint32_t crc) {
  const Tables& t = TablesOnce();
  uint32_t c = ~crc;
  for (; length >= 4; length -= 4, data += 4) {
    c ^= uint32_t(data[0]) | uint32_t(data[1]) << 8 | uint32_t(data[2]) << 16 | uint32_t(data[3]) << 24;
    c = t[3][c & 0xFF] ^ t[2][(c >> 8) & 0xFF] ^ t[1][(c >> 16) & 0xFF] ^ t[0][c >> 24];
  }
  for (; length > 0; --length) c = t[0][(c ^ *data++) & 0xFF] ^ (c >> 8);
  return ~c;
}

}  // namespace record
