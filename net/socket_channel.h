#pragma once
// One TCP connection of the program: the hosting-server socket, a camera
// server's video or audio socket, or the short dynamic-IP query. Input is
// reassembled in a fixed buffer by the receive thread; output is queued in a
// fixed buffer by any thread and drained by the send thread.
//
// Threads: the receive buffer belongs to whichever thread calls Receive (the
// receive thread, or a connect thread on a channel of its own); the send
// buffer is shared under the send lock; the socket's output has one writer at
// a time (the write lock: the send thread's pass, or a SendNow draining the
// queue through its own message); Close and Attach may come from any thread. A socket handle is never closed while a send or receive call is
// using it (the I/O lock), so its number cannot be handed to a new connection
// under a call still running on the old one.
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>

#include "net/proxy_settings.h"
#include "net/receive_buffer.h"
#include "os/socket.h"

namespace net {

// Node index used in log lines for the hosting-server connection.
constexpr int kHostingConnection = -1;

class MessageHandler {
 public:
  virtual ~MessageHandler() = default;
  // Returns false to stop processing the rest of the buffer (the connection
  // was closed or what follows must be discarded).
  virtual bool OnMessage(const RawMessage& message) = 0;
};

class SocketChannel {
 public:
  enum class ReceiveResult { kDispatched, kWouldBlock, kPeerClosed, kError, kInvalidPacket, kStopped };

  SocketChannel();
  ~SocketChannel();
  SocketChannel(const SocketChannel&) = delete;
  SocketChannel& operator=(const SocketChannel&) = delete;

  // Opens a stream socket and connects it, through the proxy when the settings
  // say so, within the connector's time limits. Blocking until the owner
  // switches it to non-blocking mode. A Close or Attach from another thread
  // while it runs abandons it (-1, and the channel stays as that call left
  // it), as does `abandoned`.
  int ConnectVia(const ProxySettings& settings, const std::string& target_ip, uint16_t target_port,
                 const os::Abandoned& abandoned = {});
  // Adopts an already connected socket (servers and tests).
  void Attach(os::SocketHandle socket);
  // Closes the socket and forgets what was queued. What was received but not
  // yet parsed is dropped by the receiving thread on its next Receive: a
  // Receive still running stops before its next message instead.
  int Close();

  bool IsOpen() const { return socket_ != os::kInvalidSocket; }
  // The peer closed or the connection failed: the socket stays open (its
  // handle names it in the owner's close message) until its owner closes it,
  // but no select loop watches it any more.
  bool InputEnded() const { return input_ended_; }
  void EndInput();
  os::SocketHandle socket() const { return socket_; }
  // Grows with every Close and Attach: tells one connection from the next
  // even where the system hands out the same handle again.
  uint32_t connection() const { return connection_; }
  int SetNonBlocking(bool on) { return os::SetNonBlocking(socket_, on); }

  // Queued sends: append to the send buffer, -1 when it would overflow or the
  // socket is closed. Return the number of bytes queued.
  int QueueMessage(uint32_t type, const void* body, uint32_t length);
  int QueueMedia(const void* fixed, uint32_t fixed_length, const void* payload, uint32_t payload_length);
  static constexpr int kSendNowWaitMs = 5000;
  // Written at once: queued behind what is pending, then this thread writes
  // the queue out up to the end of this message (waiting for the socket up to
  // kSendNowWaitMs). Returns the message's size once it is out, else -1 (what
  // is still queued then goes with the send thread).
  int SendNow(uint32_t type, const void* body, uint32_t length);
  // The send thread's turn: one send of everything pending, then drop what went
  // out. Returns what send returned (0 when nothing was pending).
  int SendPending();
  void RemoveSent(uint32_t count);
  uint32_t pending() const;
  // Where the sends go: the system unless a test stands in a socket of its own.
  void UseWriter(os::SocketWriter& writer) { writer_ = &writer; }

  // Blocking read of exactly n bytes; n, or -1 on error or peer close, or
  // when timeout_ms (0: none) ran out or the read was abandoned.
  int ReadExact(void* buffer, int n, int timeout_ms = 0, const os::Abandoned& abandoned = {});

  // One receive call, then every whole message goes to the handler. An
  // oversized or malformed message writes the invalid-packet log line (with
  // node_index, or the hosting line for kHostingConnection), ends the input
  // (the owner closes the connection, as after a peer close) and returns
  // kInvalidPacket. *error receives the socket error. A Close or Attach from
  // any thread ends the dispatch (kStopped).
  ReceiveResult Receive(MessageHandler& handler, int node_index, int* error = nullptr);
  // The receiving thread's view; only that thread may look.
  const ReceiveBuffer& receive_buffer() const { return input_; }

 private:
  std::atomic<os::SocketHandle> socket_{os::kInvalidSocket};
  // Counts Attach and Close calls: input received under another count is
  // stale. Changed under the send lock.
  std::atomic<uint32_t> connection_{0};
  // Set by the receiving thread for the current connection; cleared with it.
  std::atomic<bool> input_ended_{false};
  void EndInput(uint32_t connection);
  // Shared by the send and recv calls on the handle, exclusive while it is
  // closed or replaced.
  std::shared_mutex io_lock_;
  ReceiveBuffer input_;           // receiving thread only
  uint32_t input_connection_ = 0;  // the count input_ belongs to; receiving thread only
  std::mutex write_lock_;
  mutable std::mutex send_lock_;
  uint32_t pending_ = 0;
  uint64_t sent_total_ = 0;  // bytes of this connection that left the queue; send lock
  std::unique_ptr<uint8_t[]> output_;
  os::SocketWriter* writer_ = &os::SocketWriter::System();

  // The handle and connection count at one instant, under the send lock.
  os::SocketHandle Current(uint32_t* connection) const;
  int Queue(const uint8_t* header, const void* a, uint32_t a_length, const void* b, uint32_t b_length,
            uint64_t* end = nullptr, uint32_t* connection = nullptr);
  // One send of the pending front; the caller holds the write lock.
  int SendFront();
  // Drops `done` sent bytes from the front unless the connection changed.
  void DropSent(uint32_t connection, uint32_t done);
};

}  // namespace net
