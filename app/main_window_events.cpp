// The hosting client's events as the main window applies them to the server
// tree and the file list window, and the tree's view of the open views
// (camera servers online while their view is linked, notices as alarms).
#include <algorithm>

#include "app/main_window.h"
#include "settings/win32/ini_handler.h"

namespace app {

void CMainWindow::OnHostEvent() {
  // One event per doorbell message.
  hosting::HostEvent event;
  if (!events_ || !events_->Pop(&event)) return;
  router_.Route(event, *this);
}

void CMainWindow::HostOnline(const std::string& address, int port, ConnectionKey key) {
  tree_.SetHostReconnecting(address, port, false);
  tree_.SetHostOnline(address, port, key);
  if (host_restoring_) event_log_.Add(node::EventKind::kConnected, address, "Hosting server connection restored");
  host_restoring_ = false;
  host_address_ = address;
  host_port_ = port;
}

// The relay views ask for their channels and the lists come again by
// themselves once the login is accepted; the tree shows the wait.
void CMainWindow::HostReconnecting(int attempt) {
  tree_.SetHostReconnecting(host_address_, host_port_, true);
  if (attempt <= 1) {
    host_restoring_ = true;
    event_log_.Add(node::EventKind::kLinkLost, host_address_, "Hosting server connection lost");
  } else {
    event_log_.Add(node::EventKind::kReconnectAttempt, host_address_, "Reconnect attempt " + std::to_string(attempt));
  }
}

// The user's own Connect reached no server.
void CMainWindow::HostUnreachable(const std::string&, int) { Tell(settings::text::kErrorConnRefused); }

// Also when restoring a lost connection: the loop ends with it, so this is
// said once, and the event log keeps it for a user who looks later.
void CMainWindow::HostLoginRefused() {
  event_log_.Add(node::EventKind::kLoginRefused, host_address_, "Login refused");
  Tell(settings::text::kErrorLoginFail);
}

// The view asked because the user opened it; its own retries go only to the
// event log and its status line.
void CMainWindow::ChannelNotFound(const std::string&) { Tell(settings::text::kErrorChannelSetup); }

void CMainWindow::Tell(const settings::TextId& id) {
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

void CMainWindow::HostOffline(ConnectionKey key) {
  tree_.SetServerOffline(key);
  SyncPlans();
}

void CMainWindow::ClearFiles() { file_list_.Clear(); }

void CMainWindow::LoggedIn() { ShowHideList(); }

void CMainWindow::CamerasListed(ConnectionKey key, const std::vector<net::CameraRecord>& list) {
  tree_.AddCameras(key, list);
  SyncPlans();
  OpenPendingViews();
}

void CMainWindow::FilesListed(const std::vector<net::FileRecord>& files) { file_list_.AddFiles(files); }

void CMainWindow::CameraAdded(ConnectionKey key, const net::CameraRecord& camera) {
  tree_.AddCamera(key, camera);
  SyncPlans();
  OpenPendingViews();
}

void CMainWindow::CameraRemoved(const std::string& camera_id) {
  tree_.RemoveCamera(camera_id);
  SyncPlans();
}

void CMainWindow::FileUpdated(uint32_t code, const net::FileRecord& file) { file_list_.UpdateFile(code, file); }

void CMainWindow::RelayViewOpened(const std::string& camera_id) { tree_.SetCameraOnline(camera_id); }

void CMainWindow::RelayViewClosed(const std::string& camera_id) { tree_.SetCameraOffline(camera_id); }

void CMainWindow::CameraInfo(ConnectionKey key, const std::string& text) { tree_.SetCameraInfo(key, text); }

ConnectionKey CMainWindow::VideoSocketOf(CameraView* view) {
  if (view->IsRelay()) return kNoKey;
  const net::SocketChannel* video = view->Node().VideoChannel();
  return video && video->IsOpen() ? static_cast<ConnectionKey>(video->socket()) : kNoKey;
}

void CMainWindow::CameraServerOnline(const std::string& text, int match_mode, ConnectionKey key) {
  // The view that identified its camera knows its entry: two entries on one
  // address are told apart by it.
  std::string name;
  for (CameraView* view : views_.Snapshot())
    if (VideoSocketOf(view) == key) name = views_.RequestOf(view).display_name;
  if (plans_)  // and so does a plan's own link
    for (const auto& [entry, link_key] : plans_->DirectLinks())
      if (link_key == key) name = entry;
  tree_.SetCameraServerOnline(name, text, match_mode, key);
}

void CMainWindow::DirectViewClosed(ConnectionKey key) {
  if (key != kNoKey) tree_.SetServerOffline(key);
  ReconcileCameraServers();
}

void CMainWindow::ReconcileCameraServers() {
  std::vector<ConnectionKey> linked;
  for (CameraView* view : views_.Snapshot()) {
    const ConnectionKey key = VideoSocketOf(view);
    if (key != kNoKey) linked.push_back(key);
  }
  if (plans_)
    for (const auto& [entry, key] : plans_->DirectLinks())
      if (key != kNoKey) linked.push_back(key);
  for (ConnectionKey key : tree_.OnlineCameraServerKeys())
    if (std::find(linked.begin(), linked.end(), key) == linked.end()) tree_.SetServerOffline(key);
}

void CMainWindow::RefreshAlarms() {
  std::vector<std::string> cameras;
  std::vector<ConnectionKey> servers;
  for (CameraView* view : views_.Snapshot()) {
    if (view->Node().notice_countdown() <= 0) continue;
    if (view->IsRelay())
      cameras.push_back(view->Node().camera_id());
    else if (const ConnectionKey key = VideoSocketOf(view); key != kNoKey)
      servers.push_back(key);
  }
  tree_.SetAlarms(cameras, servers);
}

}  // namespace app
