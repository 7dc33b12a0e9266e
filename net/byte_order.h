#pragma once
// Field-by-field packing of wire records. The protocol mixes byte orders per
// message, so every access names its order; no struct is ever copied onto the wire.
// The integer accessors are constexpr, so that wire layouts can be asserted
// while compiling (net/wire_layout_checks.cpp), in the 32-bit build too.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "os/byte_order.h"


namespace net {

// The integers in either order (os/byte_order.h), under the names the
// protocol code has always used.
using os::GetBE16;
using os::GetBE32;
using os::GetLE16;
using os::GetLE32;
using os::GetLE64;
using os::PutBE16;
using os::PutBE32;
using os::PutLE16;
using os::PutLE32;
using os::PutLE64;

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
