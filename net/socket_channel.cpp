#include "net/socket_channel.h"

#include <cstring>
#include <vector>

#include "net/byte_order.h"
#include "net/media_data.h"
#include "net/proxy_connector.h"
#include "present/debug_log.h"

namespace net {

SocketChannel::SocketChannel() : output_(new uint8_t[kChannelBufferSize]) {}

SocketChannel::~SocketChannel() { Close(); }

int SocketChannel::ConnectVia(const ProxySettings& settings, const std::string& target_ip, uint16_t target_port) {
  Close();
  os::SocketHandle s = os::TcpSocket();
  if (s == os::kInvalidSocket) return -1;
  if (ProxyConnector(settings).Connect(s, target_ip, target_port) != 0) {
    os::CloseSocket(s);
    return -1;
  }
  Attach(s);
  return 0;
}

void SocketChannel::Attach(os::SocketHandle socket) {
  std::lock_guard<std::mutex> lock(send_lock_);
  socket_ = socket;
  input_.Reset();
  pending_ = 0;
}

int SocketChannel::Close() {
  std::lock_guard<std::mutex> lock(send_lock_);
  os::SocketHandle s = socket_.exchange(os::kInvalidSocket);
  input_.Reset();
  pending_ = 0;
  if (s == os::kInvalidSocket) return -1;
  // The receive thread may be waiting on this socket in select; a shutdown
  // tells the peer at once instead of when that wait ends.
  os::ShutdownSocket(s);
  return os::CloseSocket(s);
}

int SocketChannel::Queue(const uint8_t* header, const void* a, uint32_t a_length, const void* b, uint32_t b_length) {
  const uint64_t total = uint64_t{kPacketHeaderSize} + a_length + b_length;
  std::lock_guard<std::mutex> lock(send_lock_);
  if (total > kChannelBufferSize - pending_) return -1;
  if (!IsOpen()) return -1;
  uint8_t* p = output_.get() + pending_;
  std::memcpy(p, header, kPacketHeaderSize);
  if (a_length) std::memcpy(p + kPacketHeaderSize, a, a_length);
  if (b_length) std::memcpy(p + kPacketHeaderSize + a_length, b, b_length);
  pending_ += static_cast<uint32_t>(total);
  return static_cast<int>(total);
}

int SocketChannel::QueueMessage(uint32_t type, const void* body, uint32_t length) {
  uint8_t header[kPacketHeaderSize];
  EncodePacketHeader({type, length}, header);
  return Queue(header, body, length, nullptr, 0);
}

int SocketChannel::QueueMedia(const void* fixed, uint32_t fixed_length, const void* payload, uint32_t payload_length) {
  uint8_t header[kPacketHeaderSize];
  EncodePacketHeader({kMediaData, fixed_length}, header);
  return Queue(header, fixed, fixed_length, payload, payload_length);
}

int SocketChannel::SendNow(uint32_t type, const void* body, uint32_t length) {
  if (uint64_t{length} + kPacketHeaderSize > kChannelBufferSize) return -1;
  std::vector<uint8_t> message(kPacketHeaderSize + length);
  EncodePacketHeader({type, length}, message.data());
  if (length) std::memcpy(message.data() + kPacketHeaderSize, body, length);
  return os::Send(socket_, message.data(), static_cast<int>(message.size()));
}

uint32_t SocketChannel::pending() const {
  std::lock_guard<std::mutex> lock(send_lock_);
  return pending_;
}

int SocketChannel::SendPending() {
  // Other threads only ever append behind the pending bytes, so the front can
  // be sent without holding the lock through a possibly slow send.
  const uint32_t count = pending();
  if (count == 0 || !IsOpen()) return 0;
  int sent = os::Send(socket_, output_.get(), static_cast<int>(count));
  if (sent > 0) RemoveSent(static_cast<uint32_t>(sent));
  return sent;
}

void SocketChannel::RemoveSent(uint32_t count) {
  std::lock_guard<std::mutex> lock(send_lock_);
  if (!IsOpen()) return;
  if (count > pending_) count = pending_;
  pending_ -= count;
  std::memmove(output_.get(), output_.get() + count, pending_);
}

int SocketChannel::ReadExact(void* buffer, int n) {
  uint8_t* p = static_cast<uint8_t*>(buffer);
  int got = 0;
  while (got < n) {
    int r = os::Recv(socket_, p + got, n - got);
    if (r <= 0) return -1;
    got += r;
  }
  return n;
}

SocketChannel::ReceiveResult SocketChannel::Receive(MessageHandler& handler, int node_index, int* error) {
  if (error) *error = 0;
  int r = os::Recv(socket_, input_.FreeSpace(), static_cast<int>(input_.FreeSize()));
  if (r == 0) return ReceiveResult::kPeerClosed;
  if (r < 0) {
    int e = os::LastSocketError();
    if (error) *error = e;
    return os::IsWouldBlock(e) ? ReceiveResult::kWouldBlock : ReceiveResult::kError;
  }
  input_.Commit(static_cast<uint32_t>(r));
  for (;;) {
    RawMessage message;
    switch (input_.TakeMessage(&message)) {
      case ReceiveBuffer::Next::kNeedMore:
        return ReceiveResult::kDispatched;
      case ReceiveBuffer::Next::kInvalid:
        if (node_index == kHostingConnection)
          DebugLog("[[[[[[ Invalid PACKET in HS Socket ]]]]]]\n");
        else
          DebugLog("[[[[[[ Invalid PACKET in CS Socket [ %d ]]]]]]]\n", node_index);
        Close();
        return ReceiveResult::kInvalidPacket;
      case ReceiveBuffer::Next::kMessage:
        if (!handler.OnMessage(message) || !IsOpen()) return ReceiveResult::kStopped;
        break;
    }
  }
}

}  // namespace net
