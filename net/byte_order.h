#pragma once
// Field-by-field packing of wire records. The protocol mixes byte orders per
// message, so every access names its order; no struct is ever copied onto the wire.
// The integer accessors are constexpr, so that wire layouts can be asserted
// while compiling (net/wire_layout_checks.cpp), in the 32-bit build too.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace net {

constexpr void PutBE32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v >> 24);
  p[1] = static_cast<uint8_t>(v >> 16);
  p[2] = static_cast<uint8_t>(v >> 8);
  p[3] = static_cast<uint8_t>(v);
}
constexpr uint32_t GetBE32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}
constexpr void PutBE16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v >> 8);
  p[1] = static_cast<uint8_t>(v);
}
constexpr uint16_t GetBE16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }

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

// Writes text into a fixed field of `size` bytes: cut to size - 1 characters so
// the terminating NUL always fits, and the rest of the field zeroed.
inline void PutText(uint8_t* field, size_t size, const std::string& text) {
  std::memset(field, 0, size);
  if (size == 0) return;
  std::memcpy(field, text.data(), text.size() < size - 1 ? text.size() : size - 1);
}

// Reads text from a fixed field; stops at the first NUL or at the end of the
// field, so an unterminated field from the network never reads past it.
inline std::string GetText(const uint8_t* field, size_t size) {
  if (size == 0) return std::string();
  const void* nul = std::memchr(field, 0, size);
  size_t n = nul ? static_cast<size_t>(static_cast<const uint8_t*>(nul) - field) : size;
  return std::string(reinterpret_cast<const char*>(field), n);
}

}  // namespace net
