#include "app/host_event_handler.h"

#include <algorithm>

#include "app/file_list_window.h"
#include "app/program_core.h"
#include "app/server_tree.h"
#include "app/view_host.h"
#include "app/view_list.h"
#include "node/events/event_log.h"
#include "settings/win32/ini_handler.h"

namespace app {

void HostEventHandler::OnDoorbell(ProgramCore& core) {
  hosting::HostEvent event;
  if (!core.has_hosting() || !core.events().Pop(&event)) return;
  router_.Route(event, *this);
}

void HostEventHandler::HostOnline(const std::string& address, int port, ConnectionKey key) {
  tree_.model().SetHostReconnecting(address, port, false);
  tree_.SetHostOnline(address, port, key);
  if (host_restoring_) log_.Add(node::EventKind::kConnected, address, "Hosting server connection restored");
  host_restoring_ = false;
  host_address_ = address;
  host_port_ = port;
}

// The relay views ask for their channels and the lists come again by
// themselves once the login is accepted; the tree shows the wait.
void HostEventHandler::HostReconnecting(int attempt) {
  tree_.model().SetHostReconnecting(host_address_, host_port_, true);
  if (attempt <= 1) {
    host_restoring_ = true;
    log_.Add(node::EventKind::kLinkLost, host_address_, "Hosting server connection lost");
  } else {
    log_.Add(node::EventKind::kReconnectAttempt, host_address_, "Reconnect attempt " + std::to_string(attempt));
  }
}

// The user's own Connect reached no server.
void HostEventHandler::HostUnreachable(const std::string&, int) { Tell(settings::text::kErrorConnRefused); }

// Also when restoring a lost connection: the loop ends with it, so this is
// said once, and the event log keeps it for a user who looks later.
void HostEventHandler::HostLoginRefused() {
  log_.Add(node::EventKind::kLoginRefused, host_address_, "Login refused");
  Tell(settings::text::kErrorLoginFail);
}

// The view asked because the user opened it; its own retries go only to the
// event log and its status line.
void HostEventHandler::ChannelNotFound(const std::string&) { Tell(settings::text::kErrorChannelSetup); }

void HostEventHandler::Tell(const settings::TextId& id) {
  untold_.push_back(&id);
  if (telling_) return;
  telling_ = true;
  while (!untold_.empty()) {
    const settings::TextId* next = untold_.front();
    untold_.pop_front();
    settings::IniHandler::Instance().ShowMessage(*next);
  }
  telling_ = false;
}

void HostEventHandler::HostOffline(ConnectionKey key) {
  tree_.model().SetServerOffline(key);
  owner_.CamerasChanged();
}

void HostEventHandler::ClearFiles() { file_list_.Clear(); }

void HostEventHandler::CamerasListed(ConnectionKey key, const std::vector<net::CameraRecord>& list) {
  tree_.model().AddCameras(key, list);
  owner_.CamerasChanged();
  owner_.CamerasArrived();
}

void HostEventHandler::FilesListed(const std::vector<net::FileRecord>& files) { file_list_.AddFiles(files); }

void HostEventHandler::CameraAdded(ConnectionKey key, const net::CameraRecord& camera) {
  tree_.model().AddCamera(key, camera);
  owner_.CamerasChanged();
  owner_.CamerasArrived();
}

void HostEventHandler::CameraRemoved(const std::string& camera_id) {
  tree_.model().RemoveCamera(camera_id);
  owner_.CamerasChanged();
}

void HostEventHandler::FileUpdated(uint32_t code, const net::FileRecord& file) { file_list_.UpdateFile(code, file); }

void HostEventHandler::RelayViewOpened(const std::string& camera_id) { tree_.model().SetCameraOnline(camera_id); }

void HostEventHandler::RelayViewClosed(const std::string& camera_id) { tree_.model().SetCameraOffline(camera_id); }

void HostEventHandler::CameraInfo(ConnectionKey key, const std::string& text) { tree_.model().SetCameraInfo(key, text); }

ConnectionKey HostEventHandler::VideoSocketOf(CameraView* view) {
  if (view->IsRelay()) return kNoKey;
  const net::SocketChannel* video = view->Node().VideoChannel();
  return video && video->IsOpen() ? static_cast<ConnectionKey>(video->socket()) : kNoKey;
}

void HostEventHandler::CameraServerOnline(const std::string& text, int match_mode, ConnectionKey key) {
  // The view that identified its camera knows its entry: two entries on one
  // address are told apart by it.
  std::string name;
  for (CameraView* view : views_.Snapshot())
    if (VideoSocketOf(view) == key) name = views_.RequestOf(view).display_name;
  for (const auto& [entry, link_key] : owner_.PlanDirectLinks())  // and so does a plan's own link
    if (link_key == key) name = entry;
  tree_.SetCameraServerOnline(name, text, match_mode, key);
}

void HostEventHandler::DirectViewClosed(ConnectionKey key) {
  if (key != kNoKey) tree_.model().SetServerOffline(key);
  ReconcileCameraServers();
}

void HostEventHandler::ReconcileCameraServers() {
  std::vector<ConnectionKey> linked;
  for (CameraView* view : views_.Snapshot()) {
    const ConnectionKey key = VideoSocketOf(view);
    if (key != kNoKey) linked.push_back(key);
  }
  for (const auto& [entry, key] : owner_.PlanDirectLinks())
    if (key != kNoKey) linked.push_back(key);
  for (ConnectionKey key : tree_.model().OnlineCameraServerKeys())
    if (std::find(linked.begin(), linked.end(), key) == linked.end()) tree_.model().SetServerOffline(key);
}

void HostEventHandler::RefreshAlarms() {
  std::vector<std::string> cameras;
  std::vector<ConnectionKey> servers;
  for (CameraView* view : views_.Snapshot()) {
    if (view->Node().notice_countdown() <= 0) continue;
    if (view->IsRelay())
      cameras.push_back(view->Node().camera_id());
    else if (const ConnectionKey key = VideoSocketOf(view); key != kNoKey)
      servers.push_back(key);
  }
  tree_.model().SetAlarms(cameras, servers);
}

}  // namespace app
