#include "app/server_tree_nodes.h"

#include <algorithm>

namespace app {

TreeNodeId ServerTreeNodes::Add(TreeNodeId parent, ServerTreeEntry entry) {
  const TreeNodeId id = next_id_++;
  nodes_[id] = Node{std::move(entry), parent, {}};
  if (parent == kNoNode)
    groups_.push_back(id);
  else
    nodes_[parent].children.push_back(id);
  if (view_) view_->NodeAdded(id);
  return id;
}

void ServerTreeNodes::RemoveChildren(TreeNodeId id) {
  // A copy: each removal takes the child out of the list being walked.
  for (TreeNodeId child : ChildrenOf(id)) Remove(child);
}

void ServerTreeNodes::Remove(TreeNodeId id) {
  if (!EntryOf(id)) return;
  RemoveChildren(id);
  const TreeNodeId parent = ParentOf(id);
  if (view_) view_->NodeRemoving(id);
  if (parent == kNoNode)
    std::erase(groups_, id);
  else if (auto it = nodes_.find(parent); it != nodes_.end())
    std::erase(it->second.children, id);
  nodes_.erase(id);
}

void ServerTreeNodes::Changed(TreeNodeId id) {
  if (view_) view_->NodeChanged(id);
}

void ServerTreeNodes::Expanded(TreeNodeId id) {
  if (view_) view_->NodeExpanded(id);
}

ServerTreeEntry* ServerTreeNodes::MutableEntry(TreeNodeId id) {
  auto it = nodes_.find(id);
  return it == nodes_.end() ? nullptr : &it->second.entry;
}

const ServerTreeEntry* ServerTreeNodes::EntryOf(TreeNodeId id) const {
  auto it = nodes_.find(id);
  return it == nodes_.end() ? nullptr : &it->second.entry;
}

int ServerTreeNodes::Level(TreeNodeId id) const {
  const ServerTreeEntry* e = EntryOf(id);
  return e ? e->level : 0;
}

TreeNodeId ServerTreeNodes::ParentOf(TreeNodeId id) const {
  auto it = nodes_.find(id);
  return it == nodes_.end() ? kNoNode : it->second.parent;
}

std::vector<TreeNodeId> ServerTreeNodes::ChildrenOf(TreeNodeId parent) const {
  if (parent == kNoNode) return groups_;
  auto it = nodes_.find(parent);
  return it == nodes_.end() ? std::vector<TreeNodeId>{} : it->second.children;
}

std::vector<TreeNodeId> ServerTreeNodes::AllNodes() const {
  std::vector<TreeNodeId> ids;
  for (const auto& [id, node] : nodes_) ids.push_back(id);
  return ids;
}

std::vector<TreeNodeId> ServerTreeNodes::AllServers() const {
  std::vector<TreeNodeId> out;
  for (TreeNodeId group : groups_)
    for (TreeNodeId server : nodes_.at(group).children) out.push_back(server);
  return out;
}

TreeNodeId ServerTreeNodes::FindServer(const std::string& name) const {
  return ServerWhere([&](const ServerTreeEntry& e) { return e.server.name == name; });
}

TreeNodeId ServerTreeNodes::FindServerByKey(ConnectionKey key) const {
  if (key == kNoKey) return kNoNode;
  return ServerWhere([&](const ServerTreeEntry& e) { return e.key == key; });
}

TreeNodeId ServerTreeNodes::FindCamera(const std::string& camera_id) const {
  for (TreeNodeId server : AllServers())
    for (TreeNodeId camera : nodes_.at(server).children)
      if (nodes_.at(camera).entry.camera.camera_id == camera_id) return camera;
  return kNoNode;
}

std::string ServerTreeNodes::GroupOf(TreeNodeId server) const {
  const ServerTreeEntry* group = EntryOf(ParentOf(server));
  return group ? group->group : std::string();
}

bool ServerTreeNodes::IsHostGroup(TreeNodeId group) const {
  return group != kNoNode && !groups_.empty() && groups_.front() == group;
}

std::vector<ConnectionKey> ServerTreeNodes::OnlineCameraServerKeys() const {
  std::vector<ConnectionKey> keys;
  for (TreeNodeId server : AllServers()) {
    const ServerTreeEntry& e = nodes_.at(server).entry;
    if (e.server.IsCamera() && e.key != kNoKey) keys.push_back(e.key);
  }
  return keys;
}

std::vector<std::string> ServerTreeNodes::CameraIds(ConnectionKey key) const {
  std::vector<std::string> ids;
  for (TreeNodeId camera : ChildrenOf(FindServerByKey(key))) ids.push_back(nodes_.at(camera).entry.camera.camera_id);
  return ids;
}

}  // namespace app
