#include "app/server_tree_model.h"

#include <algorithm>

namespace app {

namespace {

bool Contains(const auto& values, const auto& value) {
  return std::find(values.begin(), values.end(), value) != values.end();
}

}  // namespace

// ---- how a node looks -----------------------------------------------------

std::string LabelOf(const ServerTreeEntry& e, const TreeStateWords& words) {
  switch (e.level) {
    case 1:
      return e.group;
    case 2: {
      const std::string& state = e.reconnecting ? words.reconnecting : e.key != kNoKey ? words.online : words.offline;
      return e.server.name + " " + state;
    }
    default:
      return e.view_open ? e.camera.camera_id + " " + words.online : e.camera.camera_id;
  }
}

TreeImage ImageOf(const ServerTreeEntry& e, bool expanded) {
  switch (e.level) {
    case 1:
      return expanded ? kImageFolderOpen : kImageFolderClosed;
    case 2: {
      const bool online = e.key != kNoKey;
      if (!e.server.IsCamera()) return online ? kImageHostOnline : kImageHostOffline;
      return e.alarm ? kImageCameraAlarm : online ? kImageCameraOnline : kImageCameraOffline;
    }
    default:
      return e.alarm ? kImageCameraAlarm : e.view_open ? kImageCameraOnline : kImageCameraOffline;
  }
}

PlanImage PlanImageOf(const ServerTreeEntry& e) {
  if (!e.IsCamera() || (!e.plan_scheduled && e.plan == node::PlanMode::kOff)) return kPlanImageNone;
  switch (e.plan_state) {
    case node::PlanStateKind::kRecording:
      return kPlanImageRecording;
    case node::PlanStateKind::kFailed:
      return kPlanImageFailed;
    default:
      return kPlanImageWaiting;  // a schedule's cell that is off waits for the next
  }
}

std::string InfoTipOf(const ServerTreeEntry& e) {
  std::string text = e.info;
  if (e.level != 3) return text;
  for (const std::string* field : {&e.camera.text36, &e.camera.text68, &e.camera.text132, &e.camera.text168})
    if (!field->empty()) text += (text.empty() ? "" : "\r\n") + *field;
  return text;
}

// ---- nodes ----------------------------------------------------------------

void ServerTreeModel::Load() {
  for (const std::string& name : list_.GetGroups()) {
    ServerTreeEntry group;
    group.level = 1;
    group.group = name;
    const TreeNodeId id = Add(kNoNode, group);
    for (const settings::ServerRecord& record : list_.GetServers(name)) {
      ServerTreeEntry server;
      server.level = 2;
      server.server = record;
      Add(id, server);
    }
    Expanded(id);
  }
}

// ---- connection events ----------------------------------------------------

template <typename Match>
TreeNodeId ServerTreeModel::SelectedOrFirst(TreeNodeId selected, const Match& match) const {
  const ServerTreeEntry* s = EntryOf(selected);
  return s && match(*s) ? selected : ServerWhere(match);
}

void ServerTreeModel::SetOnline(TreeNodeId server, ConnectionKey key) {
  ServerTreeEntry* e = MutableEntry(server);
  if (!e) return;
  e->key = key;
  Changed(server);
}

void ServerTreeModel::SetHostOnline(const std::string& address, int port, ConnectionKey key, TreeNodeId selected) {
  auto matches = [&](const ServerTreeEntry& e) {
    return e.level == 2 && e.server.ip == address && e.server.port == port;
  };
  SetOnline(SelectedOrFirst(selected, matches), key);
}

void ServerTreeModel::SetHostReconnecting(const std::string& address, int port, bool reconnecting) {
  const TreeNodeId server = ServerWhere(
      [&](const ServerTreeEntry& e) { return e.level == 2 && e.server.ip == address && e.server.port == port; });
  ServerTreeEntry* e = MutableEntry(server);
  if (!e || e->reconnecting == reconnecting) return;
  e->reconnecting = reconnecting;
  Changed(server);
}

void ServerTreeModel::SetServerOffline(ConnectionKey key) {
  const TreeNodeId server = FindServerByKey(key);
  ServerTreeEntry* e = MutableEntry(server);
  if (!e) return;
  e->key = kNoKey;
  e->alarm = false;
  RemoveChildren(server);
  Changed(server);
}

void ServerTreeModel::SetCameraServerOnline(const std::string& name, const std::string& text, int match_mode,
                                            ConnectionKey key, TreeNodeId selected) {
  if (const TreeNodeId named = name.empty() ? kNoNode : FindServer(name)) {
    SetOnline(named, key);
    return;
  }
  // Only camera entries: a hosting server on the same address is not the camera.
  auto matches = [&](const ServerTreeEntry& e) {
    return e.level == 2 && e.server.IsCamera() && (match_mode == 1 ? e.server.mac : e.server.ip) == text;
  };
  SetOnline(SelectedOrFirst(selected, matches), key);
}

void ServerTreeModel::AddCamera(ConnectionKey key, const net::CameraRecord& camera) {
  const TreeNodeId server = FindServerByKey(key);
  if (server == kNoNode) return;
  for (TreeNodeId listed : ChildrenOf(server))
    if (EntryOf(listed)->camera.camera_id == camera.camera_id) return;
  ServerTreeEntry e;
  e.level = 3;
  e.camera = camera;
  Add(server, e);
}

void ServerTreeModel::AddCameras(ConnectionKey key, const std::vector<net::CameraRecord>& cameras) {
  const TreeNodeId server = FindServerByKey(key);
  if (server == kNoNode) return;
  for (const net::CameraRecord& camera : cameras) AddCamera(key, camera);
  Expanded(server);
}

void ServerTreeModel::RemoveCamera(const std::string& camera_id) { Remove(FindCamera(camera_id)); }

void ServerTreeModel::SetCameraOnline(const std::string& camera_id) {
  const TreeNodeId camera = FindCamera(camera_id);
  if (ServerTreeEntry* e = MutableEntry(camera)) {
    e->view_open = true;
    Changed(camera);
  }
}

void ServerTreeModel::SetCameraOffline(const std::string& camera_id) {
  const TreeNodeId camera = FindCamera(camera_id);
  if (ServerTreeEntry* e = MutableEntry(camera)) {
    e->view_open = false;
    e->alarm = false;
    Changed(camera);
  }
}

void ServerTreeModel::SetCameraInfo(ConnectionKey key, const std::string& text) {
  if (ServerTreeEntry* e = MutableEntry(FindServerByKey(key))) e->info = text;
}

void ServerTreeModel::SetAlarms(const std::vector<std::string>& camera_ids,
                                const std::vector<ConnectionKey>& server_keys) {
  for (TreeNodeId id : AllNodes()) {
    ServerTreeEntry& e = *MutableEntry(id);
    bool alarm = false;
    if (e.level == 3) alarm = Contains(camera_ids, e.camera.camera_id);
    if (e.level == 2 && e.key != kNoKey) alarm = Contains(server_keys, e.key);
    if (alarm == e.alarm) continue;
    e.alarm = alarm;
    Changed(id);
  }
}

void ServerTreeModel::SetPlan(bool hosted, const std::string& name, const node::RecordingPlan& plan,
                              node::PlanStateKind state) {
  const TreeNodeId id = hosted ? FindCamera(name) : FindServer(name);
  ServerTreeEntry* e = MutableEntry(id);
  if (!e || !e->IsCamera() || (e->plan == plan.mode && e->plan_scheduled == plan.scheduled && e->plan_state == state))
    return;
  e->plan = plan.mode;
  e->plan_scheduled = plan.scheduled;
  e->plan_state = state;
  Changed(id);
}

}  // namespace app
