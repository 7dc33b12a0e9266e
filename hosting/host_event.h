#pragma once
// Results of the network threads for the main window, each a small struct of
// what it means: bodies from the network are decoded here, on the thread that
// received them, so the window's thread never reads wire bytes.
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "net/list_records.h"

namespace hosting {

// A connection as the events name it: the socket it runs on (0: none named).
using EventSocket = uintptr_t;

struct HostConnected {
  EventSocket socket = 0;
  std::string address;
  int port = 0;
};
struct HostClosed {};
struct HostLoggedIn {};
// The hosting server's lists; `socket` 0 names the hosting server online now.
struct HostCameraList {
  EventSocket socket = 0;
  std::vector<net::CameraRecord> cameras;
};
struct HostFileList {
  std::vector<net::FileRecord> files;
};
struct HostCameraUpdate {
  EventSocket socket = 0;
  uint32_t code = 0;  // 0 a camera came online, any other it went
  net::CameraRecord camera;
};
struct HostFileUpdate {
  uint32_t code = 0;
  net::FileRecord file;
};
struct RelayNodeSetUp {
  std::string camera_id;
};
struct RelayNodeClosed {
  std::string camera_id;
};
// A direct camera's information text, for its video socket.
struct DirectCameraInfo {
  EventSocket socket = 0;
  std::string text;
};
// A direct camera answered on its video socket: `text` is its IP address
// (match_mode 0) or its device name (1, a dynamic-IP camera).
struct DirectIdentified {
  EventSocket socket = 0;
  std::string text;
  int match_mode = 0;
};
struct DirectNodeClosed {
  EventSocket socket = 0;  // 0: the event does not say which
};
// The lost hosting connection is being restored: attempt `attempt`.
struct HostReconnecting {
  int attempt = 0;
};
// For the user, on the window's thread (network threads never show anything):
// the user's Connect reached no server.
struct HostUnreachable {
  std::string address;
  int port = 0;
};
// The hosting server refused the login (the connection closes).
struct HostLoginRefused {};
// A channel the user asked for: no such camera or file.
struct ChannelNotFound {
  std::string name;
};

using HostEvent = std::variant<HostConnected, HostClosed, HostLoggedIn, HostCameraList, HostFileList,
                               HostCameraUpdate, HostFileUpdate, RelayNodeSetUp, RelayNodeClosed, DirectCameraInfo,
                               DirectIdentified, DirectNodeClosed, HostReconnecting, HostUnreachable,
                               HostLoginRefused, ChannelNotFound>;

// Whether `event` is of kind T.
template <typename T>
bool Is(const HostEvent& event) {
  return std::holds_alternative<T>(event);
}

// A hosting server's list reply or update (message `type`, its body) as the
// event the main window reads; nothing when the body is not one (an update of
// another size than one record, an empty camera list).
std::optional<HostEvent> ListReplyEvent(uint32_t type, const uint8_t* body, uint32_t length);

}  // namespace hosting
