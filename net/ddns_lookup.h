#pragma once
// Asks a dynamic-IP server where a registered camera is now.
#include <cstdint>
#include <string>

#include "net/proxy_settings.h"
#include "os/socket.h"

namespace net {

struct DdnsResult {
  std::string ip;
  uint16_t port = 0;
};

// False for a refused connection, a short reply, a peer close, "not found",
// a server that does not answer in time, or once `abandoned` says so.
bool DdnsLookup(const ProxySettings& settings, const std::string& device_name, const std::string& server_ip,
                uint16_t server_port, DdnsResult* result, const os::Abandoned& abandoned = {});

}  // namespace net
