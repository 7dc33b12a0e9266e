#pragma once
// The program's nodes, on two lists: the direct nodes (their own
// camera-server connections, read by the receive thread) and the relay nodes
// (fed through the hosting-server connection), and the lookups the network
// threads match sockets and replies against.
// Threads: any thread adds and removes; network threads touch a direct node
// only while holding it (GetDirectNode, FindDirectNodeBySocket) and a relay
// node only under the relay list's lock, which the hosting connection's input
// also holds while it is handled.
#include <cstdint>
#include <string>

#include "hosting/hosted_node.h"
#include "hosting/node_list.h"
#include "os/socket.h"

namespace hosting {

class NodeTable {
 public:
  void AddNode(HostedNode* node);
  // Takes the node off its list, then waits for its users to leave.
  void RemoveNode(HostedNode* node);
  // Direct nodes are told not to retry and forgotten (the user disconnected).
  void DropDirectNodes();

  // The node held through its UsageGuard until the handle goes; empty when
  // there is none or it is closing.
  HeldNode GetDirectNode(int index);
  HeldNode FindDirectNodeBySocket(os::SocketHandle socket);
  // Relay lookups: the node found stays only while the caller holds the
  // relay list's lock.
  HostedNode* FindRelayNodeByChannel(uint32_t channel_id);
  HostedNode* FindRelayNodeByKey(const std::string& key);

  // Adds every direct node's open video and audio socket whose input has
  // not ended.
  void AddDirectSockets(os::SocketSet* set);

  NodeList& direct_nodes() { return direct_; }
  NodeList& relay_nodes() { return relay_; }

 private:
  NodeList direct_;
  NodeList relay_;
};

}  // namespace hosting
