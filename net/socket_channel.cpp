#include "net/socket_channel.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "net/byte_order.h"
#include "net/media_data.h"
#include "net/proxy_connector.h"
#include "os/clock.h"
#include "os/debug_log.h"

namespace net {

SocketChannel::SocketChannel() : output_(new uint8_t[kChannelBufferSize]) {}

SocketChannel::~SocketChannel() { Close(); }

int SocketChannel::ConnectVia(const ProxySettings& settings, const std::string& target_ip, uint16_t target_port,
                              const os::Abandoned& abandoned) {
  Close();
  uint32_t connection = 0;
  Current(&connection);
  const auto given_up = [&] { return connection_ != connection || (abandoned && abandoned()); };
  os::SocketHandle s = os::TcpSocket();
  if (s == os::kInvalidSocket) return -1;
  if (ProxyConnector(settings, ProxyConnector::kDefaultHandshakeTimeoutMs, given_up).Connect(s, target_ip, target_port) !=
          0 ||
      given_up()) {
    os::CloseSocket(s);
    return -1;
  }
  {
    // Attached only if nobody closed the channel meanwhile: a close while
    // the connect ran means its owner no longer wants the connection.
    std::unique_lock<std::shared_mutex> io(io_lock_);
    std::lock_guard<std::mutex> lock(send_lock_);
    if (connection_ == connection) {
      pending_ = 0;
      ++connection_;
      input_ended_ = false;
      socket_ = s;
      return 0;
    }
  }
  os::CloseSocket(s);
  return -1;
}

void SocketChannel::Attach(os::SocketHandle socket) {
  // Exclusive: a send still running on the old connection must not see the
  // new one's handle or its queued bytes.
  std::unique_lock<std::shared_mutex> io(io_lock_);
  std::lock_guard<std::mutex> lock(send_lock_);
  pending_ = 0;
  ++connection_;
  input_ended_ = false;
  socket_ = socket;
}

void SocketChannel::EndInput() { EndInput(connection_); }

void SocketChannel::EndInput(uint32_t connection) {
  std::lock_guard<std::mutex> lock(send_lock_);
  if (connection == connection_) input_ended_ = true;
}

os::SocketHandle SocketChannel::Current(uint32_t* connection) const {
  std::lock_guard<std::mutex> lock(send_lock_);
  *connection = connection_;
  return socket_;
}

int SocketChannel::Close() {
  os::SocketHandle s;
  {
    std::lock_guard<std::mutex> lock(send_lock_);
    s = socket_.exchange(os::kInvalidSocket);
    pending_ = 0;
    ++connection_;
    input_ended_ = false;
  }
  if (s == os::kInvalidSocket) return -1;
  // A shutdown tells the peer at once and wakes a receive or send blocked on
  // the socket; the handle itself is closed once no call uses it any more.
  os::ShutdownSocket(s);
  std::unique_lock<std::shared_mutex> io(io_lock_);
  return os::CloseSocket(s);
}

int SocketChannel::Queue(const uint8_t* header, const void* a, uint32_t a_length, const void* b, uint32_t b_length,
                         uint64_t* end, uint32_t* connection) {
  const uint64_t total = uint64_t{kPacketHeaderSize} + a_length + b_length;
  std::lock_guard<std::mutex> lock(send_lock_);
  if (total > kChannelBufferSize - pending_) return -1;
  if (!IsOpen()) return -1;
  uint8_t* p = output_.get() + pending_;
  std::memcpy(p, header, kPacketHeaderSize);
  if (a_length) std::memcpy(p + kPacketHeaderSize, a, a_length);
  if (b_length) std::memcpy(p + kPacketHeaderSize + a_length, b, b_length);
  pending_ += static_cast<uint32_t>(total);
  if (end) *end = sent_total_ + pending_;
  if (connection) *connection = connection_;
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
  uint8_t header[kPacketHeaderSize];
  EncodePacketHeader({type, length}, header);
  uint64_t end = 0;
  uint32_t connection = 0;
  const int size = Queue(header, body, length, nullptr, 0, &end, &connection);
  if (size < 0) return -1;
  // Writing the message's bytes directly could land them inside a queued
  // message the send thread has only partly written: drain the queue instead.
  std::lock_guard<std::mutex> writer(write_lock_);
  const uint64_t deadline = os::MonotonicMs() + kSendNowWaitMs;
  for (;;) {
    {
      std::lock_guard<std::mutex> lock(send_lock_);
      if (connection != connection_) return -1;
      if (sent_total_ >= end) return size;
    }
    const int sent = SendFront();
    if (sent > 0) continue;
    if ((sent < 0 && !os::IsWouldBlock(os::LastSocketError())) || os::MonotonicMs() > deadline) return -1;
    std::shared_lock<std::shared_mutex> io(io_lock_);
    const os::SocketHandle s = socket_;
    if (s == os::kInvalidSocket || writer_->WaitWritable(s, 100) < 0) return -1;
  }
}

uint32_t SocketChannel::pending() const {
  std::lock_guard<std::mutex> lock(send_lock_);
  return pending_;
}

int SocketChannel::SendPending() {
  std::lock_guard<std::mutex> writer(write_lock_);
  return SendFront();
}

int SocketChannel::SendFront() {
  // Other threads only ever append behind the pending bytes, so the front can
  // be sent without holding the send lock through a possibly slow send. The
  // count, the handle and the connection are read together, and nothing can
  // replace the connection while the send runs.
  std::shared_lock<std::shared_mutex> io(io_lock_);
  uint32_t count = 0, connection = 0;
  os::SocketHandle s;
  {
    std::lock_guard<std::mutex> lock(send_lock_);
    count = pending_;
    s = socket_;
    connection = connection_;
  }
  if (count == 0 || s == os::kInvalidSocket) return 0;
  int sent = writer_->Send(s, output_.get(), static_cast<int>(count));
  if (sent > 0) DropSent(connection, static_cast<uint32_t>(sent));
  return sent;
}

void SocketChannel::DropSent(uint32_t connection, uint32_t done) {
  std::lock_guard<std::mutex> lock(send_lock_);
  // A Close while the send ran has already dropped these bytes.
  if (connection != connection_) return;
  done = std::min(done, pending_);
  pending_ -= done;
  sent_total_ += done;
  std::memmove(output_.get(), output_.get() + done, pending_);
}

void SocketChannel::RemoveSent(uint32_t count) {
  std::lock_guard<std::mutex> lock(send_lock_);
  if (!IsOpen()) return;
  if (count > pending_) count = pending_;
  pending_ -= count;
  sent_total_ += count;
  std::memmove(output_.get(), output_.get() + count, pending_);
}

int SocketChannel::ReadExact(void* buffer, int n, int timeout_ms, const os::Abandoned& abandoned) {
  uint8_t* p = static_cast<uint8_t*>(buffer);
  const uint64_t deadline = os::MonotonicMs() + static_cast<uint64_t>(timeout_ms);
  int got = 0;
  while (got < n) {
    if (timeout_ms > 0 || abandoned) {
      // Waited for outside the I/O lock, so a Close from another thread is not held up.
      const uint64_t now = os::MonotonicMs();
      const int wait_ms = timeout_ms > 0 ? static_cast<int>(deadline > now ? deadline - now : 0) : 24 * 3600 * 1000;
      if (wait_ms <= 0 || os::WaitReadable(socket_, wait_ms, abandoned) <= 0) return -1;
    }
    std::shared_lock<std::shared_mutex> io(io_lock_);
    int r = os::Recv(socket_, p + got, n - got);
    if (r <= 0) return -1;
    got += r;
  }
  return n;
}

SocketChannel::ReceiveResult SocketChannel::Receive(MessageHandler& handler, int node_index, int* error) {
  if (error) *error = 0;
  uint32_t connection = 0;
  int r;
  {
    std::shared_lock<std::shared_mutex> io(io_lock_);
    const os::SocketHandle s = Current(&connection);
    // Whatever is buffered from an earlier connection goes; Close and Attach
    // leave that to this thread so the indices are never written under it.
    if (connection != input_connection_) {
      input_.Reset();
      input_connection_ = connection;
    }
    // Closed by its owner since the socket was picked: nothing to report.
    if (s == os::kInvalidSocket) return ReceiveResult::kStopped;
    r = os::Recv(s, input_.FreeSpace(), static_cast<int>(input_.FreeSize()));
  }
  if (r == 0) {
    EndInput(connection);
    return ReceiveResult::kPeerClosed;
  }
  if (r < 0) {
    int e = os::LastSocketError();
    if (error) *error = e;
    if (os::IsWouldBlock(e)) return ReceiveResult::kWouldBlock;
    EndInput(connection);
    return ReceiveResult::kError;
  }
  input_.Commit(static_cast<uint32_t>(r));
  for (;;) {
    if (connection != connection_) return ReceiveResult::kStopped;
    RawMessage message;
    switch (input_.TakeMessage(&message)) {
      case ReceiveBuffer::Next::kNeedMore:
        return ReceiveResult::kDispatched;
      case ReceiveBuffer::Next::kInvalid:
        if (node_index == kHostingConnection)
          DebugLog("[[[[[[ Invalid PACKET in HS Socket ]]]]]]\n");
        else
          DebugLog("[[[[[[ Invalid PACKET in CS Socket [ %d ]]]]]]]\n", node_index);
        // The owner closes it, as after a peer close: it tells a loss from
        // its own Close by the socket still being open.
        EndInput(connection);
        return ReceiveResult::kInvalidPacket;
      case ReceiveBuffer::Next::kMessage:
        if (!handler.OnMessage(message)) return ReceiveResult::kStopped;
        break;
    }
  }
}

}  // namespace net
