#pragma once
// A simulated camera-server device for Bollard, on loopback UDP: answers setup
// requests with a configuration report, logins, configuration data, user lists
// and user operations. Tests run it in-process; bollard-device runs it alone.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "config_tool/device_message.h"
#include "os/socket.h"

namespace bollard_sim {

struct SimUser {
  std::string user_id, user_name, password;
};

struct SimConfig {
  // Loopback only: the device never listens elsewhere.
  std::string bind_address = "127.0.0.1";
  uint16_t discovery_port = 0;  // 0 picks a free port
  uint16_t device_port = 0;
  // Address text of the report; empty sends the older form without one.
  std::string address = "127.0.0.1";
  uint32_t report_value = 0;
  uint32_t interface_count = 2;
  std::string config_text;  // empty: the two built-in interfaces
  // -1 checks the credentials against the users; 0-3 answers that status.
  int login_status = -1;
  std::vector<SimUser> users = {{"admin", "Administrator", "admin"}};
  // -1 claims the true number of users in a list reply.
  int list_count = -1;
  // -1 carries out user operations; another value is answered without change.
  int op_result = -1;
  uint32_t apply_result = 0;
  int reports_before_result = 0;
  bool apply_silent = false;  // never sends the configuration result
};

// Two interfaces, eth0 static and eth1 DHCP.
std::string DefaultConfigText();

class SimDevice {
 public:
  SimDevice() = default;
  ~SimDevice() { Stop(); }
  SimDevice(const SimDevice&) = delete;
  SimDevice& operator=(const SimDevice&) = delete;

  // Binds both sockets and starts answering. Returns 0 or -1.
  int Start(const SimConfig& config);
  void Stop();
  uint16_t discovery_port() const { return discovery_port_; }
  uint16_t device_port() const { return device_port_; }

  // Changes and observations, safe while running.
  void Update(void (*change)(SimConfig&, void*), void* context);
  SimConfig config();
  std::vector<bollard::ConfigData> received_configs();
  std::vector<bollard::UserOperationRequest> received_operations();
  std::vector<bollard::LoginRequest> received_logins();
  int setup_requests();

 private:
  void Run();
  void Answer(os::SocketHandle s, const uint8_t* data, size_t length, uint32_t ip, uint16_t port);
  bollard::Bytes Report();
  bollard::Bytes UserList();
  uint32_t Operate(const bollard::UserOperationRequest& request);

  std::mutex mutex_;
  SimConfig config_;
  std::vector<bollard::ConfigData> configs_;
  std::vector<bollard::UserOperationRequest> operations_;
  std::vector<bollard::LoginRequest> logins_;
  int setup_requests_ = 0;
  os::SocketHandle discovery_ = os::kInvalidSocket;
  os::SocketHandle device_ = os::kInvalidSocket;
  uint16_t discovery_port_ = 0;
  uint16_t device_port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace bollard_sim
