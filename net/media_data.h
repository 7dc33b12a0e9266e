#pragma once
// MediaData (type 8): the one message with a payload behind its fixed part.
// The header length selects the layout: 24 is the long form with a 64-bit
// timestamp, anything else the short form with a 32-bit signed one.
#include <cstdint>
#include <vector>

#include "net/byte_order.h"

namespace net {

enum MediaKind : uint32_t { kMediaVideoFrame = 0, kMediaVideoConfig = 1, kMediaAudio = 3 };
enum ChannelKind : uint32_t {
  kChannelVideo = 1,
  kChannelAudio = 2,
  kChannelSpeaker = 3,
  kChannelFileVideo = 4,
  kChannelFileAudio = 5,
};

constexpr uint32_t kMediaLongFixedSize = 24;
constexpr uint32_t kMediaShortFixedSize = 16;
// A timestamp of all ones marks the end of a stored file.
constexpr uint64_t kEndOfFileTimestamp = ~uint64_t{0};

struct MediaData {
  uint32_t channel_id = 0;
  uint32_t kind = 0;
  uint64_t timestamp_ms = 0;
  const uint8_t* payload = nullptr;  // points into the receive buffer
  uint32_t payload_length = 0;
};

// Payload length of a type 8 message from its fixed part, as the framing needs it
// before the payload has arrived. Returns false when the fixed part is too short
// to hold the length word.
constexpr bool MediaPayloadLength(const uint8_t* fixed, uint32_t fixed_length, uint32_t* payload_length) {
  if (fixed_length == kMediaLongFixedSize) {
    *payload_length = GetLE32(fixed + 8);
    return true;
  }
  // A short form shorter than 16 bytes would put the length word outside the fixed part.
  if (fixed_length < kMediaShortFixedSize) return false;
  *payload_length = GetLE32(fixed + 12);
  return true;
}

// Decodes a complete fixed part (payload must follow it in memory, payload_length bytes).
constexpr bool DecodeMediaData(const uint8_t* fixed, uint32_t fixed_length, MediaData* out) {
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

// Encodes the fixed part; returns its length (24 long, 16 short).
constexpr uint32_t EncodeMediaFixed(const MediaData& media, bool long_form, uint8_t* out) {
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
