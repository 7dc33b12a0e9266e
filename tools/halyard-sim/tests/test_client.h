#pragma once
// A protocol client built from net/ for testing the simulator: connects,
// sends framed requests and collects every reply with a time-out.
#include <cstdint>
#include <string>
#include <vector>

#include "net/media_data.h"
#include "net/packet_header.h"
#include "net/socket_channel.h"
#include "os/clock.h"

namespace sim::testing {

struct Received {
  uint32_t type = 0;
  std::vector<uint8_t> body;     // fixed part for media
  net::MediaData media;          // media only; payload points into `payload`
  std::vector<uint8_t> payload;
  uint64_t arrived_ms = 0;
};

class TestClient : public net::MessageHandler {
 public:
  bool Connect(uint16_t port) {
    if (channel_.ConnectVia(net::ProxySettings{}, "127.0.0.1", port) != 0) return false;
    os::SetRecvTimeout(channel_.socket(), 200);
    return true;
  }
  bool Send(uint32_t type, const void* body, uint32_t length) {
    return channel_.SendNow(type, body, length) == static_cast<int>(length + 8);
  }
  template <typename Container>
  bool Send(uint32_t type, const Container& body) {
    return Send(type, body.data(), static_cast<uint32_t>(body.size()));
  }

  // Waits up to timeout_ms for the next message of `type` (any type if 0);
  // others stay queued. False on time-out or close.
  bool WaitFor(uint32_t type, Received* out, int timeout_ms = 5000) {
    const uint64_t end = os::MonotonicMs() + static_cast<uint64_t>(timeout_ms);
    for (;;) {
      for (size_t i = 0; i < queue_.size(); ++i) {
        if (type == 0 || queue_[i].type == type) {
          *out = std::move(queue_[i]);
          queue_.erase(queue_.begin() + static_cast<long>(i));
          if (out->type == net::kMediaData) {
            net::DecodeMediaData(out->body.data(), static_cast<uint32_t>(out->body.size()), &out->media);
            out->media.payload = out->payload.data();
          }
          return true;
        }
      }
      if (os::MonotonicMs() >= end || closed_ || invalid_) return false;
      auto r = channel_.Receive(*this, 0);
      if (r == net::SocketChannel::ReceiveResult::kPeerClosed) closed_ = true;
      if (r == net::SocketChannel::ReceiveResult::kInvalidPacket) invalid_ = true;
    }
  }
  // Media units of `kind` on any channel, up to `count`, within timeout_ms.
  std::vector<Received> Media(uint32_t kind, size_t count, int timeout_ms = 5000) {
    std::vector<Received> units;
    const uint64_t end = os::MonotonicMs() + static_cast<uint64_t>(timeout_ms);
    Received r;
    while (units.size() < count && os::MonotonicMs() < end) {
      if (!WaitFor(net::kMediaData, &r, static_cast<int>(end - os::MonotonicMs()))) break;
      if (r.media.kind == kind) units.push_back(r);
    }
    return units;
  }
  // Forgets what arrived and was not asked for yet.
  void ForgetReceived() { queue_.clear(); }
  bool closed() const { return closed_; }
  bool invalid() const { return invalid_; }
  net::SocketChannel& channel() { return channel_; }

  bool OnMessage(const net::RawMessage& m) override {
    Received r;
    r.type = m.type;
    r.body.assign(m.body, m.body + m.length);
    if (m.payload) r.payload.assign(m.payload, m.payload + m.payload_length);
    r.arrived_ms = os::MonotonicMs();
    queue_.push_back(std::move(r));
    return true;
  }

 private:
  net::SocketChannel channel_;
  std::vector<Received> queue_;
  bool closed_ = false;
  bool invalid_ = false;
};

}  // namespace sim::testing
