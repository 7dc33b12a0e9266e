#include "net/channel_messages.h"

#include <algorithm>

#include "net/byte_order.h"
#include "net/media_data.h"

namespace net {

ChannelSetupRecord MakeChannelSetupRequest(uint32_t kind, const std::string& camera_id, const std::string& file_name) {
  ChannelSetupRecord r;
  r.kind = kind;
  r.direction = kind == kChannelSpeaker ? 1 : 0;
  r.reserved = 1;
  if (kind == kChannelFileVideo || kind == kChannelFileAudio) {
    r.file_name = file_name;
    r.camera_id = camera_id;
  } else {
    r.camera_id = camera_id;
    r.camera_id.erase(std::remove(r.camera_id.begin(), r.camera_id.end(), '\n'), r.camera_id.end());
  }
  return r;
}

std::array<uint8_t, kChannelSetupSize> EncodeChannelSetup(const ChannelSetupRecord& r) {
  std::array<uint8_t, kChannelSetupSize> body{};
  PutLE32(&body[0], r.channel_id);
  PutLE32(&body[4], r.kind);
  PutLE32(&body[8], r.direction);
  PutLE32(&body[12], r.reserved);
  PutText(&body[16], 256, r.file_name);
  PutText(&body[272], 32, r.camera_id);
  return body;
}

bool DecodeChannelSetup(const uint8_t* body, uint32_t length, ChannelSetupRecord* out) {
  if (length < kChannelSetupSize) return false;
  out->channel_id = GetLE32(body);
  out->kind = GetLE32(body + 4);
  out->direction = GetLE32(body + 8);
  out->reserved = GetLE32(body + 12);
  out->file_name = GetText(body + 16, 256);
  out->camera_id = GetText(body + 272, 32);
  return true;
}

std::array<uint8_t, kChannelCommandSize> EncodeChannelCommand(uint32_t channel_id, uint32_t command) {
  std::array<uint8_t, kChannelCommandSize> body{};
  PutLE32(&body[0], 1);
  PutLE32(&body[4], channel_id);
  PutLE32(&body[44], command);
  return body;
}

bool DecodeChannelCommand(const uint8_t* body, uint32_t length, ChannelCommand* out) {
  if (length < kChannelCommandSize) return false;
  out->count = std::min<uint32_t>(GetLE32(body), 10);
  for (int i = 0; i < 10; ++i) out->channel_ids[i] = GetLE32(body + 4 + 4 * i);
  out->command = GetLE32(body + 44);
  return true;
}

std::array<uint8_t, kFilePlaySize> EncodeFilePlay(int32_t position, const std::string& file_name) {
  std::array<uint8_t, kFilePlaySize> body{};
  PutLE32(&body[0], static_cast<uint32_t>(position));
  PutText(&body[4], 256, file_name);
  return body;
}

bool DecodeFilePlay(const uint8_t* body, uint32_t length, int32_t* position, std::string* file_name) {
  if (length < kFilePlaySize) return false;
  *position = static_cast<int32_t>(GetLE32(body));
  *file_name = GetText(body + 4, 256);
  return true;
}

std::array<uint8_t, kStreamingResetSize> EncodeStreamingReset(uint32_t channel_id, uint32_t position) {
  std::array<uint8_t, kStreamingResetSize> body{};
  PutLE32(&body[0], channel_id);
  PutLE32(&body[4], 0);
  PutLE32(&body[8], position);
  return body;
}

bool DecodeStreamingReset(const uint8_t* body, uint32_t length, uint32_t* channel_id, uint32_t* position) {
  if (length < kStreamingResetSize) return false;
  *channel_id = GetLE32(body);
  *position = GetLE32(body + 8);
  return true;
}

// The six words sit in host order like the other relay records.
bool DecodeNodeParameters(const uint8_t* body, uint32_t length, NodeParameters* out) {
  if (length < kNodeParametersMinSize) return false;
  for (int i = 0; i < 6; ++i) out->words[i] = GetLE32(body + 256 + 4 * i);
  return true;
}

std::array<uint8_t, kNodeParametersMinSize> EncodeNodeParameters(const NodeParameters& params) {
  std::array<uint8_t, kNodeParametersMinSize> body{};
  for (int i = 0; i < 6; ++i) PutLE32(&body[256 + 4 * i], params.words[i]);
  return body;
}

}  // namespace net
