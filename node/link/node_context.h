#pragma once
// What a node needs from the program around it, the camera's address and
// the words a node and its window agree on (its messages, timers and
// connect states). The node (CNodeWindow) and its link share them.
#include <array>
#include <cstdint>
#include <string>

#include "hosting/hosting_service.h"
#include "net/reconnect_policy.h"
#include "node/events/event_log.h"
#include "os/window_seam.h"

namespace node {

// Where the last dynamic IP address of a server entry is remembered.
class DynamicIpStore {
 public:
  virtual ~DynamicIpStore() = default;
  virtual void Save(const std::string& display_name, const std::string& ip) = 0;
};

// Everything a node needs from the program around it.
struct NodeContext {
  hosting::HostingService* hosting = nullptr;
  hosting::HostEventQueue* events = nullptr;
  os::WindowPoster* poster = nullptr;
  os::WindowTimers* timers = nullptr;
  os::UserMessages* messages = nullptr;
  DynamicIpStore* dynamic_ip = nullptr;
  os::WindowHandle self = 0, parent = 0, main_window = 0;
  int index = 0;
  bool relay = false;
  std::string display_name;
  int retry_wait_ms = 60000;  // between connect attempts; tests shorten it
  // The viewer option "Keep reconnecting"; off keeps three attempts
  // retry_wait_ms apart. Tests shorten the growing waits.
  bool keep_reconnecting = false;
  std::array<int, 5> reconnect_waits_ms = net::ReconnectWaits{}.growing_ms;
  EventLog* event_log = nullptr;  // where the link tells what happened; may be null
  // A live link without video this long is healed (0: never).
  int stall_ms = 10000;
};

struct LoginInfo {
  std::string ip;
  uint16_t port = 0;
  bool dynamic_ip = false;
  std::string device_name;
  std::string user;
  std::string password;
};

// kStatusNotFound: the server has no such camera or file (the view retries by itself).
enum ConnectStatus : int {
  kStatusClear = 0,
  kStatusNoChange = 1,
  kStatusCannotConnect = 2,
  kStatusLoginRefused = 3,
  kStatusNotFound = 4
};

// The messages a node posts to its own window, which the window hands back
// to CNodeWindow::HandleMessage on its thread (its timers aside).
bool IsNodeSelfMessage(uint32_t message);

// Node timers.
constexpr uint32_t kStatisticsTimer = 55;
constexpr uint32_t kNoticeTimer = 100;
constexpr uint32_t kWatchdogTimer = 56;  // once a second: the stall watchdog
constexpr int kNoticeTicks = 120;        // 500 ms each: a notice lasts 60 s after its last repetition

}  // namespace node
