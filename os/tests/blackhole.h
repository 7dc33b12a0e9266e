#pragma once
// A peer behind a dead link, for tests: every packet to it is lost, so a
// connection to its port neither completes nor fails until the connecting
// side gives up. On loopback that is a listener that never accepts, its
// queue filled: the system then drops every further connection request
// unanswered.
#include <cstdint>
#include <vector>

#include "os/socket.h"

namespace os::testing {

class Blackhole {
 public:
  Blackhole() {
    listener_ = TcpSocket();
    if (BindAndListen(listener_, kLoopback, 0, &port_, 0) != 0) return;
    // A queue of length 0 still takes one connection; the rest wait unanswered.
    for (int i = 0; i < 2; ++i) Knock(100);
    ok_ = !Knock(200);
  }
  ~Blackhole() {
    for (SocketHandle s : knocks_) CloseSocket(s);
    CloseSocket(listener_);
  }
  Blackhole(const Blackhole&) = delete;
  Blackhole& operator=(const Blackhole&) = delete;

  uint16_t port() const { return port_; }
  // False where the system answers connection requests past a full queue:
  // a connection here may then complete, and the tests that need the hole skip.
  bool ok() const { return ok_; }

 private:
  static constexpr uint32_t kLoopback = 0x7F000001;

  // A connection request left under way; true when it completed within wait_ms.
  bool Knock(int wait_ms) {
    knocks_.push_back(TcpSocket());
    SetNonBlocking(knocks_.back(), true);
    Connect(knocks_.back(), kLoopback, port_);
    SocketSet set;
    set.Add(knocks_.back());
    return SelectWrite(set, wait_ms) > 0;
  }

  SocketHandle listener_ = kInvalidSocket;
  std::vector<SocketHandle> knocks_;
  uint16_t port_ = 0;
  bool ok_ = false;
};

}  // namespace os::testing
