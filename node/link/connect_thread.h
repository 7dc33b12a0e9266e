#pragma once
// ConnectThread: one of a direct link's connect threads (video or audio).
// The window's thread starts a run when none is under way and joins the
// last; the run says it is done (Finish) before it lets go of the node, and
// the window's thread may wait for that, bounded, when it closes the link.
#include <thread>
#include <utility>

#include "os/event.h"
#include "os/thread_name.h"

namespace node {

class ConnectThread {
 public:
  ConnectThread() = default;
  ~ConnectThread() { Join(); }
  ConnectThread(const ConnectThread&) = delete;
  ConnectThread& operator=(const ConnectThread&) = delete;

  // Window's thread: starts `run` unless a run is still under way (false then).
  template <typename F>
  bool Start(F run) {
    if (!done_.IsSet()) return false;
    Join();
    done_.Reset();
    thread_ = std::thread([run = std::move(run)] {
      os::NameCurrentThread("camera connect");
      run();
    });
    return true;
  }
  // The run: it no longer uses the link.
  void Finish() { done_.Set(); }
  bool done() const { return done_.IsSet(); }
  bool WaitDone(int timeout_ms) { return done_.Wait(timeout_ms); }
  void Join() {
    if (thread_.joinable()) thread_.join();
  }

 private:
  os::Event done_{os::Event::Reset::kManual, true};
  std::thread thread_;
};

}  // namespace node
