#pragma once
// A one-connection-at-a-time TCP server on 127.0.0.1 for tests: each accepted
// socket is handed to a script running on the server's thread.
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "net/packet_header.h"
#include "net/proxy_settings.h"
#include "os/socket.h"

namespace net::testing {

inline uint32_t LoopbackIp() { return 0x7F000001; }

class LoopbackServer {
 public:
  using Script = std::function<void(os::SocketHandle)>;

  explicit LoopbackServer(Script script, int connections = 1) : script_(std::move(script)) {
    listener_ = os::TcpSocket();
    os::BindAndListen(listener_, LoopbackIp(), 0, &port_);
    thread_ = std::thread([this, connections] {
      for (int i = 0; i < connections; ++i) {
        os::SocketHandle s = os::Accept(listener_);
        if (s == os::kInvalidSocket) return;
        script_(s);
        os::CloseSocket(s);
      }
    });
  }
  ~LoopbackServer() {
    // Unblocks an accept that never got its connection.
    os::ShutdownSocket(listener_);
    os::CloseSocket(listener_);
    if (thread_.joinable()) thread_.join();
  }
  uint16_t port() const { return port_; }

 private:
  Script script_;
  os::SocketHandle listener_ = os::kInvalidSocket;
  uint16_t port_ = 0;
  std::thread thread_;
};

// Reads exactly n bytes (or what arrived before a close) from a test socket.
inline std::string RecvBytes(os::SocketHandle s, int n) {
  std::string out;
  char buf[4096];
  while (static_cast<int>(out.size()) < n) {
    int r = os::Recv(s, buf, std::min<int>(n - static_cast<int>(out.size()), sizeof buf));
    if (r <= 0) break;
    out.append(buf, r);
  }
  return out;
}

inline void SendBytes(os::SocketHandle s, const std::string& bytes) {
  os::Send(s, bytes.data(), static_cast<int>(bytes.size()));
}

// A loopback port nobody listens on any more.
inline uint16_t ClosedPort() {
  LoopbackServer gone([](os::SocketHandle) {}, 0);
  return gone.port();
}

// A message as it travels: packet header, then body.
inline std::string Framed(uint32_t type, const std::string& body) {
  std::string m(8, '\0');
  EncodePacketHeader({type, static_cast<uint32_t>(body.size())}, reinterpret_cast<uint8_t*>(m.data()));
  return m + body;
}

// A proxy of `version` (0 or 1 HTTP, 4, 5) on a loopback port.
inline ProxySettings LoopbackProxy(int version, uint16_t port, const std::string& user = "",
                                   const std::string& password = "") {
  ProxySettings p;
  p.use_proxy = 1;
  p.version = version;
  p.SetAddress(LoopbackIp());
  p.port = port;
  p.user_id = user;
  p.password = password;
  return p;
}

}  // namespace net::testing
