#include "net/ddns_lookup.h"

#include "net/ddns_messages.h"
#include "net/packet_header.h"
#include "net/socket_channel.h"

namespace net {

// A server that accepts and then says nothing must not hold the connect thread for ever.
constexpr int kDdnsReplyTimeoutMs = 20000;

bool DdnsLookup(const ProxySettings& settings, const std::string& device_name, const std::string& server_ip,
                uint16_t server_port, DdnsResult* result) {
  SocketChannel channel;
  if (channel.ConnectVia(settings, server_ip, server_port) != 0) return false;
  os::SetRecvTimeout(channel.socket(), kDdnsReplyTimeoutMs);
  auto query = EncodeDdnsQuery(device_name);
  if (channel.SendNow(kDdnsQuery, query.data(), kDdnsQuerySize) != static_cast<int>(kPacketHeaderSize + kDdnsQuerySize))
    return false;
  uint8_t header[kPacketHeaderSize];
  uint8_t body[kDdnsReplySize];
  if (channel.ReadExact(header, sizeof header) < 0 || channel.ReadExact(body, sizeof body) < 0) return false;
  DdnsReply reply;
  if (!DecodeDdnsReply(body, sizeof body, &reply) || reply.status != kDdnsFound) return false;
  // A port that does not fit 16 bits cannot be connected to.
  if (reply.port == 0 || reply.port > 65535) return false;
  result->ip = reply.ip;
  result->port = static_cast<uint16_t>(reply.port);
  return true;
}

}  // namespace net
