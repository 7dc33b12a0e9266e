#pragma once
// The dynamic-IP query: a device name out, its current address and port back.
#include <array>
#include <cstdint>
#include <string>

namespace net {

constexpr uint32_t kDdnsQuerySize = 16;
constexpr uint32_t kDdnsReplySize = 56;
constexpr uint32_t kDdnsFound = 1;

struct DdnsReply {
  std::string ip;     // dotted text, offset 16
  uint32_t port = 0;  // big-endian, offset 48
  uint32_t status = 0;  // big-endian, offset 52; 1 = found
};

// Names are cut to 15 characters so the NUL fits.
std::array<uint8_t, kDdnsQuerySize> EncodeDdnsQuery(const std::string& device_name);
std::string DecodeDdnsQuery(const uint8_t* body, uint32_t length);
std::array<uint8_t, kDdnsReplySize> EncodeDdnsReply(const DdnsReply& reply);
bool DecodeDdnsReply(const uint8_t* body, uint32_t length, DdnsReply* out);

}  // namespace net
