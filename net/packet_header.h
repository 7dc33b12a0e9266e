#pragma once
// Framing of every TCP message to the hosting server, camera servers and the
// dynamic-IP server: an 8-byte big-endian header (type, body length), then the body.
#include <cstdint>

#include "net/byte_order.h"

namespace net {

// Each connection buffers at most this much in each direction, so no message
// (header, fixed part and payload) may be longer.
constexpr uint32_t kChannelBufferSize = 230400;
constexpr uint32_t kPacketHeaderSize = 8;

struct PacketHeader {
  uint32_t type = 0;
  uint32_t length = 0;  // body length; for MediaData the length of the fixed part only
};

constexpr void EncodePacketHeader(const PacketHeader& header, uint8_t* out) {
  PutBE32(out, header.type);
  PutBE32(out + 4, header.length);
}
constexpr PacketHeader DecodePacketHeader(const uint8_t* in) { return {GetBE32(in), GetBE32(in + 4)}; }

// Message types of the hosting and camera protocol.
enum MessageType : uint32_t {
  kRequestCameraInfo = 2,
  kCameraInfoReply = 3,  // CS_ResponseCameraInfoReply
  kRequestChannelSetup = 4,
  kReplyChannelSetup = 5,
  kRequestChannelCommand = 6,  // also RequestChannelRelease
  kMediaData = 8,
  kRequestUserLogin = 9,
  kReplyUserLogin = 16,
  kRequestOnlineCameraList = 19,
  kReplyCameraList = 20,
  kRequestFileList = 23,
  kReplyFileList = 24,
  kRequestFilePlay = 33,
  kNodeParameters = 34,
  kRequestStreamingReset = 35,
  kRequestVideoInput = 39,
  kRequestCameraSetupInfo = 40,
  kReplyCameraSetupInfo = 41,
  kKeepAlive = 48,
  kDdnsQuery = 49,
  kRequestQuality = 53,
  kRequestReboot = 54,
  kEventNotice = 55,
  kUserNumber = 56,
  kRequestPresetCommand = 57,
  kSetValue = 64,
  kAdvancedPtzControl = 65,
  kPtzPosition = 66,     // RequestPtzPosition and ReplyPtzPosition
  kSetPtzPosition = 67,  // also the camera's acknowledgement
  kPresetEnable = 69,
  kReplyPresetAck = 70,
  kReplyOnlineCameraUpdate = 4098,
  kReplyFileListUpdate = 4099,
  kCameraWordSet = 0xFFF0,
  kRequestPtzControl = 0xFFF1,
  kRequestLensControl = 0xFFF2,
};

}  // namespace net
