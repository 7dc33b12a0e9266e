#pragma once
// Opens the path to a peer: a plain connect, or a connect to a SOCKS4, SOCKS5
// (with user/password authentication) or HTTP CONNECT proxy followed by its
// handshake. Every reply is read to its exact length so not one byte of the
// tunnelled stream is swallowed, however the proxy splits its segments.
#include <cstdint>
#include <string>

#include "net/proxy_settings.h"
#include "os/socket.h"

namespace net {

class ProxyConnector {
 public:
  // A proxy that accepts the connection but never answers must not hang the
  // connect thread for ever: the handshake gives up after this long.
  static constexpr int kDefaultHandshakeTimeoutMs = 20000;

  explicit ProxyConnector(const ProxySettings& settings, int handshake_timeout_ms = kDefaultHandshakeTimeoutMs)
      : settings_(settings), timeout_ms_(handshake_timeout_ms) {}

  // 0 when the socket is connected to the target (through the proxy), -1 otherwise.
  // The caller closes the socket after a failure.
  int Connect(os::SocketHandle socket, const std::string& target_ip, uint16_t target_port);

 private:
  int Socks4(os::SocketHandle s, uint32_t ip, const std::string& ip_text, uint16_t port);
  int Socks5(os::SocketHandle s, uint32_t ip, const std::string& ip_text, uint16_t port);
  int Socks5Authenticate(os::SocketHandle s);
  int HttpConnect(os::SocketHandle s, const std::string& ip_text, uint16_t port);

  const ProxySettings& settings_;
  int timeout_ms_;
};

}  // namespace net
