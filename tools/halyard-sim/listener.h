#pragma once
// Accepts connections on a loopback port and keeps them until they close.
//
// Threads: Start, Stop and Restart come from the owner's and the control
// threads, one at a time (restart_mutex_); the accept thread alone accepts
// and reaps; the relisten thread (after a Restart) binds the port again and
// starts a new accept thread, under listen_mutex_ like every change of the
// listening socket. The connection list is under mutex_.
#include <atomic>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "os/event.h"
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
  // A server restart: closes every connection and the listening socket (so
  // connection attempts are refused), then listens again on the same port
  // after delay_ms (0: at once) on a thread of its own. A Restart or Stop
  // while it waits cancels the wait.
  void Restart(int delay_ms);
  bool listening() const { return running_; }

  // Calls fn for every open connection, under the list lock. Lock order: the
  // list lock comes before a connection's own locks and its server's fault
  // plan, so a caller of ForEach must hold none of those.
  void ForEach(const std::function<void(PeerConnection&)>& fn);
  void CloseAll();
  // While refusing, new connections are accepted and closed at once (a camera taken offline).
  void SetRefusing(bool refusing) { refusing_ = refusing; }
  int OpenCount();

 private:
  // Binds ip_:port_ and starts the accept thread; listen_mutex_ held.
  bool Listen(uint16_t port, uint16_t* bound);
  // Closes the listening socket and joins the accept thread; listen_mutex_ held.
  void StopListening();
  void CancelRelisten();
  void RelistenLoop(int delay_ms);
  void AcceptLoop();
  void Reap();

  std::mutex restart_mutex_;  // Stop and Restart, one at a time
  std::mutex listen_mutex_;   // the listening socket and the accept thread
  std::thread relisten_;
  os::Event relisten_stop_{os::Event::Reset::kManual};
  os::SocketHandle socket_ = os::kInvalidSocket;
  uint32_t ip_ = 0;
  uint16_t port_ = 0;  // set once by Start: a restart listens on the same port
  Factory factory_;
  std::atomic<bool> running_{false};
  std::atomic<bool> refusing_{false};
  std::thread thread_;
  std::mutex mutex_;
  std::list<std::unique_ptr<PeerConnection>> connections_;
};

}  // namespace sim
