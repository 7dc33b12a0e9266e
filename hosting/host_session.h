#pragma once
// The hosting-server login over time: the user's connect (on a connect
// thread of its own), the restoring of a connection that went down by itself
// (the reconnect thread repeats the login with growing waits until the server
// answers again), and which of them still counts: each Connect, Disconnect
// and CloseHost of the user starts a new generation, and a connect of an
// older one is abandoned. It also keeps the proxy settings every connection
// of the program uses.
// Threads: the window thread (or a tool's) connects, closes and sets; the
// receive thread reports a loss and an accepted login; the reconnect thread
// waits on wake_. Everything under mutex_ but the atomics, which the connect
// threads and the window read without it.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "hosting/host_event_queue.h"
#include "net/proxy_settings.h"
#include "net/reconnect_policy.h"

namespace hosting {

// Where and as whom the hosting client logs in.
struct HostLogin {
  std::string address;
  uint16_t port = 0;
  std::string user, password;
};

class HostSession {
 public:
  // Connects to `login` through `proxy` and sends the login; false when not
  // connected. `tell`: the user hears of an unreachable server (their own
  // connect, not a restoring attempt). Checks Abandoned(generation) and
  // sends the login under LoginLock.
  using ConnectFn = std::function<bool(const net::ProxySettings& proxy, const HostLogin& login, bool tell,
                                       uint64_t generation)>;

  HostSession(HostEventQueue& events, ConnectFn connect);
  ~HostSession();
  HostSession(const HostSession&) = delete;
  HostSession& operator=(const HostSession&) = delete;

  // Starts the reconnect thread; Stop makes connects under way give up and
  // ends it. JoinConnect waits for the last connect thread (after Stop).
  void Start();
  void Stop();
  void JoinConnect();

  // A connect thread takes the snapshot current when it starts and keeps it:
  // a change replaces the snapshot, never edits one in use.
  std::shared_ptr<const net::ProxySettings> Proxy() const;
  void SetProxy(const net::ProxySettings& settings);

  // The user's connect: a new generation, a connect thread; -1 when a
  // connect is still running.
  int Connect(const HostLogin& login);
  // The user's Disconnect or CloseHost: a new generation, nothing restored.
  void UserClosed();
  // Whether a connect of `generation` no longer counts.
  bool Abandoned(uint64_t generation) const { return stopping_ || generation_ != generation; }
  // Held while a connect checks Abandoned and sends its login: the user's
  // Disconnect and CloseHost either come after and close the connection, or
  // the connect is abandoned and no login goes out behind their back.
  std::unique_lock<std::mutex> LoginLock() { return std::unique_lock<std::mutex>(mutex_); }
  // The connection is up (LoginLock held).
  void LinkUpLocked(uint64_t now_ms);

  // See HostingService::SetHostReconnect.
  void SetReconnect(bool keep, net::ReconnectWaits waits);
  // The connection went down by itself (receive thread); `was_open`: it was
  // up until now. Restored when that is wanted.
  void Lost(bool was_open, uint64_t now_ms);
  // The hosting server accepted the login: a later loss is restored.
  void LoggedIn();
  // The restoring attempt under way or waited for; 0 when none.
  int attempt() const { return attempt_; }

 private:
  void ReconnectLoop();
  // The user moved on: a connect or restoring of the last one no longer
  // counts. mutex_ held.
  void NextGeneration();

  HostEventQueue& events_;
  const ConnectFn connect_;
  mutable std::mutex proxy_lock_;
  std::shared_ptr<const net::ProxySettings> proxy_ = std::make_shared<const net::ProxySettings>();
  std::thread connect_thread_;
  std::atomic<bool> connecting_{false};  // a user's connect or a restoring attempt runs
  std::atomic<bool> stopping_{false};    // Stop: connects under way give up

  std::mutex mutex_;
  std::condition_variable wake_;
  bool reconnect_ = false;
  std::unique_ptr<net::ReconnectPolicy> policy_;
  HostLogin login_;           // of the last Connect
  bool wanted_ = false;       // a login was accepted and the user has not closed since
  bool lost_ = false;         // a loss waits for the reconnect thread
  bool reconnect_stopping_ = false;
  // Counts the user's Connect, Disconnect and CloseHost; atomic for the
  // connect threads' abandon checks, changed under mutex_.
  std::atomic<uint64_t> generation_{0};
  std::thread reconnect_thread_;
  std::atomic<int> attempt_{0};
};

}  // namespace hosting
