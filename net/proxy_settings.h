#pragma once
#include <cstdint>
#include <string>

namespace net {

// How every connection of the program reaches its peer. Edited on the proxy
// page and stored in the registry; shared by the hosting connection and all nodes.
struct ProxySettings {
  int use_proxy = 0;  // 1 = through the proxy, anything else = direct
  int version = 5;    // 4 = SOCKS4, 5 = SOCKS5, anything else = HTTP CONNECT
  uint8_t address[4] = {0, 0, 0, 0};  // a.b.c.d
  uint16_t port = 0;
  std::string user_id;
  std::string password;

  bool UsesProxy() const { return use_proxy == 1; }
  uint32_t AddressHostOrder() const {
    return (uint32_t{address[0]} << 24) | (uint32_t{address[1]} << 16) | (uint32_t{address[2]} << 8) | address[3];
  }
  void SetAddress(uint32_t host_order) {
    for (int i = 0; i < 4; ++i) address[i] = static_cast<uint8_t>(host_order >> (24 - 8 * i));
  }
};

}  // namespace net
