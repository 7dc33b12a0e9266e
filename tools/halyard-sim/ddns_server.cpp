#include "ddns_server.h"

#include "net/ddns_messages.h"
#include "net/packet_header.h"

namespace sim {

bool DdnsServer::Start(uint16_t port, std::string* error) {
  uint32_t loopback = 0;
  os::ParseIpv4("127.0.0.1", &loopback);
  bool ok = listener_.Start(loopback, port, [this](os::SocketHandle s, const std::string& peer) {
    return std::make_unique<PeerConnection>(
        s, peer, faults_, [this](PeerConnection& c, const net::RawMessage& m) { OnMessage(c, m); }, nullptr);
  });
  if (!ok) *error = "ddns: cannot listen on port " + std::to_string(port);
  return ok;
}

void DdnsServer::SetName(const std::string& name, const std::string& ip, uint16_t port) {
  std::lock_guard<std::mutex> lock(mutex_);
  names_[name] = {ip, port};
}

void DdnsServer::OnMessage(PeerConnection& c, const net::RawMessage& m) {
  log_.Add({"ddns", m.type, MessageName(m.type), DecodeFields(m.type, m.body, m.length)});
  if (m.type != net::kDdnsQuery) return;
  net::DdnsReply reply;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = names_.find(net::DecodeDdnsQuery(m.body, m.length));
    if (it != names_.end()) reply = {it->second.first, it->second.second, net::kDdnsFound};
  }
  auto body = net::EncodeDdnsReply(reply);
  c.Send(net::kDdnsQuery, body.data(), net::kDdnsReplySize);
}

}  // namespace sim
