#include "app/host_event_router.h"

#include <algorithm>

#include "net/byte_order.h"

namespace app {

std::string EventText(const hosting::HostEvent& event) { return net::GetText(event.data.data(), event.data.size()); }

std::string WithoutLineFeeds(std::string text) {
  text.erase(std::remove(text.begin(), text.end(), '\n'), text.end());
  return text;
}

// Events of the hosting connection name it by its socket where they carry
// one; the ones that carry none (0) mean the hosting server online now.
ConnectionKey HostEventRouter::KeyOf(uintptr_t param) const {
  const auto key = static_cast<ConnectionKey>(param);
  return key == 0 ? host_key_ : key;
}

void HostEventRouter::Route(const hosting::HostEvent& e, HostEventTarget& target) {
  const uint8_t* data = e.data.data();
  const auto length = static_cast<uint32_t>(e.data.size());
  switch (e.kind) {
    case hosting::kHostConnected:
      host_key_ = static_cast<ConnectionKey>(e.param1);
      target.HostOnline(EventText(e), static_cast<int>(e.param2), host_key_);
      break;
    case hosting::kHostClosed: {
      const ConnectionKey key = KeyOf(e.param1);
      if (key != kNoKey) target.HostOffline(key);
      if (key == host_key_) host_key_ = kNoKey;
      target.ClearFiles();
      break;
    }
    case hosting::kHostLoggedIn:
      target.LoggedIn();
      break;
    case hosting::kHostCameraList:
      target.CamerasListed(KeyOf(e.param1), net::DecodeCameraList(data, length));
      break;
    case hosting::kHostFileList:
      target.FilesListed(net::DecodeFileList(data, length));
      break;
    case hosting::kHostCameraUpdate: {
      uint32_t code = 0;
      net::CameraRecord camera;
      if (!net::DecodeCameraUpdate(data, length, &code, &camera)) break;
      if (code == 0)
        target.CameraAdded(KeyOf(e.param1), camera);
      else
        target.CameraRemoved(camera.camera_id);
      break;
    }
    case hosting::kHostFileUpdate: {
      uint32_t code = 0;
      net::FileRecord file;
      if (net::DecodeFileUpdate(data, length, &code, &file)) target.FileUpdated(code, file);
      break;
    }
    case hosting::kRelayNodeSetUp:
      target.RelayViewOpened(EventText(e));
      break;
    case hosting::kRelayNodeClosed:
      target.RelayViewClosed(EventText(e));
      break;
    case hosting::kDirectCameraInfo:
      target.CameraInfo(static_cast<ConnectionKey>(e.param1), WithoutLineFeeds(EventText(e)));
      break;
    case hosting::kDirectIdentified:
      target.CameraServerOnline(EventText(e), static_cast<int>(e.param2), static_cast<ConnectionKey>(e.param1));
      break;
    case hosting::kHostReconnecting:
      target.HostReconnecting(static_cast<int>(e.param1));
      break;
    case hosting::kHostUnreachable:
      target.HostUnreachable(EventText(e), static_cast<int>(e.param2));
      break;
    case hosting::kHostLoginRefused:
      target.HostLoginRefused();
      break;
    case hosting::kChannelNotFound:
      target.ChannelNotFound(EventText(e));
      break;
    case hosting::kDirectNodeClosed:
      target.DirectViewClosed(e.param1 == 0 ? kNoKey : static_cast<ConnectionKey>(e.param1));
      break;
    default:
      break;
  }
}

}  // namespace app
