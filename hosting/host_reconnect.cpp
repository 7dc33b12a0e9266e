// Restoring a hosting connection that went down by itself: the login is
// repeated with growing waits until the server answers again, and the relay
// nodes ask for their channels once it has accepted the login. The user's
// own Connect, Disconnect or CloseHost ends it.
#include <chrono>

#include "hosting/hosting_service.h"
#include "os/clock.h"
#include "os/debug_log.h"

namespace hosting {

void HostingService::SetHostReconnect(bool keep, net::ReconnectWaits waits) {
  std::lock_guard<std::mutex> lock(reconnect_mutex_);
  host_reconnect_ = keep;
  host_policy_ = std::make_unique<net::ReconnectPolicy>(true, waits);
}

void HostingService::LoseHost() {
  const bool was_open = m_hostSock.IsOpen();
  CloseHostConnection();
  {
    std::lock_guard<std::mutex> lock(reconnect_mutex_);
    if (host_policy_) host_policy_->LinkDown(os::MonotonicMs());
    if (!was_open || !host_reconnect_ || !host_wanted_) return;
    host_lost_ = true;
  }
  DebugLog("HostingService - the hosting connection was lost, restoring it\n");
  reconnect_wake_.notify_all();
}

void HostingService::OnHostLoggedIn() {
  {
    std::lock_guard<std::mutex> lock(reconnect_mutex_);
    host_wanted_ = true;
    if (host_policy_) host_policy_->LinkWorks();
  }
  // Relay nodes that lost their channels with the connection ask again;
  // the others ignore it.
  relay_.ForEach([&](HostedNode* node) { poster_.Post(node->Window(), os::kWmNodeHostBack, 0, 0); });
}

void HostingService::HostReconnectLoop() {
  std::unique_lock<std::mutex> lock(reconnect_mutex_);
  for (;;) {
    reconnect_wake_.wait(lock, [&] { return reconnect_stopping_ || (host_lost_ && host_wanted_); });
    if (reconnect_stopping_) return;
    host_lost_ = false;
    // The user's Connect, Disconnect or CloseHost moves the generation on:
    // from then on the user decides, and this run ends.
    const uint64_t generation = host_generation_;
    const auto given_up = [&] { return reconnect_stopping_ || !host_wanted_ || host_generation_ != generation; };
    for (int in_run = 1;; ++in_run) {
      const net::ReconnectPolicy::Step step = host_policy_->Next(in_run);
      host_attempt_ = step.number;
      events_.Push(HostReconnecting{step.number});
      if (reconnect_wake_.wait_for(lock, std::chrono::milliseconds(step.wait_ms), given_up)) break;
      // The user's own Connect may be under way: this attempt waits its turn.
      if (connecting_.exchange(true)) continue;
      const HostLogin login = host_login_;
      lock.unlock();
      DebugLog("HostingService - restoring the hosting connection, attempt %d\n", step.number);
      const bool connected =
          ConnectHost(*Proxy(), login.address, login.port, login.user, login.password, false, generation);
      connecting_ = false;
      lock.lock();
      if (connected || given_up()) break;
    }
    host_attempt_ = 0;
  }
}

}  // namespace hosting
