#pragma once
// MediaData (type 8): the one message with a payload behind its fixed part.
// The header length selects the layout: 24 is the long form with a 64-bit
// timestamp, anything else the short form with a 32-bit signed one.
#include <cstdint>
#include <vector>

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
bool MediaPayloadLength(const uint8_t* fixed, uint32_t fixed_length, uint32_t* payload_length);

// Decodes a complete fixed part (payload must follow it in memory, payload_length bytes).
bool DecodeMediaData(const uint8_t* fixed, uint32_t fixed_length, MediaData* out);

// Encodes the fixed part; returns its length (24 long, 16 short).
uint32_t EncodeMediaFixed(const MediaData& media, bool long_form, uint8_t* out);

}  // namespace net
