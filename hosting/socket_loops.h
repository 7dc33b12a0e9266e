#pragma once
// The receive and send threads that serve every socket of the program with
// one select loop each: the hosting-server connection first, then every
// direct node's video and audio sockets.
// Threads: the receive thread alone reads every socket and runs every
// message handler (through the hooks and the nodes' ParseMessage); the send
// thread alone drains the queues (a SendNow drains its own socket's queue
// under that socket's write lock). A connection whose input ended is left out
// of both select sets until its owner closes it. The loops touch a direct
// node only while holding it.
#include <atomic>
#include <functional>
#include <thread>

#include "hosting/node_table.h"
#include "net/socket_channel.h"
#include "os/event.h"
#include "os/socket.h"

namespace hosting {

class SocketLoops {
 public:
  static constexpr int kThreadStopWaitMs = 5000;
  static constexpr int kSelectTimeoutMs = 3000;
  static constexpr int kSendPassSleepMs = 100;

  // What the receive thread does about the hosting connection.
  struct Hooks {
    std::function<void()> before_select;    // each pass: the keep-alive's watch
    std::function<int()> select_timeout_ms;
    std::function<void()> host_input;       // the connection is readable
    std::function<void()> host_failed;      // select failed on its socket
    std::function<void(HostedNode*)> node_failed;  // ... on one of the node's (held)
  };

  SocketLoops(net::SocketChannel& host, NodeTable& nodes, Hooks hooks);
  ~SocketLoops();
  SocketLoops(const SocketLoops&) = delete;
  SocketLoops& operator=(const SocketLoops&) = delete;

  void Start();
  // Each loop notices within one select time-out; waits at most
  // kThreadStopWaitMs for each before joining it.
  void Stop();

  // The sockets one pass of the loops watches: the hosting connection first,
  // then every direct node's video and audio sockets.
  void BuildSocketSet(os::SocketSet* set);

 private:
  void ReceiveLoop();
  void SendLoop();
  // A select error means some handle in the set went bad: find which.
  void ProbeSockets();

  net::SocketChannel& host_;
  NodeTable& nodes_;
  const Hooks hooks_;
  std::atomic<bool> receive_running_{false}, send_running_{false};
  os::Event receive_exit_{os::Event::Reset::kAuto}, send_exit_{os::Event::Reset::kAuto};
  std::thread receive_thread_, send_thread_;
};

}  // namespace hosting
