#include "hosting/host_session.h"

#include <chrono>

#include "os/clock.h"
#include "os/debug_log.h"
#include "os/thread_name.h"

namespace hosting {

HostSession::HostSession(HostEventQueue& events, ConnectFn connect) : events_(events), connect_(std::move(connect)) {}

HostSession::~HostSession() {
  Stop();
  JoinConnect();
}

void HostSession::Start() {
  stopping_ = false;
  std::lock_guard<std::mutex> lock(mutex_);
  if (!reconnect_thread_.joinable()) {
    reconnect_stopping_ = false;
    reconnect_thread_ = std::thread([this] {
      os::NameCurrentThread("hosting reconnect");
      ReconnectLoop();
    });
  }
}

void HostSession::Stop() {
  stopping_ = true;  // a connect under way gives up at once
  {
    std::lock_guard<std::mutex> lock(mutex_);
    reconnect_stopping_ = true;
  }
  wake_.notify_all();
  if (reconnect_thread_.joinable()) reconnect_thread_.join();
}

void HostSession::JoinConnect() {
  if (connect_thread_.joinable()) connect_thread_.join();
}

std::shared_ptr<const net::ProxySettings> HostSession::Proxy() const {
  std::lock_guard<std::mutex> lock(proxy_lock_);
  return proxy_;
}

void HostSession::SetProxy(const net::ProxySettings& settings) {
  auto snapshot = std::make_shared<const net::ProxySettings>(settings);
  std::lock_guard<std::mutex> lock(proxy_lock_);
  proxy_ = std::move(snapshot);
}

int HostSession::Connect(const HostLogin& login) {
  if (connecting_.exchange(true)) return -1;
  JoinConnect();
  uint64_t generation = 0;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    login_ = login;
    NextGeneration();
    generation = generation_;
  }
  wake_.notify_all();
  connect_thread_ = std::thread([=, this, proxy = Proxy()] {
    os::NameCurrentThread("hosting connect");
    connect_(*proxy, login, true, generation);
    connecting_ = false;
  });
  return 0;
}

void HostSession::UserClosed() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    wanted_ = false;
    NextGeneration();
  }
  wake_.notify_all();
}

void HostSession::NextGeneration() {
  ++generation_;
  lost_ = false;
}

void HostSession::LinkUpLocked(uint64_t now_ms) {
  if (policy_) policy_->LinkUp(now_ms);
}

void HostSession::SetReconnect(bool keep, net::ReconnectWaits waits) {
  std::lock_guard<std::mutex> lock(mutex_);
  reconnect_ = keep;
  policy_ = std::make_unique<net::ReconnectPolicy>(true, waits);
}

void HostSession::Lost(bool was_open, uint64_t now_ms) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (policy_) policy_->LinkDown(now_ms);
    if (!was_open || !reconnect_ || !wanted_) return;
    lost_ = true;
  }
  DebugLog("HostingService - the hosting connection was lost, restoring it\n");
  wake_.notify_all();
}

void HostSession::LoggedIn() {
  std::lock_guard<std::mutex> lock(mutex_);
  wanted_ = true;
  if (policy_) policy_->LinkWorks();
}

void HostSession::ReconnectLoop() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wake_.wait(lock, [&] { return reconnect_stopping_ || (lost_ && wanted_); });
    if (reconnect_stopping_) return;
    lost_ = false;
    // The user's Connect, Disconnect or CloseHost moves the generation on:
    // from then on the user decides, and this run ends.
    const uint64_t generation = generation_;
    const auto given_up = [&] { return reconnect_stopping_ || !wanted_ || generation_ != generation; };
    for (int in_run = 1;; ++in_run) {
      const net::ReconnectPolicy::Step step = policy_->Next(in_run);
      attempt_ = step.number;
      events_.Push(HostReconnecting{step.number});
      if (wake_.wait_for(lock, std::chrono::milliseconds(step.wait_ms), given_up)) break;
      // The user's own Connect may be under way: this attempt waits its turn.
      if (connecting_.exchange(true)) continue;
      const HostLogin login = login_;
      lock.unlock();
      DebugLog("HostingService - restoring the hosting connection, attempt %d\n", step.number);
      const bool connected = connect_(*Proxy(), login, false, generation);
      connecting_ = false;
      lock.lock();
      if (connected || given_up()) break;
    }
    attempt_ = 0;
  }
}

}  // namespace hosting
