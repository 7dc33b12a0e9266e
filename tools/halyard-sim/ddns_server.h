#pragma once
// The simulated dynamic-IP server: answers DdnsQuery from a name table.
#include <map>
#include <mutex>
#include <string>

#include "listener.h"
#include "request_log.h"

namespace sim {

class DdnsServer {
 public:
  explicit DdnsServer(RequestLog& log) : log_(log) {}
  ~DdnsServer() { listener_.Stop(); }
  bool Start(uint16_t port, std::string* error);
  void Stop() { listener_.Stop(); }
  uint16_t port() const { return listener_.port(); }
  void SetName(const std::string& name, const std::string& ip, uint16_t port);
  FaultPlan& faults() { return faults_; }

 private:
  void OnMessage(PeerConnection& c, const net::RawMessage& m);

  RequestLog& log_;
  FaultPlan faults_;
  Listener listener_;
  std::mutex mutex_;
  std::map<std::string, std::pair<std::string, uint16_t>> names_;
};

}  // namespace sim
