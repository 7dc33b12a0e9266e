#include "net/ddns_lookup.h"

#include <algorithm>

#include "net/ddns_messages.h"
#include "net/packet_header.h"
#include "net/socket_channel.h"
#include "os/clock.h"

namespace net {

// A server that accepts and then says nothing must not hold the connect thread for ever.
constexpr int kDdnsReplyTimeoutMs = 20000;

bool DdnsLookup(const ProxySettings& settings, const std::string& device_name, const std::string& server_ip,
                uint16_t server_port, DdnsResult* result, const os::Abandoned& abandoned) {
  SocketChannel channel;
  if (channel.ConnectVia(settings, server_ip, server_port, abandoned) != 0) return false;
  auto query = EncodeDdnsQuery(device_name);
  if (channel.SendNow(kDdnsQuery, query.data(), kDdnsQuerySize) != static_cast<int>(kPacketHeaderSize + kDdnsQuerySize))
    return false;
  uint8_t header[kPacketHeaderSize];
  uint8_t body[kDdnsReplySize];
  const uint64_t deadline = os::MonotonicMs() + kDdnsReplyTimeoutMs;
  const auto left = [&] { return static_cast<int>(std::max<int64_t>(1, static_cast<int64_t>(deadline - os::MonotonicMs()))); };
  if (channel.ReadExact(header, sizeof header, left(), abandoned) < 0 ||
      channel.ReadExact(body, sizeof body, left(), abandoned) < 0)
    return false;
  DdnsReply reply;
  if (!DecodeDdnsReply(body, sizeof body, &reply) || reply.status != kDdnsFound) return false;
  // A port that does not fit 16 bits cannot be connected to.
  if (reply.port == 0 || reply.port > 65535) return false;
  result->ip = reply.ip;
  result->port = static_cast<uint16_t>(reply.port);
  return true;
}

}  // namespace net
