#include "hosting/socket_loops.h"

#include "os/clock.h"
#include "os/debug_log.h"
#include "os/thread_name.h"

namespace hosting {

SocketLoops::SocketLoops(net::SocketChannel& host, NodeTable& nodes, Hooks hooks)
    : host_(host), nodes_(nodes), hooks_(std::move(hooks)) {}

SocketLoops::~SocketLoops() { Stop(); }

void SocketLoops::Start() {
  if (!receive_running_.exchange(true)) {
    if (receive_thread_.joinable()) receive_thread_.join();
    receive_thread_ = std::thread([this] {
      os::NameCurrentThread("hosting receive");
      ReceiveLoop();
    });
  }
  if (!send_running_.exchange(true)) {
    if (send_thread_.joinable()) send_thread_.join();
    send_thread_ = std::thread([this] {
      os::NameCurrentThread("hosting send");
      SendLoop();
    });
  }
}

void SocketLoops::Stop() {
  receive_running_ = false;
  send_running_ = false;
  // Each loop notices the flag within one select time-out; the wait is the
  // bound the window's destruction allows, the join makes sure no thread
  // outlives the object.
  if (receive_thread_.joinable()) {
    receive_exit_.Wait(kThreadStopWaitMs);
    receive_thread_.join();
  }
  if (send_thread_.joinable()) {
    send_exit_.Wait(kThreadStopWaitMs);
    send_thread_.join();
  }
}

void SocketLoops::BuildSocketSet(os::SocketSet* set) {
  set->Clear();
  // A connection whose input ended waits for its owner's close sequence
  // outside the set: watching it would report the same close on every pass.
  if (host_.IsOpen() && !host_.InputEnded()) set->Add(host_.socket());
  nodes_.AddDirectSockets(set);
}

void SocketLoops::ReceiveLoop() {
  os::SocketSet set;
  while (receive_running_) {
    hooks_.before_select();
    BuildSocketSet(&set);
    if (set.Count() == 0) {
      os::SleepMs(1);
      continue;
    }
    int ready = os::SelectRead(set, hooks_.select_timeout_ms());
    if (ready == 0) continue;
    if (ready < 0) {
      DebugLog("[ERROR] Socket error : select error %d\n", os::LastSocketError());
      ProbeSockets();
      os::SleepMs(100);
      continue;
    }
    for (int i = 0; i < set.Count(); ++i) {
      const os::SocketHandle s = set.At(i);
      if (!set.IsReady(s)) continue;
      if (s == host_.socket()) {
        hooks_.host_input();
      } else if (HeldNode node = nodes_.FindDirectNodeBySocket(s)) {
        node->ParseMessage(s);
      }
    }
  }
  receive_exit_.Set();
}

void SocketLoops::ProbeSockets() {
  if (host_.IsOpen() && os::ProbeTcpNoDelay(host_.socket()) != 0) hooks_.host_failed();
  for (int i = 0; i < nodes_.direct_nodes().Size(); ++i) {
    HeldNode node = nodes_.GetDirectNode(i);
    if (!node) continue;
    bool failed = false;
    for (net::SocketChannel* channel : {node->VideoChannel(), node->AudioChannel()}) {
      if (channel && channel->IsOpen() && os::ProbeTcpNoDelay(channel->socket()) != 0) {
        channel->EndInput();
        failed = true;
      }
    }
    if (failed) {
      DebugLog("Node[ %d ] is Invalid socket : Select Error \n", node->Index());
      hooks_.node_failed(node.get());
    }
  }
}

void SocketLoops::SendLoop() {
  os::SocketSet set;
  while (send_running_) {
    BuildSocketSet(&set);
    if (set.Count() == 0) {
      os::SleepMs(1);
      continue;
    }
    int ready = os::SelectWrite(set, kSelectTimeoutMs);
    for (int i = 0; ready > 0 && i < set.Count(); ++i) {
      const os::SocketHandle s = set.At(i);
      if (!set.IsReady(s)) continue;
      if (s == host_.socket()) {
        if (host_.SendPending() < 0 && !os::IsWouldBlock(os::LastSocketError()))
          DebugLog("[ERROR] m_hostSock.m_socket Socket Error : %d\n", os::LastSocketError());
        continue;
      }
      HeldNode node = nodes_.FindDirectNodeBySocket(s);
      if (!node) continue;
      for (net::SocketChannel* channel : {node->VideoChannel(), node->AudioChannel()}) {
        if (!channel || channel->socket() != s) continue;
        if (channel->SendPending() < 0 && !os::IsWouldBlock(os::LastSocketError()))
          DebugLog("[ERROR] pSock->m_socket Socket Error : %d\n", os::LastSocketError());
      }
    }
    os::SleepMs(kSendPassSleepMs);
  }
  send_exit_.Set();
}

}  // namespace hosting
