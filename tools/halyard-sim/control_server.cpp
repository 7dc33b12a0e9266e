#include "control_server.h"

namespace sim {

bool ControlServer::Start(uint16_t port, Handler handler) {
  handler_ = std::move(handler);
  listener_ = os::TcpSocket();
  uint32_t loopback = 0;
  os::ParseIpv4("127.0.0.1", &loopback);
  if (os::BindAndListen(listener_, loopback, port, &port_) != 0) return false;
  running_ = true;
  accept_thread_ = std::thread([this] {
    while (running_) {
      os::SocketHandle s = os::Accept(listener_);
      if (s == os::kInvalidSocket) continue;
      std::lock_guard<std::mutex> lock(mutex_);
      if (!running_) {
        os::CloseSocket(s);
        break;
      }
      clients_.emplace_back(s, std::thread([this, s] { Serve(s); }));
    }
  });
  return true;
}

void ControlServer::Stop() {
  if (!running_.exchange(false)) return;
  os::ShutdownSocket(listener_);
  os::CloseSocket(listener_);
  if (accept_thread_.joinable()) accept_thread_.join();
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto& [s, t] : clients_) os::ShutdownSocket(s);
  for (auto& [s, t] : clients_) {
    if (t.joinable()) t.join();
    os::CloseSocket(s);
  }
  clients_.clear();
}

void ControlServer::Serve(os::SocketHandle s) {
  std::string pending;
  char buffer[1024];
  while (running_) {
    // Short waits so Stop is seen even where a shutdown does not wake a receive.
    os::SocketSet set;
    set.Add(s);
    int ready = os::SelectRead(set, 200);
    if (ready == 0) continue;
    if (ready < 0) return;
    int n = os::Recv(s, buffer, sizeof buffer);
    if (n <= 0) return;
    pending.append(buffer, static_cast<size_t>(n));
    if (pending.size() > 65536) return;  // no command is that long
    size_t end;
    while ((end = pending.find('\n')) != std::string::npos) {
      std::string line = pending.substr(0, end);
      pending.erase(0, end + 1);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      std::string reply;
      for (const auto& l : handler_(line)) reply += l + "\n";
      if (!reply.empty() && os::Send(s, reply.data(), static_cast<int>(reply.size())) <= 0) return;
    }
  }
}

}  // namespace sim
