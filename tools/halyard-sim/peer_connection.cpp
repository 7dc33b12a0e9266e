#include "peer_connection.h"

#include <cstring>

#include "net/packet_header.h"
#include "os/clock.h"

namespace sim {

PeerConnection::PeerConnection(os::SocketHandle socket, std::string peer, FaultPlan& faults,
                               MessageCallback on_message, std::function<void(PeerConnection&)> on_close)
    : socket_(socket),
      peer_(std::move(peer)),
      faults_(faults),
      on_message_(std::move(on_message)),
      on_close_(std::move(on_close)) {}

PeerConnection::~PeerConnection() {
  Close();
  Join();
  os::CloseSocket(socket_);
}

void PeerConnection::Start() {
  reader_ = std::thread([this] { ReadLoop(); });
}

void PeerConnection::Close() {
  // The handle itself is closed by the destructor, after the reader is gone,
  // so it is never reused under the reader.
  if (open_.exchange(false)) os::ShutdownSocket(socket_);
}

void PeerConnection::Join() {
  if (reader_.joinable() && reader_.get_id() != std::this_thread::get_id()) reader_.join();
}

void PeerConnection::ReadLoop() {
  while (open_) {
    // Wait in short slices: a shutdown from another thread does not wake a
    // blocked receive on every platform, so the loop looks at the flag itself.
    os::SocketSet set;
    set.Add(socket_);
    int ready = os::SelectRead(set, 200);
    if (ready == 0) continue;
    if (ready < 0) break;
    int r = os::Recv(socket_, input_.FreeSpace(), static_cast<int>(input_.FreeSize()));
    if (r <= 0) break;
    input_.Commit(static_cast<uint32_t>(r));
    net::RawMessage m;
    net::ReceiveBuffer::Next next;
    while (open_ && (next = input_.TakeMessage(&m)) == net::ReceiveBuffer::Next::kMessage)
      if (!silent_) on_message_(*this, m);
    if (next == net::ReceiveBuffer::Next::kInvalid) break;
  }
  open_ = false;
  os::ShutdownSocket(socket_);
  if (on_close_) on_close_(*this);
}

bool PeerConnection::PassFaults(uint32_t type) {
  if (silent_) return false;
  uint64_t stall = 0;
  int delay = 0;
  {
    std::lock_guard<std::mutex> lock(faults_.mutex);
    auto drop = faults_.drop_next.find(type);
    if (drop != faults_.drop_next.end() && drop->second > 0) {
      --drop->second;
      return false;
    }
    stall = faults_.stall_until_ms;
    auto d = faults_.delay_ms.find(type);
    if (d != faults_.delay_ms.end()) delay = d->second;
  }
  uint64_t now = os::MonotonicMs();
  if (stall > now) os::SleepMs(static_cast<int>(stall - now));
  if (delay > 0) os::SleepMs(delay);
  return true;
}

bool PeerConnection::SendRaw(const void* data, size_t length) {
  std::lock_guard<std::mutex> lock(send_mutex_);
  const uint8_t* p = static_cast<const uint8_t*>(data);
  while (length > 0 && open_) {
    int n = os::Send(socket_, p, static_cast<int>(length));
    if (n <= 0) {
      Close();
      return false;
    }
    p += n;
    length -= static_cast<size_t>(n);
  }
  return length == 0;
}

bool PeerConnection::Send(uint32_t type, const void* body, uint32_t length) {
  if (!PassFaults(type)) return true;
  std::vector<uint8_t> message(net::kPacketHeaderSize + length);
  net::EncodePacketHeader({type, length}, message.data());
  if (length) std::memcpy(message.data() + net::kPacketHeaderSize, body, length);
  return SendRaw(message.data(), message.size());
}

void PeerConnection::SendKeepAlive() {
  ++keepalives_unanswered_;
  Send(net::kKeepAlive, nullptr, 0);
}

void PeerConnection::OnKeepAlive() {
  int waiting = keepalives_unanswered_;
  while (waiting > 0 && !keepalives_unanswered_.compare_exchange_weak(waiting, waiting - 1)) {
  }
  if (waiting <= 0) Send(net::kKeepAlive, nullptr, 0);
}

bool PeerConnection::SendMedia(uint32_t channel_id, uint32_t kind, uint64_t timestamp_ms, const uint8_t* payload,
                               uint32_t length, bool long_form) {
  if (!PassFaults(net::kMediaData)) return true;
  net::MediaData media;
  media.channel_id = channel_id;
  media.kind = kind;
  media.timestamp_ms = timestamp_ms;
  media.payload_length = length;
  std::vector<uint8_t> message(net::kPacketHeaderSize + net::kMediaLongFixedSize + length);
  uint32_t fixed = net::EncodeMediaFixed(media, long_form, message.data() + net::kPacketHeaderSize);
  net::EncodePacketHeader({net::kMediaData, fixed}, message.data());
  if (length) std::memcpy(message.data() + net::kPacketHeaderSize + fixed, payload, length);
  message.resize(net::kPacketHeaderSize + fixed + length);
  return SendRaw(message.data(), message.size());
}

}  // namespace sim
