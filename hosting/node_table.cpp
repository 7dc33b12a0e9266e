#include "hosting/node_table.h"

namespace hosting {

void NodeTable::AddNode(HostedNode* node) { (node->IsRelay() ? relay_ : direct_).Add(node); }

void NodeTable::RemoveNode(HostedNode* node) {
  // Off the list first: from then on no lookup can reach the node, and the
  // holders that reached it before are the ones the guard waits for.
  (node->IsRelay() ? relay_ : direct_).Remove(node);
  node->Guard().Close();
}

void NodeTable::DropDirectNodes() {
  for (int i = 0; i < direct_.Size(); ++i)
    if (HostedNode* node = direct_.At(i)) node->SetNoRetry();
  direct_.Clear();
}

HeldNode NodeTable::GetDirectNode(int index) { return direct_.Acquire(index); }

HeldNode NodeTable::FindDirectNodeBySocket(os::SocketHandle socket) {
  for (int i = 0; i < direct_.Size(); ++i) {
    HeldNode node = GetDirectNode(i);
    if (!node) continue;
    net::SocketChannel* video = node->VideoChannel();
    net::SocketChannel* audio = node->AudioChannel();
    if ((video && video->socket() == socket) || (audio && audio->socket() == socket)) return node;
  }
  return HeldNode();
}

HostedNode* NodeTable::FindRelayNodeByChannel(uint32_t channel_id) {
  for (int i = 0; i < relay_.Size(); ++i) {
    HostedNode* node = relay_.At(i);
    if (node && (node->VideoChannelId() == channel_id || node->AudioChannelId() == channel_id)) return node;
  }
  return nullptr;
}

HostedNode* NodeTable::FindRelayNodeByKey(const std::string& key) {
  for (int i = 0; i < relay_.Size(); ++i) {
    HostedNode* node = relay_.At(i);
    if (node && node->Key() == key) return node;
  }
  return nullptr;
}

void NodeTable::AddDirectSockets(os::SocketSet* set) {
  for (int i = 0; i < direct_.Size(); ++i) {
    HeldNode node = GetDirectNode(i);
    if (!node) continue;
    // A connection whose input ended waits for its owner's close sequence
    // outside the set: watching it would report the same close on every pass.
    for (net::SocketChannel* channel : {node->VideoChannel(), node->AudioChannel()})
      if (channel && channel->IsOpen() && !channel->InputEnded()) set->Add(channel->socket());
  }
}

}  // namespace hosting
