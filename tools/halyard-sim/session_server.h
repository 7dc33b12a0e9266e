#pragma once
// What the hosting and camera servers share: connections that carry a
// session of the server's own kind, created on accept and destroyed (with
// every sender it owns) when the connection closes, and the login check.
#include <map>
#include <memory>
#include <mutex>

#include "listener.h"
#include "net/login_messages.h"

namespace sim {

template <typename Session>
class SessionServer {
 protected:
  ~SessionServer() = default;

  virtual void OnMessage(PeerConnection& c, const net::RawMessage& m) = 0;

  std::unique_ptr<PeerConnection> Accept(os::SocketHandle socket, const std::string& peer) {
    auto c = std::make_unique<PeerConnection>(
        socket, peer, faults_, [this](PeerConnection& pc, const net::RawMessage& m) { OnMessage(pc, m); },
        [this](PeerConnection& pc) { OnClose(pc); });
    std::lock_guard<std::mutex> lock(mutex_);
    sessions_[c.get()] = std::make_unique<Session>();
    return c;
  }

  void OnClose(PeerConnection& c) {
    std::unique_ptr<Session> session;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      auto it = sessions_.find(&c);
      if (it == sessions_.end()) return;
      session = std::move(it->second);
      sessions_.erase(it);
    }
    // The session's senders are joined here, outside the lock.
  }

  // Closes every connection and destroys every session before the connections go.
  void StopSessions() {
    listener_.CloseAll();
    std::map<PeerConnection*, std::unique_ptr<Session>> sessions;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      sessions.swap(sessions_);
    }
    sessions.clear();
    listener_.Stop();
  }

  // Checks a RequestUserLogin against the users (and the refuse-login fault);
  // the connection remembers the outcome.
  bool Authenticate(PeerConnection& c, const Users& users, const net::RawMessage& m) {
    bool refuse;
    {
      std::lock_guard<std::mutex> lock(faults_.mutex);
      refuse = faults_.refuse_login;
    }
    std::string user, password;
    auto it = users.end();
    if (net::DecodeLoginRequest(m.body, m.length, &user, &password)) it = users.find(user);
    c.logged_in = !refuse && it != users.end() && it->second == password;
    c.user = user;
    return c.logged_in;
  }

  FaultPlan faults_;
  Listener listener_;
  std::mutex mutex_;  // the sessions and the server's own state
  std::map<PeerConnection*, std::unique_ptr<Session>> sessions_;
};

}  // namespace sim
