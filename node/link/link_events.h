#pragma once
// LinkEvents: what a view's link tells the event log (connected, refused,
// lost, attempts, given up, stalled, resumed with the outage's length).
// Without a log it does nothing.
//
// Threads: every call may come from any thread (connect, receive, UI);
// lost_at_ms_ is atomic, the log guards itself.
#include <atomic>
#include <cstdint>
#include <string>

#include "node/events/event_log.h"

namespace node {

class LinkEvents {
 public:
  LinkEvents(EventLog* log, std::string camera) : log_(log), camera_(std::move(camera)) {}

  void Connected() { Add(EventKind::kConnected, "Connected"); }
  void LoginRefused() { Add(EventKind::kLoginRefused, "Login refused"); }
  // The link went down by itself; the outage lasts until the next picture.
  // True when this began the outage (a second close of it is not news).
  bool LinkLost(const std::string& why = "Link lost");
  void Attempt(int number) { Add(EventKind::kReconnectAttempt, "Reconnect attempt " + std::to_string(number)); }
  // The camera's event notice (its alarm input or motion sensor), by its value.
  void Notice(uint32_t value) { Add(EventKind::kCameraNotice, "Camera notice " + std::to_string(value)); }
  void GaveUp(int attempts) { Add(EventKind::kGaveUp, "Gave up after " + std::to_string(attempts) + " attempts"); }
  // The server has no such camera or file (`text` says which server).
  void NotFound(const std::string& text) { Add(EventKind::kNotFound, text); }
  // No video since `since_wall_s`: logged, and an outage starts; true when
  // this began it.
  bool Stalled(int64_t since_wall_s);
  // Each picture; tells "resumed" once after an outage, and returns true
  // then. Cheap otherwise (the receive thread calls it for every unit).
  bool Picture();
  // The user closed the view: no outage to tell of.
  void Closed() { lost_at_ms_ = 0; }
  bool InOutage() const { return lost_at_ms_ != 0; }

 private:
  void Add(EventKind kind, const std::string& text) {
    if (log_) log_->Add(kind, camera_, text);
  }
  bool StartOutage();  // true when no outage ran

  EventLog* const log_;
  const std::string camera_;
  std::atomic<uint64_t> lost_at_ms_{0};  // os::MonotonicMs when the outage began; 0: none
};

}  // namespace node
