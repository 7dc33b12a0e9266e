#include "tools/bollard-device/sim_device.h"

#include "config_tool/config_report.h"
#include "os/byte_order.h"

namespace bollard_sim {

using bollard::Bytes;

std::string DefaultConfigText() {
  return "DEVICE=eth0\nONBOOT=yes\nBOOTPROTO=static\nIPADDR=127.0.0.1\nNETMASK=255.0.0.0\n"
         "GATEWAY=127.0.0.254\nMACADDR=00:1A:2B:3C:4D:5E\nHOSTNAME=simcam\n#\n"
         "DEVICE=eth1\nONBOOT=no\nBOOTPROTO=dhcp\nIPADDR=0.0.0.0\nNETMASK=0.0.0.0\nGATEWAY=0.0.0.0\n"
         "MACADDR=00:1A:2B:3C:4D:5F\nHOSTNAME=simcam-b\n#\n";
}

int SimDevice::Start(const SimConfig& config) {
  Stop();
  config_ = config;
  uint32_t ip = 0;
  if (!os::ParseIpv4(config.bind_address, &ip) || (ip >> 24) != 127) return -1;
  discovery_ = os::UdpSocket();
  device_ = os::UdpSocket();
  if (discovery_ == os::kInvalidSocket || device_ == os::kInvalidSocket ||
      os::Bind(discovery_, ip, config.discovery_port, &discovery_port_) != 0 ||
      os::Bind(device_, ip, config.device_port, &device_port_) != 0) {
    Stop();
    return -1;
  }
  stop_ = false;
  thread_ = std::thread([this] { Run(); });
  return 0;
}

void SimDevice::Stop() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  if (discovery_ != os::kInvalidSocket) os::CloseSocket(discovery_);
  if (device_ != os::kInvalidSocket) os::CloseSocket(device_);
  discovery_ = device_ = os::kInvalidSocket;
}

void SimDevice::Update(void (*change)(SimConfig&, void*), void* context) {
  std::lock_guard<std::mutex> lock(mutex_);
  change(config_, context);
}

SimConfig SimDevice::config() {
  std::lock_guard<std::mutex> lock(mutex_);
  return config_;
}

std::vector<bollard::ConfigData> SimDevice::received_configs() {
  std::lock_guard<std::mutex> lock(mutex_);
  return configs_;
}

std::vector<bollard::UserOperationRequest> SimDevice::received_operations() {
  std::lock_guard<std::mutex> lock(mutex_);
  return operations_;
}

std::vector<bollard::LoginRequest> SimDevice::received_logins() {
  std::lock_guard<std::mutex> lock(mutex_);
  return logins_;
}

int SimDevice::setup_requests() {
  std::lock_guard<std::mutex> lock(mutex_);
  return setup_requests_;
}

void SimDevice::Run() {
  std::vector<uint8_t> buffer(65536);
  while (!stop_) {
    os::SocketSet set;
    set.Add(discovery_);
    set.Add(device_);
    if (os::SelectRead(set, 50) <= 0) continue;
    for (os::SocketHandle s : {discovery_, device_}) {
      if (!set.IsReady(s)) continue;
      uint32_t ip = 0;
      uint16_t port = 0;
      int n = os::RecvFrom(s, buffer.data(), static_cast<int>(buffer.size()), &ip, &port);
      if (n > 0) Answer(s, buffer.data(), static_cast<size_t>(n), ip, port);
    }
  }
}

Bytes SimDevice::Report() {
  std::string text = config_.config_text.empty() ? DefaultConfigText() : config_.config_text;
  return bollard::EncodeConfigReport(config_.report_value, config_.address, config_.interface_count, text);
}

Bytes SimDevice::UserList() {
  Bytes out;
  os::AppendBE32(out, bollard::kUserListReply);
  os::AppendBE32(out, 0);
  os::AppendBE32(out, 0);
  uint32_t count = config_.list_count >= 0 ? static_cast<uint32_t>(config_.list_count)
                                           : static_cast<uint32_t>(config_.users.size());
  os::AppendBE32(out, count);
  // Stay inside one datagram whatever the list holds.
  for (size_t i = 0; i < config_.users.size() && i < 1000; ++i) {
    const SimUser& u = config_.users[i];
    bollard::PutText(out, u.user_id, bollard::kUserIdField);
    bollard::PutText(out, u.user_name, bollard::kUserNameField);
    bollard::PutText(out, u.password, 16);
  }
  uint32_t body = static_cast<uint32_t>(out.size() - bollard::kHeaderSize);
  for (int i = 0; i < 4; ++i) out[4 + i] = static_cast<uint8_t>(body >> (24 - 8 * i));
  return out;
}

uint32_t SimDevice::Operate(const bollard::UserOperationRequest& r) {
  if (config_.op_result >= 0) return static_cast<uint32_t>(config_.op_result);
  auto found = config_.users.end();
  for (auto it = config_.users.begin(); it != config_.users.end(); ++it)
    if (it->user_id == r.user_id) found = it;
  switch (r.op) {
    case bollard::kUserAdd:
      if (found != config_.users.end()) return 4;
      if (config_.users.size() >= bollard::kMaxUsers) return 5;
      config_.users.push_back({r.user_id, r.user_name, r.password});
      return 0;
    case bollard::kUserDelete:
      if (found == config_.users.end()) return 1;
      config_.users.erase(found);
      return 0;
    case bollard::kUserModify:
      if (found == config_.users.end()) return 1;
      found->user_name = r.user_name;
      found->password = r.password;
      return 0;
    default:
      return 1;
  }
}

namespace {

Bytes Result(uint32_t type, uint32_t value) {
  Bytes out;
  os::AppendBE32(out, type);
  os::AppendBE32(out, 4);
  os::AppendBE32(out, value);
  return out;
}

}  // namespace

void SimDevice::Answer(os::SocketHandle s, const uint8_t* data, size_t length, uint32_t ip, uint16_t port) {
  std::vector<Bytes> replies;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    switch (bollard::MessageTypeOf(data, length)) {
      case bollard::kSetupRequest:
        ++setup_requests_;
        replies.push_back(Report());
        break;
      case bollard::kLoginRequest: {
        bollard::LoginRequest login;
        if (bollard::DecodeLoginRequest(data, length, &login) != 0) break;
        logins_.push_back(login);
        uint32_t status = 2;
        if (config_.login_status >= 0) {
          status = static_cast<uint32_t>(config_.login_status);
        } else {
          for (const SimUser& u : config_.users)
            if (u.user_id == login.user_id) status = u.password == login.password ? 0 : 3;
        }
        replies.push_back(Result(bollard::kLoginReply, status));
        break;
      }
      case bollard::kConfigData: {
        bollard::ConfigData config;
        if (bollard::DecodeConfigData(data, length, &config) != 0) break;
        configs_.push_back(config);
        for (int i = 0; i < config_.reports_before_result; ++i) replies.push_back(Report());
        if (!config_.apply_silent) replies.push_back(Result(bollard::kConfigResult, config_.apply_result));
        break;
      }
      case bollard::kUserListRequest:
        replies.push_back(UserList());
        break;
      case bollard::kUserOperation: {
        bollard::UserOperationRequest request;
        if (bollard::DecodeUserOperation(data, length, &request) != 0) break;
        operations_.push_back(request);
        replies.push_back(Result(bollard::kUserOperationReply, Operate(request)));
        break;
      }
      default:
        break;
    }
  }
  for (const Bytes& reply : replies) os::SendTo(s, reply.data(), static_cast<int>(reply.size()), ip, port);
}

}  // namespace bollard_sim
