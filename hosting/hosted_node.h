#pragma once
// What HostingService needs of a node: the camera node implements this; tests
// use a fake. Calls come from the network threads while the node's
// UsageGuard is held (direct nodes) or under the relay list's lock (relay nodes).
#include <cstdint>
#include <string>

#include "net/channel_messages.h"
#include "net/media_data.h"
#include "net/socket_channel.h"
#include "node/usage_guard.h"
#include "os/window_seam.h"

namespace hosting {

class HostedNode {
 public:
  virtual ~HostedNode() = default;

  virtual int Index() const = 0;                 // "Node[ %d ]" in log lines
  virtual bool IsRelay() const = 0;
  virtual os::WindowHandle Window() const = 0;   // receives WM_NODE_CLOSE
  virtual node::UsageGuard& Guard() = 0;

  // Direct nodes: the camera-server connections (null for relay nodes).
  virtual net::SocketChannel* VideoChannel() = 0;
  virtual net::SocketChannel* AudioChannel() = 0;
  // Camera-server input on one of the node's sockets (receive thread, guard held).
  virtual void ParseMessage(os::SocketHandle socket) = 0;
  virtual void SetNoRetry() = 0;

  // Relay nodes: what the hosting server's replies are matched against.
  virtual std::string Key() const = 0;           // camera ID, or file name for a stored file
  virtual uint32_t VideoChannelId() const = 0;   // kChannelNotFound when none
  virtual uint32_t AudioChannelId() const = 0;
  virtual void RegisterChannel(uint32_t channel_id, uint32_t kind) = 0;
  virtual void DeliverMedia(const net::MediaData& media) = 0;
  virtual void StoreNodeParameters(const net::NodeParameters& params) = 0;
};

}  // namespace hosting
