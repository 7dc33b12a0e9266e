#pragma once
// What HostingService needs of a node: the camera node implements this; tests
// use a fake. Calls come from the network threads while the node's
// UsageGuard is held (direct nodes) or under the relay list's lock (relay nodes).
#include <cstdint>
#include <string>

#include "net/channel_messages.h"
#include "net/media_data.h"
#include "net/socket_channel.h"
#include "os/usage_guard.h"
#include "os/window_seam.h"

namespace hosting {

class HostedNode {
 public:
  virtual ~HostedNode() = default;

  virtual int Index() const = 0;                 // "Node[ %d ]" in log lines
  virtual bool IsRelay() const = 0;
  virtual os::WindowHandle Window() const = 0;   // receives WM_NODE_CLOSE
  virtual os::UsageGuard& Guard() = 0;

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
  // The server has no such camera or file for a channel of `kind`: the node
  // notes it (status, event log) and returns true when the user asked for
  // that channel just now, false for its own unattended retry.
  virtual bool OnChannelNotFound(uint32_t kind) = 0;
  virtual void DeliverMedia(const net::MediaData& media) = 0;
  virtual void StoreNodeParameters(const net::NodeParameters& params) = 0;
};

// A node acquired through its UsageGuard, released when the handle goes.
// Empty when there was no node or it was closing.
class HeldNode {
 public:
  HeldNode() = default;
  // Acquires `node`'s guard; the handle stays empty when that is refused.
  explicit HeldNode(HostedNode* node) : node_(node && node->Guard().Acquire() == 0 ? node : nullptr) {}
  ~HeldNode() { Reset(); }
  HeldNode(HeldNode&& other) noexcept : node_(other.node_) { other.node_ = nullptr; }
  HeldNode& operator=(HeldNode&& other) noexcept {
    if (this != &other) {
      Reset();
      node_ = other.node_;
      other.node_ = nullptr;
    }
    return *this;
  }
  HeldNode(const HeldNode&) = delete;
  HeldNode& operator=(const HeldNode&) = delete;

  explicit operator bool() const { return node_ != nullptr; }
  HostedNode* get() const { return node_; }
  HostedNode* operator->() const { return node_; }
  void Reset() {
    if (node_) node_->Guard().Release();
    node_ = nullptr;
  }

 private:
  HostedNode* node_ = nullptr;
};

}  // namespace hosting
