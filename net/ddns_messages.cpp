#include "net/ddns_messages.h"

#include "net/byte_order.h"

namespace net {

std::array<uint8_t, kDdnsQuerySize> EncodeDdnsQuery(const std::string& device_name) {
  std::array<uint8_t, kDdnsQuerySize> body{};
  PutText(body.data(), body.size(), device_name);
  return body;
}

std::string DecodeDdnsQuery(const uint8_t* body, uint32_t length) {
  return GetText(body, length < kDdnsQuerySize ? length : kDdnsQuerySize);
}

std::array<uint8_t, kDdnsReplySize> EncodeDdnsReply(const DdnsReply& reply) {
  std::array<uint8_t, kDdnsReplySize> body{};
  PutText(&body[16], 32, reply.ip);
  PutBE32(&body[48], reply.port);
  PutBE32(&body[52], reply.status);
  return body;
}

bool DecodeDdnsReply(const uint8_t* body, uint32_t length, DdnsReply* out) {
  if (length < kDdnsReplySize) return false;
  out->ip = GetText(body + 16, 32);
  out->port = GetBE32(body + 48);
  out->status = GetBE32(body + 52);
  return true;
}

}  // namespace net
