#pragma once
// The server tree's nodes without their rules: groups (level 1), servers
// (level 2) and hosted cameras (level 3) by id, each with its entry, its
// parent and its children in order; the lookups over them; and the view
// told of every node added, changed, removed or expanded. ServerTreeModel
// builds on it with the rules of what changes them.
#include <map>
#include <string>
#include <vector>

#include "app/host_event_router.h"
#include "net/list_records.h"
#include "node/storage/plan_recorder.h"
#include "node/storage/recording_plan.h"
#include "settings/server_list.h"

namespace app {

// A node's id, stable while the node lives and never reused.
using TreeNodeId = int;
constexpr TreeNodeId kNoNode = 0;

struct ServerTreeEntry {
  int level = 0;                  // 1 group, 2 server, 3 camera
  std::string group;              // groups: the name
  settings::ServerRecord server;  // servers: their copy of the entry
  ConnectionKey key = kNoKey;     // servers: the connection while online
  net::CameraRecord camera;       // cameras under a hosting server
  bool view_open = false;         // cameras: a view of it is open
  bool alarm = false;             // a view of it reports a notice
  std::string info;               // the camera information text
  bool reconnecting = false;      // servers: the lost hosting connection is being restored
  node::PlanMode plan = node::PlanMode::kOff;                // cameras: the recording plan set
  bool plan_scheduled = false;                               // by the week's hours (no single mode)
  node::PlanStateKind plan_state = node::PlanStateKind::kOff;  // and what it does now
  // A camera: a "Camera" entry of the server list or a camera of the hosting server.
  bool IsCamera() const { return level == 3 || (level == 2 && server.IsCamera()); }
};

// Told of every change to the nodes, in the order they happen.
class ServerTreeView {
 public:
  virtual ~ServerTreeView() = default;
  // Appended as the last child of its parent (kNoNode: a group).
  virtual void NodeAdded(TreeNodeId id) = 0;
  // Its label or image may have changed.
  virtual void NodeChanged(TreeNodeId id) = 0;
  // About to go; its children have gone before it.
  virtual void NodeRemoving(TreeNodeId id) = 0;
  // Its children should be shown.
  virtual void NodeExpanded(TreeNodeId id) = 0;
};

class ServerTreeNodes {
 public:
  ServerTreeNodes() = default;
  ServerTreeNodes(const ServerTreeNodes&) = delete;
  ServerTreeNodes& operator=(const ServerTreeNodes&) = delete;

  void SetView(ServerTreeView* view) { view_ = view; }

  const ServerTreeEntry* EntryOf(TreeNodeId id) const;
  int Level(TreeNodeId id) const;
  TreeNodeId ParentOf(TreeNodeId id) const;
  // kNoNode: the groups.
  std::vector<TreeNodeId> ChildrenOf(TreeNodeId parent) const;
  TreeNodeId FindServer(const std::string& name) const;
  TreeNodeId FindServerByKey(ConnectionKey key) const;
  TreeNodeId FindCamera(const std::string& camera_id) const;
  // The group a server sits in.
  std::string GroupOf(TreeNodeId server) const;
  // The first group holds the hosting servers: it cannot be renamed or deleted.
  bool IsHostGroup(TreeNodeId group) const;
  std::vector<ConnectionKey> OnlineCameraServerKeys() const;
  std::vector<std::string> CameraIds(ConnectionKey key) const;

 protected:
  ~ServerTreeNodes() = default;

  // Appended as the last child of `parent` (kNoNode: a group).
  TreeNodeId Add(TreeNodeId parent, ServerTreeEntry entry);
  // With its children, first.
  void Remove(TreeNodeId id);
  void RemoveChildren(TreeNodeId id);
  void Changed(TreeNodeId id);
  void Expanded(TreeNodeId id);
  ServerTreeEntry* MutableEntry(TreeNodeId id);
  // Every node, by id (the order they were added in).
  std::vector<TreeNodeId> AllNodes() const;
  // The servers in tree order.
  std::vector<TreeNodeId> AllServers() const;
  template <typename Match>
  TreeNodeId ServerWhere(const Match& match) const {
    for (TreeNodeId server : AllServers())
      if (match(*EntryOf(server))) return server;
    return kNoNode;
  }

 private:
  struct Node {
    ServerTreeEntry entry;
    TreeNodeId parent = kNoNode;
    std::vector<TreeNodeId> children;
  };

  ServerTreeView* view_ = nullptr;
  std::map<TreeNodeId, Node> nodes_;
  std::vector<TreeNodeId> groups_;
  TreeNodeId next_id_ = 1;
};

}  // namespace app
