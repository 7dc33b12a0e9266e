#include "hosting/host_event.h"

#include "net/packet_header.h"

namespace hosting {

std::optional<HostEvent> ListReplyEvent(uint32_t type, const uint8_t* body, uint32_t length) {
  switch (type) {
    case net::kReplyCameraList:
      if (length == 0) return std::nullopt;
      return HostCameraList{0, net::DecodeCameraList(body, length)};
    case net::kReplyFileList:
      return HostFileList{net::DecodeFileList(body, length)};
    case net::kReplyOnlineCameraUpdate: {
      HostCameraUpdate update;
      if (!net::DecodeCameraUpdate(body, length, &update.code, &update.camera)) return std::nullopt;
      return update;
    }
    case net::kReplyFileListUpdate: {
      HostFileUpdate update;
      if (!net::DecodeFileUpdate(body, length, &update.code, &update.file)) return std::nullopt;
      return update;
    }
    default:
      return std::nullopt;
  }
}

}  // namespace hosting
