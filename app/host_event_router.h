#pragma once
// Turns the hosting client's events into what they mean for the server tree
// and the file list window. The events arrive decoded (hosting/host_event.h).
//
// Connections are known in the tree by a key: the hosting socket for a
// hosting server, a camera view's video socket for a camera server. The
// hosting client's "connection closed" and list events carry no socket; they
// belong to the hosting server that came online last.
#include <cstdint>
#include <string>
#include <vector>

#include "hosting/host_event.h"

namespace app {

using ConnectionKey = intptr_t;
constexpr ConnectionKey kNoKey = -1;

class HostEventTarget {
 public:
  virtual ~HostEventTarget() = default;
  virtual void HostOnline(const std::string& address, int port, ConnectionKey key) = 0;         // 0
  virtual void HostOffline(ConnectionKey key) = 0;                                               // 1
  virtual void ClearFiles() = 0;                                                                 // 1
  virtual void LoggedIn() = 0;                                                                   // 2
  virtual void CamerasListed(ConnectionKey key, const std::vector<net::CameraRecord>& list) = 0;  // 3
  virtual void FilesListed(const std::vector<net::FileRecord>& files) = 0;                       // 4
  virtual void CameraAdded(ConnectionKey key, const net::CameraRecord& camera) = 0;              // 5, code 0
  virtual void CameraRemoved(const std::string& camera_id) = 0;                                  // 5, other codes
  virtual void FileUpdated(uint32_t code, const net::FileRecord& file) = 0;                      // 6
  virtual void RelayViewOpened(const std::string& camera_id) = 0;                                // 7
  virtual void RelayViewClosed(const std::string& camera_id) = 0;                                // 8
  virtual void CameraInfo(ConnectionKey key, const std::string& text) = 0;                       // 9
  // `text` is the camera's IP address (match_mode 0) or its device name (1).
  virtual void CameraServerOnline(const std::string& text, int match_mode, ConnectionKey key) = 0;  // 10
  // kNoKey when the event does not say which view closed.
  virtual void DirectViewClosed(ConnectionKey key) = 0;                                          // 11
  // The lost hosting connection is being restored: attempt `attempt`.
  virtual void HostReconnecting(int /*attempt*/) {}                                             // 12
  // What the user must hear of, shown on the window's thread:
  virtual void HostUnreachable(const std::string& /*address*/, int /*port*/) {}                 // 13
  virtual void HostLoginRefused() {}                                                            // 14
  // No such camera or file for a channel the user asked for.
  virtual void ChannelNotFound(const std::string& /*name*/) {}                                  // 15
};

class HostEventRouter {
 public:
  void Route(const hosting::HostEvent& event, HostEventTarget& target);
  // The hosting server online now, kNoKey when none.
  ConnectionKey host_key() const { return host_key_; }

 private:
  ConnectionKey KeyOf(hosting::EventSocket socket) const;
  void On(const hosting::HostConnected& e, HostEventTarget& target);
  void On(const hosting::HostClosed& e, HostEventTarget& target);
  void On(const hosting::HostLoggedIn& e, HostEventTarget& target);
  void On(const hosting::HostCameraList& e, HostEventTarget& target);
  void On(const hosting::HostFileList& e, HostEventTarget& target);
  void On(const hosting::HostCameraUpdate& e, HostEventTarget& target);
  void On(const hosting::HostFileUpdate& e, HostEventTarget& target);
  void On(const hosting::RelayNodeSetUp& e, HostEventTarget& target);
  void On(const hosting::RelayNodeClosed& e, HostEventTarget& target);
  void On(const hosting::DirectCameraInfo& e, HostEventTarget& target);
  void On(const hosting::DirectIdentified& e, HostEventTarget& target);
  void On(const hosting::DirectNodeClosed& e, HostEventTarget& target);
  void On(const hosting::HostReconnecting& e, HostEventTarget& target);
  void On(const hosting::HostUnreachable& e, HostEventTarget& target);
  void On(const hosting::HostLoginRefused& e, HostEventTarget& target);
  void On(const hosting::ChannelNotFound& e, HostEventTarget& target);

  ConnectionKey host_key_ = kNoKey;
};

// The same without line feeds (the camera information text).
std::string WithoutLineFeeds(std::string text);

}  // namespace app
