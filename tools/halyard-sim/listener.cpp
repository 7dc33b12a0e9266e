#include "listener.h"

namespace sim {

bool Listener::Start(uint32_t ip, uint16_t port, Factory factory) {
  std::lock_guard<std::mutex> lock(listen_mutex_);
  ip_ = ip;
  factory_ = std::move(factory);
  return Listen(port, &port_);
}

bool Listener::Listen(uint16_t port, uint16_t* bound) {
  socket_ = os::TcpSocket();
  if (socket_ == os::kInvalidSocket || os::BindAndListen(socket_, ip_, port, bound) != 0) {
    os::CloseSocket(socket_);
    socket_ = os::kInvalidSocket;
    return false;
  }
  running_ = true;
  thread_ = std::thread([this] { AcceptLoop(); });
  return true;
}

void Listener::StopListening() {
  if (running_.exchange(false)) {
    os::ShutdownSocket(socket_);
    os::CloseSocket(socket_);
    if (thread_.joinable()) thread_.join();
    socket_ = os::kInvalidSocket;
  }
}

void Listener::CancelRelisten() {
  relisten_stop_.Set();
  if (relisten_.joinable()) relisten_.join();
  relisten_stop_.Reset();
}

void Listener::Stop() {
  std::lock_guard<std::mutex> restart(restart_mutex_);
  CancelRelisten();
  {
    std::lock_guard<std::mutex> lock(listen_mutex_);
    StopListening();
  }
  std::list<std::unique_ptr<PeerConnection>> closing;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    closing.swap(connections_);
  }
  for (auto& c : closing) c->Close();
  closing.clear();  // joins every reader
}

void Listener::Restart(int delay_ms) {
  std::lock_guard<std::mutex> restart(restart_mutex_);
  CancelRelisten();
  {
    std::lock_guard<std::mutex> lock(listen_mutex_);
    StopListening();
  }
  CloseAll();
  relisten_ = std::thread([this, delay_ms] { RelistenLoop(delay_ms); });
}

void Listener::RelistenLoop(int delay_ms) {
  if (relisten_stop_.Wait(delay_ms)) return;
  for (;;) {
    {
      std::lock_guard<std::mutex> lock(listen_mutex_);
      if (Listen(port_, nullptr)) return;
    }
    // The port can be held for a moment after its connections closed; a
    // restarted server tries again until it has it.
    if (relisten_stop_.Wait(50)) return;
  }
}

void Listener::AcceptLoop() {
  while (running_) {
    uint32_t ip = 0;
    uint16_t port = 0;
    os::SocketHandle s = os::Accept(socket_, &ip, &port);
    if (s == os::kInvalidSocket) {
      if (!running_) return;
      continue;
    }
    if (refusing_) {
      os::CloseSocket(s);
      continue;
    }
    Reap();
    auto connection = factory_(s, os::FormatIpv4(ip) + ":" + std::to_string(port));
    PeerConnection* raw = connection.get();
    {
      std::lock_guard<std::mutex> lock(mutex_);
      connections_.push_back(std::move(connection));
    }
    raw->Start();
  }
}

// Drops connections whose reader has finished, so a long run does not keep them all.
void Listener::Reap() {
  std::list<std::unique_ptr<PeerConnection>> done;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto it = connections_.begin(); it != connections_.end();) {
      if (!(*it)->IsOpen()) {
        done.push_back(std::move(*it));
        it = connections_.erase(it);
      } else {
        ++it;
      }
    }
  }
}

void Listener::ForEach(const std::function<void(PeerConnection&)>& fn) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto& c : connections_)
    if (c->IsOpen()) fn(*c);
}

void Listener::CloseAll() {
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto& c : connections_) c->Close();
}

int Listener::OpenCount() {
  std::lock_guard<std::mutex> lock(mutex_);
  int n = 0;
  for (auto& c : connections_) n += c->IsOpen() ? 1 : 0;
  return n;
}

}  // namespace sim
