#pragma once
// Bollard's exchanges with devices: discovery on a broadcast socket and the
// request/reply exchanges on the device socket. All of them block the caller
// while they wait, as the program runs them on its window thread.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "config_tool/config_report.h"
#include "config_tool/device_message.h"
#include "os/socket.h"

namespace bollard {

struct LinkOptions {
  // Where the setup request goes. The real network is reached by broadcast;
  // tests and trials point it at a loopback address.
  uint32_t discovery_ip = 0xFFFFFFFFu;
  uint16_t discovery_port = 4000;
  // The device's port, and the local port the device socket binds (0: any free).
  uint16_t device_port = 4001;
  uint16_t local_port = 4001;
  // How long one receive waits for data.
  int wait_ms = 3000;
  // The pause between a login request and reading its reply.
  int login_delay_ms = 2000;
  // How long Apply waits in all for the configuration result.
  int apply_bound_ms = 15000;
};

struct DiscoveredDevice {
  InterfaceEntry entry;
  uint32_t source_ip = 0;
  uint16_t source_port = 0;
};

// Sends a setup request and hands every interface of every report to `on_row`
// until a wait ends with nothing. Returns 0, or -1 when the request could not be
// sent (*send_error then holds the socket error).
int Discover(const LinkOptions& options, const std::function<void(const DiscoveredDevice&)>& on_row,
             int* send_error, FILE* trace);

enum class ApplyOutcome { kResult, kFileError, kFileTooLarge, kSendError, kNoResult };

// The longest interface file Apply sends; ours are a few hundred bytes.
constexpr long kMaxConfigText = 8192;

class DeviceLink {
 public:
  explicit DeviceLink(const LinkOptions& options) : options_(options) {}
  ~DeviceLink();
  DeviceLink(const DeviceLink&) = delete;
  DeviceLink& operator=(const DeviceLink&) = delete;

  // Binds the device socket and aims it at the device. Returns 0 or -1.
  int Open(uint32_t device_ip);
  void Close();
  bool IsOpen() const { return socket_ != os::kInvalidSocket; }
  uint32_t device_ip() const { return device_ip_; }
  const LinkOptions& options() const { return options_; }

  // One sendto; -1 on failure (the socket error stays readable).
  int Send(const Bytes& message);
  // Waits at most `wait_ms` for a datagram from the device: 0 when none came,
  // the byte count, or a negative value on a socket error.
  int Receive(uint8_t* buffer, int size, int wait_ms);

  // Returns 0 with the device's login status, -1 when no login reply came.
  int Login(const std::string& user_id, const std::string& password, uint32_t* status);
  // Sends the file's text as the configuration of `device` and waits for the
  // result; reports arriving first replace *entries.
  ApplyOutcome ApplyConfiguration(const std::string& device, const std::string& path,
                                  std::vector<InterfaceEntry>* entries, uint32_t* result, FILE* trace);
  // An empty list when no list came.
  std::vector<UserRecord> ListUsers();
  // The device's result; 3 when no reply came.
  uint32_t UserOperation(uint32_t op, const std::string& user_id, const std::string& user_name,
                         const std::string& password);

 private:
  // Receives until a datagram of `type` arrives or the deadline passes.
  int AwaitReply(uint32_t type, std::vector<uint8_t>* buffer, uint64_t deadline);

  LinkOptions options_;
  os::SocketHandle socket_ = os::kInvalidSocket;
  uint32_t device_ip_ = 0;
};

}  // namespace bollard
