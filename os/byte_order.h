#pragma once
// Integers in a given byte order: written into and read from a buffer, or
// appended to a growing one. Every file format and wire record of the
// programs packs its fields through these, naming the order at each
// access; no struct is ever copied onto a wire or a disk. Constexpr, so
// layouts can be asserted while compiling.
#include <cstdint>
#include <vector>

namespace os {

constexpr void PutBE16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v >> 8);
  p[1] = static_cast<uint8_t>(v);
}
constexpr uint16_t GetBE16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }
constexpr void PutBE32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v >> 24);
  p[1] = static_cast<uint8_t>(v >> 16);
  p[2] = static_cast<uint8_t>(v >> 8);
  p[3] = static_cast<uint8_t>(v);
}
constexpr uint32_t GetBE32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

constexpr void PutLE16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
constexpr uint16_t GetLE16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
constexpr void PutLE32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
  p[3] = static_cast<uint8_t>(v >> 24);
}
constexpr uint32_t GetLE32(const uint8_t* p) {
  return p[0] | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}
constexpr void PutLE64(uint8_t* p, uint64_t v) {
  PutLE32(p, static_cast<uint32_t>(v));
  PutLE32(p + 4, static_cast<uint32_t>(v >> 32));
}
constexpr uint64_t GetLE64(const uint8_t* p) { return GetLE32(p) | (uint64_t{GetLE32(p + 4)} << 32); }

// Appended at the end of `out`.
inline void AppendBE16(std::vector<uint8_t>& out, uint16_t v) {
  out.resize(out.size() + 2);
  PutBE16(&out[out.size() - 2], v);
}
inline void AppendBE32(std::vector<uint8_t>& out, uint32_t v) {
  out.resize(out.size() + 4);
  PutBE32(&out[out.size() - 4], v);
}
inline void AppendLE16(std::vector<uint8_t>& out, uint16_t v) {
  out.resize(out.size() + 2);
  PutLE16(&out[out.size() - 2], v);
}
inline void AppendLE32(std::vector<uint8_t>& out, uint32_t v) {
  out.resize(out.size() + 4);
  PutLE32(&out[out.size() - 4], v);
}

}  // namespace os
