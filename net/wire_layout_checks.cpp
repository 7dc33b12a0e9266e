// Wire layouts checked while compiling: every build, the 32-bit Windows one
// included, where no test can run on machines that refuse 32-bit programs,
// proves here that its framing and media fixed parts have the bytes the
// cameras and the hosting server send, in the order each field names.
#include <array>
#include <cstdint>

#include "net/byte_order.h"
#include "net/media_data.h"
#include "net/packet_header.h"

namespace net {
namespace {

template <size_t N>
constexpr bool SameBytes(const uint8_t* got, const std::array<uint8_t, N>& want) {
  for (size_t i = 0; i < N; ++i) {
    if (got[i] != want[i]) return false;
  }
  return true;
}

// Mixed byte orders: each accessor puts its most significant byte where its order says.
constexpr bool ByteOrders() {
  uint8_t b[8] = {};
  PutBE32(b, 0x01020304);
  if (!SameBytes(b, std::array<uint8_t, 4>{1, 2, 3, 4}) || GetBE32(b) != 0x01020304u) return false;
  PutLE32(b, 0x01020304);
  if (!SameBytes(b, std::array<uint8_t, 4>{4, 3, 2, 1}) || GetLE32(b) != 0x01020304u) return false;
  PutBE16(b, 0xA1B2);
  if (b[0] != 0xA1 || b[1] != 0xB2 || GetBE16(b) != 0xA1B2) return false;
  PutLE16(b, 0xA1B2);
  if (b[0] != 0xB2 || b[1] != 0xA1 || GetLE16(b) != 0xA1B2) return false;
  PutLE64(b, 0x0102030405060708ull);
  return SameBytes(b, std::array<uint8_t, 8>{8, 7, 6, 5, 4, 3, 2, 1}) && GetLE64(b) == 0x0102030405060708ull;
}
static_assert(ByteOrders(), "byte order accessors");

// The framing header: type then body length, both big-endian.
constexpr bool PacketHeaderLayout() {
  uint8_t out[kPacketHeaderSize] = {};
  EncodePacketHeader({0xFFF1, 0x01020304}, out);
  const PacketHeader back = DecodePacketHeader(out);
  return SameBytes(out, std::array<uint8_t, 8>{0, 0, 0xFF, 0xF1, 1, 2, 3, 4}) && back.type == 0xFFF1u &&
         back.length == 0x01020304u;
}
static_assert(kPacketHeaderSize == 8 && PacketHeaderLayout(), "packet header: 8 bytes, big-endian");

// MediaData's long form: channel, kind, payload length, 4 zero bytes, 64-bit timestamp.
constexpr bool MediaLongForm() {
  MediaData m;
  m.channel_id = 7;
  m.kind = kMediaAudio;
  m.timestamp_ms = 0x0000000123456789ull;
  m.payload_length = 192;
  uint8_t fixed[kMediaLongFixedSize] = {};
  if (EncodeMediaFixed(m, true, fixed) != 24) return false;
  const std::array<uint8_t, 24> want{7, 0, 0, 0, 3, 0, 0, 0, 192, 0, 0, 0, 0, 0, 0, 0, 0x89, 0x67, 0x45, 0x23, 1, 0, 0, 0};
  MediaData d;
  return SameBytes(fixed, want) && DecodeMediaData(fixed, 24, &d) && d.channel_id == 7 && d.kind == kMediaAudio &&
         d.timestamp_ms == 0x0000000123456789ull && d.payload_length == 192 && d.payload == fixed + 24;
}
static_assert(MediaLongForm(), "media fixed part, long form");

// The short form: a 32-bit timestamp before the length; its all-ones value
// is sign-extended into the same end-of-file mark as the long form's.
constexpr bool MediaShortForm() {
  MediaData m;
  m.timestamp_ms = kEndOfFileTimestamp;
  m.payload_length = 3;
  uint8_t fixed[kMediaShortFixedSize] = {};
  if (EncodeMediaFixed(m, false, fixed) != 16) return false;
  MediaData d;
  return GetLE32(fixed + 8) == 0xFFFFFFFFu && GetLE32(fixed + 12) == 3 && DecodeMediaData(fixed, 16, &d) &&
         d.timestamp_ms == kEndOfFileTimestamp && d.payload_length == 3;
}
static_assert(MediaShortForm(), "media fixed part, short form");

// A fixed part shorter than 16 bytes cannot hold the length word; other lengths are short forms.
constexpr bool MediaFixedLengths() {
  uint8_t fixed[24] = {};
  uint32_t n = 0;
  return !MediaPayloadLength(fixed, 15, &n) && MediaPayloadLength(fixed, 20, &n);
}
static_assert(MediaFixedLengths(), "media fixed part lengths");

}  // namespace
}  // namespace net
