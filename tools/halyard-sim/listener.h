#pragma once
// Accepts connections on a loopback port and keeps them until they close.
#include <atomic>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "peer_connection.h"

namespace sim {

class Listener {
 public:
  using Factory = std::function<std::unique_ptr<PeerConnection>(os::SocketHandle, const std::string& peer)>;

  Listener() = default;
  ~Listener() { Stop(); }
  // Binds 127.0.0.1:port (0 picks a free port); false when the port is taken.
  bool Start(uint32_t ip, uint16_t port, Factory factory);
  void Stop();
  uint16_t port() const { return port_; }

  // Calls fn for every open connection, under the list lock. Lock order: the
  // list lock comes before a connection's own locks and its server's fault
  // plan, so a caller of ForEach must hold none of those.
  void ForEach(const std::function<void(PeerConnection&)>& fn);
  void CloseAll();
  // While refusing, new connections are accepted and closed at once (a camera taken offline).
  void SetRefusing(bool refusing) { refusing_ = refusing; }
  int OpenCount();

 private:
  void AcceptLoop();
  void Reap();

  os::SocketHandle socket_ = os::kInvalidSocket;
  uint16_t port_ = 0;
  Factory factory_;
  std::atomic<bool> running_{false};
  std::atomic<bool> refusing_{false};
  std::thread thread_;
  std::mutex mutex_;
  std::list<std::unique_ptr<PeerConnection>> connections_;
};

}  // namespace sim
