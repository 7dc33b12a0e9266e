#pragma once
// One accepted client connection of a simulated server: a reader thread that
// reassembles framed messages and hands them to the server, and sends from any
// thread (replies, paced media) under one lock. Fault injection sits on the
// send path so every server gets it the same way.
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "net/media_data.h"
#include "net/receive_buffer.h"
#include "os/socket.h"

namespace sim {

class PeerConnection;
using Users = std::map<std::string, std::string>;  // user name -> password
using MessageCallback = std::function<void(PeerConnection&, const net::RawMessage&)>;

// Faults armed on a server, applied to its connections' outgoing messages.
struct FaultPlan {
  std::mutex mutex;
  std::map<uint32_t, int> drop_next;   // type -> how many of the next ones to drop
  std::map<uint32_t, int> delay_ms;    // type -> delay before sending
  uint64_t stall_until_ms = 0;         // nothing is sent before this time
  bool refuse_login = false;
};

class PeerConnection {
 public:
  PeerConnection(os::SocketHandle socket, std::string peer, FaultPlan& faults, MessageCallback on_message,
                 std::function<void(PeerConnection&)> on_close);
  ~PeerConnection();
  PeerConnection(const PeerConnection&) = delete;
  PeerConnection& operator=(const PeerConnection&) = delete;

  void Start();
  // Closes the socket; the reader thread then ends. Safe from any thread.
  void Close();
  // Waits for the reader thread (not from the reader thread itself).
  void Join();
  bool IsOpen() const { return open_; }
  const std::string& peer() const { return peer_; }

  bool Send(uint32_t type, const void* body, uint32_t length);
  bool Send(uint32_t type, const std::vector<uint8_t>& body) {
    return Send(type, body.data(), static_cast<uint32_t>(body.size()));
  }
  // A peer that lost its power without a word: from now on this connection
  // sends nothing and ignores what it receives, but stays open.
  void SetSilent() { silent_ = true; }
  // Keep-alives: the server's own, and what it does with one received. The
  // answer to its own is not answered again, so the two sides never play
  // ping-pong; any other is answered at once.
  void SendKeepAlive();
  void OnKeepAlive();
  // MediaData in the long (24-byte) or short (16-byte) fixed form.
  bool SendMedia(uint32_t channel_id, uint32_t kind, uint64_t timestamp_ms, const uint8_t* payload,
                 uint32_t length, bool long_form);
  // Raw bytes, past the fault plan: for oversized and malformed packets.
  bool SendRaw(const void* data, size_t length);

  // Per-connection state the servers keep: the login, written by the reader
  // thread and read by any thread that sends to all logged-in connections;
  // the user name, the reader thread's only.
  std::atomic<bool> logged_in{false};
  std::string user;

 private:
  void ReadLoop();
  bool PassFaults(uint32_t type);

  os::SocketHandle socket_;
  std::string peer_;
  FaultPlan& faults_;
  MessageCallback on_message_;
  std::function<void(PeerConnection&)> on_close_;
  std::atomic<bool> open_{true};
  std::atomic<bool> silent_{false};
  std::atomic<int> keepalives_unanswered_{0};
  std::mutex send_mutex_;
  std::thread reader_;
  net::ReceiveBuffer input_;
};

}  // namespace sim
