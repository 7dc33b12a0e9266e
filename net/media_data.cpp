#include "net/media_data.h"

#include "net/byte_order.h"

namespace net {

bool MediaPayloadLength(const uint8_t* fixed, uint32_t fixed_length, uint32_t* payload_length) {
  if (fixed_length == kMediaLongFixedSize) {
    *payload_length = GetLE32(fixed + 8);
    return true;
  }
  // A short form shorter than 16 bytes would put the length word outside the fixed part.
  if (fixed_length < kMediaShortFixedSize) return false;
  *payload_length = GetLE32(fixed + 12);
  return true;
}

bool DecodeMediaData(const uint8_t* fixed, uint32_t fixed_length, MediaData* out) {
  uint32_t payload_length = 0;
  if (!MediaPayloadLength(fixed, fixed_length, &payload_length)) return false;
  out->channel_id = GetLE32(fixed);
  out->kind = GetLE32(fixed + 4);
  if (fixed_length == kMediaLongFixedSize) {
    out->timestamp_ms = GetLE64(fixed + 16);
  } else {
    // Sign extension makes the short form's -1 the same end-of-file mark.
    out->timestamp_ms = static_cast<uint64_t>(static_cast<int64_t>(static_cast<int32_t>(GetLE32(fixed + 8))));
  }
  out->payload = fixed + fixed_length;
  out->payload_length = payload_length;
  return true;
}

uint32_t EncodeMediaFixed(const MediaData& media, bool long_form, uint8_t* out) {
  PutLE32(out, media.channel_id);
  PutLE32(out + 4, media.kind);
  if (long_form) {
    PutLE32(out + 8, media.payload_length);
    PutLE32(out + 12, 0);
    PutLE64(out + 16, media.timestamp_ms);
    return kMediaLongFixedSize;
  }
  PutLE32(out + 8, static_cast<uint32_t>(media.timestamp_ms));
  PutLE32(out + 12, media.payload_length);
  return kMediaShortFixedSize;
}

}  // namespace net
