#include "config_tool/device_link.h"

#include <cstdio>

#include "os/clock.h"
#include "os/file.h"

namespace bollard {
namespace {

// Every receive takes a whole datagram, however long: Winsock drops a datagram
// that does not fit the buffer (WSAEMSGSIZE) and the answer would be lost.
constexpr int kDatagramBuffer = 65536;
// Windows reports an ICMP "port unreachable" of an earlier send as an error of
// the next receive; a few retries get past it without looping for ever.
constexpr int kErrorRetries = 3;

int WaitReadable(os::SocketHandle s, int wait_ms) {
  os::SocketSet set;
  set.Add(s);
  return os::SelectRead(set, wait_ms < 0 ? 0 : wait_ms);
}

int RemainingMs(uint64_t deadline) {
  uint64_t now = os::MonotonicMs();
  return now >= deadline ? 0 : static_cast<int>(deadline - now);
}

}  // namespace

int Discover(const LinkOptions& options, const std::function<void(const DiscoveredDevice&)>& on_row,
             int* send_error, FILE* trace) {
  os::SocketHandle s = os::UdpSocket();
  if (s == os::kInvalidSocket) {
    *send_error = os::LastSocketError();
    return -1;
  }
  os::SetBroadcast(s, true);
  Bytes request = EncodeSetupRequest();
  if (os::SendTo(s, request.data(), static_cast<int>(request.size()), options.discovery_ip,
                 options.discovery_port) < 0) {
    *send_error = os::LastSocketError();
    os::CloseSocket(s);
    return -1;
  }
  std::vector<uint8_t> buffer(kDatagramBuffer);
  for (;;) {
    if (WaitReadable(s, options.wait_ms) <= 0) break;
    uint32_t ip = 0;
    uint16_t port = 0;
    int n = os::RecvFrom(s, buffer.data(), kDatagramBuffer, &ip, &port);
    if (n <= 0) break;
    if (n <= 4 || MessageTypeOf(buffer.data(), static_cast<size_t>(n)) != kConfigReport) continue;
    ConfigReport report;
    // A report that breaks the text rules shows nothing rather than half a device.
    if (ParseConfigReport(buffer.data(), static_cast<size_t>(n), &report, trace) != 0) continue;
    for (const InterfaceEntry& entry : report.entries) on_row({entry, ip, port});
  }
  os::CloseSocket(s);
  return 0;
}

DeviceLink::~DeviceLink() { Close(); }

int DeviceLink::Open(uint32_t device_ip) {
  Close();
  socket_ = os::UdpSocket();
  if (socket_ == os::kInvalidSocket) return -1;
  if (os::Bind(socket_, 0, options_.local_port, nullptr) != 0) {
    Close();
    return -1;
  }
  device_ip_ = device_ip;
  return 0;
}

void DeviceLink::Close() {
  if (socket_ != os::kInvalidSocket) os::CloseSocket(socket_);
  socket_ = os::kInvalidSocket;
}

int DeviceLink::Send(const Bytes& message) {
  if (!IsOpen()) return -1;
  int n = os::SendTo(socket_, message.data(), static_cast<int>(message.size()), device_ip_, options_.device_port);
  return n < 0 ? -1 : n;
}

int DeviceLink::Receive(uint8_t* buffer, int size, int wait_ms) {
  if (!IsOpen()) return -1;
  uint64_t deadline = os::MonotonicMs() + static_cast<uint64_t>(wait_ms < 0 ? 0 : wait_ms);
  for (;;) {
    int ready = WaitReadable(socket_, RemainingMs(deadline));
    if (ready < 0) return -1;
    if (ready == 0) return 0;
    uint32_t ip = 0;
    uint16_t port = 0;
    int n = os::RecvFrom(socket_, buffer, size, &ip, &port);
    if (n < 0) return n;
    // Datagrams from anyone but the device are not its answers.
    if (ip == device_ip_) return n;
  }
}

int DeviceLink::AwaitReply(uint32_t type, std::vector<uint8_t>* buffer, uint64_t deadline) {
  int errors = 0;
  for (;;) {
    int wait = RemainingMs(deadline);
    if (wait <= 0) return 0;
    int n = Receive(buffer->data(), static_cast<int>(buffer->size()), wait);
    if (n == 0) return 0;
    if (n < 0) {
      if (++errors > kErrorRetries) return 0;
      continue;
    }
    if (MessageTypeOf(buffer->data(), static_cast<size_t>(n)) == type) return n;
  }
}

int DeviceLink::Login(const std::string& user_id, const std::string& password, uint32_t* status) {
  if (Send(EncodeLoginRequest(user_id, password)) < 0) return -1;
  os::SleepMs(options_.login_delay_ms);
  std::vector<uint8_t> buffer(kDatagramBuffer);
  int n = 0;
  for (int attempt = 0; attempt <= kErrorRetries; ++attempt) {
    n = Receive(buffer.data(), static_cast<int>(buffer.size()), options_.wait_ms);
    if (n >= 0) break;
  }
  if (n <= 0) return -1;
  return DecodeResultReply(buffer.data(), static_cast<size_t>(n), kLoginReply, status);
}

ApplyOutcome DeviceLink::ApplyConfiguration(const std::string& device, const std::string& path,
                                            std::vector<InterfaceEntry>* entries, uint32_t* result, FILE* trace) {
  FILE* f = os::OpenFile(path, "rb");
  if (!f) return ApplyOutcome::kFileError;
  std::string text;
  char chunk[1024];
  size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0 && static_cast<long>(text.size()) <= kMaxConfigText)
    text.append(chunk, got);
  std::fclose(f);
  if (static_cast<long>(text.size()) > kMaxConfigText) return ApplyOutcome::kFileTooLarge;

  if (Send(EncodeConfigData(device, text)) < 0) return ApplyOutcome::kSendError;
  uint64_t deadline = os::MonotonicMs() + static_cast<uint64_t>(options_.apply_bound_ms);
  std::vector<uint8_t> buffer(kDatagramBuffer);
  int errors = 0;
  while (RemainingMs(deadline) > 0) {
    int n = Receive(buffer.data(), static_cast<int>(buffer.size()), RemainingMs(deadline));
    if (n == 0) break;
    if (n < 0) {
      if (++errors > kErrorRetries) break;
      continue;
    }
    size_t len = static_cast<size_t>(n);
    int64_t type = MessageTypeOf(buffer.data(), len);
    if (type == kConfigResult && DecodeResultReply(buffer.data(), len, kConfigResult, result) == 0)
      return ApplyOutcome::kResult;
    if (type == kConfigReport) {
      ConfigReport report;
      if (ParseConfigReport(buffer.data(), len, &report, trace) == 0) *entries = report.entries;
    }
  }
  return ApplyOutcome::kNoResult;
}

std::vector<UserRecord> DeviceLink::ListUsers() {
  std::vector<UserRecord> users;
  if (Send(EncodeUserListRequest()) < 0) return users;
  // Room for the whole list (200 records of 64 bytes behind the header) and more.
  std::vector<uint8_t> buffer(kDatagramBuffer);
  int n = AwaitReply(kUserListReply, &buffer, os::MonotonicMs() + static_cast<uint64_t>(options_.wait_ms));
  if (n > 0) DecodeUserListReply(buffer.data(), static_cast<size_t>(n), &users);
  return users;
}

uint32_t DeviceLink::UserOperation(uint32_t op, const std::string& user_id, const std::string& user_name,
                                   const std::string& password) {
  if (Send(EncodeUserOperation(op, user_id, user_name, password)) < 0) return 3;
  std::vector<uint8_t> buffer(kDatagramBuffer);
  int n = AwaitReply(kUserOperationReply, &buffer, os::MonotonicMs() + static_cast<uint64_t>(options_.wait_ms));
  uint32_t result = 3;
  if (n <= 0 || DecodeResultReply(buffer.data(), static_cast<size_t>(n), kUserOperationReply, &result) != 0)
    return 3;
  return result;
}

}  // namespace bollard
