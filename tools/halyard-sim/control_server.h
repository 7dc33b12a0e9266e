#pragma once
// A line-based control channel on a loopback port: each line is a World
// command, each reply line is sent back as it comes.
#include <atomic>
#include <functional>
#include <list>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "os/socket.h"

namespace sim {

class ControlServer {
 public:
  using Handler = std::function<std::vector<std::string>(const std::string& line)>;
  ~ControlServer() { Stop(); }
  bool Start(uint16_t port, Handler handler);
  void Stop();
  uint16_t port() const { return port_; }

 private:
  void Serve(os::SocketHandle s);

  os::SocketHandle listener_ = os::kInvalidSocket;
  uint16_t port_ = 0;
  Handler handler_;
  std::atomic<bool> running_{false};
  std::thread accept_thread_;
  std::mutex mutex_;
  std::list<std::pair<os::SocketHandle, std::thread>> clients_;
};

}  // namespace sim
