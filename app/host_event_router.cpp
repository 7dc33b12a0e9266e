#include "app/host_event_router.h"

#include <algorithm>

namespace app {

std::string WithoutLineFeeds(std::string text) {
  text.erase(std::remove(text.begin(), text.end(), '\n'), text.end());
  return text;
}

// Events of the hosting connection name it by its socket where they carry
// one; the ones that carry none (0) mean the hosting server online now.
ConnectionKey HostEventRouter::KeyOf(hosting::EventSocket socket) const {
  const auto key = static_cast<ConnectionKey>(socket);
  return key == 0 ? host_key_ : key;
}

void HostEventRouter::Route(const hosting::HostEvent& event, HostEventTarget& target) {
  std::visit([&](const auto& e) { On(e, target); }, event);
}

void HostEventRouter::On(const hosting::HostConnected& e, HostEventTarget& target) {
  host_key_ = static_cast<ConnectionKey>(e.socket);
  target.HostOnline(e.address, e.port, host_key_);
}

void HostEventRouter::On(const hosting::HostClosed&, HostEventTarget& target) {
  if (host_key_ != kNoKey) target.HostOffline(host_key_);
  host_key_ = kNoKey;
  target.ClearFiles();
}

void HostEventRouter::On(const hosting::HostLoggedIn&, HostEventTarget& target) { target.LoggedIn(); }

void HostEventRouter::On(const hosting::HostCameraList& e, HostEventTarget& target) {
  target.CamerasListed(KeyOf(e.socket), e.cameras);
}

void HostEventRouter::On(const hosting::HostFileList& e, HostEventTarget& target) { target.FilesListed(e.files); }

void HostEventRouter::On(const hosting::HostCameraUpdate& e, HostEventTarget& target) {
  if (e.code == 0)
    target.CameraAdded(KeyOf(e.socket), e.camera);
  else
    target.CameraRemoved(e.camera.camera_id);
}

void HostEventRouter::On(const hosting::HostFileUpdate& e, HostEventTarget& target) {
  target.FileUpdated(e.code, e.file);
}

void HostEventRouter::On(const hosting::RelayNodeSetUp& e, HostEventTarget& target) {
  target.RelayViewOpened(e.camera_id);
}

void HostEventRouter::On(const hosting::RelayNodeClosed& e, HostEventTarget& target) {
  target.RelayViewClosed(e.camera_id);
}

void HostEventRouter::On(const hosting::DirectCameraInfo& e, HostEventTarget& target) {
  target.CameraInfo(static_cast<ConnectionKey>(e.socket), WithoutLineFeeds(e.text));
}

void HostEventRouter::On(const hosting::DirectIdentified& e, HostEventTarget& target) {
  target.CameraServerOnline(e.text, e.match_mode, static_cast<ConnectionKey>(e.socket));
}

void HostEventRouter::On(const hosting::DirectNodeClosed& e, HostEventTarget& target) {
  target.DirectViewClosed(e.socket == 0 ? kNoKey : static_cast<ConnectionKey>(e.socket));
}

void HostEventRouter::On(const hosting::HostReconnecting& e, HostEventTarget& target) {
  target.HostReconnecting(e.attempt);
}

void HostEventRouter::On(const hosting::HostUnreachable& e, HostEventTarget& target) {
  target.HostUnreachable(e.address, e.port);
}

void HostEventRouter::On(const hosting::HostLoginRefused&, HostEventTarget& target) { target.HostLoginRefused(); }

void HostEventRouter::On(const hosting::ChannelNotFound& e, HostEventTarget& target) {
  target.ChannelNotFound(e.name);
}

}  // namespace app
