#pragma once
// Results of the network threads for the main window.
#include <cstdint>
#include <vector>

namespace hosting {

enum HostEventKind : uint32_t {
  kHostConnected = 0,        // p1 socket, p2 port, data = server address text
  kHostClosed = 1,
  kHostLoggedIn = 2,
  kHostCameraList = 3,       // data = HS_ReplyCameraList body
  kHostFileList = 4,         // data = HS_ReplyFileList body
  kHostCameraUpdate = 5,     // data = HS_ReplyOnlineCameraUpdate body
  kHostFileUpdate = 6,       // data = HS_ReplyFileListUpdate body
  kRelayNodeSetUp = 7,       // data = camera ID text
  kRelayNodeClosed = 8,      // data = camera ID text
  kDirectCameraInfo = 9,     // p1 video socket, data = CS_ResponseCameraInfoReply body
  kDirectIdentified = 10,    // p1 video socket, p2 dynamic-IP flag, data = device name or IP text
  kDirectNodeClosed = 11,
  kHostReconnecting = 12,    // p1 the attempt's number: the lost hosting connection is being restored
  // For the user, on the window's thread (network threads never show anything):
  kHostUnreachable = 13,     // the user's Connect reached no server; p2 port, data = server address text
  kHostLoginRefused = 14,    // the hosting server refused the login (the connection closes)
  kChannelNotFound = 15,     // a channel the user asked for: no such camera or file; data = camera ID or file name
};

struct HostEvent {
  uint32_t kind = 0;
  uintptr_t param1 = 0;
  uintptr_t param2 = 0;
  std::vector<uint8_t> data;  // the slot's own copy
};

}  // namespace hosting
