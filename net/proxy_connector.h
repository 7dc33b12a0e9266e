#pragma once
// Opens the path to a peer: a plain connect, or a connect to a SOCKS4, SOCKS5
// (with user/password authentication) or HTTP CONNECT proxy followed by its
// handshake. Every reply is read to its exact length so not one byte of the
// tunnelled stream is swallowed, however the proxy splits its segments.
#include <cstdint>
#include <string>
#include <utility>

#include "net/proxy_settings.h"
#include "os/socket.h"

namespace net {

class ProxyConnector {
 public:
  // A proxy that accepts the connection but never answers must not hang the
  // connect thread for ever: the handshake gives up after this long.
  static constexpr int kDefaultHandshakeTimeoutMs = 20000;
  // A peer that drops every packet would hold a plain connect for the
  // system's own limit (two minutes on Linux); this one gives up sooner.
  static constexpr int kConnectTimeoutMs = 10000;

  // `abandoned` ends the connect and the handshake early (the view closed,
  // the program exits).
  explicit ProxyConnector(const ProxySettings& settings, int handshake_timeout_ms = kDefaultHandshakeTimeoutMs,
                          os::Abandoned abandoned = {})
      : settings_(settings), timeout_ms_(handshake_timeout_ms), abandoned_(std::move(abandoned)) {}

  // 0 when the socket is connected to the target (through the proxy), -1 otherwise.
  // The caller closes the socket after a failure.
  int Connect(os::SocketHandle socket, const std::string& target_ip, uint16_t target_port);

 private:
  int Socks4(os::SocketHandle s, uint32_t ip, const std::string& ip_text, uint16_t port);
  int Socks5(os::SocketHandle s, uint32_t ip, const std::string& ip_text, uint16_t port);
  int Socks5Authenticate(os::SocketHandle s);
  int HttpConnect(os::SocketHandle s, const std::string& ip_text, uint16_t port);
  // One receive of the handshake, once input arrived before its deadline:
  // what recv returned, or -1 when the time ran out or it was abandoned.
  int Recv(os::SocketHandle s, void* buffer, int n);
  // Reads exactly n bytes. Returns n, 0 when the peer closed first, -1 on error.
  int RecvExact(os::SocketHandle s, uint8_t* buffer, int n);
  // Returns 1 for a whole header, 0 when the proxy closed before its blank line
  // (a reply cut short is no answer, whatever its status line says), -1 on
  // error, 2 for a header that never ends.
  int RecvHttpHeader(os::SocketHandle s, std::string* reply);

  const ProxySettings& settings_;
  int timeout_ms_;
  os::Abandoned abandoned_;
  uint64_t deadline_ms_ = 0;  // of the handshake, os::MonotonicMs
};

}  // namespace net
