#pragma once
// The hosting client's events as the main window applies them: the server
// tree's hosting server, cameras and camera servers, the file list window's
// files, the event log's lines of the hosting connection, and the messages
// the user must see, one box at a time. It also keeps the tree's view of the
// open views and the plans' links: camera servers online while linked,
// notices as alarms. Windows only; called on the main window's thread.
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "app/host_event_router.h"
#include "settings/text_table.h"

namespace node {
class EventLog;
}  // namespace node

namespace app {

class CFileListWindow;
class ProgramCore;
class CServerTree;
class CameraView;
class ViewList;

// What the events ask of the main window beyond the tree and the lists.
class HostEventOwner {
 public:
  virtual ~HostEventOwner() = default;
  // The cameras the tree lists changed: the plans follow.
  virtual void CamerasChanged() = 0;
  // A camera list arrived: views waiting for a camera may open.
  virtual void CamerasArrived() = 0;
  virtual void LoginAccepted() = 0;
  // The plans' own links to camera servers, by entry name, with their connection keys.
  virtual std::vector<std::pair<std::string, intptr_t>> PlanDirectLinks() const = 0;
};

class HostEventHandler : public HostEventTarget {
 public:
  HostEventHandler(CServerTree& tree, CFileListWindow& file_list, ViewList& views, node::EventLog& log,
                   HostEventOwner& owner)
      : tree_(tree), file_list_(file_list), views_(views), log_(log), owner_(owner) {}

  // The hosting client rang: its next event (one per doorbell message) is applied.
  void OnDoorbell(ProgramCore& core);
  // The hosting server's connection, while there is one.
  ConnectionKey host_key() const { return router_.host_key(); }
  // Camera servers whose view or plan link has closed or lost its link go offline.
  void ReconcileCameraServers();
  // The views reporting a notice mark their tree entries.
  void RefreshAlarms();

  // HostEventTarget
  void HostOnline(const std::string& address, int port, ConnectionKey key) override;
  void HostOffline(ConnectionKey key) override;
  void ClearFiles() override;
  void LoggedIn() override { owner_.LoginAccepted(); }
  void CamerasListed(ConnectionKey key, const std::vector<net::CameraRecord>& list) override;
  void FilesListed(const std::vector<net::FileRecord>& files) override;
  void CameraAdded(ConnectionKey key, const net::CameraRecord& camera) override;
  void CameraRemoved(const std::string& camera_id) override;
  void FileUpdated(uint32_t code, const net::FileRecord& file) override;
  void RelayViewOpened(const std::string& camera_id) override;
  void RelayViewClosed(const std::string& camera_id) override;
  void CameraInfo(ConnectionKey key, const std::string& text) override;
  void CameraServerOnline(const std::string& text, int match_mode, ConnectionKey key) override;
  void DirectViewClosed(ConnectionKey key) override;
  void HostReconnecting(int attempt) override;
  void HostUnreachable(const std::string& address, int port) override;
  void HostLoginRefused() override;
  void ChannelNotFound(const std::string& name) override;

 private:
  // Shows a message the network's events ask for, one box at a time: while
  // one is up (its own message loop delivers further events) the next waits.
  void Tell(const settings::TextId& id);
  static ConnectionKey VideoSocketOf(CameraView* view);

  HostEventRouter router_;
  CServerTree& tree_;
  CFileListWindow& file_list_;
  ViewList& views_;
  node::EventLog& log_;
  HostEventOwner& owner_;
  std::string host_address_;  // the hosting server last online, for its tree entry
  int host_port_ = 0;
  bool host_restoring_ = false;
  std::deque<const settings::TextId*> untold_;  // waiting for the box that is up
  bool telling_ = false;
};

}  // namespace app
