#pragma once
// Asks a dynamic-IP server where a registered camera is now.
#include <cstdint>
#include <string>

#include "net/proxy_settings.h"

namespace net {

struct DdnsResult {
  std::string ip;
  uint16_t port = 0;
};

// False for a refused connection, a short reply, a peer close or "not found".
bool DdnsLookup(const ProxySettings& settings, const std::string& device_name, const std::string& server_ip,
                uint16_t server_port, DdnsResult* result);

}  // namespace net
